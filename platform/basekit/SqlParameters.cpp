#include "basekit/SqlParameters.h"

#include <cctype>

#include "rtl/StringUtils.h"

namespace stock {

namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Copies the quoted text that starts at sql[i] (quote character `q`, doubled to escape) to
// `out` and returns the index after it. An unterminated quote runs to the end.
size_t CopyQuoted(const std::string& sql, size_t i, char q, std::string& out) {
  size_t j = i + 1;
  while (j < sql.size()) {
    if (sql[j] == q) {
      if (j + 1 < sql.size() && sql[j + 1] == q) {
        j += 2;
        continue;
      }
      ++j;
      break;
    }
    ++j;
  }
  out.append(sql, i, j - i);
  return j;
}

}  // namespace

ParsedSql ParseNamedParameters(const std::string& sql, char marker) {
  ParsedSql result;
  result.positional.reserve(sql.size() + 8);
  size_t i = 0;
  while (i < sql.size()) {
    char c = sql[i];
    if (c == '\'' || c == '"') {
      i = CopyQuoted(sql, i, c, result.positional);
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      size_t end = sql.find('\n', i);
      end = end == std::string::npos ? sql.size() : end;
      result.positional.append(sql, i, end - i);
      i = end;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      size_t end = sql.find("*/", i + 2);
      end = end == std::string::npos ? sql.size() : end + 2;
      result.positional.append(sql, i, end - i);
      i = end;
    } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
      result.positional.append("::");
      i += 2;
    } else if (c == ':' && i + 1 < sql.size() && IsNameStart(sql[i + 1])) {
      size_t end = i + 1;
      while (end < sql.size() && IsNameChar(sql[end])) ++end;
      std::string name = sql.substr(i + 1, end - i - 1);
      size_t index = 0;
      while (index < result.names.size() && !SameText(result.names[index], name)) ++index;
      if (index == result.names.size()) result.names.push_back(std::move(name));
      result.positional += marker;
      result.positional += std::to_string(index + 1);
      i = end;
    } else {
      result.positional += c;
      ++i;
    }
  }
  return result;
}

}  // namespace stock
