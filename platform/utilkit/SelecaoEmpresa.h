#pragma once
// The check that a report's selection of companies and establishments names only what exists,
// so that a mistyped code is told as such instead of ending in an empty or refused print.

#include <string>

// Checks `empresas` and `estabs` (selection texts as FilterInterval reads them: "1", "1;3",
// "5..9"; blank selects everything and is not checked) against EMPRESA and ESTAB. Every code
// listed alone must exist; a range must hold at least one. Establishments are looked for in
// the selected companies. Raises Exception, the first failure only:
//   "Empresa 9 não existe", "Nenhuma empresa entre 5 e 9",
//   "Estabelecimento 9 não existe na empresa 1" (one company selected),
//   "Estabelecimento 9 não existe nas empresas selecionadas" (several), "... em nenhuma
//   empresa" (all), and "Nenhum estabelecimento entre 5 e 9 na empresa 1" (and alike) for a
//   range. Raises the selection's own Exception for a text that is no selection.
void VerificarSelecaoEmpresa(const std::string& empresas, const std::string& estabs = "");
