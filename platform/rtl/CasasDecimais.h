#pragma once
// A company's number of decimals (the price and quantity settings of CFGEMPRESAINV), read the
// same way by every report, and the amount picture that shows them.

#include <string>
#include <string_view>

// The setting `texto` as a count of decimals: the trimmed text as an integer, 2 when it is
// empty or no integer, kept within 0 to 10 (-1 gives 0, 12 gives 10).
int CasasDecimais(std::string_view texto);

// "##,###,##0." followed by one zero per decimal; `casas` is kept within 0 to 10 like above.
std::string MascaraCasasDecimais(int casas);
