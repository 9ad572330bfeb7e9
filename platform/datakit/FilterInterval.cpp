#include "datakit/FilterInterval.h"

#include <algorithm>
#include <charconv>

#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace {

struct Piece {
  int64_t low, high;
};

[[noreturn]] void Invalid(const std::string& text) {
  throw Exception("Intervalo inválido: '" + text + "'");
}

bool ParseCode(std::string_view text, int64_t& value) {
  std::string t = Trim(text);
  if (t.empty() || t.size() > 18) return false;
  for (char c : t)
    if (c < '0' || c > '9') return false;
  std::from_chars(t.data(), t.data() + t.size(), value);
  return true;
}

std::vector<Piece> ParsePieces(const std::string& text) {
  std::vector<Piece> pieces;
  size_t start = 0;
  while (true) {
    size_t end = text.find(';', start);
    std::string_view piece = std::string_view(text).substr(
        start, end == std::string::npos ? std::string::npos : end - start);
    Piece p;
    size_t dots = piece.find("..");
    if (dots == std::string_view::npos) {
      if (!ParseCode(piece, p.low)) Invalid(text);
      p.high = p.low;
    } else {
      if (!ParseCode(piece.substr(0, dots), p.low) || !ParseCode(piece.substr(dots + 2), p.high) ||
          p.low > p.high)
        Invalid(text);
    }
    pieces.push_back(p);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return pieces;
}

void CheckColumn(const std::string& column) {
  bool ok = !column.empty();
  for (char c : column)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
          c == '.'))
      ok = false;
  if (!ok) throw Exception("Nome de coluna inválido para intervalo: '" + column + "'");
}

std::string ColumnCondition(const std::string& column, const std::vector<Piece>& pieces) {
  std::string out = "(";
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) out += " or ";
    const Piece& p = pieces[i];
    if (p.low == p.high)
      out += column + " = " + std::to_string(p.low);
    else
      out += column + " between " + std::to_string(p.low) + " and " + std::to_string(p.high);
  }
  return out + ")";
}

}  // namespace

std::vector<std::pair<int64_t, int64_t>> IntervalPieces(const std::string& text) {
  std::vector<std::pair<int64_t, int64_t>> out;
  if (Trim(text).empty()) return out;
  for (const Piece& p : ParsePieces(text)) out.emplace_back(p.low, p.high);
  return out;
}

std::string FilterInterval(const std::vector<std::string>& columns, const std::string& text,
                           const TnTiposInclusao& kinds, bool conjunction, int /*reserved*/) {
  std::vector<std::string> names;
  for (const std::string& column : columns) {
    std::string name = Trim(column);
    CheckColumn(name);
    names.push_back(name);
  }
  if (names.empty()) throw Exception("Nenhuma coluna informada para o intervalo");
  if (Trim(text).empty()) return conjunction ? std::string() : std::string("(1 = 1) ");
  std::vector<Piece> pieces = ParsePieces(text);

  std::string condition;
  if (names.size() == 1) {
    condition = ColumnCondition(names[0], pieces);
  } else {
    condition = "(";
    for (size_t i = 0; i < names.size(); ++i) {
      if (i > 0) condition += " and ";
      condition += ColumnCondition(names[i], pieces);
    }
    condition += ")";
  }
  bool include = kinds.empty() || std::find(kinds.begin(), kinds.end(), tiIncluir) != kinds.end();
  if (!include) condition = "not " + condition;
  return (conjunction ? " and " : "") + condition + " ";
}

std::string FilterInterval(const std::string& columns, const std::string& text,
                           const TnTiposInclusao& kinds, bool conjunction, int reserved) {
  std::vector<std::string> names;
  size_t start = 0;
  while (true) {
    size_t end = columns.find_first_of(",;", start);
    names.push_back(
        columns.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return FilterInterval(names, text, kinds, conjunction, reserved);
}
