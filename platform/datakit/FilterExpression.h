#pragma once
// The dataset filter language, compiled once into a predicate over TnClientDataSet's columns.
//
//   condition := disjunction
//   disjunction := conjunction { "or" conjunction }
//   conjunction := negation { "and" negation }
//   negation := "not" negation | "(" condition ")" | test
//   test := operand ( ("=" | "<>" | "!=" | "<" | "<=" | ">" | ">=") operand
//                   | ["not"] "like" 'pattern' | "is" ["not"] "null" )
//         | boolean-field
//   operand := field | 'text' | number | "null" | "true" | "false"
//
// Keywords and field names ignore case; a field name may also be written [Name With Spaces].
// Texts are in single quotes with '' for a quote; numbers use "." as decimal separator and may
// carry a leading "-". Text comparisons and "like" are case-sensitive (byte order of UTF-8);
// in a like pattern "%" stands for any run of characters and "_" for one character.
// A date field compared with a text reads the text as a date, dd/mm/yyyy or yyyy-mm-dd
// (optionally with hh:nn[:ss]). Integer and float fields compared with a text read it as a number.
// A comparison in which either side is null is false ("is null" tests for null), so
// "not (X = 1)" holds for a null X.
//
// Errors raise Exception "Expressão de filtro inválida: <text>: <reason>", also for a field
// that the dataset does not have and for a comparison of a text field with a number.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace stock {

struct Column;

class FilterPredicate {
 public:
  // Finds a column by name (case-insensitive); nullptr when the dataset has none.
  using ColumnLookup = std::function<const Column*(std::string_view name)>;

  // Parses `text`. REQUIRES: the columns outlive the predicate.
  static std::unique_ptr<FilterPredicate> Compile(const std::string& text,
                                                  const ColumnLookup& lookup);

  ~FilterPredicate();

  // True when storage row `row` satisfies the condition. Allocates nothing.
  bool Matches(size_t row) const;

  struct Node;

 private:
  explicit FilterPredicate(std::unique_ptr<Node> root);
  std::unique_ptr<Node> root_;
};

// True when `text` matches the like `pattern` ("%" any run, "_" one UTF-8 character).
bool LikeMatch(std::string_view text, std::string_view pattern);

}  // namespace stock
