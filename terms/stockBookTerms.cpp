#include "terms/stockBookTerms.h"

#include <algorithm>

#include "basekit/DMSQLDataSet.h"
#include "basekit/ExecutarSQL.h"
#include "datakit/FilterInterval.h"
#include "datakit/SqlLiterals.h"
#include "frame/nrwBaseDllReg.h"
#include "reportkit/Assinaturas.h"
#include "reportkit/EspacosEntrePalavras.h"
#include "reportkit/output/OutputDevice.h"
#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "rtl/FormatFloat.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"
#include "utilkit/InscrFederal.h"
#include "utilkit/InscricaoEstadual.h"
#include "utilkit/SelecaoEmpresa.h"
#include "utilkit/VarToIntDef.h"

namespace {

// The two heads of the company query; the double space after "F.TIPOINSCR," is part of them.
constexpr const char* kSelectEmpresas =
    "select E.CODIGOEMPRESA, E.NOMEEMPRESA, F.CODIGOESTAB, F.TIPOINSCR,  F.DATAINICIOATIV, "
    "F.INSCRFEDERAL, F.INSCRMUNIC, F.INSCRESTAD, F.CODIGOATIVMUNIC from EMPRESA E left outer "
    "join VESTABHISTORICOATUAL F on E.CODIGOEMPRESA = F.CODIGOEMPRESA where ";

constexpr const char* kAbertura = "A B E R T U R A";
constexpr const char* kEncerramento = "E N C E R R A M E N T O";

// A parameter's text as an integer; a text that is none stops the run with the conversion
// error, which names the parameter and the text.
int32_t Inteiro(const std::string& texto, const char* nome) {
  try {
    return StrToInt(texto);
  } catch (const EConvertError& e) {
    throw EConvertError(std::string("Parâmetro ") + nome + ": " + e.what());
  }
}

// "Screen label (pName)": how a message names a parameter.
std::string NomeTela(const TnpqPowerParam* params, const char* nome) {
  const TnpqParamItem* item = params->FindParam(nome);
  if (item == nullptr || item->GetCaption().empty()) return nome;
  return item->GetCaption() + " (" + nome + ")";
}

[[noreturn]] void Recusar(const TnpqPowerParam* params, const char* nome,
                          const std::string& problema, const std::string& aceita,
                          const std::string& exemplo) {
  throw Exception(NomeTela(params, nome) + ": " + problema + "; informe " + aceita +
                  ", ex.: " + exemplo + ".");
}

// Bytes of the first character of a UTF-8 text.
size_t PrimeiroCaractere(const std::string& texto) {
  size_t n = 1;
  while (n < texto.size() && (static_cast<unsigned char>(texto[n]) & 0xC0) == 0x80) ++n;
  return n;
}

// The kind of federal registration of TIPOINSCR 1, 2 or 3; for any other value the number's
// length decides (11 digits CPF, 12 CEI, otherwise CNPJ).
TnTipoInscrFederal TipoInscricao(int32_t tipo, const std::string& numero) {
  switch (tipo) {
    case 1: return TnTipoInscrFederal::CNPJ;
    case 2: return TnTipoInscrFederal::CPF;
    case 3: return TnTipoInscrFederal::CEI;
    default: break;
  }
  const size_t digitos = FormatarInscrFederal(TnTipoInscrFederal::CNPJ, numero, 0, false).size();
  return digitos == 11   ? TnTipoInscrFederal::CPF
         : digitos == 12 ? TnTipoInscrFederal::CEI
                         : TnTipoInscrFederal::CNPJ;
}

}  // namespace

TstockBookTerms::TstockBookTerms(TnrwReport* rep) : TnrwBaseDll(rep) {}

TstockBookTerms::~TstockBookTerms() { DestruirSQL(curEmpresas); }

std::string TstockBookTerms::Versao() { return "[versao: 1.1.22.0]"; }

std::string TstockBookTerms::DescricaoFolha(const std::string& texto) {
  if (texto.empty()) return {};
  const size_t n = PrimeiroCaractere(texto);
  std::string palavra = AnsiUpperCase(texto.substr(0, n)) + AnsiLowerCase(texto.substr(n));
  while (!palavra.empty() && (palavra.back() == 's' || palavra.back() == 'S')) palavra.pop_back();
  return palavra;
}

std::string TstockBookTerms::Pontilhado() {
  std::string pontos = " ";
  for (int i = 0; i < 26; ++i) pontos += ". ";
  return pontos;
}

std::string TstockBookTerms::MontarLocal(const TnStringArray& pecas) {
  if (pecas.empty()) return {};
  auto peca = [&](size_t i) { return i < pecas.size() ? pecas[i] : std::string(); };
  return peca(7) + " (" + peca(13) + "), ";
}

std::string TstockBookTerms::PalavraFolha(int64_t empresa) const {
  const Variant valor = nDMSQLDataSet().PegarValorCampo(
      "CFGEMPRESAGEM", "DESCRFOLHALIVRO",
      "CODIGOEMPRESA = " + ValorParaSQL(Variant(empresa), ftInteger));
  if (valor.IsNull()) return "Folha";
  return DescricaoFolha(valor.AsString());
}

void TstockBookTerms::ImprimirInterno() {
  TnpqPowerParam* params = Report()->GetParams();
  FAviso.clear();
  FAvisoMostrado = false;
  FImprimeTermo = 0;
  FAssinaSocio = false;
  FAssinaContador = false;
  // A company or establishment code that does not exist is told as such before anything else.
  // A list or range of establishments only selects the head offices: it is not looked up.
  const std::string estabDigitado = Trim(params->GetValues("pCodigoEstab"));
  const bool umEstab = !estabDigitado.empty() && estabDigitado.size() < 10 &&
                       estabDigitado.find_first_not_of("0123456789") == std::string::npos;
  VerificarSelecaoEmpresa(params->GetValues("pCodigoEmpresa"),
                          umEstab ? estabDigitado : std::string());
  if (!ValidarParametros()) return;
  const int32_t assinaSocio = Inteiro(params->GetValues("pAssinSocio"), "pAssinSocio");
  FAssinaSocio = assinaSocio == 1 || assinaSocio == 2;
  FAssinaContador = Inteiro(params->GetValues("pAssinCont"), "pAssinCont") == 1;
  FCodigoCont = Trim(params->GetValues("pCodigoCont"));
  FTerceiraAssinatura = true;
  FImpTermo = StrToIntDef(RepParam("pImpTermo"), 0);
  FMarcador = "/-#%*&-/";

  // The company query. The selections are turned into conditions (and checked) before any SQL
  // runs; a list or a range of establishments prints the head offices.
  const std::string estab = Trim(params->GetValues("pCodigoEstab"));
  const std::string empresa = Trim(params->GetValues("pCodigoEmpresa"));
  // Both selections are checked here, a list of establishments too although it only selects
  // the head offices: a text that is not codes, lists or ranges stops the run.
  const std::string condicaoEmpresa =
      empresa.empty() ? std::string()
                      : FilterInterval(std::vector<std::string>{"E.CODIGOEMPRESA"}, empresa,
                                       {tiIncluir}, true, 6) +
                            "\r\n";
  const std::string condicaoEstab =
      estab.empty()
          ? std::string()
          : FilterInterval(std::vector<std::string>{"F.CODIGOESTAB"}, estab, {tiIncluir}, false, 6);
  DestruirSQL(curEmpresas);
  if (!estab.empty() && estab.find('.') == std::string::npos &&
      estab.find(';') == std::string::npos) {
    const std::string sql =
        std::string(kSelectEmpresas) + condicaoEstab + condicaoEmpresa + " order by 1, 3";
    curEmpresas = ExecutarSQL(sql, VarArrayOf({}), true, true, -1, "", nullptr, true);
  } else {
    const std::string sql =
        std::string(kSelectEmpresas) + "F.CODIGOESTAB = 1 " + condicaoEmpresa + "order by 1, 3";
    curEmpresas =
        ExecutarSQL(sql, static_cast<TParams*>(nullptr), true, false, -1, "", nullptr, true);
  }
  SQLDataSetGuard liberarEmpresas(curEmpresas);
  if (curEmpresas->IsEmpty()) {
    Report()->MsgMensagem(0, MotivoSemEmpresas(empresa, estab, condicaoEmpresa));
    return;
  }

  ixCodigoEmpresa = curEmpresas->FieldByName("CODIGOEMPRESA")->GetIndex();
  ixNomeEmpresa = curEmpresas->FieldByName("NOMEEMPRESA")->GetIndex();
  ixCodigoEstab = curEmpresas->FieldByName("CODIGOESTAB")->GetIndex();
  ixDataInicioAtiv = curEmpresas->FieldByName("DATAINICIOATIV")->GetIndex();
  ixCnpj = curEmpresas->FieldByName("INSCRFEDERAL")->GetIndex();
  ixInscrMunicipal = curEmpresas->FieldByName("INSCRMUNIC")->GetIndex();
  ixTipoInscr = curEmpresas->FieldByName("TIPOINSCR")->GetIndex();
  ixInscrEstad = curEmpresas->FieldByName("INSCRESTAD")->GetIndex();
  ixCodigoAtivMunic = curEmpresas->FieldByName("CODIGOATIVMUNIC")->GetIndex();
  auto campo = [this](int32_t ix) { return curEmpresas->Fields(ix); };

  FDescPaginas = PalavraFolha(campo(ixCodigoEmpresa)->AsInteger());
  Report()->MsgConfigurar({"Mensagem"}, 0);
  const int total = curEmpresas->RecordCount();
  int feitos = 0;
  curEmpresas->First();
  while (!curEmpresas->GetEof()) {
    const std::string codigoEmpresa = campo(ixCodigoEmpresa)->AsString();
    const std::string codigoEstab = campo(ixCodigoEstab)->AsString();
    params->SetValues("pControleCustoEmpresa", codigoEmpresa);
    FNomeEmpresa = campo(ixNomeEmpresa)->AsString();
    FTipoInscr = static_cast<int32_t>(campo(ixTipoInscr)->AsInteger());
    FCodigoEmpresa = static_cast<int32_t>(campo(ixCodigoEmpresa)->AsInteger());
    FInscrFed = campo(ixCnpj)->AsString();
    FInscrMunicipal = campo(ixInscrMunicipal)->AsString();
    FInscrEstad = campo(ixInscrEstad)->AsString();
    FCodigoAtivMunic = campo(ixCodigoAtivMunic)->AsString();
    // Every book gets its own blank verso page after its opening term: a second book of the
    // run must not start on the back of the first one's last sheet.
    FImprimeTermo = 0;

    const std::string& dataInicial = FDataInicial;
    const std::string& dataFinal = FDataFinal;
    const std::string numeroLivro = Trim(params->GetValues("pNumeroLivro"));
    const std::string numeroFolha = Trim(params->GetValues("pNumeroFolha"));

    // pTermo as typed; a blank one prints both terms.
    auto termo = [params](TipoTermo vazio) {
      return static_cast<TipoTermo>(
          StrToIntDef(params->GetValues("pTermo"), static_cast<int>(vazio)));
    };
    const TipoTermo termoAbertura = termo(TipoTermo::Abertura);
    if (termoAbertura == TipoTermo::Abertura || termoAbertura == TipoTermo::Ambos) {
      params->SetValues("pTextoTermo", MontarTextoTermo(codigoEmpresa, dataInicial, dataFinal,
                                                        numeroLivro, numeroFolha, "1"));
      ConfigurarCabecalhoTermo(true, FolhaAbertura(), true);
      TermPieces =
          StrToStrArray(BuscarDadosTermo(dataInicial, codigoEmpresa, codigoEstab), FMarcador);
      // A company whose activity started after the book's start dates its opening term then.
      const TField* inicioAtiv = campo(ixDataInicioAtiv);
      const TDateTime inicio = StrToDate(dataInicial);
      const std::string dataTermo = !inicioAtiv->IsNull() && inicioAtiv->AsDateTime() > inicio
                                        ? DateToStr(inicioAtiv->AsDateTime())
                                        : dataInicial;
      ImprimirCorpoTermo(dataTermo, TipoTermo::Abertura);
      VerificarFrenteVerso();
    }
    if (termo(TipoTermo::Ambos) == TipoTermo::Ambos && !Report()->GetCSLIsPageEnd()) {
      Report()->SetCSLIsPageEnd(true);
    }
    const TipoTermo termoEncerramento = termo(TipoTermo::Encerramento);
    if (termoEncerramento == TipoTermo::Encerramento || termoEncerramento == TipoTermo::Ambos) {
      params->SetValues("pTextoTermo", MontarTextoTermo(codigoEmpresa, dataInicial, dataFinal,
                                                        numeroLivro, numeroFolha, "2"));
      ConfigurarCabecalhoTermo(false, 1, true);
      TermPieces =
          StrToStrArray(BuscarDadosTermo(dataFinal, codigoEmpresa, codigoEstab), FMarcador);
      ImprimirCorpoTermo(dataFinal, TipoTermo::Encerramento);
    }

    const int64_t empresaAnterior = campo(ixCodigoEmpresa)->AsInteger();
    ++feitos;
    if (Report()->CSLShowProgress(feitos, total)) break;
    curEmpresas->Next();
    if (campo(ixCodigoEmpresa)->AsInteger() != empresaAnterior) {
      FAvisoMostrado = false;
      FDescPaginas = PalavraFolha(campo(ixCodigoEmpresa)->AsInteger());
    }
    Report()->SetCSLIsPageEnd(true);
  }
}

bool TstockBookTerms::ValidarParametros() {
  const TnpqPowerParam* params = Report()->GetParams();
  const std::string termo = Trim(params->GetValues("pTermo"));
  int32_t numero = 0;
  if (TryStrToInt(termo, numero) && (numero < 1 || numero > 3)) {
    Report()->MsgMensagem(
        0, NomeTela(params, "pTermo") + " = " + termo +
               " não escolhe nenhum termo: use 1 (abertura), 2 (encerramento) ou 3 (ambos)");
    return false;
  }

  auto data = [&](const char* nome) {
    const std::string texto = Trim(params->GetValues(nome));
    TDateTime dia = 0;
    if (texto.empty()) Recusar(params, nome, "está vazio", "uma data dd/mm/aaaa", "31/12/2026");
    if (!TryStrToDate(texto, dia)) {
      Recusar(params, nome, "'" + texto + "' não é uma data válida", "uma data dd/mm/aaaa",
              "31/12/2026");
    }
    return dia;
  };
  const TDateTime inicio = data("pDataInicial");
  const TDateTime fim = data("pDataFinal");
  FDataInicial = DateToStr(inicio);
  FDataFinal = DateToStr(fim);
  if (inicio > fim) {
    Recusar(params, "pDataInicial",
            FDataInicial + " é posterior ao fim do período, " + FDataFinal + " (" +
                NomeTela(params, "pDataFinal") + ")",
            "um início que não passe do fim", "01/01/" + FDataFinal.substr(FDataFinal.size() - 4));
  }

  // While the register counts its pages, the book's numbers are not known yet.
  const bool contando = !IsDrawNormal();
  auto positivo = [&](const char* nome, const char* exemplo) {
    const std::string texto = Trim(params->GetValues(nome));
    int32_t n = 0;
    const bool inteiro = TryStrToInt(texto, n);
    if (contando && (texto.empty() || (inteiro && n == 0))) return;
    const char* aceita = "um número inteiro maior que zero";
    if (texto.empty()) Recusar(params, nome, "está vazio", aceita, exemplo);
    if (!inteiro) Recusar(params, nome, "'" + texto + "' não é um número inteiro", aceita, exemplo);
    if (n < 1) Recusar(params, nome, texto + " não é maior que zero", aceita, exemplo);
  };
  positivo("pNumeroFolha", "300");
  positivo("pNumeroLivro", "1");

  auto inteiro = [&](const char* nome, bool vazioServe, const char* aceita, const char* exemplo) {
    const std::string texto = Trim(params->GetValues(nome));
    int32_t n = 0;
    if ((texto.empty() && vazioServe) || TryStrToInt(texto, n)) return;
    Recusar(params, nome,
            texto.empty() ? std::string("está vazio") : "'" + texto + "' não é um número inteiro",
            aceita, exemplo);
  };
  inteiro("pAssinSocio", false, "0 (nenhuma), 1 (sócios) ou 2 (diretores)", "1");
  inteiro("pAssinCont", false, "1 para a assinatura do contador, 0 sem ela", "1");
  inteiro("pCodigoCont", true, "o código de um contador, ou nada para o da empresa", "1");
  return true;
}

std::string TstockBookTerms::MotivoSemEmpresas(const std::string& empresa, const std::string& estab,
                                               const std::string& condicaoEmpresa) const {
  const TnpqPowerParam* params = Report()->GetParams();
  TDataSet* cur = nullptr;
  SQLDataSetGuard liberar(cur);
  cur = ExecutarSQL("select count(*) from EMPRESA E where 1 = 1 " + condicaoEmpresa,
                    static_cast<TParams*>(nullptr), true, false, -1, "", nullptr, true);
  if (cur->Fields(0)->AsInteger() == 0) {
    if (empresa.empty()) return "Não há empresa cadastrada: nada a imprimir";
    return "Nenhuma empresa da seleção '" + empresa + "' (" + NomeTela(params, "pCodigoEmpresa") +
           ") está cadastrada: nada a imprimir";
  }
  const bool umEstab = !estab.empty() && estab.find('.') == std::string::npos &&
                       estab.find(';') == std::string::npos;
  const std::string quais =
      empresa.empty() ? "Nenhuma empresa" : "Nenhuma empresa da seleção '" + empresa + "'";
  if (umEstab) {
    return quais + " tem o estabelecimento " + estab + " (" + NomeTela(params, "pCodigoEstab") +
           "): nada a imprimir";
  }
  return quais + " tem a matriz (estabelecimento 1) cadastrada: nada a imprimir";
}

std::string TstockBookTerms::LegendaComPontilhado(const std::string& texto) const {
  std::string legenda = texto + Pontilhado();
  const TnLabel* rotulo = Report()->FindLabel("Legenda");
  if (rotulo == nullptr) return legenda;
  // Twice the label's width in the printer's measure: enough for a page of characters too,
  // whose columns are wider than a dot and its blank.
  while (stock::MeasureText(legenda, rotulo->Font().Spec()) < 2.0 * rotulo->GetWidth()) {
    legenda += Pontilhado().substr(1);
  }
  return legenda;
}

void TstockBookTerms::VerificarFrenteVerso() {
  const std::string condicao =
      " CODIGOEMPRESA = " +
      ValorParaSQL(Variant(curEmpresas->Fields(ixCodigoEmpresa)->AsString())) + " and " +
      " CODIGOESTAB = " + ValorParaSQL(Variant(curEmpresas->Fields(ixCodigoEstab)->AsString())) +
      " and " + " TIPOLIVRO = 11";
  if (VarToIntDef(nDMSQLDataSet().PegarValorCampo("CONTROLELIVRO", "FRENTEVERSO", condicao), 0) !=
      1) {
    return;
  }
  if (!Report()->GetCSLIsPageEnd()) Report()->SetCSLIsPageEnd(true);
  const int numeracao = VarToIntDef(
      nDMSQLDataSet().PegarValorCampo("CONTROLELIVRO", "TIPOIMPNUMERACAO", condicao), 0);
  ConfigurarCabecalhoTermo(true, FolhaAbertura() + 1, numeracao == 0);
  ImprimirFolhaEmBranco();
}

// The page number of the opening term: 1, unless the book's numbering begins later (the
// register's book after a starting point).
int32_t TstockBookTerms::FolhaAbertura() {
  return std::max<int32_t>(
      1, StrToIntDef(Trim(Report()->GetParams()->GetValues("pFolhaAbertura")), 1));
}

void TstockBookTerms::ConfigurarCabecalhoTermo(bool abertura, int pagina, bool comLinhaLivro) {
  TnpqPowerParam* params = Report()->GetParams();
  params->SetValues("pTipoTermo", abertura ? kAbertura : kEncerramento);
  const int32_t folha =
      abertura ? pagina : Inteiro(params->GetValues("pNumeroFolha"), "pNumeroFolha");
  if (comLinhaLivro) {
    const int32_t livro = Inteiro(params->GetValues("pNumeroLivro"), "pNumeroLivro");
    params->SetValues("pLivro", " Livro: " + FormatFloat("0000", livro) + "  " + FDescPaginas +
                                    ": " + FormatFloat("0000", folha));
  } else {
    params->SetValues("pLivro", "");
  }
  params->SetValues("pCabecalho", FNomeEmpresa);
  params->SetValues("pInscrFed", FormatarInscrFederal(TipoInscricao(FTipoInscr, FInscrFed),
                                                      FInscrFed, FCodigoEmpresa, true));
  const int32_t tipoLivro = StrToIntDef(params->GetValues("pTipoLivro"), 1);
  if (tipoLivro == 3 || tipoLivro == 9) {
    LinhaCabecalho("pInscrEstadMunicipal", "Inscrição Municipal:", FInscrMunicipal);
    if (FCodigoAtivMunic.empty()) {
      LinhaCabecalho("pAtivMuncipal", "", "");
    } else {
      LinhaCabecalho("pAtivMuncipal", "Atividade Municipal:", FCodigoAtivMunic);
    }
  } else {
    LinhaCabecalho("pInscrEstadMunicipal",
                   "Inscrição Estadual:", FormatarInscricaoEstadual(FInscrEstad));
  }
}

void TstockBookTerms::LinhaCabecalho(const std::string& nome, const std::string& titulo,
                                     const std::string& valor) {
  RepParam(nome, titulo.empty() ? valor : titulo + " " + valor);
  TnpqPowerParam* params = Report()->GetParams();
  if (params->FindParam(nome + "Titulo") != nullptr) params->SetValues(nome + "Titulo", titulo);
  if (params->FindParam(nome + "Valor") != nullptr) params->SetValues(nome + "Valor", valor);
}

std::string TstockBookTerms::MontarTextoTermo(
    const std::string& empresa, const std::string& dataInicial, const std::string& dataFinal,
    const std::string& numeroLivro, const std::string& numeroFolha, const std::string& tipo) {
  TnReportFunctions* funcoes = Report()->ReportFunctions();
  std::string texto = funcoes->CallFunction(
      funcoes->IndexOfFunction("gemVTextoTermo"),
      {numeroLivro, numeroFolha, empresa, dataInicial, dataFinal, tipo, FDescPaginas});
  texto = PorEspacosEntrePalavras(texto);
  if (FImpTermo != 0) {
    texto = ReplaceAll(texto, "no  período  de  " + FDataInicial + "  a  " + FDataFinal,
                       "demonstrando  o  estoque  existente  em  " + FDataFinal);
  }
  return texto;
}

std::string TstockBookTerms::BuscarDadosTermo(const std::string& dataTermo,
                                              const std::string& empresa,
                                              const std::string& estab) {
  FEmpresa = empresa;
  FEstab = estab;
  TnReportFunctions* funcoes = Report()->ReportFunctions();
  return funcoes->CallFunction(funcoes->IndexOfFunction("gemVDadosTermo"),
                               {empresa, estab, dataTermo, FDataFinal});
}

void TstockBookTerms::Imprimir(Secao secao) { Report()->RepPrintSection(static_cast<int>(secao)); }

void TstockBookTerms::ImprimirCorpoTermo(const std::string& dataTermo, TipoTermo tipo) {
  TnpqPowerParam* params = Report()->GetParams();
  Imprimir(Secao::Termo);
  const int pagina = Report()->GetPageNo();

  const int ultima = static_cast<int>(TermPieces.size()) - (tipo == TipoTermo::Abertura ? 2 : 3);
  bool legenda = true;
  for (int i = 0; i <= ultima; ++i) {
    const std::string& peca = TermPieces[static_cast<size_t>(i)];
    if (legenda) {
      const std::string minusculas = AnsiLowerCase(peca);
      if (minusculas == "oab" || minusculas == "junta comercial") {
        params->SetValues("pLegenda", LegendaComPontilhado("Registrado na " + peca));
      } else if (AnsiSameText(peca, "Cartório")) {
        params->SetValues("pLegenda", LegendaComPontilhado("Registrado no " + peca));
      } else {
        params->SetValues("pLegenda", LegendaComPontilhado(peca));
      }
    } else {
      params->SetValues("pTexto", peca);
      Imprimir(Secao::Registro);
    }
    legenda = !legenda;
  }

  params->SetValues("pTexto", MontarLocal(TermPieces) + FormatDateTime(" d \"de\" mmmm \"de\" yyyy",
                                                                       StrToDate(dataTermo)));
  Imprimir(Secao::LocalData);

  int assinaturas = 0;
  if (FAssinaSocio || FAssinaContador) {
    FAviso = ImprimeAssinaturas(
        Report(), static_cast<int>(Secao::Socio), static_cast<int>(Secao::Contador),
        Inteiro(params->GetValues("pAssinSocio"), "pAssinSocio"),
        static_cast<int>(curEmpresas->Fields(ixCodigoEmpresa)->AsInteger()), FAssinaContador,
        FDataFinal, FTerceiraAssinatura, FCodigoCont, true, false, &assinaturas);
  }
  // A term is one page: one that runs onto a second would repeat its page number in the book.
  if (Report()->GetPageNo() != pagina) {
    throw Exception(std::string("O termo de ") +
                    (tipo == TipoTermo::Abertura ? "abertura" : "encerramento") + " da empresa " +
                    FormatFloat("0000", FCodigoEmpresa) + ", estabelecimento " + FEstab +
                    ", não cabe em uma página com as suas " + std::to_string(assinaturas) +
                    " assinaturas (sócios ou diretores e contador): reduza os assinantes que "
                    "assinam os livros (SOCIO.ASSINALIVROS) ou use a definição em paisagem, que "
                    "põe três assinaturas por linha");
  }
  if (!FAviso.empty() && !FAvisoMostrado) {
    Report()->MsgMensagem(
        1, "Empresa: " + FormatFloat("0000", curEmpresas->Fields(ixCodigoEmpresa)->AsFloat()) +
               " " + curEmpresas->Fields(ixNomeEmpresa)->AsString() + " - " + FAviso);
    FAvisoMostrado = true;
  }
}

void TstockBookTerms::ImprimirFolhaEmBranco() {
  if (FImprimeTermo != 0) return;
  TnpqPowerParam* params = Report()->GetParams();
  params->SetValues("R1", "");
  for (int i = 1; i <= 25; ++i) {
    if (i >= 15) params->SetValues("R1", std::string(static_cast<size_t>(i) * 3, ' ') + "**");
    Imprimir(Secao::BrancoInicio);
  }
  TnLabel* etiqueta = Report()->LabelByName("Etiqueta8");
  etiqueta->Font().SetStyle({.bold = true});
  etiqueta->Font().SetSize(12);
  params->SetValues("R1", "            E M     B R A N C O            ");
  FImprimeTermo = 1;
  Imprimir(Secao::BrancoAviso);
  etiqueta->Font().SetStyle({});
  etiqueta->Font().SetSize(8);
  for (int i = 1; i <= 20; ++i) {
    params->SetValues("R1", i <= 10 ? std::string(static_cast<size_t>(i) * 3, ' ') + "**" : "");
    Imprimir(Secao::BrancoFim);
  }
}

STOCK_REPORT_LIBRARY(TstockBookTerms, {"Versao", {}}, {"ImprimirInterno", {}})
