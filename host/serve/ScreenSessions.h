#pragma once
// ScreenSessions: the parameter screens open in browsers, each with its page token, its
// report instance (on the platform thread) and its latest print. Safe to call from any web
// request thread.
//
// A screen is opened by its page and kept by the page's requests (it calls at least every
// few seconds while open): it is closed when its page says so, or after kIdleLimit without
// a request (a browser that quit). When kMaxScreens are open, a new screen replaces the one
// idle longest that has no print running or waiting. A print's files go when its screen
// closes, when the screen prints again, or kFilesLimit after it ended.

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/serve/ParamScreen.h"
#include "host/serve/PrintJob.h"
#include "rtl/Exception.h"

namespace stock::serve {

class PlatformThread;

// Raised for a screen that is not open (closed, expired or never opened) or whose token does
// not match: the web layer answers 404 or 403.
class ScreenNotFound : public Exception {
 public:
  using Exception::Exception;
};
class ScreenForbidden : public Exception {
 public:
  using Exception::Exception;
};

// What a screen's page is shown.
struct ScreenView {
  std::string report, title;
  std::vector<ScreenField> fields;
  std::map<std::string, std::string> errors;
};

// A screen's print as the page polls it.
struct PrintView {
  bool exists = false;  // false before the first print
  JobView job;
  int ahead = 0;            // prints before this one in line
  bool ahead_asks = false;  // the print running (another screen's) waits for an answer
  std::string error_field;  // the field the error is about, if any
  std::string file_name;    // the name the PDF is offered under
};

class ScreenSessions {
 public:
  static constexpr int kMaxScreens = 32;
  static constexpr std::chrono::seconds kIdleLimit{60};
  static constexpr std::chrono::minutes kFilesLimit{60};

  // REQUIRES: platform outlives this object. A print's question waits `answer_limit` at most.
  explicit ScreenSessions(PlatformThread& platform,
                          std::chrono::milliseconds answer_limit = PrintJob::kAnswerLimit);
  // Closes every screen.
  ~ScreenSessions();

  struct Opened {
    std::string id, token;
  };
  // Opens the parameter screen of `report`, replacing the screen idle longest when
  // kMaxScreens are open. Raises Exception for an unknown report, or when every open screen
  // has a print running or waiting.
  Opened Open(const std::string& report);

  // The operations below raise ScreenNotFound / ScreenForbidden for a bad id or token, and
  // count as activity of the screen.
  ScreenView View(const std::string& id, const std::string& token);
  // kind: "entrar", "alterar" (with `value`) or "sair". Raises Exception for another kind or
  // a field that is not an input of the report.
  ScreenView Event(const std::string& id, const std::string& token, const std::string& kind,
                   const std::string& field, const std::string& value);
  // Queues a print of the screen's current values. Raises Exception while a print of this
  // screen runs or waits, or while a field has an error.
  void Print(const std::string& id, const std::string& token);
  // The screen's print; while it runs, waits up to `wait` for its state to change first.
  PrintView Status(const std::string& id, const std::string& token,
                   std::chrono::milliseconds wait = std::chrono::milliseconds(0));
  void Stop(const std::string& id, const std::string& token);
  // False when that question is not waiting or the button does not exist.
  bool Answer(const std::string& id, const std::string& token, int dialog, int button);
  // The preview of page `page` of the screen's print, drawn on the platform thread when it
  // was not yet; nullopt when there is none.
  std::optional<std::filesystem::path> Preview(const std::string& id, const std::string& token,
                                               int page);
  // The codes and names field `field` is chosen from (its lookup in the database).
  std::vector<ParamChoice> Lookup(const std::string& id, const std::string& token,
                                  const std::string& field);
  // The screen's print, to serve its files (kept alive while they are sent).
  std::shared_ptr<PrintJob> Job(const std::string& id, const std::string& token);
  void Close(const std::string& id, const std::string& token);

  // Closes screens idle for kIdleLimit and drops prints ended kFilesLimit ago, as of `now`.
  void Sweep(std::chrono::steady_clock::time_point now);

  int OpenCount() const;

 private:
  struct Screen;
  std::shared_ptr<Screen> Find(const std::string& id, const std::string& token);
  void Discard(std::shared_ptr<Screen> screen);
  ScreenView ViewOf(const Screen& screen) const;

  PlatformThread& platform_;
  const std::chrono::milliseconds answer_limit_;
  mutable std::mutex mutex_;
  std::map<std::string, std::shared_ptr<Screen>> screens_;
};

// 32 hexadecimal digits from the system's random source.
std::string RandomToken();

}  // namespace stock::serve
