#pragma once
// TnStringArray and StrToStrArray: a text split at a separator.

#include <string>
#include <vector>

using TnStringArray = std::vector<std::string>;

// The pieces of `text` between occurrences of `separator` (any length), in order, empty
// pieces kept: ("a|b||c", "|") -> {"a", "b", "", "c"}. An empty text gives no pieces; an empty
// separator gives the whole text as the only piece.
TnStringArray StrToStrArray(const std::string& text, const std::string& separator);
