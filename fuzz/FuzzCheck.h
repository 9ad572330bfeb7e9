#pragma once
// What a fuzz target does when a property it checks does not hold: prints the reason and
// aborts, so that libFuzzer keeps the input as a crash.

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, detail)                                           \
  do {                                                                          \
    if (!(condition)) {                                                         \
      std::fprintf(stderr, "%s:%d: %s\n  %s\n", __FILE__, __LINE__, #condition, \
                   std::string(detail).c_str());                                \
      std::abort();                                                             \
    }                                                                           \
  } while (0)
