#include "bookkit/PublicacaoLivro.h"

#include "basekit/Transacao.h"
#include "rtl/Exception.h"

namespace {
thread_local TnPublicacaoLivro* atual = nullptr;
}  // namespace

TnPublicacaoLivro::TnPublicacaoLivro() : anterior_(atual) { atual = this; }

TnPublicacaoLivro::~TnPublicacaoLivro() {
  Desfazer();
  atual = anterior_;
}

void TnPublicacaoLivro::Confirmar() {
  std::vector<std::unique_ptr<TnTransacao>> pendentes;
  pendentes.swap(pendentes_);
  for (auto& transacao : pendentes) {
    try {
      transacao->Confirmar();
    } catch (const Exception& e) {
      // The remaining transactions are undone as `pendentes` goes away.
      throw Exception("Não foi possível registrar o período no controle de livros: " + e.Message());
    }
  }
}

void TnPublicacaoLivro::Desfazer() noexcept {
  // Each transaction undoes itself when destroyed unconfirmed; the newest goes first.
  while (!pendentes_.empty()) pendentes_.pop_back();
}

TnPublicacaoLivro* TnPublicacaoLivro::Atual() { return atual; }

void TnPublicacaoLivro::Adotar(std::unique_ptr<TnTransacao> transacao) {
  pendentes_.push_back(std::move(transacao));
}
