#pragma once
// TnTransacao: a transaction for the length of a scope. It is undone when the scope ends
// without Confirmar (an exception, an early return), so a write is all or nothing.

class TnConexao;

class TnTransacao {
 public:
  // Begins a transaction on `conexao`; with `escrita` it takes the write lock at once
  // (TnConexao::IniciarTransacaoEscrita). REQUIRES: no transaction open on it.
  explicit TnTransacao(TnConexao& conexao, bool escrita = false);
  // Undoes the transaction unless it was confirmed. Never throws.
  ~TnTransacao();
  TnTransacao(const TnTransacao&) = delete;
  TnTransacao& operator=(const TnTransacao&) = delete;

  // Commits. Raises Exception with the database's message when the commit fails (the
  // transaction is then undone by the destructor).
  void Confirmar();

 private:
  TnConexao& conexao_;
  bool ativa_ = true;
};
