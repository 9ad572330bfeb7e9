#pragma once
// Brazilian registration numbers with their check digits, as the demo generator needs them.
// All numbers are digits only, without punctuation.

#include <string>

namespace stock::demo {

// The 14-digit CNPJ of branch `branch` (1 = head office) of the company whose root is the
// 8-digit `root`. REQUIRES: root is 8 digits, 1 <= branch <= 9999.
std::string MakeCnpj(const std::string& root, int branch);

// The 11-digit CPF whose first nine digits are `base`. REQUIRES: base is 9 digits.
std::string MakeCpf(const std::string& base);

// The 12-digit São Paulo state inscription whose digits 1-8 are `first8` and 10-11 are
// `next2` (digits 9 and 12 are the check digits).
std::string MakeInscricaoEstadualSP(const std::string& first8, const std::string& next2);

// The 10-digit Paraná state inscription whose first eight digits are `base`.
std::string MakeInscricaoEstadualPR(const std::string& base);

}  // namespace stock::demo
