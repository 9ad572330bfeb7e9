#include "reportkit/Assinaturas.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "basekit/DMSQLDataSet.h"
#include "basekit/ExecutarSQL.h"
#include "datakit/SqlLiterals.h"
#include "reportkit/Report.h"
#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"
#include "utilkit/InscrFederal.h"
#include "utilkit/VarToIntDef.h"

namespace {

struct Bloco {
  std::string nome, cargo, documento;
};

// Sets the parameters a block shows.
void Preencher(TnrwReport& report, const Bloco& bloco) {
  TnpqPowerParam* params = report.GetParams();
  auto set = [&](const char* name, const std::string& value) {
    if (params->FindParam(name) != nullptr) params->SetValues(name, value);
  };
  set("pAssinNome", bloco.nome);
  set("pAssinCargo", bloco.cargo);
  set("pAssinDoc", bloco.documento);
}

std::string Documento(bool imprime, const std::string& cpf, int empresa) {
  if (!imprime || Trim(cpf).empty()) return {};
  return "CPF: " + FormatarInscrFederal(TnTipoInscrFederal::CPF, cpf, empresa, true);
}

// The signing partners or directors of `empresa` in office on `data`.
std::vector<Bloco> Socios(int tipo, int empresa, TDateTime data, bool imprime_documento) {
  TDataSet* cur = nullptr;
  SQLDataSetGuard guard(cur);
  cur = ExecutarSQL(
      "select NOMESOCIO, QUALIFICACAO, CPF from SOCIO where CODIGOEMPRESA = :empresa "
      "and TIPOASSINANTE = :tipo and ASSINALIVROS = 1 and DATAENTRADA <= :data "
      "and (DATASAIDA is null or DATASAIDA >= :data) order by CODIGOSOCIO",
      VarArrayOf({Variant(empresa), Variant(tipo), Variant::FromDate(data)}), true, false, -1, "",
      nullptr, true);
  std::vector<Bloco> blocos;
  for (; !cur->GetEof(); cur->Next()) {
    blocos.push_back({Trim(cur->Fields(0)->AsString()), Trim(cur->Fields(1)->AsString()),
                      Documento(imprime_documento, cur->Fields(2)->AsString(), empresa)});
  }
  return blocos;
}

// The accountant's block; false when there is none to sign.
bool Contador(int empresa, const std::string& codigo_texto, bool imprime_documento, Bloco& bloco) {
  int codigo;
  if (Trim(codigo_texto).empty()) {
    const Variant v = nDMSQLDataSet().PegarValorCampo(
        "CFGEMPRESAGEM", "CODIGOCONTADOR", "CODIGOEMPRESA = " + ValorParaSQL(Variant(empresa)));
    codigo = VarToIntDef(v, 0);
    if (codigo == 0) return false;
  } else {
    try {
      codigo = StrToInt(codigo_texto);
    } catch (const EConvertError& e) {
      throw EConvertError(std::string("Código do contador: ") + e.what());
    }
  }
  TDataSet* cur = nullptr;
  SQLDataSetGuard guard(cur);
  cur = ExecutarSQL("select NOMECONTADOR, CRC, CPF from CONTADOR where CODIGOCONTADOR = :codigo",
                    VarArrayOf({Variant(codigo)}), true, false, -1, "", nullptr, true);
  if (cur->IsEmpty()) return false;
  bloco.nome = Trim(cur->Fields(0)->AsString());
  bloco.cargo = "Contador - CRC " + Trim(cur->Fields(1)->AsString());
  bloco.documento = Documento(imprime_documento, cur->Fields(2)->AsString(), empresa);
  return true;
}

// How many signature blocks fit across the page: a block is as wide as the longest line of
// sections `a` and `b` (its line to sign) and a tenth of it around; 1 without such a line.
int BlocosPorLinha(const TnrwReport& report, int a, int b) {
  const stock::ReportDefinition& def = report.Definition();
  double bloco = 0;
  for (int numero : {a, b}) {
    const stock::SectionDef* secao = def.FindSection(numero);
    if (secao == nullptr) continue;
    for (const stock::LineDef& l : secao->lines)
      bloco = std::max<double>(bloco, std::abs(l.x2 - l.x1));
  }
  if (bloco <= 0) return 1;
  const stock::PageDef& page = def.page;
  const double largura = (page.width - page.margin_left - page.margin_right) / page.scale;
  return std::max(1, static_cast<int>(largura / (bloco * 1.1)));
}

}  // namespace

std::string ImprimeAssinaturas(TnrwReport* report, int secao_socio, int secao_contador,
                               int tipo_socio, int empresa, bool assina_contador,
                               const std::string& data, bool imprime_documento,
                               const std::string& codigo_contador, bool avisar,
                               bool somente_primeiro, int* impressos) {
  if (report == nullptr) throw Exception("ImprimeAssinaturas: relatório não informado");
  TDateTime dia;
  try {
    dia = StrToDate(data);
  } catch (const EConvertError& e) {
    throw EConvertError(std::string("Data das assinaturas: ") + e.what());
  }
  std::vector<std::string> faltas;
  std::vector<std::pair<int, Bloco>> blocos;  // (section, block), in printing order
  if (tipo_socio == 1 || tipo_socio == 2) {
    std::vector<Bloco> socios = Socios(tipo_socio, empresa, dia, imprime_documento);
    if (socios.empty()) {
      const char* quem = tipo_socio == 1 ? "sócio" : "diretor";
      socios.push_back({"", tipo_socio == 1 ? "Sócio" : "Diretor", ""});
      faltas.push_back(std::string("não há ") + quem + " que assine os livros em " +
                       DateToStr(dia));
    }
    if (somente_primeiro) socios.resize(1);
    for (Bloco& b : socios) blocos.emplace_back(secao_socio, std::move(b));
  }
  if (assina_contador) {
    Bloco contador{"", "Contador", ""};
    if (!Contador(empresa, codigo_contador, imprime_documento, contador)) {
      faltas.push_back(Trim(codigo_contador).empty()
                           ? std::string("não há contador cadastrado para a empresa")
                           : "o contador " + Trim(codigo_contador) + " não está cadastrado");
    }
    blocos.emplace_back(secao_contador, std::move(contador));
  }
  if (impressos != nullptr) *impressos = static_cast<int>(blocos.size());
  // As few rows as the blocks across allow, as evenly filled as they can be, each centred.
  const int n = static_cast<int>(blocos.size());
  const int porLinha = BlocosPorLinha(*report, secao_socio, secao_contador);
  const int linhas = (n + porLinha - 1) / porLinha;
  const int colunas = linhas == 0 ? 1 : (n + linhas - 1) / linhas;
  for (int i = 0; i < n;) {
    const int nesta = std::min(colunas, n - i);
    if (colunas > 1) {
      // The row is as tall as its tallest block: it moves whole to the next page when needed.
      int altura = 0;
      for (int j = 0; j < nesta; ++j) {
        Preencher(*report, blocos[i + j].second);
        altura = std::max(altura, report->CellHeight(blocos[i + j].first, nesta, colunas, j));
      }
      report->BeginRow(nesta, colunas, altura);
    }
    for (int j = 0; j < nesta; ++j, ++i) {
      Preencher(*report, blocos[i].second);
      report->RepPrintSection(blocos[i].first);
    }
  }
  std::string aviso;
  if (!avisar) return aviso;
  for (const std::string& f : faltas) aviso += (aviso.empty() ? "" : "; ") + f;
  return aviso;
}
