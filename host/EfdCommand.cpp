// stockreports efd: the inventory as the Bloco H of an EFD ICMS/IPI file, and the check of
// such a file against the layout and the database.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "basekit/Conexao.h"
#include "basekit/PgDatabase.h"
#include "efdkit/BlocoHExport.h"
#include "efdkit/EfdCheck.h"
#include "efdkit/EfdText.h"
#include "host/Commands.h"
#include "host/ReportParameters.h"
#include "rtl/DateTime.h"
#include "rtl/Exception.h"
#include "rtl/StrConv.h"

namespace stock::host {

namespace {

ReportDefinition MakeDefinition() {
  ReportDefinition d;
  d.name = "efd";
  d.title = "Bloco H da EFD ICMS/IPI (inventário), para importar no PVA";
  d.params = {
      {"pCodigoEmpresa", TnParamType::Integer, "Empresa", "1", true, false, {}, "empresas"},
      {"pCodigoEstab",
       TnParamType::Integer,
       "Estabelecimento",
       "1",
       true,
       false,
       {},
       "estabelecimentos"},
      {"pDataInventario",
       TnParamType::Date,
       "Data do inventário (dd/mm/aaaa)",
       "",
       true,
       true,
       {},
       ""},
      {"pMotivoInventario",
       TnParamType::Integer,
       "Motivo do inventário (1 = final do período, 2 = mudança de tributação, 3 = baixa, "
       "4 = mudança de regime, 5 = determinação do fisco)",
       "1",
       true,
       false,
       {},
       ""},
      {"pPeriodo",
       TnParamType::Text,
       "Mês da EFD que leva o inventário (mm/aaaa; vazio = motivo 1: o segundo mês depois da data, "
       "outros: o mês da data)",
       "",
       true,
       false,
       {},
       ""},
  };
  return d;
}

std::string ValueOf(const std::vector<std::pair<std::string, std::string>>& given,
                    const ParamDef& p) {
  std::string value = p.default_value;
  for (const auto& [name, v] : given)
    if (name == p.name) value = v;
  return value;
}

// "02/2027" into month and year; false when it is not a month.
bool ParseMonth(const std::string& text, int& month, int& year) {
  if (text.size() != 7 || text[2] != '/') return false;
  for (size_t i : {0, 1, 3, 4, 5, 6})
    if (text[i] < '0' || text[i] > '9') return false;
  month = std::stoi(text.substr(0, 2));
  year = std::stoi(text.substr(3));
  return month >= 1 && month <= 12 && year >= 1900;
}

std::string IsoOf(TDateTime date) {
  const DateParts p = DecodeDate(date);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", p.year, p.month, p.day);
  return text;
}

void OpenDatabase(const std::string& db) {
  if (!stock::EhServidorPostgreSQL(db) && !std::filesystem::exists(db)) {
    throw Exception("Banco de dados não encontrado: '" + db + "'");
  }
  SetConexaoPadrao(std::make_unique<TnConexao>(db, TnModoAbertura::SomenteLeitura));
}

int RunCheck(const EfdArgs& args, const std::vector<std::pair<std::string, std::string>>& given) {
  std::ifstream in(args.check, std::ios::binary);
  if (!in) throw Exception("Não foi possível ler o arquivo '" + args.check + "'.");
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const efd::FileCheck file = efd::CheckFile(bytes);
  for (const std::string& problem : file.problems) std::cout << "Erro: " << problem << "\n";
  if (file.problems_left_out > 0)
    std::cout << "... e mais " << file.problems_left_out << " erros.\n";
  int company = 0, estab = 0;
  for (const auto& [name, value] : given) {
    if (name == "pCodigoEmpresa") company = std::stoi(value);
    if (name == "pCodigoEstab") estab = std::stoi(value);
  }
  std::vector<std::string> differences;
  if (!file.inventories.empty() && (!file.cnpj.empty() || !file.cpf.empty() || company != 0)) {
    OpenDatabase(args.db);
    differences = efd::Reconcile(ConexaoPadrao(), file, company, estab);
    SetConexaoPadrao(nullptr);
  }
  for (const std::string& d : differences) std::cout << "Diferença: " << d << "\n";
  if (file.problems.empty() && differences.empty()) {
    std::cout << args.check << ": estrutura conforme o leiaute, " << file.lines << " linhas; ";
    for (const efd::FileInventory& inv : file.inventories) {
      std::cout << "inventário de " << efd::ShortFromEfdDate(efd::EfdDate(inv.date)) << " (motivo "
                << inv.motive << ") " << efd::MoneyText(inv.declared)
                << " confere com o livro e a listagem. ";
    }
    std::cout << "\n";
    return kOk;
  }
  std::cout << args.check << ": " << file.problems.size() + file.problems_left_out
            << " erro(s) de estrutura, " << differences.size() << " diferença(s) com o banco.\n";
  return kError;
}

}  // namespace

const ReportDefinition& EfdDefinition() {
  static const ReportDefinition definition = MakeDefinition();
  return definition;
}

efd::ExportRequest MakeEfdRequest(const std::vector<std::string>& params) {
  const ReportDefinition& definition = EfdDefinition();
  std::vector<std::pair<std::string, std::string>> given;
  try {
    given = ResolveParameters(definition, params);
  } catch (const UsageError&) {
    throw;
  } catch (const Exception& e) {
    throw UsageError(e.what());
  }
  efd::ExportRequest request;
  request.motive = std::stoi(ValueOf(given, definition.params[3]));
  if (request.motive < 1 || request.motive > 5) {
    throw UsageError("O parâmetro pMotivoInventario (" + definition.params[3].caption +
                     ") aceita de 1 a 5; ex.: -p pMotivoInventario=1");
  }
  const std::string period = ValueOf(given, definition.params[4]);
  if (!period.empty() && !ParseMonth(period, request.period_month, request.period_year)) {
    throw UsageError("O valor '" + period + "' não é um mês válido para o parâmetro pPeriodo (" +
                     definition.params[4].caption + "); aceita mm/aaaa, ex.: -p pPeriodo=02/2027");
  }
  request.company = std::stoi(ValueOf(given, definition.params[0]));
  request.estab = std::stoi(ValueOf(given, definition.params[1]));
  request.date = IsoOf(StrToDate(ValueOf(given, definition.params[2])));
  return request;
}

int RunEfd(const EfdArgs& args) {
  efd::ExportRequest request;
  std::vector<std::pair<std::string, std::string>> given;
  try {
    if (!args.check.empty()) {
      // The check needs no date: the file names its inventories.
      ReportDefinition accepted = EfdDefinition();
      accepted.params[2].required = false;
      given = ResolveParameters(accepted, args.params);
    } else {
      request = MakeEfdRequest(args.params);
      if (args.out.empty()) throw UsageError("Falta a opção --out (o arquivo da EFD a gravar).");
    }
  } catch (const std::exception& e) {  // UsageError, or a value that does not fit its type
    std::cerr << "Erro: " << e.what() << "\n";
    return kUsage;
  }
  try {
    if (!args.check.empty()) return RunCheck(args, given);
    request.out = args.out;
    OpenDatabase(args.db);
    const efd::ExportSummary s = efd::ExportBlocoH(ConexaoPadrao(), request);
    SetConexaoPadrao(nullptr);
    std::cout << args.out << ": EFD ICMS/IPI leiaute " << s.version << ", período "
              << efd::ShortFromEfdDate(efd::EfdDate(s.period_start)) << " a "
              << efd::ShortFromEfdDate(efd::EfdDate(s.period_end)) << "; " << s.lines
              << " linhas de inventário, " << s.h010 << " registros H010, total "
              << efd::MoneyText(s.total_cents) << "; " << s.file_lines << " linhas no arquivo\n";
    return kOk;
  } catch (const std::exception& e) {
    SetConexaoPadrao(nullptr);
    std::cerr << "Erro: " << e.what() << "\n";
    return kError;
  }
}

}  // namespace stock::host
