#include "basekit/SqlTemplate.h"

#include <cctype>

namespace stock {

namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool At(std::string_view sql, size_t i, std::string_view what) {
  return sql.compare(i, what.size(), what) == 0;
}

// The end of the quoted text that starts at sql[i] (quote `q`, doubled to escape); sets
// `closed` to whether its closing quote was found.
size_t QuotedEnd(std::string_view sql, size_t i, char q, bool& closed) {
  for (size_t j = i + 1; j < sql.size(); ++j) {
    if (sql[j] != q) continue;
    if (j + 1 < sql.size() && sql[j + 1] == q) {
      ++j;
      continue;
    }
    closed = true;
    return j + 1;
  }
  closed = false;
  return sql.size();
}

// The end of `close`, searched from `from`; the end of `sql` (and `closed` false) without it.
size_t DelimitedEnd(std::string_view sql, size_t from, std::string_view close, bool& closed) {
  const size_t at = sql.find(close, from);
  closed = at != std::string_view::npos;
  return closed ? at + close.size() : sql.size();
}

}  // namespace

std::vector<SqlToken> TokenizeSqlTemplate(std::string_view sql) {
  std::vector<SqlToken> tokens;
  size_t text_start = 0;  // start of the plain text not yet emitted
  auto emit = [&](SqlTokenKind kind, size_t begin, size_t end, std::string_view body, bool closed) {
    if (text_start < begin) {
      tokens.push_back({SqlTokenKind::kText, sql.substr(text_start, begin - text_start), {}, true});
    }
    tokens.push_back({kind, sql.substr(begin, end - begin), body, closed});
    text_start = end;
  };
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    bool closed = true;
    size_t end;
    if (c == '\'' || c == '"') {
      end = QuotedEnd(sql, i, c, closed);
      emit(c == '\'' ? SqlTokenKind::kString : SqlTokenKind::kQuotedName, i, end, {}, closed);
    } else if (At(sql, i, "--")) {
      end = sql.find('\n', i);
      if (end == std::string_view::npos) end = sql.size();
      emit(SqlTokenKind::kComment, i, end, {}, true);
    } else if (At(sql, i, "/*")) {
      end = DelimitedEnd(sql, i + 2, "*/", closed);
      emit(SqlTokenKind::kComment, i, end, {}, closed);
    } else if (At(sql, i, "::")) {
      end = i + 2;
      emit(SqlTokenKind::kCast, i, end, {}, true);
    } else if (c == ':' && i + 1 < sql.size() && IsNameStart(sql[i + 1])) {
      end = i + 2;
      while (end < sql.size() && IsNameChar(sql[end])) ++end;
      emit(SqlTokenKind::kParameter, i, end, sql.substr(i + 1, end - i - 1), true);
    } else if (At(sql, i, "{{")) {
      end = DelimitedEnd(sql, i + 2, "}}", closed);
      const size_t body_end = closed ? end - 2 : end;
      emit(SqlTokenKind::kPlaceholder, i, end, sql.substr(i + 2, body_end - i - 2), closed);
    } else {
      ++i;
      continue;
    }
    i = end;
  }
  if (text_start < sql.size()) {
    tokens.push_back({SqlTokenKind::kText, sql.substr(text_start), {}, true});
  }
  return tokens;
}

}  // namespace stock
