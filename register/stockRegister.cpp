// The run of the inventory register book: flags, masks and configuration, the checks of the
// first pass, the book control, the period table and the period loop.

#include "register/stockRegister.h"

#include <cmath>
#include <vector>

#include "basekit/DMConexao.h"
#include "basekit/DMSQLDataSet.h"
#include "basekit/DataModules.h"
#include "basekit/MessageDlg.h"
#include "bookkit/DMControleLivro.h"
#include "datakit/ClientDataSet.h"
#include "datakit/HostEnv.h"
#include "datakit/SqlLiterals.h"
#include "frame/nrwBaseDllReg.h"
#include "register/RegisterOwnership.h"
#include "register/RegisterParts.h"
#include "reportkit/DMReport.h"
#include "rtl/CasasDecimais.h"
#include "rtl/Exception.h"
#include "rtl/ScopeGuard.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"
#include "utilkit/DataFinalPeriodo.h"
#include "utilkit/SelecaoEmpresa.h"

namespace {

// A flag parameter is on when its text converts to the integer 1.
bool Flag(const std::string& text) { return StrToIntDef(text, 0) == 1; }

// The date of a parameter text, or the zero date when it is not a date.
TDateTime DateOrZero(const std::string& text, bool& ok) {
  TDateTime value = 0;
  ok = TryStrToDate(Trim(text), value);
  return ok ? value : 0;
}

std::string SqlInt(const std::string& text, TFieldType type) {
  return ValorParaSQL(Variant(text), type);
}

std::string SqlDate(TDateTime value) { return ValorParaSQL(Variant::FromDate(value), ftDate); }

// A deduction given on the parameter screen: 0 when the text is no number. An amount beyond
// what an inventory amount can hold (15 digits, 2 of them decimals) is refused.
double Deduction(const std::string& name, const std::string& text) {
  const double value = StrToFloatDef(Trim(text), 0);
  if (!(std::fabs(value) < 1e13)) {
    throw Exception("Valor inválido para o parâmetro " + name + ": '" + Trim(text) +
                    "' passa do maior valor de um lançamento (9.999.999.999.999,99).");
  }
  return value;
}

const char* const kCanceladoInativa = "Impressão cancelada.";
const char* const kCanceladoUsuario = "A impressão foi cancelada pelo usuário.";

}  // namespace

TstockRegister::TstockRegister(TnrwReport* _ARep) : TnrwBaseDll(_ARep) {
  Report()->SetOnBeforeReport([this](TObject* sender) { DoBeforeReport(sender); });
}

TstockRegister::~TstockRegister() { Report()->SetOnBeforeReport(nullptr); }

std::string TstockRegister::Versao() { return "[versao: 1.1.45.0]"; }

void TstockRegister::DoParamEnter(TObject*, TnpqParamItem*) {}
void TstockRegister::DoParamExit(TObject*, TnpqParamItem*) {}

int TstockRegister::CompanyCode() const { return StrToIntDef(Trim(RepParam("pCodigoEmpresa")), 0); }
int TstockRegister::EstabCode() const { return StrToIntDef(Trim(RepParam("pCodigoEstab")), 0); }

void TstockRegister::EndPage() { Report()->SetCSLIsPageEnd(true); }

void TstockRegister::ReadFlagsAndMasks() {
  TnClientDataSet* ds = ReportDataSet();
  FImpTermo = Flag(RepParam("pImprimeTermos"));
  FUsaCodigoNCM = Trim(ds->FieldByName("LivroModelo7")->AsString()) == "1";
  FAtualizarControleLivro = Flag(RepParam("pAtualizarControleLivro"));
  FEmitirPeriodo = Flag(RepParam("pEmitirPeriodo"));
  FInventarioPaisagem = Flag(RepParam("pEhInventarioPaisagem"));
  FValorPIS = Deduction("pValorPIS", RepParam("pValorPIS"));
  FValorICMS = Deduction("pValorICMS", RepParam("pValorICMS"));
  FValorCOFINS = Deduction("pValorCOFINS", RepParam("pValorCOFINS"));
  FMasc = MascaraCasasDecimais(CasasDecimais(ds->FieldByName("QtdeCasaDecimal")->AsString()));
  FMascQtd = MascaraCasasDecimais(CasasDecimais(ds->FieldByName("QTDECASADECIMALQTD")->AsString()));
}

void TstockRegister::ReadCompanyConfiguration() {
  FImpICMS = false;
  FImpPISCOFINS = false;
  const Variant row = nDMSQLDataSet().PegarValorCampo(
      "CFGEMPRESAINV", "LANCAICMSRECUP, DETALHARPISCOFINSITEM, PERIODOINVENTARIO",
      "CODIGOEMPRESA = " + SqlInt(RepParam("pCodigoEmpresa"), ftSmallint));
  if (row.IsNull()) return;  // FTipoPerInv keeps its value
  if (!row[0].IsNull()) FImpICMS = row[0].AsString() == "1";
  if (!row[1].IsNull()) FImpPISCOFINS = row[1].AsString() == "1";
  if (!row[2].IsNull()) FTipoPerInv = static_cast<int32_t>(row[2].AsInteger());
  switch (FTipoPerInv) {
    case 2: FTipoPerInv = 6; break;
    case 3: FTipoPerInv = 7; break;
    default: FTipoPerInv = 5; break;
  }
}

bool TstockRegister::CheckFirstPass() {
  VerificarSelecaoEmpresa(RepParam("pCodigoEmpresa"), RepParam("pCodigoEstab"));
  bool inicialOk = false, finalOk = false;
  FDataInicial = DateOrZero(RepParam("pCompetInicial"), inicialOk);
  FDataFinal = DateOrZero(RepParam("pCompetFinal"), finalOk);
  FIncEstoque = FDataInicial == FDataFinal;
  if (FIncEstoque) {
    bool ok = false;
    FDataEstoque = DateOrZero(RepParam("pDataInicial"), ok);
  }
  // The competences are checked before anything is asked of the database or the user.
  if (!inicialOk) throw Exception("Data inicial inválida.");
  if (!finalOk) throw Exception("Data final inválida.");
  const DateParts ini = DecodeDate(FDataInicial);
  FDataInicial = EncodeDate(ini.year, ini.month, 1);
  FDataFinal = EndOfTheMonth(FDataFinal) + EncodeTime(23, 59, 59, 999);
  if (FDataInicial > FDataFinal) throw Exception("A Data Inicial deve ser menor que a Data Final!");

  // Active in either boundary month; an establishment without a closing date is still open.
  const std::string ini_sql = SqlDate(FDataInicial), fim_sql = SqlDate(FDataFinal);
  const std::string sql =
      "select ESTAB.CODIGOEMPRESA, ESTAB.DATAENCERATIV from ESTAB  where ESTAB.CODIGOEMPRESA = " +
      SqlInt(RepParam("pCodigoEmpresa"), ftInteger) +
      " and ESTAB.CODIGOESTAB = " + SqlInt(RepParam("pCodigoEstab"), ftInteger) + " and (" +
      ini_sql + " between ESTAB.DATAINICIOATIV and coalesce(ESTAB.DATAENCERATIV, " + ini_sql + ")" +
      " or " + fim_sql + " between ESTAB.DATAINICIOATIV and coalesce(ESTAB.DATAENCERATIV, " +
      fim_sql + "))";
  if (!nDMConexao().ExecuteQueryExists(sql)) {
    nMessageDlg("Esta empresa está inativa no período informado!", mtWarning, {"Ok"}, 0, 0, 0, 0);
    FCancelamento = kCanceladoInativa;
    Report()->MsgMensagem(0, FCancelamento);
    return false;
  }
  if (FAtualizarControleLivro && !EhCloud()) {
    const int answer = nMessageDlg(
        "Deseja realmente atualizar a numeração dos livros e páginas no controle dos livros?",
        mtConfirmation, {"Sim", "Não"}, 1, 0, 1, 1);
    if (answer != 0) {
      FCancelamento = kCanceladoUsuario;
      Report()->MsgMensagem(0, FCancelamento);
      return false;
    }
  }
  ReadEstablishmentDates();
  return true;
}

void TstockRegister::ReadEstablishmentDates() {
  const Variant row = nDMSQLDataSet().PegarValorCampo(
      "ESTAB", "DATAINICIOATIV, DATAENCERATIV",
      "CODIGOEMPRESA = " + SqlInt(RepParam("pCodigoEmpresa"), ftSmallint) +
          " and CODIGOESTAB = " + SqlInt(RepParam("pCodigoEstab"), ftSmallint));
  FDataEncerAtiv = 0;
  if (!row.IsNull() && !row[1].IsNull()) FDataEncerAtiv = row[1].AsDateTime();
}

std::unique_ptr<TnClientDataSet> TstockRegister::BuildPeriodTable(TDateTime start, TDateTime end,
                                                                  int kind) {
  auto table = std::make_unique<TnClientDataSet>();
  table->SetName("cdsPeriodo");
  table->FieldDefs().Add("Seq", ftSmallint);
  table->FieldDefs().Add("DataInicial", ftDate);
  table->FieldDefs().Add("DataFinal", ftDate);
  table->CreateDataSet();
  table->SetLogChanges(false);
  TField* seq = table->FieldByName("Seq");
  TField* ini = table->FieldByName("DataInicial");
  TField* fim = table->FieldByName("DataFinal");
  int counter = 0;
  TDateTime s = DateOf(start);
  TDateTime e = 0;
  do {
    e = GerarDataFinalPeriodo(s, kind);  // never before s: the loop always moves on
    ++counter;
    table->Append();
    seq->SetAsInteger(counter);
    ini->SetAsDateTime(s);
    fim->SetAsDateTime(e);
    table->Post();
    s = DateOf(e) + 1;
  } while (DateOf(e) < DateOf(end));
  table->SetIndexFieldNames("Seq");
  return table;
}

void TstockRegister::LocateItemFields() {
  TnClientDataSet* ds = ReportDataSet();
  FCampos = std::make_unique<ItemFields>(ItemFields{
      ds->FieldByName("QtdeEstoque"), ds->FieldByName("PrecoUnit"), ds->FieldByName("CodigoNCM"),
      ds->FieldByName("ClassifGrupoProduto"), ds->FieldByName("MascClassifFiscalProd"),
      ds->FieldByName("ObsLctoInv"), ds->FieldByName("ValorICMS"), ds->FieldByName("ValorPIS"),
      ds->FieldByName("ValorCOFINS"), ds->FieldByName("DescrGrupoProduto"),
      ds->FindField("IndicadorPropriedade"), ds->FindField("CodigoTerceiro"),
      ds->FindField("MotivoInventario"), ds->FindField("CodigoProduto"),
      ds->FindField("DATAINVENTINI")});
  TnpqPowerParam* params = Report()->GetParams();
  FParams = std::make_unique<BodyParams>(
      BodyParams{params->Param("pValorQtd"),
                 params->Param("pPrecoUnit"),
                 params->Param("pCodigoNCM"),
                 params->Param("pTotalNCM"),
                 params->Param("pValorIcmsItem"),
                 params->Param("pValorPisItem"),
                 params->Param("pValorCofinsItem"),
                 params->Param("pTituloBloco"),
                 params->Param("pTerceiro"),
                 {params->Param("R1"), params->Param("R2"), params->Param("R3"),
                  params->Param("R4"), params->Param("R5")}});
}

void TstockRegister::PrintPeriods() {
  TnClientDataSet* ds = ReportDataSet();
  cdsPeriodo->First();
  while (!cdsPeriodo->GetEof()) {
    FInicioPeriodo = fldDataPeriodoInicial->AsDateTime();
    FPeriodoFinal = fldDataPeriodoFinal->AsDateTime();
    ds->SetFilter(
        "DATAINVENTINI >= " + ValorParaFiltro(Variant::FromDate(FInicioPeriodo), ftDate) +
        " and DATAINVENTFIM <= " + ValorParaFiltro(Variant::FromDate(FPeriodoFinal), ftDate));
    ds->SetFiltered(true);
    {
      AoSair semFiltro([this, ds] {
        FNoCorpo = false;
        ds->SetFiltered(false);
        ds->SetFilter("");
      });
      SetPeriodLabels();
      // The book control decides whether a new book begins here; with terms the book that
      // ends gets its closing term and the one that begins its opening term.
      FDMControleLivro->IniciarPeriodo(FInicioPeriodo, FPeriodoFinal);
      // A book that changes here ends with its last sheet: a sheet begun by the previous
      // period is completed with a blank page, so that this period begins the new book.
      if (FDMControleLivro->DeveTrocarLivro() && FDMControleLivro->ProximaEhMeiaFolha()) {
        PrintEmptyPage(true);
        EndPage();
      }
      if (FImpTermo) {
        if (FDMControleLivro->DeveTrocarLivro()) CloseBook(false);
        if (!FDMControleLivro->GetLivroAberto()) OpenBook();
      }
      FNoCorpo = true;
      if (ds->IsEmpty()) {
        PrintEmptyPage(false);
      } else {
        PrintPeriodBody();
      }
      FNoCorpo = false;
      FFimCorpo = FPeriodoFinal;
      ClosePeriodPages();
      cdsPeriodo->Next();
      EndPage();  // every period starts on a new page
    }
    // A stop ends the book here: nothing after it would be kept.
    if (FParado) return;
  }
  CloseBook(true);  // the last book of the run closes with the run
}

void TstockRegister::ReleasePass() {
  if (IsDrawNormal() && FSegundaPassagem) {
    FDMRepAE.reset();
    fldDataPeriodoInicial = nullptr;
    fldDataPeriodoFinal = nullptr;
    cdsPeriodo.reset();
    cdsConfigLivro.reset();
    FPropriedade.reset();
  }
  FDMControleLivro.reset();
  FCampos.reset();
  FParams.reset();
  for (auto& items : FBlocos) std::vector<BlockItem>().swap(items);
  Report()->SetOnAfterPage(nullptr);
  Report()->SetOnBeforeSection(nullptr);
  Report()->SetOnAfterSection(nullptr);
}

void TstockRegister::ImprimirInterno() {
  TnClientDataSet* ds = ReportDataSet();
  if (ds == nullptr) throw Exception("O livro de inventário não tem a consulta dos itens.");
  AoSair liberar([this] { ReleasePass(); });

  ds->First();
  ReadFlagsAndMasks();
  ReadCompanyConfiguration();
  if (IsDrawNormal()) Report()->MsgConfigurar({"Mensagem"}, 0);

  FSegundaPassagem = cdsConfigLivro != nullptr;
  if (!FCancelamento.empty()) {
    // The run ended in its first pass: the second ends too, without asking again. The engine
    // keeps only the messages of the pass it prints, so the message is repeated there.
    if (IsDrawNormal()) Report()->MsgMensagem(0, FCancelamento);
    return;
  }
  if (!FSegundaPassagem && !CheckFirstPass()) return;

  Report()->SetOnAfterPage([this](TObject* sender) { DoAfterPage(sender); });
  Report()->SetOnBeforeSection(
      [this](TObject* sender, int section) { DoBeforeSection(sender, section); });

  PrepareHeader();

  FDMControleLivro = CriarControleLivro();
  FDMControleLivro->SetTipoLivro(11);
  FDMControleLivro->SetCodigoEmpresa(CompanyCode());
  FDMControleLivro->SetCodigoEstab(EstabCode());
  FDMControleLivro->SetDataInicial(FDataInicial);
  FDMControleLivro->SetDataFinal(FDataFinal);

  if (!FSegundaPassagem) {
    cdsPeriodo = BuildPeriodTable(FDataInicial, FDataFinal, FTipoPerInv);
    cdsPeriodo->Last();
    FPropriedade = std::make_unique<TRegisterOwnership>();
    FPropriedade->Load(CompanyCode(), EstabCode(), FDataInicial,
                       cdsPeriodo->FieldByName("DataFinal")->AsDateTime());
    cdsPeriodo->First();
    FDMRepAE.reset();
    FErroTermos.clear();
    if (FImpTermo) {
      CreatePageTable();
      const char* definicao =
          FInventarioPaisagem ? "taxBookTermsGraphicP1" : "stockBookTermsLayout";
      try {
        std::unique_ptr<TObject> modulo(CriarDMNovo(definicao));
        if (auto* rep = dynamic_cast<TnDMReport*>(modulo.get())) {
          modulo.release();
          FDMRepAE.reset(rep);
        } else {
          throw Exception(std::string("O módulo '") + definicao + "' não é um relatório.");
        }
      } catch (const std::exception& e) {
        FErroTermos = e.what();
        Report()->MsgMensagem(0, FErroTermos);
      }
    }
  } else if (!FErroTermos.empty() && IsDrawNormal()) {
    Report()->MsgMensagem(0, FErroTermos);  // said in the counting pass, whose messages are dropped
  }

  fldDataPeriodoInicial = cdsPeriodo->FieldByName("DataInicial");
  fldDataPeriodoFinal = cdsPeriodo->FieldByName("DataFinal");
  LocateItemFields();

  FEhTermo = false;
  FLivroAtual = 0;
  FFolhaAtual = 0;
  FInicioLivro = 0;
  FFimCorpo = 0;
  FParado = false;
  if (!FSegundaPassagem) {
    // A reprint inside a recorded period is refused before anything is printed.
    cdsPeriodo->Last();
    const TDateTime lastDay = fldDataPeriodoFinal->AsDateTime();
    cdsPeriodo->First();
    FDMControleLivro->VerificarPeriodosRegistrados(fldDataPeriodoInicial->AsDateTime(), lastDay);
  }
  PrintPeriods();
  // Pages that would renumber a later recorded period are refused in the counting pass (or
  // the single pass, which then writes no file).
  if (!FSegundaPassagem && !FParado) FDMControleLivro->VerificarPeriodosPosteriores();

  if (IsDrawNormal() && !FDMControleLivro->GetExisteNumeracaoLivro()) {
    Report()->MsgMensagem(
        1, "Não foi encontrada a implantação da numeração das páginas para este livro.");
    if (FAtualizarControleLivro) {
      Report()->MsgMensagem(
          1, "Adicionada implantação da numeração das páginas para este livro (valores padrão).");
    }
  }
  // Recorded once: in the single pass, or in the second of two. Pages that a stop left
  // unprinted are never recorded.
  if (FAtualizarControleLivro && (!FImpTermo || FSegundaPassagem) && !FParado) {
    FDMControleLivro->InserirPeriodoBanco(FImpTermo);
  }
}

STOCK_REPORT_LIBRARY(TstockRegister, {"Versao", {}}, {"Create", {"_ARep"}}, {"ImprimirInterno", {}},
                     {"DoParamEnter", {"Sender", "_AParam"}},
                     {"DoParamExit", {"Sender", "_AParam"}})
