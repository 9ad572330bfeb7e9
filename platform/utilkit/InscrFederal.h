#pragma once
// Federal registration numbers (CNPJ, CPF, CEI) formatted for print.

#include <string>

// The kind of a federal registration, in the order the suite's TIPOINSCR column numbers them
// (1 CNPJ, 2 CPF, 3 CEI).
enum class TnTipoInscrFederal { CNPJ, CPF, CEI };

// The digits of `number` (anything else in the text is dropped) laid out for `kind`:
// CNPJ 00.000.000/0000-00 (14 digits), CPF 000.000.000-00 (11), CEI 00.000.00000/00 (12).
// With `formatar` false, the digits alone. A text whose digit count does not fit the kind is
// returned as given (trimmed), so a wrong number prints as it is stored rather than mangled.
// `codigo_empresa` identifies the company the number belongs to; the layout does not depend on it.
std::string FormatarInscrFederal(TnTipoInscrFederal kind, const std::string& number,
                                 int codigo_empresa, bool formatar);
