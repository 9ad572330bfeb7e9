#include "host/serve/ScreenSessions.h"

#include <fstream>
#include <tuple>

#include "host/serve/PlatformThread.h"
#include "rtl/Exception.h"

namespace stock::serve {

struct ScreenSessions::Screen {
  std::string id, token, report;
  std::unique_ptr<ParamScreen> param;  // used and destroyed on the platform thread only
  // Guarded by the sessions' mutex:
  std::shared_ptr<PrintJob> job;
  uint64_t ticket = 0;
  std::vector<ScreenField> printed_fields;  // the fields as the latest print took them
  std::chrono::steady_clock::time_point last_seen;
};

namespace {

// The screen's report instance; raises ScreenNotFound once the screen was closed.
ParamScreen& Live(const std::unique_ptr<ParamScreen>& param) {
  if (!param) throw ScreenNotFound("Esta tela foi fechada; abra o relatório de novo.");
  return *param;
}

bool ConstantTimeEqual(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

}  // namespace

std::string RandomToken() {
  unsigned char bytes[16];
  std::ifstream random("/dev/urandom", std::ios::binary);
  if (!random.read(reinterpret_cast<char*>(bytes), sizeof bytes)) {
    throw Exception("Não foi possível ler /dev/urandom.");
  }
  static const char* const kHex = "0123456789abcdef";
  std::string token;
  for (unsigned char b : bytes) {
    token += kHex[b >> 4];
    token += kHex[b & 15];
  }
  return token;
}

ScreenSessions::ScreenSessions(PlatformThread& platform, std::chrono::milliseconds answer_limit)
    : platform_(platform), answer_limit_(answer_limit) {}

ScreenSessions::~ScreenSessions() {
  std::map<std::string, std::shared_ptr<Screen>> screens;
  {
    std::lock_guard lock(mutex_);
    screens.swap(screens_);
  }
  for (auto& [id, screen] : screens) Discard(screen);
}

int ScreenSessions::OpenCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(screens_.size());
}

ScreenSessions::Opened ScreenSessions::Open(const std::string& report) {
  Sweep(std::chrono::steady_clock::now());
  std::shared_ptr<Screen> replaced;
  {
    std::lock_guard lock(mutex_);
    if (screens_.size() >= static_cast<size_t>(kMaxScreens)) {
      auto oldest = screens_.end();
      for (auto it = screens_.begin(); it != screens_.end(); ++it) {
        const Screen& s = *it->second;
        if (s.job && !s.job->Ended()) continue;
        if (oldest == screens_.end() || s.last_seen < oldest->second->last_seen) oldest = it;
      }
      if (oldest == screens_.end()) {
        throw Exception(
            "Todas as " + std::to_string(kMaxScreens) +
            " telas de parâmetros abertas estão imprimindo; tente de novo quando uma terminar.");
      }
      replaced = oldest->second;
      screens_.erase(oldest);
    }
  }
  if (replaced) Discard(replaced);
  auto screen = std::make_shared<Screen>();
  screen->id = RandomToken();
  screen->token = RandomToken();
  screen->report = report;
  screen->param = platform_.Call([report] { return std::make_unique<ParamScreen>(report); });
  screen->last_seen = std::chrono::steady_clock::now();
  std::lock_guard lock(mutex_);
  screens_[screen->id] = screen;
  return {screen->id, screen->token};
}

std::shared_ptr<ScreenSessions::Screen> ScreenSessions::Find(const std::string& id,
                                                             const std::string& token) {
  std::lock_guard lock(mutex_);
  auto it = screens_.find(id);
  if (it == screens_.end()) {
    throw ScreenNotFound(
        "Esta tela não está mais aberta (fechada ou expirada); abra o relatório de novo.");
  }
  if (!ConstantTimeEqual(it->second->token, token))
    throw ScreenForbidden("Token da página inválido.");
  it->second->last_seen = std::chrono::steady_clock::now();
  return it->second;
}

ScreenView ScreenSessions::ViewOf(const Screen& screen) const {
  ParamScreen& param = Live(screen.param);
  return {screen.report, param.Title(), param.Fields(), param.Errors()};
}

ScreenView ScreenSessions::View(const std::string& id, const std::string& token) {
  std::shared_ptr<Screen> s = Find(id, token);
  return platform_.Call([this, s] { return ViewOf(*s); });
}

ScreenView ScreenSessions::Event(const std::string& id, const std::string& token,
                                 const std::string& kind, const std::string& field,
                                 const std::string& value) {
  if (kind != "entrar" && kind != "alterar" && kind != "sair") {
    throw Exception("Evento desconhecido: '" + kind + "'.");
  }
  std::shared_ptr<Screen> s = Find(id, token);
  return platform_.Call([this, s, kind, field, value] {
    ParamScreen& param = Live(s->param);
    if (kind == "entrar") param.Enter(field);
    if (kind == "alterar") param.Change(field, value);
    if (kind == "sair") param.Exit(field);
    return ViewOf(*s);
  });
}

void ScreenSessions::Print(const std::string& id, const std::string& token) {
  std::shared_ptr<Screen> s = Find(id, token);
  auto busy = [&] {
    if (s->job && !s->job->Ended()) throw Exception("Esta tela já tem uma impressão em andamento.");
  };
  {
    std::lock_guard lock(mutex_);
    busy();
  }
  auto [fields, values, file_name] = platform_.Call([s] {
    ParamScreen& param = Live(s->param);
    if (!param.CheckAll()) throw Exception("Corrija os campos marcados antes de imprimir.");
    return std::make_tuple(param.Fields(), param.Values(),
                           PdfFileName(param.Title(), param.Fields()));
  });
  auto job = std::make_shared<PrintJob>(s->report, values, answer_limit_, file_name);
  std::lock_guard lock(mutex_);
  busy();
  s->job = job;
  s->printed_fields = fields;
  PlatformThread* platform = &platform_;
  std::weak_ptr<Screen> weak = s;
  s->ticket = platform_.QueuePrint([job, platform, weak, fields] {
    job->Run(platform);
    // An error that names a field is shown by it, and keeps the print off until it changes.
    const JobView view = job->View();
    if (view.state != JobState::Failed) return;
    const std::string field = FieldOfError(fields, view.error);
    std::shared_ptr<Screen> screen = weak.lock();
    if (!field.empty() && screen && screen->param) screen->param->SetError(field, view.error);
  });
}

PrintView ScreenSessions::Status(const std::string& id, const std::string& token,
                                 std::chrono::milliseconds wait) {
  std::shared_ptr<Screen> s = Find(id, token);
  std::shared_ptr<PrintJob> job;
  {
    std::lock_guard lock(mutex_);
    job = s->job;
  }
  if (job && wait.count() > 0) {
    const JobState state = job->View().state;
    if (state == JobState::Running) job->WaitChange(state, wait);
  }
  std::lock_guard lock(mutex_);
  PrintView view;
  if (!s->job) return view;
  view.exists = true;
  view.job = s->job->View();
  view.file_name = s->job->FileName();
  if (view.job.state == JobState::Waiting) {
    view.ahead = platform_.PrintsAhead(s->ticket);
    for (const auto& [other_id, other] : screens_) {
      if (other != s && other->job && other->job->View().state == JobState::Asking)
        view.ahead_asks = true;
    }
  }
  if (view.job.state == JobState::Failed) {
    view.error_field = FieldOfError(s->printed_fields, view.job.error);
    view.job.error = NameFieldsByLabel(view.job.error, s->printed_fields);
  }
  return view;
}

void ScreenSessions::Stop(const std::string& id, const std::string& token) {
  std::shared_ptr<Screen> s = Find(id, token);
  std::lock_guard lock(mutex_);
  if (!s->job) return;
  s->job->RequestStop();
  platform_.CancelPrint(s->ticket);
}

bool ScreenSessions::Answer(const std::string& id, const std::string& token, int dialog,
                            int button) {
  std::shared_ptr<Screen> s = Find(id, token);
  std::lock_guard lock(mutex_);
  return s->job && s->job->Answer(dialog, button);
}

std::optional<std::filesystem::path> ScreenSessions::Preview(const std::string& id,
                                                             const std::string& token, int page) {
  std::shared_ptr<PrintJob> job = Job(id, token);
  if (!job) return std::nullopt;
  return platform_.Call([job, page] { return job->Preview(page); });
}

std::vector<ParamChoice> ScreenSessions::Lookup(const std::string& id, const std::string& token,
                                                const std::string& field) {
  std::shared_ptr<Screen> s = Find(id, token);
  return platform_.Call([s, field] { return Live(s->param).LookupChoices(field); });
}

std::shared_ptr<PrintJob> ScreenSessions::Job(const std::string& id, const std::string& token) {
  std::shared_ptr<Screen> s = Find(id, token);
  std::lock_guard lock(mutex_);
  return s->job;
}

void ScreenSessions::Close(const std::string& id, const std::string& token) {
  std::shared_ptr<Screen> s = Find(id, token);
  {
    std::lock_guard lock(mutex_);
    screens_.erase(id);
  }
  Discard(s);
}

void ScreenSessions::Discard(std::shared_ptr<Screen> screen) {
  {
    std::lock_guard lock(mutex_);
    if (screen->job) {
      screen->job->RequestStop();
      platform_.CancelPrint(screen->ticket);
      screen->job.reset();  // its folder goes with the last holder: here, or the print ending
    }
  }
  platform_.Post([screen] { screen->param.reset(); });
}

void ScreenSessions::Sweep(std::chrono::steady_clock::time_point now) {
  std::vector<std::shared_ptr<Screen>> idle;
  {
    std::lock_guard lock(mutex_);
    for (auto it = screens_.begin(); it != screens_.end();) {
      Screen& s = *it->second;
      if (now - s.last_seen >= kIdleLimit) {
        idle.push_back(it->second);
        it = screens_.erase(it);
        continue;
      }
      if (s.job && s.job->Ended() && now - s.job->EndedAt() >= kFilesLimit) s.job.reset();
      ++it;
    }
  }
  for (auto& s : idle) Discard(s);
}

}  // namespace stock::serve
