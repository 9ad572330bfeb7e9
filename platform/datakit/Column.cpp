#include "datakit/Column.h"

#include <algorithm>
#include <cstring>

namespace stock {

namespace {
constexpr size_t kBlockSize = size_t{1} << 20;

template <typename T>
int Compare3(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }
}  // namespace

Storage StorageOf(TFieldType type) {
  if (IsIntegerFieldType(type) || type == ftBoolean) return Storage::Integer;
  if (type == ftString) return Storage::Text;
  return Storage::Real;
}

Column::Column(std::string name_, TFieldType type_)
    : name(std::move(name_)), type(type_), storage(StorageOf(type_)) {}

void Column::Reserve(size_t rows) {
  nulls.reserve(rows);
  switch (storage) {
    case Storage::Integer: ints.reserve(rows); break;
    case Storage::Real: reals.reserve(rows); break;
    case Storage::Text: text_ref.reserve(rows); text_len.reserve(rows); break;
  }
}

uint64_t Column::StoreText(std::string_view value) {
  if (value.empty()) return 0;
  if (blocks_.empty() || block_used_ + value.size() > block_size_) {
    block_size_ = std::max(kBlockSize, value.size());
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(block_size_));  // pages untouched until written
    block_used_ = 0;
  }
  uint64_t ref = (static_cast<uint64_t>(blocks_.size() - 1) << 32) | block_used_;
  std::memcpy(blocks_.back().get() + block_used_, value.data(), value.size());
  block_used_ += value.size();
  return ref;
}

void Column::PushNull() {
  nulls.push_back(1);
  switch (storage) {
    case Storage::Integer: ints.push_back(0); break;
    case Storage::Real: reals.push_back(0); break;
    case Storage::Text:
      text_ref.push_back(0);
      text_len.push_back(0);
      if (blocks_.empty()) StoreText(std::string_view("\0", 1));  // keeps Text(row) valid
      break;
  }
}

void Column::PushInteger(int64_t value) {
  nulls.push_back(0);
  ints.push_back(value);
}

void Column::PushReal(double value) {
  nulls.push_back(0);
  reals.push_back(value);
}

void Column::PushText(std::string_view value) {
  if (blocks_.empty()) StoreText(std::string_view("\0", 1));
  text_ref.push_back(StoreText(value));
  text_len.push_back(static_cast<uint32_t>(value.size()));
  nulls.push_back(0);
}

void Column::PopBack() {
  nulls.pop_back();
  switch (storage) {
    case Storage::Integer: ints.pop_back(); break;
    case Storage::Real: reals.pop_back(); break;
    case Storage::Text: text_ref.pop_back(); text_len.pop_back(); break;
  }
}

void Column::Clear() {
  nulls = {};
  ints = {};
  reals = {};
  text_ref = {};
  text_len = {};
  blocks_.clear();
  block_size_ = block_used_ = 0;
}

void Column::SetNull(size_t row) { nulls[row] = 1; }

void Column::SetInteger(size_t row, int64_t value) {
  ints[row] = value;
  nulls[row] = 0;
}

void Column::SetReal(size_t row, double value) {
  reals[row] = value;
  nulls[row] = 0;
}

void Column::SetText(size_t row, std::string_view value) {
  if (blocks_.empty()) StoreText(std::string_view("\0", 1));
  text_ref[row] = StoreText(value);
  text_len[row] = static_cast<uint32_t>(value.size());
  nulls[row] = 0;
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
