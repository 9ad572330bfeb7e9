#pragma once
// State registration numbers (inscrição estadual) formatted for print.

#include <string>

// The state registration as it prints: `number` trimmed; "ISENTO" (exempt, in any case) as
// "ISENTO"; a text of exactly 12 digits grouped as 000.000.000.000 (the layout of the largest
// state); any other text as given, trimmed, since every state has its own layout and the stored
// text usually carries it already.
std::string FormatarInscricaoEstadual(const std::string& number);
