#pragma once
// PorEspacosEntrePalavras: the widened spacing of the texts of book terms.

#include <string>
#include <string_view>

// `text` with every gap between words (a run of blanks or tabs) made exactly two spaces, and
// the blanks before the first word and after the last removed: "Este  livro   contém" and
// "Este livro contém" both give "Este  livro  contém". Other characters are kept as they are.
std::string PorEspacosEntrePalavras(std::string_view text);
