#pragma once
// ScreenSessions: the parameter screens open in browsers, each with its page token, its
// report instance (on the platform thread) and its latest print. Safe to call from any web
// request thread.
//
// A screen is closed when its page says so, or after an hour without a request; a print's
// files go when its screen closes, when the screen prints again, or an hour after it ended.

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
  bool exists = false;   // false before the first print
  JobView job;
  int ahead = 0;         // prints before this one in line
  std::string error_field;  // the field the error is about, if any
};

class ScreenSessions {
 public:
  static constexpr int kMaxScreens = 32;
  static constexpr std::chrono::minutes kIdleLimit{60};

  // REQUIRES: platform outlives this object.
  explicit ScreenSessions(PlatformThread& platform);
  // Closes every screen.
  ~ScreenSessions();

  struct Opened {
    std::string id, token;
  };
  // Opens the parameter screen of `report`. Raises Exception for an unknown report, or when
  // too many screens are open.
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
  PrintView Status(const std::string& id, const std::string& token);
  void Stop(const std::string& id, const std::string& token);
  // False when that question is not waiting or the button does not exist.
  bool Answer(const std::string& id, const std::string& token, int dialog, int button);
  // The screen's print, to serve its files (kept alive while they are sent).
  std::shared_ptr<PrintJob> Job(const std::string& id, const std::string& token);
  void Close(const std::string& id, const std::string& token);

  // Closes screens idle for kIdleLimit and drops prints ended that long ago, as of `now`.
  void Sweep(std::chrono::steady_clock::time_point now);

  int OpenCount() const;

 private:
  struct Screen;
  std::shared_ptr<Screen> Find(const std::string& id, const std::string& token);
  void Discard(std::shared_ptr<Screen> screen);
  ScreenView ViewOf(const Screen& screen) const;

  PlatformThread& platform_;
  mutable std::mutex mutex_;
  std::map<std::string, std::shared_ptr<Screen>> screens_;
};

// 32 hexadecimal digits from the system's random source.
std::string RandomToken();

}  // namespace stock::serve
