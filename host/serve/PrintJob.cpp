#include "host/serve/PrintJob.h"

#include <algorithm>

#include "host/Terminal.h"
#include "host/serve/ClerkText.h"
#include "host/serve/PlatformThread.h"
#include "host/serve/PrintDevices.h"
#include "reportkit/PluginRun.h"
#include "reportkit/output/PngDevice.h"

namespace stock::serve {

namespace {
const char* const kPdfName = "relatorio.pdf";
constexpr double kPreviewScale = 1.25;  // 120 dpi: legible in the page without zooming
}  // namespace

const char* JobStateName(JobState state) {
  switch (state) {
    case JobState::Waiting: return "fila";
    case JobState::Running: return "imprimindo";
    case JobState::Asking: return "pergunta";
    case JobState::Done: return "concluido";
    case JobState::Stopped: return "parado";
    case JobState::Empty: return "vazio";
    case JobState::Failed: return "erro";
  }
  return "erro";
}

PrintJob::PrintJob(std::string report, Values values, std::chrono::milliseconds answer_limit,
                   std::string file_name)
    : report_(std::move(report)),
      values_(std::move(values)),
      answer_limit_(answer_limit),
      file_name_(file_name.empty() ? report_ + ".pdf" : std::move(file_name)) {}

PrintJob::~PrintJob() = default;

void PrintJob::Run(PlatformThread* between_rows) {
  {
    std::lock_guard lock(mutex_);
    if (stop_) {
      if (view_.state == JobState::Waiting) End(JobState::Stopped);
      return;
    }
    view_.state = JobState::Running;
  }
  changed_.notify_all();
  try {
    between_rows_ = between_rows;
    DialogHandlerGuard dialogs([this](const DialogRequest& r) { return OnDialog(r); });
    RunRequest request;
    request.report = report_;
    request.params = values_;
    request.progress = [this](int done, int total) { return OnProgress(done, total); };
    PrintDevices devices((folder_.Path() / kPdfName).string(), recording_, [this] {
      std::lock_guard lock(mutex_);
      ++view_.pages;
    });
    const RunOutcome outcome = RunReport(request, devices);
    std::lock_guard lock(mutex_);
    // The notices told during the run come first, then the report's own messages.
    view_.messages.insert(view_.messages.end(), outcome.messages.begin(), outcome.messages.end());
    view_.pages = outcome.pages;
    if (outcome.stopped || (stop_ && (outcome.pages == 0 || !view_.abandoned.empty()))) {
      End(JobState::Stopped);
    } else if (outcome.pages == 0) {
      End(JobState::Empty);
    } else {
      view_.preview_pages = std::min(outcome.pages, recording_.Pages());
      End(JobState::Done);
    }
  } catch (const std::exception& e) {
    std::lock_guard lock(mutex_);
    view_.error = ClerkError(e.what());
    End(JobState::Failed);
  } catch (...) {
    std::lock_guard lock(mutex_);
    view_.error = "Erro desconhecido na impressão.";
    End(JobState::Failed);
  }
}

void PrintJob::End(JobState state) {
  view_.state = state;
  view_.dialog.reset();
  if (state != JobState::Done) view_.pages = 0;
  ended_at_ = std::chrono::steady_clock::now();
  changed_.notify_all();
}

bool PrintJob::OnProgress(int done, int total) {
  {
    std::lock_guard lock(mutex_);
    view_.done = done;
    view_.total = total;
    if (stop_) return true;
  }
  if (between_rows_ != nullptr) between_rows_->RunPendingTasks();
  std::lock_guard lock(mutex_);
  return stop_;
}

int PrintJob::OnDialog(const DialogRequest& request) {
  std::unique_lock lock(mutex_);
  if (IsNotice(request)) {
    // Nothing to answer: the page lists it with the messages and the print goes on.
    if (request.type == mtError) {
      view_.messages.emplace_back(0, NoticeLine(request));
    } else {
      view_.messages.emplace_back(1, request.text);  // the page writes "Aviso: " before it
    }
    return 0;
  }
  if (!stop_) {
    JobDialog dialog;
    dialog.id = ++questions_;
    dialog.text = request.text;
    dialog.type = request.type;
    dialog.buttons = request.buttons;
    view_.dialog = dialog;
    view_.state = JobState::Asking;
    changed_.notify_all();
    answer_.reset();
    // While the question waits, the other screens' events still get their answers.
    const auto give_up = std::chrono::steady_clock::now() + answer_limit_;
    while (!answer_ && !stop_) {
      if (std::chrono::steady_clock::now() >= give_up) {
        stop_ = true;
        const auto minutes =
            std::chrono::duration_cast<std::chrono::minutes>(answer_limit_).count();
        view_.abandoned =
            "A pergunta ficou sem resposta por " +
            (minutes >= 1 ? std::to_string(minutes) + " minuto" + (minutes > 1 ? "s" : "")
                          : std::string("tempo demais")) +
            ": a impressão foi cancelada para não segurar as outras, e nada foi gravado.";
        break;
      }
      answered_.wait_for(lock, std::chrono::milliseconds(50));
      if (between_rows_ != nullptr && !answer_ && !stop_) {
        lock.unlock();
        between_rows_->RunPendingTasks();
        lock.lock();
      }
    }
    view_.dialog.reset();
    view_.state = JobState::Running;
    if (answer_) return *answer_;
  }
  return FixedAnswer(request, host::Answers::No);
}

void PrintJob::RequestStop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    if (view_.state == JobState::Waiting) End(JobState::Stopped);  // never started
  }
  answered_.notify_all();
}

bool PrintJob::Answer(int dialog_id, int button) {
  {
    std::lock_guard lock(mutex_);
    if (!view_.dialog || view_.dialog->id != dialog_id || answer_) return false;
    if (button < 0 || button >= static_cast<int>(view_.dialog->buttons.size())) return false;
    answer_ = button;
  }
  answered_.notify_all();
  return true;
}

JobView PrintJob::View() const {
  std::lock_guard lock(mutex_);
  return view_;
}

JobView PrintJob::WaitChange(JobState seen, std::chrono::milliseconds wait) const {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, wait, [&] { return view_.state != seen; });
  return view_;
}

bool PrintJob::Ended() const {
  std::lock_guard lock(mutex_);
  return view_.state != JobState::Waiting && view_.state != JobState::Running &&
         view_.state != JobState::Asking;
}

std::chrono::steady_clock::time_point PrintJob::EndedAt() const {
  std::lock_guard lock(mutex_);
  return ended_at_;
}

std::optional<std::filesystem::path> PrintJob::Pdf() const {
  std::lock_guard lock(mutex_);
  if (view_.state != JobState::Done) return std::nullopt;
  return folder_.Path() / kPdfName;
}

std::optional<std::filesystem::path> PrintJob::Preview(int n) {
  {
    std::lock_guard lock(mutex_);
    if (view_.state != JobState::Done || n < 1 || n > view_.preview_pages) return std::nullopt;
  }
  const std::filesystem::path path = folder_.Path() / ("pagina-" + std::to_string(n) + ".png");
  std::lock_guard drawing(preview_mutex_);
  if (!std::filesystem::exists(path)) {
    PngDevice png(path.string(), kPreviewScale);
    png.BeginDocument({report_, 0});
    recording_.Draw(n, png);
    png.Finish();
  }
  return path;
}

}  // namespace stock::serve
