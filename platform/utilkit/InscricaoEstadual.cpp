#include "utilkit/InscricaoEstadual.h"

#include "rtl/StringUtils.h"

std::string FormatarInscricaoEstadual(const std::string& number) {
  const std::string text = Trim(number);
  if (SameText(text, "ISENTO")) return "ISENTO";
  if (text.size() != 12) return text;
  for (char c : text) {
    if (c < '0' || c > '9') return text;
  }
  return text.substr(0, 3) + "." + text.substr(3, 3) + "." + text.substr(6, 3) + "." +
         text.substr(9, 3);
}
