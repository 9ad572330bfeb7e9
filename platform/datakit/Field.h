#pragma once
// TField: one column of a dataset, read and written at the dataset's current row. The dataset
// owns its fields; a TField* stays valid until the dataset is destroyed or its fields are
// rebuilt (CreateDataSet / BeginBulkLoad).
//
// Conversions follow the Delphi run-time: a null value reads as 0, 0.0, "" or false; AsInteger
// of a text that is no integer raises EConvertError quoting the text; AsString of a date gives
// the short date (dd/mm/yyyy, with the time when it has one), of a float FloatToStr (decimal
// comma, shortest text).

#include <cstdint>
#include <string>
#include <string_view>

#include "datakit/FieldType.h"
#include "rtl/DateTime.h"
#include "rtl/TObject.h"
#include "rtl/Variant.h"

class TDataSet;
namespace stock {
struct Column;
}

class TField : public TObject {
 public:
  // Created by the dataset only.
  TField(TDataSet* dataset, stock::Column* column, std::string name, TFieldType type, int size,
         int index);
  ~TField() override;
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  std::string ClassName() const override;

  const std::string& GetFieldName() const { return name_; }
  TFieldType GetDataType() const { return type_; }
  int GetSize() const { return size_; }
  // Position of the field in its dataset, from 0.
  int GetIndex() const { return index_; }
  TDataSet* GetDataSet() const { return dataset_; }

  // Values of the current row. With no current row (empty dataset) the field reads as null.
  bool IsNull() const;
  int64_t AsInteger() const;  // floats round half away from zero; texts must be integers
  int64_t AsLargeInt() const { return AsInteger(); }
  double AsFloat() const;  // dates give their day number; texts use the decimal comma
  std::string AsString() const;
  // Appends AsString() to `out`; a text value is copied straight from the column.
  void AppendAsString(std::string& out) const;
  // AsString() without a copy: a text value straight from the column (valid until the value
  // is set again or the dataset frees its rows); any other value formatted into `scratch`,
  // which the view then shows.
  std::string_view AsStringView(std::string& scratch) const;
  TDateTime AsDateTime() const;  // texts read as short dates (or ISO yyyy-mm-dd)
  bool AsBoolean() const;
  Variant AsVariant() const;  // Null, Integer, Float, Text, DateTime or Boolean

  // Setters for the current row. REQUIRES: the dataset is in edit or insert state, else they
  // raise Exception. A value that does not convert to the field's type raises EConvertError;
  // an empty text stored into a non-text field stores null.
  void SetAsInteger(int64_t value);
  void SetAsFloat(double value);
  void SetAsString(const std::string& value);
  void SetAsDateTime(TDateTime value);
  void SetAsBoolean(bool value);
  void SetAsVariant(const Variant& value);
  void Clear();  // stores null

 private:
  TDataSet* dataset_;
  stock::Column* column_;
  std::string name_;
  TFieldType type_;
  int size_;
  int index_;
};
