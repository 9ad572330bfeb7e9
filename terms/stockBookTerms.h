#pragma once
// TstockBookTerms: the opening ("A B E R T U R A") and closing ("E N C E R R A M E N T O")
// terms of the inventory book, one set per selected company and establishment. The wording of
// a term and the company's registration data come from the definition's user functions
// "gemVTextoTermo" and "gemVDadosTermo"; the page word from CFGEMPRESAGEM and the
// front-and-back setting from CONTROLELIVRO (book type 11). Each opening term of a book printed
// front and back is followed by a blank verso page. The register book prints these terms inside
// itself by filling the same parameters on the definition.
//
// Sections: see TstockBookTerms::Secao.

#include <cstdint>
#include <string>

#include "datakit/StringArray.h"
#include "reportkit/BaseDll.h"

class TDataSet;

class TstockBookTerms : public TnrwBaseDll {
 public:
  explicit TstockBookTerms(TnrwReport* rep);
  ~TstockBookTerms() override;

  std::string Versao() override;
  void ImprimirInterno() override;

  // The page word of the book line from a DESCRFOLHALIVRO text: the first letter upper-case,
  // the rest lower-case, every trailing "s" removed ("FOLHAS" -> "Folha", "ss" -> "").
  static std::string DescricaoFolha(const std::string& texto);
  // " " followed by 26 ". ": the dotted leader of a registration legend.
  static std::string Pontilhado();
  // The place of the place-and-date line: piece 7 + " (" + piece 13 + "), "; empty when there
  // are no pieces. A piece the text does not have counts as empty.
  static std::string MontarLocal(const TnStringArray& pecas);

 private:
  // The definition's sections, by their numbers there.
  enum class Secao : int {
    Termo = 8,          // the term: title, book line, company, registrations, text
    Registro = 9,       // one registration line
    LocalData = 10,     // the place and date
    Socio = 11,         // a partner's or director's signature
    Contador = 12,      // the accountant's signature
    BrancoInicio = 13,  // the lines of the blank page above its message
    BrancoAviso = 14,   // "E M     B R A N C O"
    BrancoFim = 15,     // the lines below it
  };
  // pTermo: which terms print.
  enum class TipoTermo : int { Abertura = 1, Encerramento = 2, Ambos = 3 };
  void Imprimir(Secao secao);
  // The page word of company `empresa` (CFGEMPRESAGEM.DESCRFOLHALIVRO; "Folha" when null).
  std::string PalavraFolha(int64_t empresa) const;
  // Checks the parameters before anything is read or printed and keeps the dates written
  // dd/mm/aaaa. Raises Exception naming the parameter by its screen label, what it accepts and
  // an example, for: a date that is empty or no date, a start after the end, a page count
  // that is empty, zero or negative, a book number below 1, and a signature setting or
  // accountant code that is no integer. While the pass only counts pages, the page count and
  // the book number may still be unknown (empty or 0). False, with the reason as a message,
  // when pTermo selects no term.
  bool ValidarParametros();
  // Why the company query found nothing: which company or establishment of the selection does
  // not exist. Shown as a message, since nothing is printed.
  std::string MotivoSemEmpresas(const std::string& empresa, const std::string& estab,
                                const std::string& condicaoEmpresa) const;
  // Sets parameter `nome` to "titulo valor" and, when the definition has them, `nome`Titulo and
  // `nome`Valor to the two parts, so that a layout can align the value with those above it.
  void LinhaCabecalho(const std::string& nome, const std::string& titulo, const std::string& valor);
  // The legend of a registration line with its dotted leader long enough to reach the data
  // column: the legend label cuts it at its width.
  std::string LegendaComPontilhado(const std::string& texto) const;
  // After an opening term: when the book is printed front and back, ends the page and prints
  // the blank verso page.
  void VerificarFrenteVerso();
  // Sets the heading parameters of a term: title, book line (page `pagina` for an opening
  // term, pNumeroFolha for a closing one), company name and registrations.
  int32_t FolhaAbertura();
  void ConfigurarCabecalhoTermo(bool abertura, int pagina, bool comLinhaLivro);
  // The term's text from "gemVTextoTermo", widened to two spaces between words; with
  // pImpTermo set, the book period is replaced by the stock existing on the final date.
  std::string MontarTextoTermo(const std::string& empresa, const std::string& dataInicial,
                               const std::string& dataFinal, const std::string& numeroLivro,
                               const std::string& numeroFolha, const std::string& tipo);
  // The registration data from "gemVDadosTermo": pieces separated by the marker.
  std::string BuscarDadosTermo(const std::string& dataTermo, const std::string& empresa,
                               const std::string& estab);
  // Prints sections 8, 9 (each registration), 10 and the signatures of one term.
  // `tipo` 1 opening, 2 closing.
  void ImprimirCorpoTermo(const std::string& dataTermo, TipoTermo tipo);
  // The blank verso page (sections 13, 14, 15), once until FImprimeTermo is cleared.
  void ImprimirFolhaEmBranco();

  std::string FDescPaginas;
  std::string FEmpresa;
  std::string FEstab;
  std::string FCodigoCont;
  std::string FInscrFed;
  std::string FNomeEmpresa;
  std::string FInscrMunicipal;
  std::string FCodigoAtivMunic;
  std::string FInscrEstad;
  int32_t FImpTermo = 0;
  int32_t FImprimeTermo = 0;
  int32_t ixDataInicioAtiv = 0;
  int32_t ixCodigoAtivMunic = 0;
  int32_t ixInscrEstad = 0;
  int32_t ixInscrMunicipal = 0;
  int32_t ixCnpj = 0;
  int32_t FTipoInscr = 0;
  int32_t FCodigoEmpresa = 0;
  TDataSet* curEmpresas = nullptr;  // owned by the run: released with DestruirSQL at its end
  int32_t ixCodigoEmpresa = 0;
  int32_t ixNomeEmpresa = 0;
  int32_t ixTipoInscr = 0;
  int32_t ixCodigoEstab = 0;

  // State of the run, shared with the term body.
  bool FAssinaSocio = false;
  bool FAssinaContador = false;
  bool FTerceiraAssinatura = true;
  std::string FMarcador;
  TnStringArray TermPieces;
  std::string FAviso;
  bool FAvisoMostrado = false;
  std::string FDataInicial;  // pDataInicial written dd/mm/aaaa
  std::string FDataFinal;    // pDataFinal written dd/mm/aaaa
};
