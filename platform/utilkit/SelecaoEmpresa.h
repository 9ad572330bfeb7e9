#pragma once
// The check that a report's selection of companies and establishments names only what exists,
// so that a mistyped code is told as such instead of ending in an empty or refused print.

#include <string>

// Checks `empresas` and `estabs` (selection texts as FilterInterval reads them: "1", "1;3",
// "5..9"; blank selects everything) against EMPRESA and ESTAB: every code listed on its own
// must exist; a range is a span that may hold gaps and is not checked. Establishments are
// looked for in the selected companies. Raises Exception for the first code missing:
//   "Empresa 9 não existe", "Estabelecimento 9 não existe na empresa 1" (one company
//   selected), "... nas empresas selecionadas" (several), "... em nenhuma empresa" (all).
// Raises the selection's own Exception for a text that is no selection.
void VerificarSelecaoEmpresa(const std::string& empresas, const std::string& estabs = "");
