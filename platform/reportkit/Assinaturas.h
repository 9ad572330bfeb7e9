#pragma once
// ImprimeAssinaturas: the signature blocks of a book's terms, from the signatories the company
// registered (SOCIO) and its accountant (CONTADOR).

#include <string>

class TnrwReport;

// Prints the signature area of a term into `report`, which must be printing:
//  - when `tipo_socio` is 1 (partners) or 2 (directors): section `secao_socio` once for each
//    SOCIO of company `empresa` of that TIPOASSINANTE who signs the books (ASSINALIVROS = 1)
//    and is in office on `data` (entered on or before it, not left before it), in code order;
//    only the first of them when `somente_primeiro`;
//  - when `assina_contador`: section `secao_contador` once for the accountant: CONTADOR
//    `codigo_contador` when that text is not blank, else the company's own
//    (CFGEMPRESAGEM.CODIGOCONTADOR).
// The blocks print side by side when the page is wide enough for more than one: a block is as
// wide as the longest line of the two sections (its line to sign) plus a tenth, and the blocks
// take as few rows as that allows, filled as evenly as they can be and each row centred
// (TnrwReport::BeginRow). Sections without lines print one under the other.
// Before each section the report parameters pAssinNome, pAssinCargo and pAssinDoc are set (the
// ones the definition declares): the name, the role (QUALIFICACAO; "Contador - CRC ..." for the
// accountant) and, when `imprime_documento`, "CPF: 000.000.000-00". A wanted signatory that is
// not found still gets its block, with an empty name and the bare role, so the page keeps its
// line to sign.
// Returns "" when every wanted signatory was found, otherwise (when `avisar`) the warning that
// says who is missing ("não há sócio que assine os livros em 31/12/2026; ...").
// `impressos`, when given, receives the number of blocks printed.
// Raises EConvertError naming the text when `data` is not a date or `codigo_contador` is not an
// integer; database errors pass through.
std::string ImprimeAssinaturas(TnrwReport* report, int secao_socio, int secao_contador,
                               int tipo_socio, int empresa, bool assina_contador,
                               const std::string& data, bool imprime_documento,
                               const std::string& codigo_contador, bool avisar,
                               bool somente_primeiro, int* impressos = nullptr);
