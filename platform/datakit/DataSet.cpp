#include "datakit/DataSet.h"

#include "rtl/Exception.h"

TDataSet::TDataSet() = default;
TDataSet::~TDataSet() = default;

std::string TDataSet::ClassName() const { return "TDataSet"; }

TField* TDataSet::FieldByName(const std::string& name) const {
  TField* field = FindField(name);
  if (field == nullptr) {
    std::string prefix = name_.empty() ? std::string() : name_ + ": ";
    throw Exception(prefix + "Campo '" + name + "' não encontrado");
  }
  return field;
}
