#pragma once
// TnPublicacaoLivro: ties the record of printed book periods to the publication of the file
// that holds those pages, so that after any failure either both exist or neither does.
//
// The host opens one around a print that writes a file:
//   TnPublicacaoLivro publicacao;   // current on this thread from here
//   ... run the report; TnDMControleLivro::InserirPeriodoBanco hands its open transaction here
//   device.Finish();                // the file is renamed into place
//   publicacao.Confirmar();         // now the periods are committed
// Leaving the scope without Confirmar (an error, a stop, no file written) undoes the writes.
//
// Order: the file is published first, the database is committed right after. The writes are
// all done (and the write lock held) before the file is renamed, so what remains after the
// rename is the commit alone; a process killed in that short window leaves the file published
// and the period unrecorded, which a run over the same months mends. The opposite order would
// leave a recorded period without its file.

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

  // Commits the transactions handed over, in order. Call once the output file is in place.
  // Raises Exception ("O arquivo foi gravado, mas o período não foi registrado no controle de
  // livros: ...") when a commit fails; the rest are undone.
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
