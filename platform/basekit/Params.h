#pragma once
// TParams: a list of named query parameters, the second way of handing values to ExecutarSQL.
// Each parameter binds the ":name" of the same name (compared without regard to case).

#include <string>
#include <vector>

#include "rtl/Variant.h"

class TParams {
 public:
  struct Item {
    std::string name;
    Variant value;
  };

  // Sets the parameter `name` to `value`, adding it when the list has no parameter of that name.
  void SetValue(const std::string& name, const Variant& value);

  // The parameter named `name`, or nullptr.
  const Item* FindParam(const std::string& name) const;

  // The value of `name`; raises Exception "Parâmetro 'X' não encontrado" when missing.
  const Variant& ParamByName(const std::string& name) const;

  size_t Count() const { return items_.size(); }
  const Item& operator[](size_t index) const { return items_[index]; }
  void Clear() { items_.clear(); }

 private:
  std::vector<Item> items_;
};
