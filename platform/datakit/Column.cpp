#include "datakit/Column.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

#include "datakit/DateText.h"
#include "rtl/StrConv.h"

namespace stock {

namespace {
constexpr size_t kBlockSize = size_t{1} << 20;
constexpr size_t kFirstBlockSize = size_t{1} << 12;
constexpr size_t kBlockGrowthSteps = 8;  // 4 KiB << 8 = kBlockSize

// What one row of a column typed by its values holds.
enum Pending : uint8_t { kPendingText, kPendingNull, kPendingInteger, kPendingReal };

template <typename T>
int Compare3(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}
}  // namespace

Storage StorageOf(TFieldType type) {
  if (IsIntegerFieldType(type) || type == ftBoolean) return Storage::Integer;
  if (type == ftString || type == ftUnknown) return Storage::Text;
  return Storage::Real;
}

Column::Column(std::string name_, TFieldType type_)
    : name(std::move(name_)), type(type_), storage(StorageOf(type_)) {}

void Column::Retype(TFieldType type_) {
  Clear();
  type = type_;
  storage = StorageOf(type_);
}

void Column::Reserve(size_t rows) {
  if (!nulls_.empty()) nulls_.reserve(rows);
  switch (storage) {
    case Storage::Integer: ints.reserve(rows); break;
    case Storage::Real: reals.reserve(rows); break;
    case Storage::Text: text_ref.reserve(rows); break;
  }
}

namespace {
template <typename T>
void Shrink(std::vector<T>& values) {
  if (values.capacity() - values.size() > values.size() / 32) values.shrink_to_fit();
}
}  // namespace

void Column::ShrinkToFit() {
  Shrink(nulls_);
  Shrink(ints);
  Shrink(reals);
  Shrink(text_ref);
}

uint64_t Column::StoreText(std::string_view value) {
  if (value.empty()) return 0;
  if (value.size() >= kLongText) {
    // A block of its own, the length in its first bytes; the next short text opens a new block.
    const uint64_t length = value.size();
    auto block = std::make_unique_for_overwrite<char[]>(sizeof length + value.size());
    std::memcpy(block.get(), &length, sizeof length);
    std::memcpy(block.get() + sizeof length, value.data(), value.size());
    blocks_.push_back(std::move(block));
    block_size_ = block_used_ = 0;
    return (static_cast<uint64_t>(blocks_.size() - 1) << 40) | kLongText;
  }
  if (blocks_.empty() || block_used_ + value.size() > block_size_) {
    // Blocks grow from 4 KiB to kBlockSize: a one-row result keeps a few bytes, not a megabyte.
    const size_t grown = kFirstBlockSize << std::min<size_t>(blocks_.size(), kBlockGrowthSteps);
    block_size_ = std::max(std::min(grown, kBlockSize), value.size());
    blocks_.push_back(
        std::make_unique_for_overwrite<char[]>(block_size_));  // pages untouched until written
    block_used_ = 0;
  }
  // kBlockSize is 2^20: a position inside a block and a short length take 20 bits each.
  const uint64_t ref = (static_cast<uint64_t>(blocks_.size() - 1) << 40) |
                       (static_cast<uint64_t>(block_used_) << 20) | value.size();
  std::memcpy(blocks_.back().get() + block_used_, value.data(), value.size());
  block_used_ += value.size();
  return ref;
}

void Column::PushNull() {
  if (type == ftUnknown) pending_kinds_.push_back(kPendingNull);
  PushFlag(1);
  switch (storage) {
    case Storage::Integer: ints.push_back(0); break;
    case Storage::Real: reals.push_back(0); break;
    case Storage::Text:
      text_ref.push_back(0);
      if (blocks_.empty()) StoreText(std::string_view("\0", 1));  // keeps Text(row) valid
      break;
  }
}

void Column::PushInteger(int64_t value) {
  PushFlag(0);
  ints.push_back(value);
}

void Column::PushReal(double value) {
  PushFlag(0);
  reals.push_back(value);
}

void Column::PushText(std::string_view value) {
  if (type == ftUnknown) pending_kinds_.push_back(kPendingText);
  if (blocks_.empty()) StoreText(std::string_view("\0", 1));
  // A text equal to the row above's shares its bytes: a result sorted by a column, or joined to
  // a parent row, repeats the same text row after row. Stored texts never change in place
  // (SetText stores anew), so sharing is safe.
  const size_t above = rows_;
  if (above > 0 && !IsNull(above - 1) && !value.empty() && Text(above - 1) == value) {
    text_ref.push_back(text_ref[above - 1]);
  } else {
    text_ref.push_back(StoreText(value));
  }
  PushFlag(0);
}

void Column::PushPendingInteger(int64_t value) {
  const size_t row = size();
  PushNull();  // a text slot, and a null until the type is settled
  pending_kinds_.back() = kPendingInteger;
  ints.resize(row);
  ints.push_back(value);
}

void Column::PushPendingReal(double value) {
  PushPendingInteger(std::bit_cast<int64_t>(value));
  pending_kinds_.back() = kPendingReal;
}

void Column::SettleType(TFieldType fallback) {
  if (type != ftUnknown) return;
  const size_t rows = size();
  bool any_text = false, any_integer = false, any_real = false;
  for (uint8_t kind : pending_kinds_) {
    any_text = any_text || kind == kPendingText;
    any_integer = any_integer || kind == kPendingInteger;
    any_real = any_real || kind == kPendingReal;
  }
  ints.resize(rows);
  std::vector<uint8_t> kinds = std::move(pending_kinds_);
  pending_kinds_ = {};
  auto number_text = [&](size_t row) {
    if (kinds[row] == kPendingReal) return FloatToStr(std::bit_cast<double>(ints[row]));
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, ints[row]);
    return std::string(buf, static_cast<size_t>(r.ptr - buf));
  };

  TFieldType settled = fallback;
  if (any_text) {
    settled = ftString;
    if (!any_integer && !any_real) {
      // Dates when every text is an ISO date; the values are kept aside until all are read.
      std::vector<double> dates(rows);
      bool all_dates = true, any_time = false;
      for (size_t row = 0; all_dates && row < rows; ++row) {
        if (kinds[row] != kPendingText) continue;
        bool has_time = false;
        all_dates = TryParseIsoDateTime(Text(row), dates[row], &has_time);
        any_time = any_time || has_time;
      }
      if (all_dates) {
        settled = any_time ? ftDateTime : ftDate;
        std::vector<uint8_t> flags = std::move(nulls_);
        Retype(settled);
        rows_ = rows;
        nulls_ = std::move(flags);
        reals = std::move(dates);
        return;
      }
    }
  } else if (any_integer || any_real) {
    settled = any_real ? ftFloat : ftInteger;
  }

  type = settled;
  storage = StorageOf(settled);
  switch (storage) {
    case Storage::Text:
      for (size_t row = 0; row < rows; ++row) {
        if (kinds[row] == kPendingInteger || kinds[row] == kPendingReal)
          SetText(row, number_text(row));
      }
      ints = {};
      break;
    case Storage::Integer:  // integers only (or nulls only)
      text_ref = {};
      blocks_.clear();
      block_size_ = block_used_ = 0;
      KeepNulls();
      for (size_t row = 0; row < rows; ++row) nulls_[row] = kinds[row] == kPendingInteger ? 0 : 1;
      break;
    case Storage::Real:
      reals.assign(rows, 0.0);
      KeepNulls();
      for (size_t row = 0; row < rows; ++row) {
        if (kinds[row] == kPendingInteger) reals[row] = static_cast<double>(ints[row]);
        if (kinds[row] == kPendingReal) reals[row] = std::bit_cast<double>(ints[row]);
        nulls_[row] = kinds[row] == kPendingInteger || kinds[row] == kPendingReal ? 0 : 1;
      }
      ints = {};
      text_ref = {};
      blocks_.clear();
      block_size_ = block_used_ = 0;
      break;
  }
}

void Column::PopBack() {
  if (type == ftUnknown) {
    if (pending_kinds_.back() == kPendingInteger || pending_kinds_.back() == kPendingReal) {
      ints.pop_back();
    }
    pending_kinds_.pop_back();
  }
  if (!nulls_.empty()) nulls_.pop_back();
  --rows_;
  switch (storage) {
    case Storage::Integer: ints.pop_back(); break;
    case Storage::Real: reals.pop_back(); break;
    case Storage::Text: text_ref.pop_back(); break;
  }
}

void Column::Clear() {
  pending_kinds_ = {};
  rows_ = 0;
  nulls_ = {};
  ints = {};
  reals = {};
  text_ref = {};
  blocks_.clear();
  block_size_ = block_used_ = 0;
}

void Column::SetNull(size_t row) {
  KeepNulls();
  nulls_[row] = 1;
}

void Column::KeepNulls() {
  if (nulls_.size() < rows_) nulls_.resize(rows_, 0);
}

void Column::PushFlag(uint8_t null) {
  if (null != 0) KeepNulls();
  if (null != 0 || !nulls_.empty()) nulls_.push_back(null);
  ++rows_;
}

void Column::SetInteger(size_t row, int64_t value) {
  ints[row] = value;
  if (!nulls_.empty()) nulls_[row] = 0;
}

void Column::SetReal(size_t row, double value) {
  reals[row] = value;
  if (!nulls_.empty()) nulls_[row] = 0;
}

void Column::SetText(size_t row, std::string_view value) {
  if (blocks_.empty()) StoreText(std::string_view("\0", 1));
  text_ref[row] = StoreText(value);
  if (!nulls_.empty()) nulls_[row] = 0;
}

int CompareCells(const Column& column, size_t a, size_t b) {
  bool na = column.IsNull(a), nb = column.IsNull(b);
  if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
  switch (column.storage) {
    case Storage::Integer: return Compare3(column.ints[a], column.ints[b]);
    case Storage::Real: return Compare3(column.reals[a], column.reals[b]);
    case Storage::Text: {
      int c = column.Text(a).compare(column.Text(b));
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
  }
  return 0;
}

}  // namespace stock
