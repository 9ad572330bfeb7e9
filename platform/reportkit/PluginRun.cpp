#include "reportkit/PluginRun.h"

#include <exception>
#include <memory>
#include <string>

#include "bookkit/PublicacaoLivro.h"
#include "reportkit/BaseDll.h"
#include "reportkit/DMReport.h"
#include "reportkit/PluginLibrary.h"
#include "reportkit/Report.h"
#include "reportkit/output/PublishGate.h"
#include "rtl/Exception.h"

namespace stock {

namespace {

// Empties the report's hooks when the run leaves, on every path.
struct HookGuard {
  TnrwReport& report;
  ~HookGuard() { report.ClearHooks(); }
};

std::unique_ptr<TnrwBaseDll> CreateInstance(TnrwReport& report) {
  const PluginLibrary& lib = PluginLibrary::Load(report.Definition().plugin);
  TnrwBaseDllClassRef cls = lib.ClassDll();
  if (cls == nullptr) throw Exception("FClassDll está nil.");
  return cls->Create(&report);
}

void PrintPass(TnrwReport& report, TnrwBaseDll& instance, ReportDocument& document) {
  report.BeginPass(&document);
  try {
    instance.ImprimirInterno();
    report.EndPass();
  } catch (...) {
    report.AbortPass();  // the document is discarded: no footer, no hook of a failed run
    throw;
  }
}

}  // namespace

void RunPluginPass(TnrwReport& report, bool fire_before_report) {
  if (report.Definition().plugin.empty()) return;
  std::unique_ptr<TnrwBaseDll> instance = CreateInstance(report);
  if (fire_before_report) report.FireBeforeReport();
  instance->ImprimirInterno();
}

void RunNestedReport(TnrwReport& report, ReportDocument& document) {
  const std::string& name = report.Definition().name;
  try {
    std::unique_ptr<TnrwBaseDll> instance;
    if (!report.Definition().plugin.empty()) instance = CreateInstance(report);
    report.BeginPass(&document);
    try {
      if (instance) {
        report.FireBeforeReport();
        instance->ImprimirInterno();
      }
      report.EndPass();  // the footer's hooks still find their instance
    } catch (...) {
      report.AbortPass();
      report.ClearHooks();
      throw;
    }
    report.ClearHooks();  // before the instance they point into goes
  } catch (const Exception&) {
    throw;
  } catch (const std::exception& e) {
    throw Exception("Relatório interno '" + name + "': " + e.what());
  } catch (...) {
    throw Exception("Relatório interno '" + name + "': erro desconhecido");
  }
}

RunOutcome RunReport(const RunRequest& request, OutputDevice& device) {
  std::unique_ptr<TnDMReport> module;
  try {
    module = OpenReportModule(request.report);
  } catch (...) {
    device.Abort();
    throw;
  }
  return RunReport(*module, request, device);
}

RunOutcome RunReport(TnDMReport& module, const RunRequest& request, OutputDevice& device) {
  RunOutcome outcome;
  // Book periods recorded by the run are committed with the output file: right before it is
  // renamed into place, or after Finish for a device that writes no file.
  TnPublicacaoLivro publicacao;
  PublishGate gate([&publicacao] { publicacao.Confirmar(); });
  try {
    TnrwReport& report = *module.GetReport();
    HookGuard hooks{report};
    std::unique_ptr<TnrwBaseDll> instance;
    if (!report.Definition().plugin.empty()) instance = CreateInstance(report);

    for (const auto& [name, value] : request.params) {
      TnpqParamItem* item = report.GetParams()->Param(name);
      if (instance) instance->DoParamEnter(&report, item);
      item->SetValue(value);
      if (instance) {
        instance->DoParamChange(&report, item);
        instance->DoParamExit(&report, item);
      }
    }
    if (report.GetDataSet() == nullptr) report.OpenMainQuery();
    const TDateTime started = Now();
    device.BeginDocument({report.Definition().title, started});
    report.FireBeforeReport();

    int page_count = 0;
    bool stopped = false;
    if (instance && report.NeedsPageCount()) {
      std::unique_ptr<OutputDevice> counter = CreateNullDevice();
      ReportDocument first;
      first.device = counter.get();
      first.draw_normal = false;
      first.progress = request.progress;
      first.started = started;
      PrintPass(report, *instance, first);
      page_count = first.pages;
      stopped = first.stop_requested;
    }
    ReportDocument document;
    document.device = &device;
    document.page_count = page_count;
    document.progress = request.progress;
    document.started = started;
    if (!stopped) {
      if (instance) PrintPass(report, *instance, document);
      stopped = document.stop_requested;
    }
    instance.reset();
    for (const TnReportMessage& m : report.Messages())
      outcome.messages.emplace_back(m.kind, m.text);
    outcome.pages = document.pages;
    outcome.stopped = stopped;
  } catch (...) {
    device.Abort();
    throw;
  }
  if (outcome.stopped || outcome.pages == 0) {
    device.Abort();
  } else {
    device.Finish();
    publicacao.Confirmar();
  }
  return outcome;
}

}  // namespace stock
