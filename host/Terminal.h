#pragma once
// What the command-line host does at the terminal: the progress bar, Ctrl-C as a request to
// stop, and answers to the reports' questions.

#include <string>

#include "basekit/MessageDlg.h"
#include "reportkit/ReportDocument.h"

namespace stock::host {

// How questions are answered: from the terminal, or always yes / always no.
enum class Answers { Ask, Yes, No };

// Installs a SIGINT handler that records a stop request (a second Ctrl-C ends the process)
// and restores the previous handler when destroyed.
class StopOnInterrupt {
 public:
  StopOnInterrupt();
  ~StopOnInterrupt();
  StopOnInterrupt(const StopOnInterrupt&) = delete;
  StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;

  static bool Requested();
};

// A progress handler: draws a bar on stderr when it is a terminal and answers true once a stop
// was requested.
ProgressHandler MakeProgress(const std::string& report);

// Clears the progress bar line, if one was drawn.
void EndProgress();

// The button that answers `request` as --yes (Yes) or --no (No) would: the first "Sim"/"OK"
// button (else the first), or the first "Não"/"Cancelar" button (else the last).
// REQUIRES: answers is Yes or No.
int FixedAnswer(const DialogRequest& request, Answers answers);

// The dialog handler for `answers`. A notice (one button: a warning or an error) is never
// asked: its line ("Aviso: ..." / "Erro: ...") goes to standard error and its only button is
// the answer, whatever `answers` says. A question is answered by --yes / --no; with Ask it is
// read from the terminal, and without a terminal Exception tells to use --yes or --no.
DialogHandler MakeDialogHandler(Answers answers);

}  // namespace stock::host
