#include "demo/SuiteSchema.h"

#include "demo/SuiteSchemaText.h"

namespace stock {

std::string_view SuiteSchemaSql() { return kSuiteSchemaText; }

std::vector<std::string> SuiteSchemaStatements() {
  // The script has no ';' inside string literals; comments run from "--" to the line end and
  // may hold ';'.
  std::vector<std::string> statements;
  std::string current;
  std::string_view text = kSuiteSchemaText;
  auto flush = [&] {
    size_t first = current.find_first_not_of(" \t\r\n");
    if (first != std::string::npos) {
      size_t last = current.find_last_not_of(" \t\r\n");
      statements.push_back(current.substr(first, last - first + 1));
    }
    current.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "--") == 0) {
      size_t end = text.find('\n', i);
      if (end == std::string_view::npos) break;
      i = end;
      current += '\n';
    } else if (text[i] == ';') {
      flush();
    } else {
      current += text[i];
    }
  }
  flush();
  return statements;
}

bool IsCreateIndex(std::string_view statement) {
  return statement.rfind("CREATE INDEX", 0) == 0 || statement.rfind("CREATE UNIQUE INDEX", 0) == 0;
}

}  // namespace stock
