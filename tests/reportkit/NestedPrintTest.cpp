// A report printed inside another (RepInterno): whatever fails inside, the error reaches the
// caller as an Exception, the process survives and nothing is published.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ReportFixture.h"
#include "reportkit/DMReport.h"
#include "reportkit/PluginRun.h"
#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace stock::test {
namespace {

// The small definition printed by the probe plug-in in mode `modo`, with section 9 as footer.
std::string InnerDefinition(const std::string& modo) {
  std::string json =
      SmallDefinition("interno", "probeReport", R"(, {"name": "Interno", "text": "termo"})");
  json = ReplaceAll(json, R"({"name": "pModo", "default": "print"})",
                    R"({"name": "pModo", "default": ")" + modo + R"("})");
  return ReplaceAll(json, R"("title": "Teste")", R"("title": "Teste", "footer": 9)");
}

// A trace whose pages fail from the `fail_from`-th page begun on: that BeginPage and every
// later EndPage raise, as a device whose disk filled up would.
class FailingDevice : public TraceDevice {
 public:
  explicit FailingDevice(int fail_from) : fail_from_(fail_from) {}
  void BeginPage(int page_number, const PageFormat& page) override {
    if (++begun_ >= fail_from_) throw Exception("disco cheio");
    TraceDevice::BeginPage(page_number, page);
  }
  void EndPage() override {
    if (begun_ >= fail_from_) throw Exception("disco cheio");
    TraceDevice::EndPage();
  }

 private:
  int fail_from_;
  int begun_ = 0;
};

class NestedPrintRun : public ReportTest {
 protected:
  // Runs the outer probe report, which prints section 8, the inner definition and section 8.
  RunOutcome RunOuter(const std::string& inner_modo, OutputDevice& device,
                      const std::string& outer_labels = "") {
    WriteDefinition("externo", SmallDefinition("externo", "probeReport", outer_labels));
    WriteDefinition("interno", InnerDefinition(inner_modo));
    module_ = OpenReportModule("externo");
    return RunReport(*module_, {"externo", {{"pModo", "inner"}, {"pInterno", "interno"}}, nullptr},
                     device);
  }
  std::unique_ptr<TnDMReport> module_;
};

TEST_F(NestedPrintRun, InnerFooterRunsItsHooksWhileTheInnerInstanceLives) {
  RunOutcome outcome = RunOuter("footer", trace_);
  EXPECT_EQ(outcome.pages, 3);
  const std::vector<std::string> lines = trace_.Lines();
  // The inner page ends with its footer, then the outer report goes on on a page of its own.
  auto footer = std::find(lines.begin(), lines.end(), "section 9: Fecho=fim");
  ASSERT_NE(footer, lines.end());
  EXPECT_EQ(*(footer + 1), "page 1 end");
  EXPECT_EQ(*(footer + 2), "page 2 begin");
  EXPECT_EQ(lines.back(), "finish");
}

TEST_F(NestedPrintRun, EveryFailureInsideReachesTheCallerAsAnException) {
  struct Case {
    const char* modo;
    const char* message_part;
  };
  for (const Case& c : {Case{"raise", "falha de teste"}, Case{"footerraise", "falha no rodapé"},
                        Case{"stdraise", "interno"}}) {
    SCOPED_TRACE(c.modo);
    TraceDevice trace;
    try {
      RunOuter(c.modo, trace);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos) << e.what();
    }
    EXPECT_FALSE(module_->GetReport()->HasHooks());
    ASSERT_FALSE(trace.Lines().empty());
    EXPECT_NE(trace.Lines().back(), "finish");  // nothing published
  }
}

TEST_F(NestedPrintRun, DeviceFailingDuringTheInnerPassIsAnExceptionNotAnAbort) {
  FailingDevice device(2);  // the inner report's first page
  try {
    RunOuter("footer", device);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "disco cheio");
  }
  EXPECT_NE(device.Lines().back(), "finish");
}

TEST_F(NestedPrintRun, InsideATwoPassPrintTheInnerPagesAreCounted) {
  RunOutcome outcome = RunOuter("print", trace_, R"(, {"name": "Total", "text": "de @PageCount"})");
  EXPECT_EQ(outcome.pages, 3);
  EXPECT_EQ(module_->GetReport()->GetParams()->GetValues("pLog"), "FT");
  EXPECT_EQ(Lines("section 1"),
            (std::vector<std::string>{"section 1: Pagina=Página 1 | Total=de 3",
                                      "section 1: Pagina=Página 1 | Interno=termo",
                                      "section 1: Pagina=Página 2 | Total=de 3"}));
}

}  // namespace
}  // namespace stock::test
