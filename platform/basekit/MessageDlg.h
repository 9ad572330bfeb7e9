#pragma once
// The dialog service: questions and notices that a report puts to the user. The host decides
// how they are answered (a terminal prompt, --yes/--no, a test's script) by installing a
// handler; the report only learns which button was pressed.

#include <functional>
#include <string>
#include <vector>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

struct DialogRequest {
  std::string text;
  TMsgDlgType type = mtInformation;
  std::vector<std::string> buttons;  // captions, in the order shown
  int highest_index = 0;             // index of the last caption the caller counts
  int default_button = 0;            // the three further integers, passed through as given
  int cancel_button = 0;
  int help_context = 0;
};

using DialogHandler = std::function<int(const DialogRequest&)>;

// True when `request` only tells something and has nothing to ask: a dialog with a single
// button (a warning, an error, a piece of information). Its answer can only be that button.
bool IsNotice(const DialogRequest& request);

// The text of a notice as a line for the user: "Erro: <text>" for an error dialog,
// "Aviso: <text>" for any other.
std::string NoticeLine(const DialogRequest& request);

// Shows `text` with the given buttons through the installed handler and returns the 0-based
// index of the button pressed. Raises Exception "Nenhuma resposta disponível para a pergunta:
// <text>" when no handler is installed, and Exception when the handler answers an index that
// is not one of the buttons.
int nMessageDlg(const std::string& text, TMsgDlgType type, const std::vector<std::string>& buttons,
                int highest_index, int default_button, int cancel_button, int help_context);

// Installs `handler` (an empty function removes it). Returns the handler it replaces.
DialogHandler SetDialogHandler(DialogHandler handler);

// Installs a handler for the length of a scope and puts the previous one back at its end.
class DialogHandlerGuard {
 public:
  explicit DialogHandlerGuard(DialogHandler handler)
      : previous_(SetDialogHandler(std::move(handler))) {}
  ~DialogHandlerGuard() { SetDialogHandler(std::move(previous_)); }
  DialogHandlerGuard(const DialogHandlerGuard&) = delete;
  DialogHandlerGuard& operator=(const DialogHandlerGuard&) = delete;

 private:
  DialogHandler previous_;
};
