#include "basekit/MessageDlg.h"

#include "rtl/Exception.h"

namespace {

DialogHandler& Handler() {
  static DialogHandler handler;
  return handler;
}

}  // namespace

DialogHandler SetDialogHandler(DialogHandler handler) {
  DialogHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

bool IsNotice(const DialogRequest& request) { return request.buttons.size() == 1; }

std::string NoticeLine(const DialogRequest& request) {
  return (request.type == mtError ? "Erro: " : "Aviso: ") + request.text;
}

int nMessageDlg(const std::string& text, TMsgDlgType type, const std::vector<std::string>& buttons,
                int highest_index, int default_button, int cancel_button, int help_context) {
  if (!Handler()) throw Exception("Nenhuma resposta disponível para a pergunta: " + text);
  DialogRequest request{text,           type,          buttons,     highest_index,
                        default_button, cancel_button, help_context};
  // Call a copy: the handler may install another one while it runs.
  DialogHandler handler = Handler();
  int answer = handler(request);
  if (answer < 0 || static_cast<size_t>(answer) >= buttons.size()) {
    throw Exception("Resposta inválida (" + std::to_string(answer) + ") para a pergunta: " + text);
  }
  return answer;
}
