#include "utilkit/DataFinalPeriodo.h"

TDateTime GerarDataFinalPeriodo(TDateTime start, int kind) {
  const TDateTime first = DateOf(start);
  TDateTime end;
  switch (kind) {
    case 6: end = IncMonth(first, 3) - 1; break;
    case 7: end = IncMonth(first, 12) - 1; break;
    default: end = EndOfTheMonth(first); break;
  }
  return end < first ? first : end;
}
