#include "basekit/SqlParameters.h"

#include "basekit/SqlTemplate.h"
#include "rtl/StringUtils.h"

namespace stock {

ParsedSql ParseNamedParameters(const std::string& sql, char marker) {
  ParsedSql result;
  result.positional.reserve(sql.size() + 8);
  for (const SqlToken& token : TokenizeSqlTemplate(sql)) {
    if (token.kind != SqlTokenKind::kParameter) {
      result.positional.append(token.text);
      continue;
    }
    size_t index = 0;
    while (index < result.names.size() && !SameText(result.names[index], token.body)) ++index;
    if (index == result.names.size()) result.names.emplace_back(token.body);
    result.positional += marker;
    result.positional += std::to_string(index + 1);
  }
  return result;
}

}  // namespace stock
