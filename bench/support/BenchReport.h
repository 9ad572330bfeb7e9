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
// figures for each. The peak RSS of each line is that print's alone: the mark is restarted
// before it, so neither the demo generation nor the other print counts.
inline void PrintTextAndPdf(const RunRequest& request, const std::string& folder,
                            const std::string& stem) {
  for (const char* ext : {"txt", "pdf"}) {
    const std::string out = folder + "/" + stem + "." + ext;
    const bool own_peak = ResetPeakRss();
    std::unique_ptr<OutputDevice> device = CreateOutputDevice(out);
    Stopwatch clock;
    const RunOutcome outcome = RunReport(request, *device);
    const double seconds = clock.Seconds();
    std::printf("%-30s %6d pages %6.2f s %8.0f pages/s  peak RSS %.1f MB%s\n", out.c_str(),
                outcome.pages, seconds, outcome.pages / seconds, PeakRssMb(),
                own_peak ? "" : " (of the whole process)");
  }
}

}  // namespace stock::bench
