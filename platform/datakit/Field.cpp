#include "datakit/Field.h"

#include <cmath>

#include "datakit/Column.h"
#include "datakit/DataSet.h"
#include "datakit/DateText.h"
#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"

using stock::Storage;

namespace {

bool TextToBoolean(const std::string& text) {
  std::string t = Trim(text);
  if (SameText(t, "true") || SameText(t, "t") || SameText(t, "s") || SameText(t, "sim"))
    return true;
  if (SameText(t, "false") || SameText(t, "f") || SameText(t, "n") || SameText(t, "não"))
    return false;
  return StrToInt64(t) != 0;
}

TDateTime TextToDateTime(const std::string& text) {
  TDateTime value;
  if (stock::TryParseIsoDateTime(text, value)) return value;
  return StrToDateTime(text);
}

int64_t RoundToInteger(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 9.2e18)
    throw EConvertError("'" + FloatToStr(value) + "' não é um valor inteiro válido");
  return static_cast<int64_t>(std::llround(value));
}

}  // namespace

TField::TField(TDataSet* dataset, stock::Column* column, std::string name, TFieldType type,
               int size, int index)
    : dataset_(dataset),
      column_(column),
      name_(std::move(name)),
      type_(type),
      size_(size),
      index_(index) {}

TField::~TField() = default;

std::string TField::ClassName() const { return "TField"; }

bool TField::IsNull() const {
  int64_t row = dataset_->ReadRecordNo();
  return row < 0 || column_->IsNull(static_cast<size_t>(row));
}

int64_t TField::AsInteger() const {
  int64_t row = dataset_->ReadRecordNo();
  if (row < 0 || column_->IsNull(row)) return 0;
  switch (column_->storage) {
    case Storage::Integer: return column_->ints[row];
    case Storage::Real:
      if (IsDateFieldType(type_)) return static_cast<int64_t>(std::trunc(column_->reals[row]));
      return RoundToInteger(column_->reals[row]);
    case Storage::Text: return StrToInt64(column_->Text(row));
  }
  return 0;
}

double TField::AsFloat() const {
  int64_t row = dataset_->ReadRecordNo();
  if (row < 0 || column_->IsNull(row)) return 0;
  switch (column_->storage) {
    case Storage::Integer: return static_cast<double>(column_->ints[row]);
    case Storage::Real: return column_->reals[row];
    case Storage::Text: return StrToFloat(column_->Text(row));
  }
  return 0;
}

std::string TField::AsString() const {
  int64_t row = dataset_->ReadRecordNo();
  if (row < 0 || column_->IsNull(row)) return {};
  switch (column_->storage) {
    case Storage::Integer:
      if (type_ == ftBoolean) return column_->ints[row] != 0 ? "True" : "False";
      return IntToStr(column_->ints[row]);
    case Storage::Real:
      if (type_ == ftDate) return DateToStr(column_->reals[row]);
      if (type_ == ftDateTime) return DateTimeToStr(column_->reals[row]);
      return FloatToStr(column_->reals[row]);
    case Storage::Text: return std::string(column_->Text(row));
  }
  return {};
}

void TField::AppendAsString(std::string& out) const {
  std::string scratch;
  out.append(AsStringView(scratch));
}

std::string_view TField::AsStringView(std::string& scratch) const {
  const int64_t row = dataset_->ReadRecordNo();
  if (row >= 0 && column_->storage == Storage::Text && !column_->IsNull(row))
    return column_->Text(row);
  scratch = AsString();
  return scratch;
}

TDateTime TField::AsDateTime() const {
  int64_t row = dataset_->ReadRecordNo();
  if (row < 0 || column_->IsNull(row)) return 0;
  switch (column_->storage) {
    case Storage::Integer: return static_cast<double>(column_->ints[row]);
    case Storage::Real: return column_->reals[row];
    case Storage::Text: return TextToDateTime(std::string(column_->Text(row)));
  }
  return 0;
}

bool TField::AsBoolean() const {
  int64_t row = dataset_->ReadRecordNo();
  if (row < 0 || column_->IsNull(row)) return false;
  switch (column_->storage) {
    case Storage::Integer: return column_->ints[row] != 0;
    case Storage::Real: return column_->reals[row] != 0;
    case Storage::Text: return TextToBoolean(std::string(column_->Text(row)));
  }
  return false;
}

Variant TField::AsVariant() const {
  int64_t row = dataset_->ReadRecordNo();
  if (row < 0 || column_->IsNull(row)) return Variant::Null();
  switch (column_->storage) {
    case Storage::Integer:
      if (type_ == ftBoolean) return Variant(column_->ints[row] != 0);
      return Variant(column_->ints[row]);
    case Storage::Real:
      if (IsDateFieldType(type_)) return Variant::FromDate(column_->reals[row]);
      return Variant(column_->reals[row]);
    case Storage::Text: return Variant(std::string(column_->Text(row)));
  }
  return Variant::Null();
}

void TField::SetAsInteger(int64_t value) {
  int64_t row = dataset_->WriteRecordNo();
  switch (column_->storage) {
    case Storage::Integer:
      column_->SetInteger(row, type_ == ftBoolean ? (value != 0) : value);
      break;
    case Storage::Real: column_->SetReal(row, static_cast<double>(value)); break;
    case Storage::Text: column_->SetText(row, IntToStr(value)); break;
  }
}

void TField::SetAsFloat(double value) {
  int64_t row = dataset_->WriteRecordNo();
  switch (column_->storage) {
    case Storage::Integer:
      column_->SetInteger(row, type_ == ftBoolean ? (value != 0) : RoundToInteger(value));
      break;
    case Storage::Real: column_->SetReal(row, type_ == ftDate ? std::floor(value) : value); break;
    case Storage::Text: column_->SetText(row, FloatToStr(value)); break;
  }
}

void TField::SetAsString(const std::string& value) {
  int64_t row = dataset_->WriteRecordNo();
  if (column_->storage == Storage::Text) {
    column_->SetText(row, value);
    return;
  }
  if (Trim(value).empty()) {
    column_->SetNull(row);
    return;
  }
  if (type_ == ftBoolean) {
    column_->SetInteger(row, TextToBoolean(value) ? 1 : 0);
  } else if (column_->storage == Storage::Integer) {
    column_->SetInteger(row, StrToInt64(value));
  } else if (IsDateFieldType(type_)) {
    TDateTime date = TextToDateTime(value);
    column_->SetReal(row, type_ == ftDate ? std::floor(date) : date);
  } else {
    column_->SetReal(row, StrToFloat(value));
  }
}

void TField::SetAsDateTime(TDateTime value) {
  int64_t row = dataset_->WriteRecordNo();
  switch (column_->storage) {
    case Storage::Integer: column_->SetInteger(row, static_cast<int64_t>(std::trunc(value))); break;
    case Storage::Real: column_->SetReal(row, type_ == ftDate ? std::floor(value) : value); break;
    case Storage::Text: column_->SetText(row, DateTimeToStr(value)); break;
  }
}

void TField::SetAsBoolean(bool value) {
  int64_t row = dataset_->WriteRecordNo();
  switch (column_->storage) {
    case Storage::Integer: column_->SetInteger(row, value ? 1 : 0); break;
    case Storage::Real: column_->SetReal(row, value ? 1 : 0); break;
    case Storage::Text: column_->SetText(row, value ? "True" : "False"); break;
  }
}

void TField::SetAsVariant(const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::Null: Clear(); break;
    case Variant::Kind::Integer: SetAsInteger(value.AsInteger()); break;
    case Variant::Kind::Float: SetAsFloat(value.AsFloat()); break;
    case Variant::Kind::Text: SetAsString(value.AsString()); break;
    case Variant::Kind::DateTime: SetAsDateTime(value.AsDateTime()); break;
    case Variant::Kind::Boolean: SetAsBoolean(value.AsBoolean()); break;
    case Variant::Kind::Array:
      throw Exception("Campo '" + name_ + "': um array de valores não pode ser gravado no campo");
  }
}

void TField::Clear() { column_->SetNull(dataset_->WriteRecordNo()); }
