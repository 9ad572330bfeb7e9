#include "reportkit/EspacosEntrePalavras.h"

std::string PorEspacosEntrePalavras(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  bool gap = false;
  for (char c : text) {
    if (c == ' ' || c == '\t') {
      gap = !out.empty();
      continue;
    }
    if (gap) out += "  ";
    gap = false;
    out += c;
  }
  return out;
}
