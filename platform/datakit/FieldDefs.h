#pragma once
// TFieldDef / TFieldDefs: the column definitions of a dataset, given before it is created.

#include <string>
#include <vector>

#include "datakit/FieldType.h"
#include "rtl/Assert.h"

struct TFieldDef {
  std::string Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;  // informative: strings are never cut to it
};

class TFieldDefs {
 public:
  // Adds a column definition. Raises Exception when `name` is empty, already defined
  // (names are case-insensitive) or `type` is ftUnknown.
  void Add(const std::string& name, TFieldType type, int size = 0);

  // Removes every definition.
  void Clear() { defs_.clear(); }

  int Count() const { return static_cast<int>(defs_.size()); }
  // REQUIRES: 0 <= index < Count().
  const TFieldDef& operator[](int index) const {
    STOCK_ASSERT(index >= 0 && static_cast<size_t>(index) < defs_.size(), "índice de TFieldDefs");
    return defs_[static_cast<size_t>(index)];
  }
  const std::vector<TFieldDef>& Items() const { return defs_; }

 private:
  std::vector<TFieldDef> defs_;
};
