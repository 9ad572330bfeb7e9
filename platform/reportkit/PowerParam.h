#pragma once
// TnpqPowerParam: the parameter collection of a report. Holds every parameter the definition
// declares, the user's inputs and the values the layout prints (R1, pNomeEmpresa ...).

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "reportkit/ParamItem.h"
#include "rtl/TObject.h"

class TnpqPowerParam : public TObject {
 public:
  TnpqPowerParam();
  ~TnpqPowerParam() override;

  // Adds a parameter. REQUIRES: no parameter of that name (case-insensitive) yet.
  TnpqParamItem* Add(std::string name, TnParamType type, std::string caption, std::string value);

  // The item, or nullptr when there is none of that name (case-insensitive).
  TnpqParamItem* FindParam(std::string_view name) const;

  // The item; raises Exception "Parâmetro 'X' não existe no relatório" when there is none.
  TnpqParamItem* Param(std::string_view name) const;

  // Value of the named parameter as text. Raises like Param.
  const std::string& GetValues(std::string_view name) const;

  // Replaces the value; layout fields bound to the parameter print it from now on. Raises like
  // Param.
  void SetValues(std::string_view name, std::string value);

  int Count() const { return static_cast<int>(items_.size()); }
  TnpqParamItem* Items(int index) const { return items_.at(index).get(); }

 private:
  std::vector<std::unique_ptr<TnpqParamItem>> items_;
  std::unordered_map<std::string, TnpqParamItem*> by_name_;  // upper-case names
};
