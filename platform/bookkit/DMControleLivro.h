#pragma once
// TnDMControleLivro: the legal numbering of one book of a company's establishment (book type 11
// is the inventory register): which book and page each printed page carries, term pages
// included, the book's print settings, and the record of the periods printed.
//
// Tables (one book = company, establishment, book type):
//   CONTROLELIVRO   settings: INCLIVROMES (months, "1;7", at whose start a new book begins;
//                   blanks ignored), FRENTEVERSO, TIPOIMPNUMERACAO, LIMITEFOLHAS, LEGENDAFOLHA.
//                   Without a row the defaults apply: no book-starting month, one side,
//                   numbers on every page, limit 500, caption "Folha".
//   LIVRONUMERACAO  starting points: from DATAIMPLANTACAO on, the book continues at book
//                   NUMLIVRO after page ULTIMAFOLHA (0: the book is new).
//   LIVROPERIODO    periods printed, each with the book and page of its last numbered page;
//                   COMTERMOS 1 when that page is the book's closing term (the book is closed).
//
// The rules a book keeps, over every recorded run in the order they were made:
//   - Term pages are pages of the book. An opening term takes the book's first number (1, or
//     a starting point's page + 1); in a front-and-back book its back is blank and takes the
//     next number when every page is numbered. A closing term takes the next number after the
//     book's last page and closes the book: the next page, in this run or a later one, opens
//     the next book.
//   - Numbers follow each other by one inside a book. With numbers on every other page only
//     the first page of each sheet carries one (the pages of a book alternate numbered and
//     not, starting with a numbered one).
//   - A book is full once its page number reaches the page limit (below 1: no limit) at the
//     end of a sheet: a front-and-back book never shares a sheet with the next book.
//   - A new book begins at a period that begins in a month listed in INCLIVROMES, later than
//     the month the numbering continues from, when the book has pages; and at a period that
//     a starting point dated between the end of the previous period and its start names.
//   - Where a run starts (S = its first day): the newer of the latest printed period that
//     ended before S and the latest starting point at or before S (a starting point wins over
//     a period that ended on or before its date); book 1 with no page used when there is
//     neither. Periods on or after S never count, so a run printed again over the same months
//     numbers its pages exactly as the first time.
//
// Typical use by a report (the control releases nothing the caller owns):
//   std::unique_ptr<TnDMControleLivro> livro = CriarControleLivro();
//   livro->SetTipoLivro(11); livro->SetCodigoEmpresa(1); livro->SetCodigoEstab(1);
//   livro->SetDataInicial(inicio); livro->SetDataFinal(fim);
//   livro->VerificarPeriodosRegistrados(inicio, fimDoUltimoPeriodo);
//   for each period: livro->IniciarPeriodo(inicioDoPeriodo, fimDoPeriodo);
//     for each page: TnFolhaLivro f = livro->PegarFolha(TnPaginaLivro::Corpo);
//   at the end, to record it: livro->InserirPeriodoBanco(comTermos);
//
// Not thread-safe: one control belongs to one run on one thread.

#include <memory>
#include <string>
#include <vector>

#include "rtl/DateTime.h"
#include "rtl/TObject.h"

class TnConexao;

// What a printed page is to the book.
enum class TnPaginaLivro {
  Corpo,              // a page of the book's content (items, an empty period, a blank filler)
  TermoAbertura,      // the opening term: the book's first page
  VersoAbertura,      // the blank back of the opening term in a front-and-back book
  TermoEncerramento,  // the closing term: the book's last page
  ForaDoLivro,        // the blank back of a closing term: a page of no book, never numbered
};

// The numbers a page carries. `numerada` false: the page shows neither (livro and folha then
// hold the book's last numbers).
struct TnFolhaLivro {
  int livro = 0;
  int folha = 0;
  bool numerada = false;
};

class TnDMControleLivro : public TObject {
 public:
  // A control over `conexao` (the default connection when nullptr; it must outlive the
  // control). Reads nothing until a getter or a page needs it.
  explicit TnDMControleLivro(TnConexao* conexao = nullptr);
  ~TnDMControleLivro() override;
  TnDMControleLivro(const TnDMControleLivro&) = delete;
  TnDMControleLivro& operator=(const TnDMControleLivro&) = delete;

  std::string ClassName() const override;

  // Bind the control to a book and a span. Changing any of them forgets what was read and
  // the pages taken so far. REQUIRES: SetDataInicial <= SetDataFinal by the first page (the
  // time of day is ignored).
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

  // Refuses, before anything is printed, a span [inicio, fim] (whole days: the first and the
  // last period of the run) that would reprint part of a recorded period: a recorded row that
  // begins before `inicio` and ends on or after it, or begins inside the span and ends after
  // `fim`. Its numbers cannot be kept, and a recorded row is never deleted to make room.
  // Raises Exception naming the row and the span to print instead.
  void VerificarPeriodosRegistrados(TDateTime inicio, TDateTime fim);

  // A period of the run begins: its pages follow. Applies a starting point dated from the
  // previous period's end to `inicio`, and decides whether a listed month begins a new book
  // here. Periods must be given in order, without overlap. The first page of a period that
  // was not begun begins one from the day after the previous period (or the start date) to
  // the page's date.
  void IniciarPeriodo(TDateTime inicio, TDateTime fim);

  // True when the next page cannot go into the current book: it was closed by its closing
  // term, a listed month or a starting point begins a new book at this period, or it is full
  // and the next page begins a sheet. The next content page or opening term opens the next
  // book (the starting point's, when one is due).
  bool DeveTrocarLivro();

  // True when the current book has pages printed (in this run or a recorded earlier one) and
  // is not closed: a run with terms prints no opening term for it, and closes it with its
  // closing term before a new book begins.
  bool GetLivroAberto();

  // True when the current book is open and was begun by an earlier run (its pages continue a
  // recorded period): gives the first day of its first recorded period and the last day of its
  // last, the span its closing term states with this run's. False when the book began here.
  bool LivroRegistrado(TDateTime& inicio, TDateTime& fim);

  // True when the next page is the second of a sheet: the book is printed front and back, or
  // numbered on every other page, and the last page taken began a sheet. A new book begins
  // only on a sheet of its own.
  bool ProximaEhMeiaFolha();

  // True when the book is printed front and back and the next page is the back of a sheet.
  bool ProximaEhVerso();

  // Takes the next page of the run, of kind `tipo`, and gives its numbers. The page belongs
  // to the period last begun (a closing term taken before the first page of a period belongs
  // to the previous one: it ends the book there). REQUIRES: an opening term or a closing term
  // begins a sheet (!ProximaEhVerso()); VersoAbertura right after TermoAbertura; ForaDoLivro
  // right after TermoEncerramento.
  TnFolhaLivro PegarFolha(TnPaginaLivro tipo);

  // The book and page of the content page now beginning, for a page of the period ending on
  // `data` (beginning that period when it was not begun). The values passed in are ignored.
  // With numbers on every other page, a page without numbers gives the last numbers used.
  // Raises Exception with the database's message when the tables cannot be read.
  void PegarLivroFolha(int& livro, int& folha, TDateTime data);

  // True when the numbering of the bound book is recorded: a starting point at or before the
  // start date, or a printed period that ended before it. False means the run numbers from
  // book 1, page 1.
  bool GetExisteNumeracaoLivro();

  // Settings of the bound book (CONTROLELIVRO, or the defaults above).
  bool GetImpressaoTodasPaginas();  // TIPOIMPNUMERACAO 0: numbers on every page
  bool GetFrenteVerso();            // FRENTEVERSO 1: pages printed front and back
  int GetLimiteFolhas();            // LIMITEFOLHAS: the page number at which a book is full
  std::string GetLegendaFolha();    // LEGENDAFOLHA: caption printed before the page number

  // Refuses pages that would give a page of a later recorded period a second number: the
  // first recorded period after the run's last period was numbered from somewhere, and unless
  // that was a starting point dated after the run, it must have been from the run's last
  // period with the same book, page and closing state that this run reached. Raises
  // Exception naming the later period and the span to print instead ("... imprima de ... a
  // ..."). Call it once the pages are taken: a run with terms calls it at the end of its
  // counting pass, before anything is printed for real.
  void VerificarPeriodosPosteriores();

  // Records what this control numbered, in one transaction that first takes the database's
  // write lock (a second run updating a book at the same time waits for it, up to the
  // connection's busy timeout, then fails with "O controle de livros está em uso por outra
  // impressão..."):
  //   - removes the book's LIVROPERIODO rows inside the span recorded now, so a second run
  //     over the same months replaces the rows of the first instead of doubling them;
  //   - adds one LIVROPERIODO row per period begun, each with the book and page of its last
  //     numbered page, term pages included, and COMTERMOS 1 when that page is a closing term;
  //   - when GetExisteNumeracaoLivro is false, implants the default numbering (book 1, page 0)
  //     at the start date, so that the next run finds it.
  // `com_termos` tells whether the run printed its terms; the rows come from the pages taken.
  // Before writing it checks, under the lock, that the numbering it started from is still the
  // latest ("A numeração do livro foi alterada por outra impressão ...") and repeats the
  // checks of VerificarPeriodosRegistrados and VerificarPeriodosPosteriores, since another
  // run may have recorded periods meanwhile; else it writes nothing and raises Exception.
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
  struct Origem;
  struct PeriodoNumerado {
    TDateTime inicio, fim;
    int livro, folha;
    bool encerrado;
    int paginas;  // pages taken in the period (a closing term that ends the previous one aside)
  };

  static void LerOrigem(TnConexao& conexao, int empresa, int estab, int tipo, TDateTime inicio,
                        Origem* origem);
  TnConexao& Conexao() const;
  void Esquecer();
  const Configuracao& LerConfiguracao();
  const Origem& LerNumeracao();
  void Iniciar();
  bool MesIniciaLivro(int mes);
  bool Alinhado();
  bool EmFrente();
  bool Cheio();
  void NovoLivro();
  void VerificarPosteriores(TnConexao& conexao, TDateTime inicio, TDateTime fim, int livro,
                            int folha, bool encerrado);

  TnConexao* conexao_;
  int empresa_ = 0;
  int estab_ = 0;
  int tipo_ = 0;
  TDateTime data_inicial_ = 0;
  TDateTime data_final_ = 0;

  std::unique_ptr<Configuracao> configuracao_;
  std::unique_ptr<Origem> origem_;

  // The pages taken: the current book and its last number; whether it has pages printed
  // (aberto_) and was closed by its closing term (encerrado_); a new book due at the next page
  // (trocar_), with the starting point's book and page when one is due (proximo_livro_ > 0);
  // pages since the current book began or the run began (posicao_: even = the front of a
  // sheet); the day the month rule compares with; and one entry per period begun.
  bool iniciado_ = false;
  int livro_ = 1;
  int folha_ = 0;
  bool aberto_ = false;
  bool com_corpo_ = false;  // the current book holds a content page
  bool encerrado_ = false;
  bool trocar_ = false;
  int proximo_livro_ = 0;
  int proxima_folha_ = 0;
  int posicao_ = 0;
  TDateTime referencia_mes_ = 0;
  bool tem_referencia_ = false;
  std::vector<PeriodoNumerado> periodos_;
};

// A new control bound to nothing, over the default connection. OWNERSHIP: the caller's.
std::unique_ptr<TnDMControleLivro> CriarControleLivro();
