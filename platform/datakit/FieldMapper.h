#pragma once
// TnFieldMapper: binds the field references declared by a TnFieldMap to a dataset's fields.

#include "datakit/DataSet.h"
#include "datakit/FieldMap.h"
#include "rtl/TObject.h"

class TnFieldMapper : public TObject {
 public:
  TnFieldMapper();
  ~TnFieldMapper() override;
  std::string ClassName() const override;

  // Sets every member declared by `object` (a TnFieldMap) to dataset->FindField(name) (names
  // ignore case); members without a column become nullptr. Raises Exception when `dataset` or
  // `object` is null, when `object` is no TnFieldMap, or when a required member has no column
  // (naming the column and the dataset); then no member is changed.
  void MapearFields(TDataSet* dataset, TObject* object) const;
};

// The process-wide mapper. Owned by the run-time: never freed by the caller.
TnFieldMapper* FieldMapper();
