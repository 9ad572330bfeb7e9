#pragma once
// Small helpers shared by the benchmarks: wall-clock timing and peak memory.

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

// Peak resident memory of the process so far, in MB.
inline double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
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
