#include "host/Terminal.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace stock::host {

namespace {

std::atomic<bool> g_stop{false};
bool g_bar_drawn = false;
struct sigaction g_previous;

void OnInterrupt(int) {
  g_stop.store(true);
  signal(SIGINT, SIG_DFL);  // a second Ctrl-C ends the process
}

bool StartsWithAny(const std::string& caption, std::initializer_list<const char*> words) {
  const std::string upper = AnsiUpperCase(Trim(caption));
  for (const char* w : words) {
    if (upper.rfind(AnsiUpperCase(w), 0) == 0) return true;
  }
  return false;
}

int FindButton(const DialogRequest& request, std::initializer_list<const char*> words,
               int fallback) {
  for (size_t i = 0; i < request.buttons.size(); ++i) {
    if (StartsWithAny(request.buttons[i], words)) return static_cast<int>(i);
  }
  return fallback;
}

}  // namespace

StopOnInterrupt::StopOnInterrupt() {
  g_stop.store(false);
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &g_previous);
}

StopOnInterrupt::~StopOnInterrupt() { sigaction(SIGINT, &g_previous, nullptr); }

bool StopOnInterrupt::Requested() { return g_stop.load(); }

ProgressHandler MakeProgress(const std::string& report) {
  const bool terminal = isatty(STDERR_FILENO) != 0;
  return [terminal, report, last = -1](int done, int total) mutable {
    if (terminal && total > 0) {
      const int percent = static_cast<int>(100.0 * done / total);
      if (percent != last) {
        last = percent;
        const int filled = percent * 30 / 100;
        std::fprintf(stderr, "\r%s [%-30s] %3d%% (%d/%d)", report.c_str(),
                     std::string(filled, '#').c_str(), percent, done, total);
        std::fflush(stderr);
        g_bar_drawn = true;
      }
    }
    return StopOnInterrupt::Requested();
  };
}

void EndProgress() {
  if (g_bar_drawn) {
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    g_bar_drawn = false;
  }
}

int FixedAnswer(const DialogRequest& request, Answers answers) {
  const int last = static_cast<int>(request.buttons.size()) - 1;
  if (answers == Answers::Yes) return FindButton(request, {"Sim", "Yes", "OK", "Confirmar"}, 0);
  return FindButton(request, {"Não", "Nao", "No", "Cancelar"}, last < 0 ? 0 : last);
}

DialogHandler MakeDialogHandler(Answers answers) {
  return [answers](const DialogRequest& request) -> int {
    if (IsNotice(request)) {
      EndProgress();
      std::cerr << NoticeLine(request) << "\n" << std::flush;
      return 0;
    }
    if (answers != Answers::Ask) return FixedAnswer(request, answers);
    if (!isatty(STDIN_FILENO)) {
      throw Exception(
          "O relatório fez uma pergunta e não há terminal para respondê-la (use --yes ou --no): " +
          request.text);
    }
    EndProgress();
    std::cerr << "\n" << request.text << "\n";
    for (size_t i = 0; i < request.buttons.size(); ++i) {
      std::cerr << "  " << i + 1 << ") " << request.buttons[i] << "\n";
    }
    for (;;) {
      std::cerr << "Escolha [1-" << request.buttons.size() << "]: " << std::flush;
      std::string line;
      if (!std::getline(std::cin, line)) throw Exception("Pergunta sem resposta: " + request.text);
      try {
        const int choice = std::stoi(line);
        if (choice >= 1 && choice <= static_cast<int>(request.buttons.size())) return choice - 1;
      } catch (const std::exception&) {
      }
    }
  };
}

}  // namespace stock::host
