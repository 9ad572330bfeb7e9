#include "datakit/ClientDataSet.h"

#include <malloc.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <numeric>

#include "datakit/Column.h"
#include "datakit/DateText.h"
#include "datakit/FilterExpression.h"
#include "rtl/Assert.h"
#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"

using stock::Column;
using stock::Storage;

namespace {

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::vector<std::string> SplitNames(const std::string& names) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(';', start);
    if (end == std::string::npos) end = names.size();
    std::string piece = Trim(std::string_view(names).substr(start, end - start));
    if (!piece.empty()) out.push_back(piece);
    start = end + 1;
  }
  return out;
}

template <typename T>
int Compare3(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

constexpr uint32_t kTrimAfterRows = 100000;

}  // namespace

// A search key: one typed value per key column.
struct TnClientDataSet::Key {
  struct Value {
    bool null = true;
    int64_t integer = 0;
    double real = 0;
    std::string text;
  };
  std::vector<int> columns;
  std::vector<Value> values;
};

TnClientDataSet::TnClientDataSet() = default;
TnClientDataSet::~TnClientDataSet() = default;

std::string TnClientDataSet::ClassName() const { return "TnClientDataSet"; }

void TnClientDataSet::RequireActive(const char* operation) const {
  if (state_ == dsInactive) {
    std::string prefix = GetName().empty() ? std::string() : GetName() + ": ";
    throw Exception(prefix + "Operação não permitida em um dataset fechado (" + operation + ")");
  }
}

uint32_t TnClientDataSet::RowCount() const {
  return columns_.empty() ? 0 : static_cast<uint32_t>(columns_[0]->size());
}

// --- Creation ------------------------------------------------------------------------------

void TnClientDataSet::BuildFields(const std::vector<TFieldDef>& defs, size_t reserve) {
  if (defs.empty()) throw Exception("Dataset sem definição de campos");
  // The same columns as before (a query run again) keep their TField objects, so references
  // to them stay valid. A column typed by its values (ftUnknown) matches a field of any type:
  // it is settled to that type when no value says otherwise.
  bool same = fields_.size() == defs.size();
  for (size_t i = 0; same && i < fields_.size(); ++i) {
    const TFieldDef& def = defs[i];
    same = fields_[i]->GetFieldName() == def.Name &&
           (fields_[i]->GetDataType() == def.DataType || def.DataType == ftUnknown);
  }
  if (&defs != &field_defs_.Items()) {
    // Until the load settles them, columns typed by their values are defined as texts.
    TFieldDefs fresh;
    for (const TFieldDef& def : defs) {
      fresh.Add(def.Name, def.DataType == ftUnknown ? ftString : def.DataType, def.Size);
    }
    field_defs_ = std::move(fresh);
  }
  if (same) {
    for (size_t i = 0; i < columns_.size(); ++i) {
      columns_[i]->Retype(defs[i].DataType == ftUnknown ? ftUnknown : fields_[i]->GetDataType());
      columns_[i]->Reserve(reserve);
    }
  } else {
    fields_.clear();
    columns_.clear();
    names_.clear();
    for (const TFieldDef& def : defs) {
      auto column = std::make_unique<Column>(def.Name, def.DataType);
      column->Reserve(reserve);
      int index = static_cast<int>(fields_.size());
      const TFieldType field_type = def.DataType == ftUnknown ? ftString : def.DataType;
      fields_.push_back(
          std::make_unique<TField>(this, column.get(), def.Name, field_type, def.Size, index));
      names_.emplace_back(UpperAscii(def.Name), index);
      columns_.push_back(std::move(column));
    }
    std::sort(names_.begin(), names_.end());
  }
  order_.clear();
  view_.clear();
  leading_sorted_.clear();
  range_low_.reset();
  range_high_.reset();
  filter_.reset();
  index_columns_.clear();
  edit_row_ = -1;
  bulk_loading_ = false;
  bulk_column_ = 0;
}

void TnClientDataSet::CreateDataSet() {
  BuildFields(field_defs_.Items(), 0);
  state_ = dsBrowse;
  // Index and filter given before creation apply now; a bad one is reported here.
  std::string index = index_text_;
  index_text_.clear();
  if (!index.empty()) SetIndexFieldNames(index);
  std::string filter = filter_text_;
  filter_text_.clear();
  if (!filter.empty()) SetFilter(filter);
  RebuildView();
  First();
}

void TnClientDataSet::ClearRows() {
  for (auto& column : columns_) column->Clear();
  order_.clear();
  view_.clear();
  leading_sorted_.clear();
  edit_row_ = -1;
  edit_backup_.clear();
  cursor_ = 0;
  bof_ = eof_ = true;
}

void TnClientDataSet::EmptyDataSet() {
  RequireActive("EmptyDataSet");
  ClearRows();
  state_ = dsBrowse;
}

void TnClientDataSet::Close() {
  if (state_ == dsInactive) return;
  ClearRows();
  state_ = dsInactive;
}

// --- Bulk load -----------------------------------------------------------------------------

void TnClientDataSet::BeginBulkLoad(const std::vector<TFieldDef>& columns, size_t expected_rows) {
  // A query may repeat a column name or leave one empty: such columns get unique names
  // ("CODIGO_1", "COLUNA3"), so every field stays reachable by name.
  std::vector<TFieldDef> defs = columns;
  for (size_t i = 0; i < defs.size(); ++i) {
    if (Trim(defs[i].Name).empty()) defs[i].Name = "COLUNA" + std::to_string(i + 1);
    auto taken = [&](const std::string& name) {
      for (size_t j = 0; j < i; ++j)
        if (SameText(defs[j].Name, name)) return true;
      return false;
    };
    if (taken(defs[i].Name)) {
      std::string base = defs[i].Name;
      for (int n = 1; taken(defs[i].Name); ++n) defs[i].Name = base + "_" + std::to_string(n);
    }
  }
  state_ = dsInactive;
  ClearRows();
  BuildFields(defs, expected_rows);
  bulk_loading_ = true;
  bulk_column_ = 0;
}

namespace {

[[noreturn]] void BulkConversionError(const Column& column, std::string_view value,
                                      const char* what) {
  throw EConvertError("Coluna '" + column.name + "': '" + std::string(value) + "' não é " + what);
}

int64_t ParseBulkInteger(const Column& column, std::string_view text) {
  std::string_view t = text;
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  int64_t value = 0;
  auto r = std::from_chars(t.data(), t.data() + t.size(), value);
  if (r.ec == std::errc() && r.ptr == t.data() + t.size() && !t.empty()) return value;
  double real = 0;
  auto rr = std::from_chars(t.data(), t.data() + t.size(), real);
  if (rr.ec == std::errc() && rr.ptr == t.data() + t.size() && !t.empty() &&
      std::trunc(real) == real && std::fabs(real) < 9.2e18)
    return static_cast<int64_t>(real);
  BulkConversionError(column, text, "um valor inteiro válido");
}

}  // namespace

void TnClientDataSet::AppendInteger(int64_t value) {
  STOCK_CHECK(bulk_loading_, "AppendInteger fora de uma carga (BeginBulkLoad)");
  Column& column = *columns_[bulk_column_];
  if (column.type == ftUnknown) {
    column.PushPendingInteger(value);
    bulk_column_ = (bulk_column_ + 1) % columns_.size();
    return;
  }
  switch (column.storage) {
    case Storage::Integer:
      column.PushInteger(column.type == ftBoolean ? (value != 0) : value);
      break;
    case Storage::Real: column.PushReal(static_cast<double>(value)); break;
    case Storage::Text: {
      char buf[24];
      auto r = std::to_chars(buf, buf + sizeof buf, value);
      column.PushText(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
      break;
    }
  }
  bulk_column_ = (bulk_column_ + 1) % columns_.size();
}

void TnClientDataSet::AppendFloat(double value) {
  STOCK_CHECK(bulk_loading_, "AppendFloat fora de uma carga (BeginBulkLoad)");
  Column& column = *columns_[bulk_column_];
  if (column.type == ftUnknown) {
    column.PushPendingReal(value);
    bulk_column_ = (bulk_column_ + 1) % columns_.size();
    return;
  }
  switch (column.storage) {
    case Storage::Integer:
      if (column.type == ftBoolean) {
        column.PushInteger(value != 0);
      } else {
        if (!(std::trunc(value) == value && std::fabs(value) < 9.2e18))
          BulkConversionError(column, stock::PlainNumber(value), "um valor inteiro válido");
        column.PushInteger(static_cast<int64_t>(value));
      }
      break;
    case Storage::Real: column.PushReal(value); break;
    case Storage::Text: column.PushText(FloatToStr(value)); break;
  }
  bulk_column_ = (bulk_column_ + 1) % columns_.size();
}

void TnClientDataSet::AppendText(std::string_view value) {
  STOCK_CHECK(bulk_loading_, "AppendText fora de uma carga (BeginBulkLoad)");
  Column& column = *columns_[bulk_column_];
  if (column.storage == Storage::Text) {
    column.PushText(value);
  } else if (Trim(value).empty()) {
    column.PushNull();
  } else if (column.type == ftBoolean) {
    std::string t = Trim(value);
    if (SameText(t, "true"))
      column.PushInteger(1);
    else if (SameText(t, "false"))
      column.PushInteger(0);
    else
      column.PushInteger(ParseBulkInteger(column, value) != 0);
  } else if (column.storage == Storage::Integer) {
    column.PushInteger(ParseBulkInteger(column, value));
  } else if (IsDateFieldType(column.type)) {
    TDateTime date;
    if (!stock::TryParseAnyDate(value, date)) BulkConversionError(column, value, "uma data válida");
    column.PushReal(column.type == ftDate ? std::floor(date) : date);
  } else {
    double real;
    if (!TryStrToFloat(value, real)) BulkConversionError(column, value, "um número válido");
    column.PushReal(real);
  }
  bulk_column_ = (bulk_column_ + 1) % columns_.size();
}

void TnClientDataSet::AppendDateTime(TDateTime value) {
  STOCK_CHECK(bulk_loading_, "AppendDateTime fora de uma carga (BeginBulkLoad)");
  Column& column = *columns_[bulk_column_];
  if (column.type == ftUnknown) {  // settled as a date when every value is one
    column.PushText(stock::FormatIsoDateTime(value, stock::HasTimeOfDay(value)));
    bulk_column_ = (bulk_column_ + 1) % columns_.size();
    return;
  }
  switch (column.storage) {
    case Storage::Integer: column.PushInteger(static_cast<int64_t>(std::trunc(value))); break;
    case Storage::Real: column.PushReal(column.type == ftDate ? std::floor(value) : value); break;
    case Storage::Text: column.PushText(DateTimeToStr(value)); break;
  }
  bulk_column_ = (bulk_column_ + 1) % columns_.size();
}

void TnClientDataSet::AppendNull() {
  STOCK_CHECK(bulk_loading_, "AppendNull fora de uma carga (BeginBulkLoad)");
  columns_[bulk_column_]->PushNull();
  bulk_column_ = (bulk_column_ + 1) % columns_.size();
}

void TnClientDataSet::SettleColumnTypes() {
  bool changed = false;
  for (size_t i = 0; i < columns_.size(); ++i) {
    Column& column = *columns_[i];
    if (column.type != ftUnknown) continue;
    TField& field = *fields_[i];
    column.SettleType(field.GetDataType());
    if (field.GetDataType() != column.type) {
      fields_[i] = std::make_unique<TField>(this, &column, field.GetFieldName(), column.type,
                                            field.GetSize(), static_cast<int>(i));
      changed = true;
    }
  }
  if (changed) {
    TFieldDefs fresh;
    for (const auto& field : fields_) {
      fresh.Add(field->GetFieldName(), field->GetDataType(), field->GetSize());
    }
    field_defs_ = std::move(fresh);
  }
}

void TnClientDataSet::EndBulkLoad() {
  if (!bulk_loading_) throw Exception("EndBulkLoad sem BeginBulkLoad");
  if (bulk_column_ != 0) {
    size_t got = bulk_column_;
    for (size_t c = 0; c < got; ++c) columns_[c]->PopBack();
    SettleColumnTypes();
    bulk_loading_ = false;
    bulk_column_ = 0;
    throw Exception("Carga de dados incompleta: a última linha tem " + std::to_string(got) +
                    " de " + std::to_string(columns_.size()) + " colunas");
  }
  SettleColumnTypes();
  for (auto& column : columns_) column->ShrinkToFit();
  // The arrays grew by doubling: the smaller arrays they left behind go back to the system
  // instead of staying in the process beside the loaded rows.
  if (RowCount() >= kTrimAfterRows) malloc_trim(0);
  bulk_loading_ = false;
  state_ = dsBrowse;
  std::string index = index_text_;
  index_text_.clear();
  if (!index.empty())
    SetIndexFieldNames(index);  // also rebuilds the order
  else
    RebuildOrder();
  std::string filter = filter_text_;
  filter_text_.clear();
  if (!filter.empty()) SetFilter(filter);
  RebuildView();
  First();
}

// --- Fields --------------------------------------------------------------------------------

int TnClientDataSet::FieldCount() const { return static_cast<int>(fields_.size()); }

TField* TnClientDataSet::Fields(int index) const {
  if (index < 0 || index >= FieldCount())
    throw Exception("Índice de campo fora dos limites: " + std::to_string(index));
  return fields_[static_cast<size_t>(index)].get();
}

TField* TnClientDataSet::FindField(const std::string& name) const {
  std::string key = UpperAscii(Trim(name));
  auto it = std::lower_bound(names_.begin(), names_.end(), std::make_pair(key, -1));
  if (it == names_.end() || it->first != key) return nullptr;
  return fields_[static_cast<size_t>(it->second)].get();
}

// --- Order, view, cursor -------------------------------------------------------------------

namespace {

// Order-preserving 64-bit image of a cell: exact for integers and floats, the first 8 bytes
// (big-endian) for texts, whose ties are settled on the whole text.
uint64_t SortPrefix(const Column& column, size_t row) {
  switch (column.storage) {
    case Storage::Integer: return static_cast<uint64_t>(column.ints[row]) ^ (uint64_t{1} << 63);
    case Storage::Real: {
      double d = column.reals[row];
      if (d == 0) d = 0;  // -0 sorts with 0
      uint64_t bits;
      std::memcpy(&bits, &d, sizeof bits);
      return (bits >> 63) ? ~bits : bits | (uint64_t{1} << 63);
    }
    case Storage::Text: {
      std::string_view text = column.Text(row);
      uint64_t key = 0;
      for (size_t i = 0; i < 8; ++i)
        key = (key << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
      return key;
    }
  }
  return 0;
}

struct SortEntry {
  uint64_t prefix[2];
  uint32_t row;
  uint8_t nulls;  // bit i: cell of encoded column i is null
};

}  // namespace

void TnClientDataSet::RebuildOrder() {
  leading_sorted_.clear();
  uint32_t n = RowCount();
  order_.resize(n);
  std::iota(order_.begin(), order_.end(), 0u);
  if (index_columns_.empty()) return;
  std::vector<const Column*> cols;
  for (int c : index_columns_) cols.push_back(columns_[static_cast<size_t>(c)].get());
  // The first two index columns are compared through fixed-width prefixes kept beside the row
  // number, so the sort seldom reaches into the column storage.
  const size_t encoded = std::min<size_t>(2, cols.size());
  std::vector<SortEntry> entries(n);
  for (uint32_t row = 0; row < n; ++row) {
    SortEntry& e = entries[row];
    e.row = row;
    e.nulls = 0;
    for (size_t i = 0; i < 2; ++i) {
      e.prefix[i] = 0;
      if (i >= encoded) continue;
      if (cols[i]->IsNull(row))
        e.nulls |= static_cast<uint8_t>(1u << i);
      else
        e.prefix[i] = SortPrefix(*cols[i], row);
    }
  }
  std::sort(entries.begin(), entries.end(), [&](const SortEntry& a, const SortEntry& b) {
    for (size_t i = 0; i < encoded; ++i) {
      bool na = (a.nulls >> i) & 1u, nb = (b.nulls >> i) & 1u;
      if (na != nb) return na;
      if (na) continue;
      if (a.prefix[i] != b.prefix[i]) return a.prefix[i] < b.prefix[i];
      if (cols[i]->storage == Storage::Text) {
        int c = cols[i]->Text(a.row).compare(cols[i]->Text(b.row));
        if (c != 0) return c < 0;
      }
    }
    for (size_t i = encoded; i < cols.size(); ++i) {
      int c = stock::CompareCells(*cols[i], a.row, b.row);
      if (c != 0) return c < 0;
    }
    return a.row < b.row;  // equal keys keep load order
  });
  for (uint32_t i = 0; i < n; ++i) order_[i] = entries[i].row;
}

bool TnClientDataSet::PassesFilterAndRange(uint32_t row) const {
  if (filtered_ && filter_ && !filter_->Matches(row)) return false;
  if (range_low_ && CompareRowKey(row, *range_low_) < 0) return false;
  if (range_high_ && CompareRowKey(row, *range_high_) > 0) return false;
  return true;
}

void TnClientDataSet::RebuildView() {
  bool filtering = filtered_ && filter_;
  if (!filtering && !range_low_) {
    view_ = order_;
    return;
  }
  size_t begin = 0, end = order_.size();
  if (range_low_ && ViewSortedBy(range_low_->columns) && ViewSortedBy(range_high_->columns)) {
    // The order is sorted by the key: the range is one slice of it.
    begin = static_cast<size_t>(
        std::partition_point(order_.begin(), order_.end(),
                             [this](uint32_t row) { return CompareRowKey(row, *range_low_) < 0; }) -
        order_.begin());
    end = static_cast<size_t>(
        std::partition_point(
            order_.begin() + static_cast<ptrdiff_t>(begin), order_.end(),
            [this](uint32_t row) { return CompareRowKey(row, *range_high_) <= 0; }) -
        order_.begin());
    end = std::max(begin, end);
  }
  view_.clear();
  for (size_t i = begin; i < end; ++i) {
    uint32_t row = order_[i];
    if (PassesFilterAndRange(row)) view_.push_back(row);
  }
}

// True when order_ (and so every view over it) is sorted by `columns`.
bool TnClientDataSet::ViewSortedBy(const std::vector<int>& columns) const {
  if (!index_columns_.empty()) {
    if (columns.size() > index_columns_.size()) return false;
    return std::equal(columns.begin(), columns.end(), index_columns_.begin());
  }
  // Key columns without an index are the leading columns 0..k-1.
  const size_t k = columns.size();
  if (k == 0) return true;
  if (leading_sorted_.size() < k + 1) leading_sorted_.resize(k + 1, -1);
  if (leading_sorted_[k] >= 0) return leading_sorted_[k] == 1;
  bool sorted = true;
  for (size_t i = 1; sorted && i < order_.size(); ++i) {
    for (int c : columns) {
      int cmp = stock::CompareCells(*columns_[static_cast<size_t>(c)], order_[i - 1], order_[i]);
      if (cmp < 0) break;
      if (cmp > 0) {
        sorted = false;
        break;
      }
    }
  }
  leading_sorted_[k] = sorted ? 1 : 0;
  return sorted;
}

void TnClientDataSet::StandAt(size_t position) {
  if (view_.empty()) {
    cursor_ = 0;
    bof_ = eof_ = true;
    return;
  }
  cursor_ = std::min(position, view_.size() - 1);
  bof_ = eof_ = false;
}

void TnClientDataSet::First() {
  RequireActive("First");
  if (state_ != dsBrowse) Post();
  StandAt(0);
  bof_ = true;
}

void TnClientDataSet::Next() {
  RequireActive("Next");
  if (state_ != dsBrowse) Post();
  if (view_.empty() || cursor_ + 1 >= view_.size()) {
    eof_ = true;
    return;
  }
  ++cursor_;
  bof_ = eof_ = false;
}

void TnClientDataSet::Prior() {
  RequireActive("Prior");
  if (state_ != dsBrowse) Post();
  if (view_.empty() || cursor_ == 0) {
    bof_ = true;
    return;
  }
  --cursor_;
  bof_ = eof_ = false;
}

void TnClientDataSet::Last() {
  RequireActive("Last");
  if (state_ != dsBrowse) Post();
  StandAt(view_.empty() ? 0 : view_.size() - 1);
  eof_ = true;
  bof_ = view_.empty();
}

int TnClientDataSet::RecordCount() const { return static_cast<int>(view_.size()); }

bool TnClientDataSet::IsEmpty() const { return view_.empty(); }

int64_t TnClientDataSet::GetBookmark() const {
  if (state_ == dsInactive || view_.empty()) return -1;
  return view_[cursor_];
}

void TnClientDataSet::SetBookmark(int64_t bookmark) {
  RequireActive("SetBookmark");
  if (state_ != dsBrowse) Post();
  auto it = std::find(
      view_.begin(), view_.end(),
      static_cast<uint64_t>(bookmark) <= UINT32_MAX ? static_cast<uint32_t>(bookmark) : UINT32_MAX);
  if (bookmark < 0 || it == view_.end())
    throw Exception("Registro não encontrado (marcador inválido)");
  StandAt(static_cast<size_t>(it - view_.begin()));
}

int TnClientDataSet::GetRecNo() const {
  if (state_ == dsInactive || view_.empty()) return 0;
  return static_cast<int>(cursor_) + 1;
}

void TnClientDataSet::SetRecNo(int position) {
  RequireActive("SetRecNo");
  if (state_ != dsBrowse) Post();
  if (position < 1 || static_cast<size_t>(position) > view_.size()) {
    throw Exception("Registro não encontrado (posição " + std::to_string(position) + ")");
  }
  StandAt(static_cast<size_t>(position - 1));
}

int64_t TnClientDataSet::ReadRecordNo() const {
  if (state_ == dsEdit || state_ == dsInsert) return edit_row_;
  if (state_ == dsInactive || view_.empty()) return -1;
  return view_[cursor_];
}

int64_t TnClientDataSet::WriteRecordNo() {
  if (state_ != dsEdit && state_ != dsInsert) {
    std::string prefix = GetName().empty() ? std::string() : GetName() + ": ";
    throw Exception(prefix + "O dataset não está em modo de edição ou inserção");
  }
  return edit_row_;
}

// --- Filter --------------------------------------------------------------------------------

void TnClientDataSet::SetFilter(const std::string& text) {
  if (state_ == dsInactive || bulk_loading_) {  // closed: compiled when the dataset opens
    filter_text_ = text;
    filter_.reset();
    return;
  }
  if (state_ != dsBrowse && state_ != dsInactive) Post();
  std::unique_ptr<stock::FilterPredicate> compiled;
  if (!Trim(text).empty()) {
    compiled =
        stock::FilterPredicate::Compile(text, [this](std::string_view name) -> const Column* {
          TField* field = FindField(std::string(name));
          return field ? columns_[static_cast<size_t>(field->GetIndex())].get() : nullptr;
        });
  }
  filter_ = std::move(compiled);
  filter_text_ = text;
  if (filtered_ && state_ != dsInactive) {
    RebuildView();
    First();
  }
}

void TnClientDataSet::SetFiltered(bool on) {
  if (filtered_ == on) return;
  filtered_ = on;
  if (state_ != dsInactive && !bulk_loading_) {
    if (state_ != dsBrowse) Post();
    RebuildView();
    First();
  }
}

// --- Editing -------------------------------------------------------------------------------

void TnClientDataSet::Append() {
  RequireActive("Append");
  if (state_ != dsBrowse) Post();
  for (auto& column : columns_) column->PushNull();
  edit_row_ = RowCount() - 1;
  state_ = dsInsert;
}

void TnClientDataSet::Edit() {
  RequireActive("Edit");
  if (state_ != dsBrowse) return;
  if (view_.empty()) throw Exception("Não há registro para editar");
  edit_row_ = view_[cursor_];
  edit_backup_.clear();
  for (auto& field : fields_) edit_backup_.push_back(field->AsVariant());
  state_ = dsEdit;
}

void TnClientDataSet::PlaceNewRow(uint32_t row) {
  auto before = [this](uint32_t a, uint32_t b) {  // a sorts before b in index order
    for (int c : index_columns_) {
      int cmp = stock::CompareCells(*columns_[static_cast<size_t>(c)], a, b);
      if (cmp != 0) return cmp < 0;
    }
    return a < b;
  };
  auto insert_sorted = [&](std::vector<uint32_t>& rows) -> size_t {
    auto it = index_columns_.empty() ? rows.end()
                                     : std::upper_bound(rows.begin(), rows.end(), row, before);
    return static_cast<size_t>(rows.insert(it, row) - rows.begin());
  };
  insert_sorted(order_);
  leading_sorted_.clear();
  if (PassesFilterAndRange(row)) {
    StandAt(insert_sorted(view_));
  } else {
    StandAt(cursor_);
  }
}

void TnClientDataSet::Post() {
  if (state_ == dsInsert) {
    state_ = dsBrowse;
    PlaceNewRow(static_cast<uint32_t>(edit_row_));
  } else if (state_ == dsEdit) {
    state_ = dsBrowse;
    uint32_t row = static_cast<uint32_t>(edit_row_);
    RebuildOrder();
    RebuildView();
    auto it = std::find(view_.begin(), view_.end(), row);
    StandAt(it != view_.end() ? static_cast<size_t>(it - view_.begin()) : cursor_);
  }
  edit_row_ = -1;
  edit_backup_.clear();
}

void TnClientDataSet::Cancel() {
  if (state_ == dsInsert) {
    for (auto& column : columns_) column->PopBack();
  } else if (state_ == dsEdit) {
    for (size_t i = 0; i < fields_.size(); ++i) fields_[i]->SetAsVariant(edit_backup_[i]);
  } else {
    return;
  }
  state_ = dsBrowse;
  edit_row_ = -1;
  edit_backup_.clear();
  StandAt(cursor_);
}

// --- Index, keys, range --------------------------------------------------------------------

void TnClientDataSet::SetIndexFieldNames(const std::string& names) {
  if (state_ == dsInactive || bulk_loading_) {  // closed: applied when the dataset opens
    index_text_ = names;
    return;
  }
  std::vector<int> columns;
  for (const std::string& name : SplitNames(names))
    columns.push_back(FieldByName(name)->GetIndex());
  if (state_ != dsBrowse && state_ != dsInactive) Post();
  index_columns_ = std::move(columns);
  index_text_ = names;
  range_low_.reset();
  range_high_.reset();
  RebuildOrder();
  RebuildView();
  if (state_ != dsInactive) First();
}

std::vector<int> TnClientDataSet::KeyColumns(size_t key_size) const {
  std::vector<int> columns;
  if (!index_columns_.empty()) {
    if (key_size > index_columns_.size())
      throw Exception("A chave tem " + std::to_string(key_size) + " valores, mas o índice tem " +
                      std::to_string(index_columns_.size()) + " campos");
    columns.assign(index_columns_.begin(),
                   index_columns_.begin() + static_cast<ptrdiff_t>(key_size));
  } else {
    if (key_size > columns_.size())
      throw Exception("A chave tem mais valores que o dataset tem campos");
    for (size_t i = 0; i < key_size; ++i) columns.push_back(static_cast<int>(i));
  }
  return columns;
}

TnClientDataSet::Key TnClientDataSet::MakeKey(const std::vector<Variant>& values) const {
  Key key;
  key.columns = KeyColumns(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    const Column& column = *columns_[static_cast<size_t>(key.columns[i])];
    const Variant& v = values[i];
    Key::Value value;
    if (!v.IsNull()) {
      value.null = false;
      switch (column.storage) {
        case Storage::Integer:
          value.integer = column.type == ftBoolean ? (v.AsBoolean() ? 1 : 0) : v.AsInteger();
          break;
        case Storage::Real:
          if (IsDateFieldType(column.type) && v.kind() == Variant::Kind::Text) {
            if (!stock::TryParseAnyDate(v.AsString(), value.real))
              throw EConvertError("'" + v.AsString() + "' não é uma data válida");
          } else {
            value.real = v.AsFloat();
          }
          break;
        case Storage::Text: value.text = v.AsString(); break;
      }
    }
    key.values.push_back(std::move(value));
  }
  return key;
}

int TnClientDataSet::CompareRowKey(uint32_t row, const Key& key) const {
  for (size_t i = 0; i < key.values.size(); ++i) {
    const Column& column = *columns_[static_cast<size_t>(key.columns[i])];
    const Key::Value& value = key.values[i];
    bool null = column.IsNull(row);
    if (null || value.null) {
      if (null != value.null) return null ? -1 : 1;
      continue;
    }
    int c = 0;
    switch (column.storage) {
      case Storage::Integer: c = Compare3(column.ints[row], value.integer); break;
      case Storage::Real: c = Compare3(column.reals[row], value.real); break;
      case Storage::Text: {
        int t = column.Text(row).compare(value.text);
        c = t < 0 ? -1 : (t > 0 ? 1 : 0);
        break;
      }
    }
    if (c != 0) return c;
  }
  return 0;
}

bool TnClientDataSet::FindKey(const std::vector<Variant>& values) {
  RequireActive("FindKey");
  if (state_ != dsBrowse) Post();
  Key key = MakeKey(values);
  size_t pos;
  if (ViewSortedBy(key.columns)) {
    pos = static_cast<size_t>(
        std::partition_point(view_.begin(), view_.end(),
                             [&](uint32_t row) { return CompareRowKey(row, key) < 0; }) -
        view_.begin());
    if (pos == view_.size() || CompareRowKey(view_[pos], key) != 0) return false;
  } else {
    pos = 0;
    while (pos < view_.size() && CompareRowKey(view_[pos], key) != 0) ++pos;
    if (pos == view_.size()) return false;
  }
  StandAt(pos);
  return true;
}

void TnClientDataSet::FindNearest(const std::vector<Variant>& values) {
  RequireActive("FindNearest");
  if (state_ != dsBrowse) Post();
  Key key = MakeKey(values);
  size_t pos = view_.size();
  if (ViewSortedBy(key.columns)) {
    pos = static_cast<size_t>(
        std::partition_point(view_.begin(), view_.end(),
                             [&](uint32_t row) { return CompareRowKey(row, key) < 0; }) -
        view_.begin());
  } else {
    // Rows not in key order: the smallest key not less than the one sought.
    for (size_t i = 0; i < view_.size(); ++i) {
      if (CompareRowKey(view_[i], key) < 0) continue;
      if (pos == view_.size()) {
        pos = i;
        continue;
      }
      for (int c : key.columns) {
        int cmp = stock::CompareCells(*columns_[static_cast<size_t>(c)], view_[i], view_[pos]);
        if (cmp < 0) pos = i;
        if (cmp != 0) break;
      }
    }
  }
  if (pos >= view_.size()) {
    StandAt(view_.empty() ? 0 : view_.size() - 1);
    eof_ = true;
    return;
  }
  StandAt(pos);
}

void TnClientDataSet::SetRange(const std::vector<Variant>& low, const std::vector<Variant>& high) {
  RequireActive("SetRange");
  if (state_ != dsBrowse) Post();
  auto new_low = std::make_unique<Key>(MakeKey(low));
  auto new_high = std::make_unique<Key>(MakeKey(high));
  range_low_ = std::move(new_low);
  range_high_ = std::move(new_high);
  RebuildView();
  First();
}

void TnClientDataSet::CancelRange() {
  if (!range_low_) return;
  range_low_.reset();
  range_high_.reset();
  if (state_ == dsInactive) return;
  if (state_ != dsBrowse) Post();
  RebuildView();
  First();
}

bool TnClientDataSet::Locate(const std::string& names, const std::vector<Variant>& values) {
  RequireActive("Locate");
  if (state_ != dsBrowse) Post();
  std::vector<std::string> list = SplitNames(names);
  if (list.size() != values.size())
    throw Exception("Locate: " + std::to_string(list.size()) + " campos e " +
                    std::to_string(values.size()) + " valores");
  std::vector<int> saved_index = index_columns_;
  Key key;
  {
    // MakeKey reads the key columns from the index: borrow it for the located fields.
    std::vector<int> columns;
    for (const std::string& name : list) columns.push_back(FieldByName(name)->GetIndex());
    index_columns_ = columns;
    try {
      key = MakeKey(values);
    } catch (...) {
      index_columns_ = saved_index;
      throw;
    }
    index_columns_ = saved_index;
  }
  for (size_t i = 0; i < view_.size(); ++i) {
    if (CompareRowKey(view_[i], key) == 0) {
      StandAt(i);
      return true;
    }
  }
  return false;
}
