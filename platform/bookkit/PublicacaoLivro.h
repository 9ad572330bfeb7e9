#pragma once
// TnPublicacaoLivro: ties the record of printed book periods to the publication of the file
// that holds those pages, so that after any failure either both exist or neither does.
//
// The host opens one around a print that writes a file:
//   TnPublicacaoLivro publicacao;   // current on this thread from here
//   PublishGate gate([&] { publicacao.Confirmar(); });   // run by the file's commit
//   ... run the report; TnDMControleLivro::InserirPeriodoBanco hands its open transaction here
//   device.Finish();   // file complete and closed, periods committed, file renamed into place
//   publicacao.Confirmar();   // for a device without a file; nothing left to do otherwise
// Leaving the scope without Confirmar (an error, a stop, no file written) undoes the writes.
//
// Order: the periods are committed first, once the file is complete and closed, and the file
// is renamed into place right after. A failed commit discards the file (neither exists). All
// that separates the two is the rename itself: a process killed in that instant leaves the
// period recorded and the complete file under its temporary name beside the output path
// ("<saída>.tmp-XXXXXX"); printing the same months again mends it. The opposite order would
// leave a published book whose pages the control does not know for the whole length of the
// commit.

#include <memory>
#include <vector>

class TnTransacao;

class TnPublicacaoLivro {
 public:
  // Becomes the current publication of this thread; the previous one (if any) is current
  // again when this one ends.
  TnPublicacaoLivro();
  // Undoes every transaction not confirmed. Never throws.
  ~TnPublicacaoLivro();
  TnPublicacaoLivro(const TnPublicacaoLivro&) = delete;
  TnPublicacaoLivro& operator=(const TnPublicacaoLivro&) = delete;

  // Commits the transactions handed over, in order; does nothing when there are none. Raises
  // Exception ("Não foi possível registrar o período no controle de livros: ...") when a
  // commit fails; the rest are undone.
  void Confirmar();

  // Undoes the transactions handed over. Never throws.
  void Desfazer() noexcept;

  // True while transactions wait for Confirmar.
  bool TemPendencias() const { return !pendentes_.empty(); }

  // The current publication of this thread, or nullptr.
  static TnPublicacaoLivro* Atual();

  // For TnDMControleLivro: keeps an open transaction until Confirmar or Desfazer.
  void Adotar(std::unique_ptr<TnTransacao> transacao);

 private:
  std::vector<std::unique_ptr<TnTransacao>> pendentes_;
  TnPublicacaoLivro* anterior_;
};
