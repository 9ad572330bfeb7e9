#pragma once
// Contracts checked in code. STOCK_ASSERT(condition, what) states something the caller or this
// code guarantees (a REQUIRES of a header, an invariant): when it does not hold, a programmer
// made a mistake, not the user, so the program prints where and why and aborts. Active in debug
// builds (the debug, asan and fuzz presets); a release build compiles it away, so it must have
// no effect the program relies on. STOCK_CHECK is the same check kept in release builds too,
// for contracts whose breach would otherwise read or write outside the program's data.

#include <string_view>

namespace stock {

// Prints the failed contract to stderr and aborts.
[[noreturn]] void AssertionFailed(const char* condition, std::string_view what, const char* file,
                                  int line) noexcept;

}  // namespace stock

#define STOCK_CHECK(condition, what)  \
  ((condition) ? static_cast<void>(0) \
               : ::stock::AssertionFailed(#condition, what, __FILE__, __LINE__))

#ifdef NDEBUG
#define STOCK_ASSERT(condition, what) static_cast<void>(sizeof(condition))
#else
#define STOCK_ASSERT(condition, what) STOCK_CHECK(condition, what)
#endif
