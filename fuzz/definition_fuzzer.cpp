// Report definitions (JSON) on arbitrary text: either an Exception naming the file, or a
// definition that prints: every section, twice, with the parameters' default values and the
// labels' masks, into a trace, without any error.

#include <cstdint>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "reportkit/Report.h"
#include "reportkit/ReportDefinition.h"
#include "reportkit/ReportDocument.h"
#include "reportkit/output/TraceDevice.h"
#include "rtl/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string file = "fuzz/definicao.json";
  std::shared_ptr<const stock::ReportDefinition> definition;
  try {
    definition = stock::ParseReportDefinition(text, file);
  } catch (const Exception& e) {
    FUZZ_CHECK(std::string(e.what()).find(file) != std::string::npos, e.what());
    return 0;
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
