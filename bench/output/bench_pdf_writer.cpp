// bench_pdf_writer: drives PdfDevice alone with 1,000,000 lines of six labels (A4 portrait,
// 70 lines per page) and prints the time, pages per second and peak resident memory.
//
//   bench_pdf_writer [OUT.pdf] [LINES]   (default /tmp/bench_pdf_writer.pdf, 1,000,000 lines)

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "reportkit/output/PdfDevice.h"

namespace {

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// User plus system CPU seconds: steadier than wall time on a busy machine.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// "12.345,67"-style text of value / 10^decimals, formatted cheaply so that the benchmark
// measures the writer rather than the formatting.
std::string Brazilian(long long value, int decimals) {
  char out[32];
  char* p = out + sizeof out;
  for (int i = 0; i < decimals; ++i, value /= 10) *--p = static_cast<char>('0' + value % 10);
  *--p = ',';
  int group = 0;
  do {
    if (group++ == 3) {
      *--p = '.';
      group = 1;
    }
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0);
  return std::string(p, static_cast<size_t>(out + sizeof out - p));
}

}  // namespace

int main(int argc, char** argv) {
  using stock::TextAlign;
  const std::string path = argc > 1 ? argv[1] : "/tmp/bench_pdf_writer.pdf";
  const long lines = argc > 2 ? std::atol(argv[2]) : 1000000;
  constexpr double kWidth = 793.7, kHeight = 1122.5;
  constexpr int kLinesPerPage = 70;
  const char* descriptions[] = {
      "Açúcar refinado união 1kg pç  ",
      "Óleo de soja – garrafa 900 ml ",
      "Feijão carioca tipo 1 fardo º ",
      "Café torrado e moído ª extra  ",
  };

  stock::FontSpec regular;
  regular.size = 7;
  const long baseline_kb = PeakRssKb();
  const double cpu_start = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  int pages = 0;
  {
    stock::PdfDevice device(path);
    device.BeginDocument({"Inventário de estoque", 0});
    for (long line = 0; line < lines; ++line) {
      const int row = static_cast<int>(line % kLinesPerPage);
      if (row == 0) {
        if (line > 0) device.EndPage();
        device.BeginPage(++pages, {kWidth, kHeight});
      }
      const double top = 60 + row * 14.5;
      // Realistic variety: codes and amounts change from line to line.
      char code[8] = "0000000";
      for (long v = 1234 + line % 100000, k = 6; v > 0; v /= 10, --k) code[k] = '0' + v % 10;
      device.DrawText({38, top, 60, 14}, code, regular, TextAlign::Left);
      device.DrawText({100, top, 300, 14}, descriptions[line % 4], regular, TextAlign::Left);
      device.DrawText({405, top, 30, 14}, "UN", regular, TextAlign::Left);
      device.DrawText({440, top, 100, 14}, Brazilian(1234000 + line % 977, 3), regular,
                      TextAlign::Right);
      device.DrawText({545, top, 80, 14}, Brazilian(1234 + line % 89, 2), regular,
                      TextAlign::Right);
      device.DrawText({630, top, 125, 14}, Brazilian(1522756 + line % 1013, 2), regular,
                      TextAlign::Right);
    }
    device.EndPage();
    device.Finish();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long peak_kb = PeakRssKb();
  std::printf("lines %ld, pages %d\n", lines, pages);
  std::printf("seconds %.3f (cpu %.3f), pages/s %.0f\n", seconds, CpuSeconds() - cpu_start,
              pages / seconds);
  std::printf("peak RSS %ld KB (baseline %ld KB, growth %ld KB)\n", peak_kb, baseline_kb,
              peak_kb - baseline_kb);
  return 0;
}
