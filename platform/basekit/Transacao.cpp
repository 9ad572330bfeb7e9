#include "basekit/Transacao.h"

#include "basekit/Conexao.h"

TnTransacao::TnTransacao(TnConexao& conexao, bool escrita) : conexao_(conexao) {
  if (escrita) {
    conexao_.IniciarTransacaoEscrita();
  } else {
    conexao_.IniciarTransacao();
  }
}

TnTransacao::~TnTransacao() {
  if (!ativa_) return;
  try {
    if (conexao_.EmTransacao()) conexao_.Desfazer();
  } catch (...) {
    // Nothing sensible to do in a destructor: SQLite undoes an open transaction on close.
  }
}

void TnTransacao::Confirmar() {
  conexao_.Confirmar();
  ativa_ = false;
}
