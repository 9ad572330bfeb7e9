#pragma once
// Named query parameters. Statements name their parameters ":name"; a name used twice is one
// parameter. Names compare without regard to case, as the report definitions write them freely.

#include <string>
#include <vector>

namespace stock {

struct ParsedSql {
  // The statement with every ":name" replaced by "?N" (or the marker given: "$N"), N being the
  // parameter's 1-based position among the distinct names.
  std::string positional;
  // The distinct names (without ':'), in order of first appearance, as first written.
  std::vector<std::string> names;
};

// Finds the ":name" parameters of `sql` (TokenizeSqlTemplate's). Text inside quotes ('...' and
// "...") and comments (-- and /* */) is left alone, and so are a "::" cast and a "{{...}}". A name
// starts with a letter or '_' and goes on with letters, digits and '_'. Never fails: a lone ':' is
// kept as it stands.
ParsedSql ParseNamedParameters(const std::string& sql, char marker = '?');

}  // namespace stock
