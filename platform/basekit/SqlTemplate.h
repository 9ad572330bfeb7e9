#pragma once
// The one reader of SQL text with parameters and placeholders. Every piece of code that looks
// for ":name" parameters or "{{...}}" placeholders in a statement goes through these tokens, so
// that quotes and comments mean the same thing everywhere: a ':' or "{{" inside '...', "...",
// "-- ..." or "/* ... */" is text, and an apostrophe inside a comment opens no string.

#include <string_view>
#include <vector>

namespace stock {

enum class SqlTokenKind {
  kText,         // anything else, as written
  kString,       // '...' ('' inside stands for one apostrophe)
  kQuotedName,   // "..." ("" inside stands for one double quote)
  kComment,      // "-- ..." up to the line break (not part of it), or "/* ... */"
  kCast,         // "::"
  kPlaceholder,  // "{{ ... }}"; `body` is what stands between the braces
  kParameter,    // ":name"; `body` is the name
};

struct SqlToken {
  SqlTokenKind kind = SqlTokenKind::kText;
  std::string_view text;  // the token as written, a view into the statement
  std::string_view body;  // the placeholder's inside or the parameter's name; empty otherwise
  // False for a string, quoted name, block comment or placeholder that the statement ends
  // before closing; such a token runs to the end of the statement.
  bool closed = true;
};

// Splits `sql` into tokens. The tokens' texts, joined in order, are `sql` exactly; adjacent
// plain text forms one kText token. A parameter name starts with a letter or '_' and goes on
// with letters, digits and '_'; a ':' not followed by one is text. Never fails.
std::vector<SqlToken> TokenizeSqlTemplate(std::string_view sql);

}  // namespace stock
