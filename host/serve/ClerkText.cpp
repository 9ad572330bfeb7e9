#include "host/serve/ClerkText.h"

#include <ctime>
#include <iostream>
#include <mutex>

namespace stock::serve {

std::string ClerkError(const std::string& message) {
  const size_t sql = message.find("\nSQL:");
  if (sql == std::string::npos) return message;
  {
    static std::mutex log;
    std::lock_guard lock(log);
    char when[32] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
    std::cerr << when << " erro de banco de dados numa tela: " << message << std::endl;
  }
  std::string text = message.substr(0, sql);
  const std::string prefix = "Erro de banco de dados: ";
  if (text.rfind(prefix, 0) == 0) text = text.substr(prefix.size());
  while (!text.empty() && (text.back() == '.' || text.back() == ' ' || text.back() == '\n'))
    text.pop_back();
  return "Não foi possível ler o banco de dados (" + text +
         "). O comando que falhou foi gravado no registro do servidor.";
}

}  // namespace stock::serve
