// The tokens of SQL templates: what is text, what is a parameter or a placeholder.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "basekit/SqlTemplate.h"

namespace {

using stock::SqlTokenKind;

// A token written compactly: a kind letter, the text, and for open tokens a trailing '!'.
// T text, S string, Q quoted name, C comment, K cast, H placeholder, P parameter.
std::string Describe(const stock::SqlToken& token) {
  static const char kLetters[] = "TSQCKHP";
  std::string d(1, kLetters[static_cast<int>(token.kind)]);
  d += "[" + std::string(token.text) + "]";
  if (!token.body.empty()) d += "(" + std::string(token.body) + ")";
  if (!token.closed) d += "!";
  return d;
}

std::vector<std::string> Tokens(const std::string& sql) {
  std::vector<std::string> out;
  std::string joined;
  for (const stock::SqlToken& t : stock::TokenizeSqlTemplate(sql)) {
    out.push_back(Describe(t));
    joined += t.text;
  }
  EXPECT_EQ(joined, sql) << "the tokens must give the statement back";
  return out;
}

TEST(SqlTemplate, TokensOfStatements) {
  struct Case {
    std::string sql;
    std::vector<std::string> tokens;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"select 1", {"T[select 1]"}},
      {"a = :pA and b = :_b2", {"T[a = ]", "P[:pA](pA)", "T[ and b = ]", "P[:_b2](_b2)"}},
      // An apostrophe inside a comment opens no string: the placeholder after it still counts.
      {"-- the company's groups\nwhere 1 = 1 {{interval pX A.B}}",
       {"C[-- the company's groups]", "T[\nwhere 1 = 1 ]",
        "H[{{interval pX A.B}}](interval pX A.B)"}},
      {"/* it's :x {{y}} */:z", {"C[/* it's :x {{y}} */]", "P[:z](z)"}},
      {"'it''s :x {{y}}' || :z", {"S['it''s :x {{y}}']", "T[ || ]", "P[:z](z)"}},
      {"\"a\"\"b:c\" = 'd'", {"Q[\"a\"\"b:c\"]", "T[ = ]", "S['d']"}},
      {"\"it's\" = :p", {"Q[\"it's\"]", "T[ = ]", "P[:p](p)"}},
      {"x::integer, y:::p", {"T[x]", "K[::]", "T[integer, y]", "K[::]", "P[:p](p)"}},
      {"hora = '10:30' and : x and :1 and x:",
       {"T[hora = ]", "S['10:30']", "T[ and : x and :1 and x:]"}},
      {"a -- fim", {"T[a ]", "C[-- fim]"}},
      {"a - -b / *c", {"T[a - -b / *c]"}},
      // What the statement ends before closing runs to its end, marked open.
      {"x = 'abc", {"T[x = ]", "S['abc]!"}},
      {"\"abc", {"Q[\"abc]!"}},
      {"/* abc", {"C[/* abc]!"}},
      {"{{interval p A", {"H[{{interval p A](interval p A)!"}},
      {"{{}}{ {", {"H[{{}}]", "T[{ {]"}},
      {"'a'':b'", {"S['a'':b']"}},
      {"''", {"S['']"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.sql), c.tokens) << c.sql;
}

}  // namespace
