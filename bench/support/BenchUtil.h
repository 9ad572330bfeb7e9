#pragma once
// Small helpers shared by the benchmarks: wall-clock timing and peak memory.

#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace stock::bench {

class Stopwatch {
 public:
  Stopwatch() : start_(std::chrono::steady_clock::now()) {}
  double Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

// Peak resident memory of the process since it started or since ResetPeakRss, in MiB.
inline double PeakRssMb() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status != nullptr) {
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
      if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
    }
    std::fclose(status);
    if (kib >= 0) return kib / 1024.0;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// Starts a new peak: gives the allocator's free memory back to the system and resets the
// kernel's high-water mark, so that PeakRssMb afterwards is the peak of what follows, as a
// process that runs only that step would see it. Returns false where the kernel cannot reset.
inline bool ResetPeakRss() {
  malloc_trim(0);
  std::FILE* refs = std::fopen("/proc/self/clear_refs", "w");
  if (refs == nullptr) return false;
  const bool ok = std::fputs("5", refs) >= 0;
  return std::fclose(refs) == 0 && ok;
}

// The build's plug-in and definition folders, unless the environment names others.
inline void UseBuildFolders(void (*set_plugins)(const std::string&),
                            void (*set_definitions)(const std::string&)) {
  const char* plugins = std::getenv("STOCK_PLUGIN_DIR");
  const char* defs = std::getenv("STOCK_DEFINITION_DIR");
  set_plugins(plugins && *plugins ? plugins : STOCK_BUILD_DIR "/plugins");
  set_definitions(defs && *defs ? defs : STOCK_SOURCE_DIR "/definitions");
}

}  // namespace stock::bench
