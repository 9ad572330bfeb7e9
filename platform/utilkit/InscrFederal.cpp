#include "utilkit/InscrFederal.h"

#include "rtl/StringUtils.h"

namespace {

// Lays `digits` out over `pattern`, where each '0' takes the next digit.
std::string Apply(const char* pattern, const std::string& digits) {
  std::string out;
  size_t next = 0;
  for (const char* p = pattern; *p; ++p) out += *p == '0' ? digits[next++] : *p;
  return out;
}

}  // namespace

std::string FormatarInscrFederal(TnTipoInscrFederal kind, const std::string& number,
                                 int /*codigo_empresa*/, bool formatar) {
  std::string digits;
  for (char c : number) {
    if (c >= '0' && c <= '9') digits += c;
  }
  if (!formatar) return digits;
  const char* pattern = nullptr;
  size_t length = 0;
  switch (kind) {
    case TnTipoInscrFederal::CNPJ:
      pattern = "00.000.000/0000-00";
      length = 14;
      break;
    case TnTipoInscrFederal::CPF:
      pattern = "000.000.000-00";
      length = 11;
      break;
    case TnTipoInscrFederal::CEI:
      pattern = "00.000.00000/00";
      length = 12;
      break;
  }
  if (pattern == nullptr || digits.size() != length) return Trim(number);
  return Apply(pattern, digits);
}
