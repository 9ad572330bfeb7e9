#include "rtl/FormatSettings.h"

namespace {

TFormatSettings MakeBrazilianSettings() {
  TFormatSettings s;
  s.LongMonthNames = {"janeiro", "fevereiro", "março",    "abril",   "maio",     "junho",
                      "julho",   "agosto",    "setembro", "outubro", "novembro", "dezembro"};
  s.ShortMonthNames = {"jan", "fev", "mar", "abr", "mai", "jun",
                       "jul", "ago", "set", "out", "nov", "dez"};
  s.LongDayNames = {"domingo",      "segunda-feira", "terça-feira", "quarta-feira",
                    "quinta-feira", "sexta-feira",   "sábado"};
  s.ShortDayNames = {"dom", "seg", "ter", "qua", "qui", "sex", "sáb"};
  return s;
}

}  // namespace

const TFormatSettings& FormatSettings() {
  static const TFormatSettings settings = MakeBrazilianSettings();
  return settings;
}
