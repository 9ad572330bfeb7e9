#include "invkit/InvDPGerarSaldoInv.h"

#include "basekit/DataModules.h"
#include "datakit/ClientDataSet.h"
#include "datakit/FilterInterval.h"
#include "rtl/Exception.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"

namespace {

constexpr const char* kNomeModulo = "TnInvDPGerarSaldoInv";
constexpr const char* kNomeDataSet = "nClientDataSetGrupoProduto";

// Registered when the host library loads.
[[maybe_unused]] const bool registrado = [] {
  RegisterDataModule(kNomeModulo, [] { return std::make_unique<TnInvDPGerarSaldoInv>(); });
  return true;
}();

std::string Condicao(const std::string& coluna, const std::string& selecao) {
  return FilterInterval(coluna, Trim(selecao), {tiIncluir}, true, 3);
}

}  // namespace

TnInvDPGerarSaldoInv::TnInvDPGerarSaldoInv() {
  GetParams()->Add("pCodigoEmpresa", TnParamType::Interval, "Empresa(s)", "");
  GetParams()->Add("pCodigoEstab", TnParamType::Interval, "Estabelecimento(s)", "");
  GetParams()->Add("pDataInicial", TnParamType::Date, "Data do saldo", "");
  GetParams()->Add("pClassifConta", TnParamType::Text, "Classificação do grupo", "");
  GetParams()->Add("pMotivoInventario", TnParamType::Interval, "Motivo(s) do inventário", "");
}

TnInvDPGerarSaldoInv::~TnInvDPGerarSaldoInv() { Liberar(); }

std::string TnInvDPGerarSaldoInv::ClassName() const { return kNomeModulo; }

void TnInvDPGerarSaldoInv::Liberar() {
  SetComponent(kNomeDataSet, nullptr);
  DestruirSQL(nClientDataSetGrupoProduto_);
}

std::string TnInvDPGerarSaldoInv::MontarSQL() const {
  const TnpqPowerParam* p = GetParams();
  const std::string empresa = Condicao("L.CODIGOEMPRESA", p->GetValues("pCodigoEmpresa"));
  const std::string estab = Condicao("L.CODIGOESTAB", p->GetValues("pCodigoEstab"));
  const std::string motivo = Condicao("L.MOTIVOINVENTARIO", p->GetValues("pMotivoInventario"));
  // DATAS: the inventory of each establishment that the balance comes from.
  // VALORES: its lines summed by the product's group; TOTAIS: the establishment's total.
  // ARVORE: each classification that holds value paired with itself and with every group
  // above it (its prefixes that end before a "."), found by index through the classification
  // lengths NIVEIS, so that a summary group adds up its whole branch. The classification
  // prefix is compared with substr, not like, so that "_" or "%" in it are plain characters.
  return "with recursive DATAS as ("
         " select L.CODIGOEMPRESA, L.CODIGOESTAB, max(L.DATAINVENT) as DATAINVENT"
         " from LCTOINV L"
         " where L.DATAINVENT <= :data " +
         empresa + estab + motivo +
         " group by L.CODIGOEMPRESA, L.CODIGOESTAB),"
         " VALORES as ("
         " select L.CODIGOEMPRESA, L.CODIGOESTAB, G.CLASSIFGRUPOPRODUTO,"
         " sum(L.VALORTOTAL) as VALOR"
         " from DATAS D"
         " join LCTOINV L on L.CODIGOEMPRESA = D.CODIGOEMPRESA"
         " and L.CODIGOESTAB = D.CODIGOESTAB and L.DATAINVENT = D.DATAINVENT"
         " join PRODUTO P on P.CODIGOEMPRESA = L.CODIGOEMPRESA"
         " and P.CODIGOPRODUTO = L.CODIGOPRODUTO"
         " join GRUPOPRODUTO G on G.CODIGOEMPRESA = P.CODIGOEMPRESA"
         " and G.CODIGOGRUPOPRODUTO = P.CODIGOGRUPOPRODUTO"
         " where substr(G.CLASSIFGRUPOPRODUTO, 1, length(:classif)) = :classif " +
         motivo +
         " group by L.CODIGOEMPRESA, L.CODIGOESTAB, G.CLASSIFGRUPOPRODUTO),"
         " TOTAIS as ("
         " select CODIGOEMPRESA, CODIGOESTAB, sum(VALOR) as TOTAL from VALORES"
         " group by CODIGOEMPRESA, CODIGOESTAB),"
         " CLASSES as (select distinct CODIGOEMPRESA, CLASSIFGRUPOPRODUTO from VALORES),"
         " NIVEIS (N) as (select 1 union all select N + 1 from NIVEIS"
         " where N < (select max(length(CLASSIFGRUPOPRODUTO)) from CLASSES)),"
         " ARVORE as ("
         " select G.CODIGOEMPRESA, G.TIPOGRUPOPRODUTO, G.CLASSIFGRUPOPRODUTO,"
         " G.DESCRGRUPOPRODUTO, C.CLASSIFGRUPOPRODUTO as CLASSIFRAMO"
         " from CLASSES C"
         " join NIVEIS K on K.N <= length(C.CLASSIFGRUPOPRODUTO)"
         " join GRUPOPRODUTO G on G.CODIGOEMPRESA = C.CODIGOEMPRESA"
         " and G.CLASSIFGRUPOPRODUTO = substr(C.CLASSIFGRUPOPRODUTO, 1, K.N)"
         " where (K.N = length(C.CLASSIFGRUPOPRODUTO)"
         " or substr(C.CLASSIFGRUPOPRODUTO, K.N + 1, 1) = '.')"
         " and substr(G.CLASSIFGRUPOPRODUTO, 1, length(:classif)) = :classif)"
         " select A.CODIGOEMPRESA, V.CODIGOESTAB, A.TIPOGRUPOPRODUTO, A.CLASSIFGRUPOPRODUTO,"
         " A.DESCRGRUPOPRODUTO, round(sum(V.VALOR), 2) as VALORLCTO,"
         " round(T.TOTAL, 2) as TOTALESTAB"
         " from ARVORE A"
         " join VALORES V on V.CODIGOEMPRESA = A.CODIGOEMPRESA"
         " and V.CLASSIFGRUPOPRODUTO = A.CLASSIFRAMO"
         " join TOTAIS T on T.CODIGOEMPRESA = V.CODIGOEMPRESA and T.CODIGOESTAB = V.CODIGOESTAB"
         " group by A.CODIGOEMPRESA, V.CODIGOESTAB, A.TIPOGRUPOPRODUTO, A.CLASSIFGRUPOPRODUTO,"
         " A.DESCRGRUPOPRODUTO, T.TOTAL"
         " order by A.CODIGOEMPRESA, V.CODIGOESTAB, A.CLASSIFGRUPOPRODUTO";
}

void TnInvDPGerarSaldoInv::Executar() {
  Liberar();
  const std::string texto = Trim(GetParams()->GetValues("pDataInicial"));
  if (texto.empty()) throw Exception("Data inicial inválida.");
  const TDateTime data = StrToDate(texto);
  const std::string sql = MontarSQL();
  const std::string classif = Trim(GetParams()->GetValues("pClassifConta"));
  nClientDataSetGrupoProduto_ =
      ExecutarSQL(sql, VarArrayOf({Variant::FromDate(data), Variant(classif)}), true, false, -1,
                  kNomeDataSet, nullptr, true);
  if (dynamic_cast<TnClientDataSet*>(nClientDataSetGrupoProduto_) == nullptr) {
    Liberar();
    throw Exception("O resultado do saldo por grupo não é um TnClientDataSet");
  }
  SetComponent(kNomeDataSet, nClientDataSetGrupoProduto_);
}
