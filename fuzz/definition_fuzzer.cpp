// Report definitions (JSON) on arbitrary text: either an Exception naming the file, or a
// definition that prints: every section, twice, with the parameters' default values and the
// labels' masks, into a trace, without any error. The text, read as an SQL template, and a
// loaded definition's query give tokens that join back into the text, and the parameter binder
// finds exactly the template's parameters.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "basekit/SqlParameters.h"
#include "basekit/SqlTemplate.h"
#include "reportkit/Report.h"
#include "reportkit/ReportDefinition.h"
#include "reportkit/ReportDocument.h"
#include "reportkit/output/TraceDevice.h"
#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace {

void CheckTemplate(const std::string& sql) {
  std::string joined;
  std::vector<std::string> names;  // distinct parameters, as the binder must find them
  for (const stock::SqlToken& token : stock::TokenizeSqlTemplate(sql)) {
    FUZZ_CHECK(!token.text.empty(), "empty token");
    FUZZ_CHECK(token.text.data() == sql.data() + joined.size(), "tokens out of order");
    joined += token.text;
    if (token.kind == stock::SqlTokenKind::kParameter) {
      FUZZ_CHECK(std::string(token.text) == ":" + std::string(token.body), std::string(token.text));
      bool seen = false;
      for (const std::string& n : names) seen = seen || SameText(n, token.body);
      if (!seen) names.emplace_back(token.body);
    } else if (token.kind == stock::SqlTokenKind::kPlaceholder) {
      FUZZ_CHECK(token.text.substr(0, 2) == "{{", std::string(token.text));
      FUZZ_CHECK(token.text.size() == token.body.size() + (token.closed ? 4 : 2),
                 std::string(token.text));
    } else if (token.kind == stock::SqlTokenKind::kText) {
      FUZZ_CHECK(token.text.find("{{") == std::string_view::npos, std::string(token.text));
    }
  }
  FUZZ_CHECK(joined == sql, "the tokens do not give the text back");
  FUZZ_CHECK(stock::ParseNamedParameters(sql).names == names, sql);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckTemplate(text);
  const std::string file = "fuzz/definicao.json";
  std::shared_ptr<const stock::ReportDefinition> definition;
  try {
    definition = stock::ParseReportDefinition(text, file);
  } catch (const Exception& e) {
    FUZZ_CHECK(std::string(e.what()).find(file) != std::string::npos, e.what());
    return 0;
  }
  CheckTemplate(definition->sql);
  for (const stock::SqlToken& token : stock::TokenizeSqlTemplate(definition->sql)) {
    if (token.kind == stock::SqlTokenKind::kPlaceholder) {
      FUZZ_CHECK(stock::ReadIntervalPlaceholder(token.body).has_value(), std::string(token.text));
    }
  }
  TnrwReport report(definition);
  stock::TraceDevice trace;
  stock::ReportDocument document;
  document.device = &trace;
  trace.BeginDocument({definition->title, 46000.5});
  report.BeginPass(&document);
  try {
    for (int round = 0; round < 2; ++round) {
      for (const stock::SectionDef& section : definition->sections) {
        if (section.number != definition->footer) report.RepPrintSection(section.number);
      }
    }
    report.SetCSLIsPageEnd(true);
    report.EndPass();
  } catch (const Exception& e) {
    FUZZ_CHECK(false, std::string("a definition that loads does not print: ") + e.what());
  }
  trace.Finish();
  return 0;
}
