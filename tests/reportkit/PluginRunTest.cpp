// Printing through a real plug-in loaded into the host: passes, RepInterno, hooks after a run.

#include <gtest/gtest.h>

#include "ReportFixture.h"
#include "reportkit/DMReport.h"
#include "reportkit/PluginRun.h"
#include "reportkit/output/OutputDevice.h"
#include "rtl/Exception.h"

#include <cstdio>
#include <cstdlib>

namespace stock::test {
namespace {

using PluginRun = ReportTest;

TEST_F(PluginRun, PageCountLabelMakesTwoPassesOnOneInstance) {
  WriteDefinition("duas", SmallDefinition("duas", "probeReport",
                                          R"(, {"name": "Total", "text": "de @PageCount"})"));
  auto module = OpenReportModule("duas");
  RunOutcome outcome = RunReport(*module, {"duas", {{"pLinhas", "6"}}, nullptr}, trace_);
  TnrwReport& r = *module->GetReport();
  EXPECT_EQ(r.GetParams()->GetValues("pChamadas"), "2");  // the same instance ran twice
  EXPECT_EQ(r.GetParams()->GetValues("pLog"), "FT");      // counting pass, then drawing pass
  EXPECT_EQ(outcome.pages, 2);
  EXPECT_EQ(Lines("section 1"),
            (std::vector<std::string>{"section 1: Pagina=Página 1 | Total=de 2",
                                      "section 1: Pagina=Página 2 | Total=de 2"}));
  EXPECT_EQ(trace_.Lines().back(), "finish");
}

TEST_F(PluginRun, WithoutPageCountOnePass) {
  WriteDefinition("uma", SmallDefinition("uma", "probeReport"));
  auto module = OpenReportModule("uma");
  RunReport(*module, {"uma", {}, nullptr}, trace_);
  EXPECT_EQ(module->GetReport()->GetParams()->GetValues("pLog"), "T");
}

TEST_F(PluginRun, RepInternoAddsTheOtherDefinitionsPagesToTheDocument) {
  WriteDefinition("externo", SmallDefinition("externo", "probeReport"));
  WriteDefinition("interno", SmallDefinition("interno", "probeReport",
                                             R"(, {"name": "Interno", "text": "termo"})"));
  auto module = OpenReportModule("externo");
  RunOutcome outcome = RunReport(
      *module, {"externo", {{"pModo", "inner"}, {"pInterno", "interno"}}, nullptr}, trace_);
  EXPECT_EQ(outcome.pages, 3);
  EXPECT_EQ(Lines("section 1"),
            (std::vector<std::string>{"section 1: Pagina=Página 1",
                                      "section 1: Pagina=Página 1 | Interno=termo",
                                      "section 1: Pagina=Página 2"}));
}

TEST_F(PluginRun, HooksAreEmptyAfterARunThatRaised) {
  WriteDefinition("falha", SmallDefinition("falha", "probeReport"));
  auto module = OpenReportModule("falha");
  try {
    RunReport(*module, {"falha", {{"pModo", "raise"}}, nullptr}, trace_);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "falha de teste");
  }
  EXPECT_FALSE(module->GetReport()->HasHooks());
  EXPECT_NE(trace_.Lines().back(), "finish");  // the output was discarded
}

TEST_F(PluginRun, AfterPageHookOfAPluginPrintsOnTheNextPage) {
  WriteDefinition("fim", SmallDefinition("fim", "probeReport"));
  auto module = OpenReportModule("fim");
  RunOutcome outcome = RunReport(*module, {"fim", {{"pModo", "afterpage"}}, nullptr}, trace_);
  EXPECT_EQ(outcome.pages, 2);
  EXPECT_EQ(Lines("section 9").size(), 1u);
  EXPECT_FALSE(module->GetReport()->HasHooks());
}

TEST_F(PluginRun, StopDiscardsTheDocument) {
  WriteDefinition("parar", SmallDefinition("parar", "probeReport"));
  auto module = OpenReportModule("parar");
  RunOutcome outcome = RunReport(
      *module, {"parar", {{"pLinhas", "50"}}, [](int done, int) { return done == 3; }}, trace_);
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(Lines("section 8").size(), 3u);
  EXPECT_NE(trace_.Lines().back(), "finish");
}

TEST_F(PluginRun, BaseClassChecksParameterTypesOnExit) {
  WriteDefinition("tipos", SmallDefinition("tipos", "probeReport"));
  auto module = OpenReportModule("tipos");
  try {
    RunReport(*module, {"tipos", {{"pValor", "abc"}}, nullptr}, trace_);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("pValor"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("'abc'"), std::string::npos) << e.what();
  }
}

TEST_F(PluginRun, UnknownReportOrPluginIsAClearError) {
  EXPECT_THROW(OpenReportModule("naoexiste"), Exception);
  WriteDefinition("semlib", SmallDefinition("semlib", "bibliotecaInexistente"));
  auto module = OpenReportModule("semlib");
  EXPECT_THROW(RunReport(*module, {"semlib", {}, nullptr}, trace_), Exception);
}

}  // namespace
}  // namespace stock::test

namespace stock::test {
namespace {

std::string Capture(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

TEST_F(PluginRun, PdfGivesBackEveryLabelsText) {
  if (std::system("command -v pdftotext >/dev/null && command -v qpdf >/dev/null") != 0) {
    GTEST_SKIP() << "pdftotext or qpdf missing";
  }
  WriteDefinition(
      "pdf",
      SmallDefinition(
          "pdf", "probeReport",
          R"(, {"name": "Titulo", "text": "Relação – balanço nº 3 ção", "top": 40, "width": 400})"));
  const std::string path = dir_ + "/saida.pdf";
  std::unique_ptr<OutputDevice> device = CreateOutputDevice(path);
  auto module = OpenReportModule("pdf");
  RunOutcome outcome =
      RunReport(*module, {"pdf", {{"pLinhas", "5"}, {"pValor", "1234,5"}}, nullptr}, *device);
  EXPECT_EQ(outcome.pages, 2);
  EXPECT_NE(Capture("qpdf --check " + path).find("No syntax or stream encoding errors"),
            std::string::npos);
  const std::string text = Capture("pdftotext -layout " + path + " -");
  for (const char* expected : {"Relação – balanço nº 3 ção", "Página 1", "Página 2", "1.234,50"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  }
}

}  // namespace
}  // namespace stock::test
