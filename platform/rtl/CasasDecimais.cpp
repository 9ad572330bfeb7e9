#include "rtl/CasasDecimais.h"

#include <algorithm>
#include <cstdint>

#include "rtl/StrConv.h"

namespace {

constexpr int kMaximoCasas = 10;

}  // namespace

int CasasDecimais(std::string_view texto) {
  int64_t casas = 0;
  if (!TryStrToInt64(texto, casas)) return 2;
  return static_cast<int>(std::clamp<int64_t>(casas, 0, kMaximoCasas));
}

std::string MascaraCasasDecimais(int casas) {
  return "##,###,##0." + std::string(static_cast<size_t>(std::clamp(casas, 0, kMaximoCasas)), '0');
}
