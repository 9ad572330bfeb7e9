#include "host/Tooling.h"

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "host/Commands.h"
#include "host/Completion.h"
#include "host/ManualPage.h"

namespace stock::host {

namespace {
constexpr std::string_view kManual = "__manual";
constexpr std::string_view kComplete = "__complete";
}  // namespace

bool IsToolingCommand(const char* word) { return word == kManual || word == kComplete; }

int RunToolingCommand(const CLI::App& app, int argc, char** argv) {
  if (argv[0] == kManual) {
    WriteManualPage(app, std::cout);
    return std::cout.good() ? kOk : kError;
  }
  if (argc < 3) return kUsage;
  size_t current = 0;
  try {
    current = std::stoul(argv[1]);
  } catch (const std::exception&) {
    return kUsage;
  }
  WriteCompletions(app, std::vector<std::string>(argv + 2, argv + argc), current, std::cout);
  return kOk;
}

}  // namespace stock::host
