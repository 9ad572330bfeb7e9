#pragma once
// PrintJob: one print started from a parameter screen, shared between the platform thread
// that runs it and the web requests that watch it, stop it and answer its questions.
//
// The print runs on the platform thread (Run) and writes the PDF only; a page's preview is
// drawn when it is first asked for, from a recording of the first pages. Its progress display
// records pages and rows and answers "stop" once RequestStop was called; a question the report asks
// (nMessageDlg) waits there until the browser answers it (Answer), the print is stopped (the
// question gets the "Não"/"Cancelar" answer) or the answer limit passes: a question left unanswered
// that long holds every other print in line, so the print is then cancelled, publishing nothing. A
// notice (a one-button warning or error) asks nothing: it joins the job's messages at once and
// the print goes on. The job's files (the PDF and the page
// previews) live in its own private folder, removed with the job.

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "basekit/MessageDlg.h"
#include "host/serve/PageRecording.h"
#include "host/serve/RunFolder.h"

namespace stock::serve {

class PlatformThread;

enum class JobState {
  Waiting,  // in line behind another print
  Running,
  Asking,   // a question waits for the browser's answer
  Done,     // printed: the PDF and the previews are there
  Stopped,  // stopped by the user; nothing was published
  Empty,    // ran to its end and printed nothing
  Failed,   // the report raised an error
};

struct JobDialog {
  int id = 0;  // increases with every question of the job
  std::string text;
  TMsgDlgType type = mtInformation;
  std::vector<std::string> buttons;
};

// What the browser is shown of a job.
struct JobView {
  JobState state = JobState::Waiting;
  int done = 0, total = 0;  // the report's own progress (rows)
  int pages = 0;            // pages begun so far, or printed in the end
  int preview_pages = 0;    // pages with a preview (the first ones), drawn when asked for
  std::optional<JobDialog> dialog;
  // (kind, text): the notices as they are told, the report's own messages once the run ended
  std::vector<std::pair<int, std::string>> messages;
  std::string error;
  std::string abandoned;  // why the print was cancelled for want of an answer
};

class PrintJob {
 public:
  using Values = std::vector<std::pair<std::string, std::string>>;

  static constexpr std::chrono::minutes kAnswerLimit{3};

  // A job printing `report` with the input parameter values `values`, whose questions wait
  // `answer_limit` at most. Creates its folder (raises Exception when it cannot).
  PrintJob(std::string report, Values values, std::chrono::milliseconds answer_limit = kAnswerLimit,
           std::string file_name = {});
  ~PrintJob();
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  const std::string& Report() const { return report_; }
  // The name the PDF is offered under ("<report>.pdf" when none was given).
  const std::string& FileName() const { return file_name_; }

  // Prints on the calling thread, the platform thread: installs the job's dialog handler,
  // runs the report into the PDF and the previews and records how it ended. `between_rows`,
  // when given, runs the platform's pending tasks from the progress display. Never raises.
  void Run(PlatformThread* between_rows);

  // Asks the print to stop (a job still in line ends at once); a question waiting is
  // answered "Não"/"Cancelar".
  void RequestStop();
  // Answers question `dialog_id` with button `button` (0-based). Returns false when that
  // question is not waiting or the button does not exist.
  bool Answer(int dialog_id, int button);

  JobView View() const;
  // The view once its state is no longer `seen`, or after `wait` (the page polls with it, so
  // it hears of the end of a print at once).
  JobView WaitChange(JobState seen, std::chrono::milliseconds wait) const;
  bool Ended() const;
  // When the run ended (only meaningful once Ended()).
  std::chrono::steady_clock::time_point EndedAt() const;

  // The PDF once Done, else nullopt.
  std::optional<std::filesystem::path> Pdf() const;
  // The preview of page n (1-based) once Done, drawn now if it was not yet; nullopt for a
  // page that has none. Raises Exception when it cannot be drawn.
  std::optional<std::filesystem::path> Preview(int n);

 private:
  bool OnProgress(int done, int total);
  int OnDialog(const DialogRequest& request);
  void End(JobState state);

  const std::string report_;
  const Values values_;
  const std::chrono::milliseconds answer_limit_;
  const std::string file_name_;
  RunFolder folder_;
  PageRecording recording_;   // written by Run; read once Done
  std::mutex preview_mutex_;  // one preview drawn at a time

  mutable std::mutex mutex_;
  std::condition_variable answered_;
  mutable std::condition_variable changed_;
  JobView view_;
  bool stop_ = false;
  std::optional<int> answer_;
  int questions_ = 0;
  PlatformThread* between_rows_ = nullptr;  // set by Run, on the platform thread
  std::chrono::steady_clock::time_point ended_at_;
};

// "fila", "imprimindo" ... the names the page knows the states by.
const char* JobStateName(JobState state);

}  // namespace stock::serve
