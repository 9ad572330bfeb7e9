#include "datakit/StringArray.h"

TnStringArray StrToStrArray(const std::string& text, const std::string& separator) {
  TnStringArray pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) return {text};
  size_t start = 0;
  while (true) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + separator.size();
  }
}
