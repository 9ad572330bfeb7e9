#pragma once
// TnDMControleLivro: the legal numbering of one book of a company's establishment (book type 11
// is the inventory register): which book and page each printed page carries, the book's print
// settings, and the record of the periods printed.
//
// Tables (one book = company, establishment, book type):
//   CONTROLELIVRO   settings: INCLIVROMES (months, "1;7", at whose start a new book begins),
//                   FRENTEVERSO, TIPOIMPNUMERACAO, LIMITEFOLHAS, LEGENDAFOLHA. Without a row the
//                   defaults apply: no book-starting month, one side, numbers on every page,
//                   limit 500, caption "Folha".
//   LIVRONUMERACAO  numbering implanted: from DATAIMPLANTACAO on, the book continues at book
//                   NUMLIVRO after page ULTIMAFOLHA (0: the book is new).
//   LIVROPERIODO    periods printed, each with the book and page of its last page.
//
// Where the numbering of a run starts (S = the bound start date, whole day): the newer of
//   - the latest printed period that ended before S (DATAFINAL < S), and
//   - the latest implantation at or before S (DATAIMPLANTACAO <= S); an implantation wins over
//     a period that ended on or before its date;
// and book 1 with no page used when there is neither. Periods on or after S never count, so a
// run printed again over the same months numbers its pages exactly as the first time.
//
// Typical use by a report (the control releases nothing the caller owns):
//   std::unique_ptr<TnDMControleLivro> livro = CriarControleLivro();
//   livro->SetTipoLivro(11); livro->SetCodigoEmpresa(1); livro->SetCodigoEstab(1);
//   livro->SetDataInicial(inicio); livro->SetDataFinal(fim);
//   for each numbered page: livro->PegarLivroFolha(numLivro, numFolha, fimDoPeriodo);
//   at the end, to record it: livro->InserirPeriodoBanco(comTermos);
//
// Not thread-safe: one control belongs to one run on one thread.

#include <memory>
#include <string>
#include <vector>

#include "rtl/DateTime.h"
#include "rtl/TObject.h"

class TnConexao;

class TnDMControleLivro : public TObject {
 public:
  // A control over `conexao` (the default connection when nullptr; it must outlive the
  // control). Reads nothing until a getter or PegarLivroFolha needs it.
  explicit TnDMControleLivro(TnConexao* conexao = nullptr);
  ~TnDMControleLivro() override;
  TnDMControleLivro(const TnDMControleLivro&) = delete;
  TnDMControleLivro& operator=(const TnDMControleLivro&) = delete;

  std::string ClassName() const override;

  // Bind the control to a book and a period. Changing any of them forgets what was read and
  // the pages taken so far. REQUIRES: SetDataInicial <= SetDataFinal by the first
  // PegarLivroFolha (the time of day is ignored).
  void SetCodigoEmpresa(int codigo);
  void SetCodigoEstab(int codigo);
  void SetTipoLivro(int tipo);
  void SetDataInicial(TDateTime data);
  void SetDataFinal(TDateTime data);

  int GetCodigoEmpresa() const { return empresa_; }
  int GetCodigoEstab() const { return estab_; }
  int GetTipoLivro() const { return tipo_; }
  TDateTime GetDataInicial() const { return data_inicial_; }
  TDateTime GetDataFinal() const { return data_final_; }

  // The book and page of the page now beginning, for a page of the period ending on `data`.
  // The first call continues where the numbering starts (above); every call adds one page.
  // A new book opens at page 1 when the page would pass the page limit (a limit below 1 means
  // no limit), or when `data` falls in a later month than the previous page (or than the
  // period the numbering continues from) and that month is listed in INCLIVROMES; a book with
  // no page used yet is never closed by a month. The values passed in are ignored.
  // Raises Exception with the database's message when the tables cannot be read.
  void PegarLivroFolha(int& livro, int& folha, TDateTime data);

  // True when the numbering of the bound book is recorded: an implantation at or before the
  // start date, or a printed period that ended before it. False means the run numbers from
  // book 1, page 1.
  bool GetExisteNumeracaoLivro();

  // Settings of the bound book (CONTROLELIVRO, or the defaults above).
  bool GetImpressaoTodasPaginas();  // TIPOIMPNUMERACAO 0: numbers on every page
  bool GetFrenteVerso();            // FRENTEVERSO 1: pages printed front and back
  int GetLimiteFolhas();            // LIMITEFOLHAS: the page number at which a book is full
  std::string GetLegendaFolha();    // LEGENDAFOLHA: caption printed before the page number

  // Records what this control numbered, in one transaction that first takes the database's
  // write lock (a second run updating a book at the same time waits for it, up to the
  // connection's busy timeout, then fails with "O controle de livros está em uso por outra
  // impressão..."):
  //   - removes the book's LIVROPERIODO rows that overlap the period recorded now, so a second
  //     run over the same months replaces the rows of the first instead of doubling them;
  //   - adds one LIVROPERIODO row per period end passed to PegarLivroFolha (the first from the
  //     start date, the last up to the later of the end date and the last period end), each
  //     with the book and page of its last numbered page; with `com_termos` the last row
  //     counts one page more, the page of the closing term (COMTERMOS 1);
  //   - when GetExisteNumeracaoLivro is false, implants the default numbering (book 1, page 0)
  //     at the start date, so that the next run finds it.
  // Before writing it checks, under the lock, that recording keeps every page's number
  // unique, else it writes nothing and raises Exception:
  //   - the numbering it started from is still the latest ("A numeração do livro foi alterada
  //     por outra impressão ..."): another run recorded the months before it meanwhile;
  //   - the first period recorded after its months continued from a period it replaces, or
  //     from numbering implanted after its months at or after its last page (book 1, page 0
  //     implanted by default does not qualify) ("Um período posterior deste livro foi
  //     registrado por outra impressão sem contar as páginas deste ..."): otherwise that later
  //     period was numbered without these pages (a run of the next months that finished
  //     first, or months printed out of order); printing these months together with the later
  //     ones mends it.
  // Two runs over the same months need no check: the later one replaces the earlier's rows.
  //
  // Publishing: when a TnPublicacaoLivro is active on this thread (the host opens one around a
  // print that writes a file), the transaction is handed to it and stays open, holding the
  // write lock: it is committed once the output file is complete, right before the file is
  // renamed into place, and undone when the print fails, is stopped, or writes no file. The
  // period is thus recorded only with its file. Without an active publication the transaction
  // is committed here. Raises Exception (nothing written) on any database error.
  // REQUIRES: no transaction open on the connection.
  void InserirPeriodoBanco(bool com_termos);

 private:
  struct Configuracao;
  struct Numeracao;
  struct PeriodoNumerado {
    TDateTime data_final;
    int livro;
    int folha;
  };

  static void LerOrigem(TnConexao& conexao, int empresa, int estab, int tipo, TDateTime inicio,
                        Numeracao* numeracao);
  TnConexao& Conexao() const;
  void Esquecer();
  const Configuracao& LerConfiguracao();
  const Numeracao& LerNumeracao();
  bool MesIniciaLivro(int mes);
  bool PeriodoPosteriorIgnoraEste(TnConexao& conexao, TDateTime fim, int livro, int folha);

  TnConexao* conexao_;
  int empresa_ = 0;
  int estab_ = 0;
  int tipo_ = 0;
  TDateTime data_inicial_ = 0;
  TDateTime data_final_ = 0;

  std::unique_ptr<Configuracao> configuracao_;
  std::unique_ptr<Numeracao> numeracao_;
  // Pages taken: the current book and page, the month (year * 12 + month - 1) of the last
  // page or of the numbering's origin (-1 when unknown), and one entry per period end.
  bool iniciado_ = false;
  int livro_ = 1;
  int folha_ = 0;
  int mes_ = -1;
  std::vector<PeriodoNumerado> periodos_;
};

// A new control bound to nothing, over the default connection. OWNERSHIP: the caller's.
std::unique_ptr<TnDMControleLivro> CriarControleLivro();
