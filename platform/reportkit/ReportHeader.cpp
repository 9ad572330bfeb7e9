#include "reportkit/ReportHeader.h"

#include "basekit/DMSQLDataSet.h"
#include "basekit/ExecutarSQL.h"
#include "datakit/DataSet.h"
#include "datakit/SqlLiterals.h"
#include "reportkit/Report.h"
#include "rtl/FormatDateTime.h"
#include "rtl/FormatFloat.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"
#include "utilkit/InscrFederal.h"

TnCabecalhoRelatorio::TnCabecalhoRelatorio(TnrwReport* report, bool, bool, bool, bool, bool,
                                           const Variant&, int, int, int,
                                           const std::string& estabelecimento, const std::string&,
                                           bool)
    : report_(report), estabelecimento_(Trim(estabelecimento)) {}

TnCabecalhoRelatorio::~TnCabecalhoRelatorio() = default;

void TnCabecalhoRelatorio::Set(const char* name, const std::string& value) {
  if (TnpqParamItem* item = report_->GetParams()->FindParam(name)) item->SetValue(value);
}

void TnCabecalhoRelatorio::Executar(int empresa) {
  const std::string codigo = ValorParaSQL(Variant(empresa), ftInteger);
  const Variant dados = nDMSQLDataSet().PegarValorCampo(
      "EMPRESA", "NOMEEMPRESA, TIPOINSCR, INSCRFEDERAL", "CODIGOEMPRESA = " + codigo);
  std::string nome, inscricao;
  if (!dados.IsNull()) {
    nome = dados[0].AsString();
    const std::string numero = dados[2].AsString();
    const int tipo = static_cast<int>(dados[1].IsNull() ? 1 : dados[1].AsInteger());
    const TnTipoInscrFederal kind = tipo == 2   ? TnTipoInscrFederal::CPF
                                    : tipo == 3 ? TnTipoInscrFederal::CEI
                                                : TnTipoInscrFederal::CNPJ;
    const char* rotulo = tipo == 2 ? "CPF: " : tipo == 3 ? "CEI: " : "CNPJ: ";
    if (!numero.empty()) inscricao = rotulo + FormatarInscrFederal(kind, numero, empresa, true);
  }
  Set("pCabEmpresa", FormatFloat("0000", empresa) + (nome.empty() ? "" : " - " + nome));
  Set("pCabInscricao", inscricao);
  std::string estab;
  int32_t codigo_estab;
  if (TryStrToInt(estabelecimento_, codigo_estab)) {
    const Variant nome_estab = nDMSQLDataSet().PegarValorCampo(
        "ESTAB", "NOMEESTAB",
        "CODIGOEMPRESA = " + codigo +
            " and CODIGOESTAB = " + ValorParaSQL(Variant(codigo_estab), ftInteger));
    estab = "Estab.: " + FormatFloat("0000", codigo_estab) +
            (nome_estab.IsNull() ? "" : " - " + nome_estab.AsString());
  }
  Set("pCabEstab", estab);
  Set("pCabTitulo", report_->Definition().title);
  ImpressaoCabecalho();
}

void TnCabecalhoRelatorio::ImpressaoCabecalho() {
  Set("pCabEmissao", "Emissão: " + FormatDateTime("dd/mm/yyyy hh:nn", Now()));
}

std::string ImprimeNomeEmpresa(int empresa, TDataSet*& dataset) {
  if (dataset == nullptr) {
    dataset = ExecutarSQL("select NOMEEMPRESA from EMPRESA where CODIGOEMPRESA = :empresa",
                          Variant(empresa), true, false, -1, "", nullptr, true);
  } else {
    RefreshSQL(dataset, Variant(empresa), true);
  }
  return dataset->IsEmpty() ? std::string() : dataset->Fields(0)->AsString();
}
