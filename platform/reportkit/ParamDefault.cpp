#include "reportkit/ParamDefault.h"

#include <array>
#include <utility>

#include "datakit/DateText.h"
#include "rtl/Exception.h"

namespace stock {

namespace {

enum class Span { Day, Month, Year };

struct Relative {
  std::string_view name;
  Span span;
  int back;   // spans before the run's
  bool last;  // the span's last day instead of its first
};

constexpr std::array<Relative, 9> kRelatives = {{
    {"@hoje", Span::Day, 0, false},
    {"@inicioMes", Span::Month, 0, false},
    {"@fimMes", Span::Month, 0, true},
    {"@inicioMesAnterior", Span::Month, 1, false},
    {"@fimMesAnterior", Span::Month, 1, true},
    {"@inicioAno", Span::Year, 0, false},
    {"@fimAno", Span::Year, 0, true},
    {"@inicioAnoAnterior", Span::Year, 1, false},
    {"@fimAnoAnterior", Span::Year, 1, true},
}};

const Relative* Find(std::string_view text) {
  for (const Relative& r : kRelatives) {
    if (r.name == text) return &r;
  }
  return nullptr;
}

}  // namespace

bool IsRelativeDate(std::string_view text) { return Find(text) != nullptr; }

std::string RelativeDate(std::string_view text, TDateTime today) {
  const Relative* r = Find(text);
  if (r == nullptr) throw Exception("Data relativa desconhecida: '" + std::string(text) + "'.");
  const DateParts d = DecodeDate(today);
  TDateTime day = DateOf(today);
  switch (r->span) {
    case Span::Day: break;
    case Span::Month: {
      const TDateTime first = IncMonth(EncodeDate(d.year, d.month, 1), -r->back);
      day = r->last ? EndOfTheMonth(first) : first;
      break;
    }
    case Span::Year: {
      const int year = d.year - r->back;
      day = r->last ? EncodeDate(year, 12, 31) : EncodeDate(year, 1, 1);
      break;
    }
  }
  return FormatShortDateTime(day, false);
}

std::string DefaultValue(const ParamDef& p, TDateTime today) {
  if (p.type == TnParamType::Date && IsRelativeDate(p.default_value)) {
    return RelativeDate(p.default_value, today);
  }
  return p.default_value;
}

std::string DefaultValue(const ParamDef& p) { return DefaultValue(p, Now()); }

}  // namespace stock
