// Generates a large demo database (100,000 products, 12 months by default) and prints the
// time, the file size and the peak memory.
//   bench_demo_generate [products] [months] [path]

#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "demo/DemoDatabase.h"

int main(int argc, char** argv) {
  DemoOptions options;
  options.products = argc > 1 ? std::atoi(argv[1]) : 100000;
  options.months = argc > 2 ? std::atoi(argv[2]) : 12;
  options.overwrite = true;
  std::string path = argc > 3 ? argv[3] : "/tmp/bench_demo_generate.db";
  try {
    auto start = std::chrono::steady_clock::now();
    DemoSummary s = CreateDemoDatabase(path, options);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    struct stat st {};
    ::stat(path.c_str(), &st);
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("demo database: %d products x %d months -> %lld inventory lines, %lld portions\n",
                s.products, options.months, static_cast<long long>(s.inventoryLines),
                static_cast<long long>(s.ownershipPortions));
    std::printf("seconds: %.2f\nfile size: %.1f MB\npeak RSS: %.1f MB\n", seconds,
                st.st_size / 1048576.0, usage.ru_maxrss / 1024.0);
    std::remove(path.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
