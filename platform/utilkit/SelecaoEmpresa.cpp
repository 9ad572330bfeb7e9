#include "utilkit/SelecaoEmpresa.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "basekit/DMConexao.h"
#include "datakit/FilterInterval.h"
#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace {

using Pieces = std::vector<std::pair<int64_t, int64_t>>;

// The condition of one piece over `column`; only integers reach the SQL.
std::string PieceCondition(const char* column, const std::pair<int64_t, int64_t>& piece) {
  if (piece.first == piece.second) return std::string(column) + " = " + std::to_string(piece.first);
  return std::string(column) + " between " + std::to_string(piece.first) + " and " +
         std::to_string(piece.second);
}

// A selection's pieces; a negative code on its own (an integer parameter) is one piece too.
Pieces ReadPieces(const std::string& text) {
  const std::string t = Trim(text);
  if (t.size() > 1 && t.size() < 19 && t[0] == '-' &&
      t.find_first_not_of("0123456789", 1) == std::string::npos) {
    const int64_t code = std::stoll(t);
    return {{code, code}};
  }
  return IntervalPieces(t);
}

}  // namespace

void VerificarSelecaoEmpresa(const std::string& empresas, const std::string& estabs) {
  const Pieces companies = ReadPieces(empresas);
  const Pieces establishments = ReadPieces(estabs);
  for (const auto& piece : companies) {
    if (piece.first != piece.second ||
        nDMConexao().ExecuteQueryExists("select 1 from EMPRESA where " +
                                        PieceCondition("CODIGOEMPRESA", piece))) {
      continue;
    }
    throw Exception("Empresa " + std::to_string(piece.first) + " não existe");
  }
  if (establishments.empty()) return;

  std::string in_companies;
  for (size_t i = 0; i < companies.size(); ++i) {
    in_companies += i == 0 ? " and (" : " or ";
    in_companies += PieceCondition("CODIGOEMPRESA", companies[i]);
  }
  if (!in_companies.empty()) in_companies += ")";
  std::string where;
  if (companies.empty()) {
    where = "em nenhuma empresa";
  } else if (companies.size() == 1 && companies[0].first == companies[0].second) {
    where = "na empresa " + std::to_string(companies[0].first);
  } else {
    where = "nas empresas selecionadas";
  }
  for (const auto& piece : establishments) {
    if (piece.first != piece.second ||
        nDMConexao().ExecuteQueryExists("select 1 from ESTAB where " +
                                        PieceCondition("CODIGOESTAB", piece) + in_companies)) {
      continue;
    }
    throw Exception("Estabelecimento " + std::to_string(piece.first) + " não existe " + where);
  }
}
