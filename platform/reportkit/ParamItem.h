#pragma once
// TnpqParamItem: one report parameter. Values are texts, as the parameter screen holds them;
// the declared type tells the parameter screen (and the base report class) how to check them.

#include <string>

#include "rtl/TObject.h"

enum class TnParamType { Text, Integer, Float, Date, Flag, Interval };

// "inteiro", "data" ... for messages; the definition file uses the English names.
const char* ParamTypeName(TnParamType type);
// What a value of the type looks like, for messages and help: "um número inteiro", "uma data
// dd/mm/aaaa" ...
const char* ParamTypeAccepts(TnParamType type);
// A value of the type: "1", "31/12/2026", "1;3;5..9" ...
const char* ParamTypeExample(TnParamType type);

class TnpqParamItem : public TObject {
 public:
  TnpqParamItem(std::string name, TnParamType type, std::string caption, std::string value);
  ~TnpqParamItem() override;

  const std::string& GetName() const { return name_; }
  TnParamType GetDataType() const { return type_; }
  // The label of the parameter screen ("Empresa(s)").
  const std::string& GetCaption() const { return caption_; }

  const std::string& GetValue() const { return value_; }
  void SetValue(std::string value) { value_ = std::move(value); }

  // Raises Exception naming the parameter, its label, the value and what the type accepts when
  // the value does not fit the type (an empty value always fits). Intervals must be integers,
  // lists with ";" or ranges "a..b".
  void CheckValue() const;

 private:
  std::string name_;
  TnParamType type_;
  std::string caption_;
  std::string value_;
};
