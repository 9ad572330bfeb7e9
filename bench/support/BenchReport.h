#pragma once
// Benchmark steps shared by the report benchmarks: a fresh demo database and a timed print of
// a report to text and to PDF.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "demo/DemoDatabase.h"
#include "reportkit/PluginRun.h"
#include "reportkit/output/OutputDevice.h"
#include "support/BenchUtil.h"

namespace stock::bench {

// Creates the demo database `path` anew (an older file is removed).
inline DemoSummary FreshDemoDatabase(const std::string& path, const DemoOptions& options) {
  std::filesystem::remove(path);
  return CreateDemoDatabase(path, options);
}

// Prints `request` to <folder>/<stem>.txt and .pdf on the default connection, one line of
// figures for each.
inline void PrintTextAndPdf(const RunRequest& request, const std::string& folder,
                            const std::string& stem) {
  for (const char* ext : {"txt", "pdf"}) {
    const std::string out = folder + "/" + stem + "." + ext;
    std::unique_ptr<OutputDevice> device = CreateOutputDevice(out);
    Stopwatch clock;
    const RunOutcome outcome = RunReport(request, *device);
    const double seconds = clock.Seconds();
    std::printf("%-30s %6d pages %6.2f s %8.0f pages/s  peak RSS %.1f MB\n", out.c_str(),
                outcome.pages, seconds, outcome.pages / seconds, PeakRssMb());
  }
}

}  // namespace stock::bench
