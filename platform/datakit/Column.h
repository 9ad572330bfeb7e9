#pragma once
// Column storage of TnClientDataSet (internal to datakit): one typed array per column plus a
// null flag per row, kept only once the column holds a null. Integers and booleans are int64,
// floats and dates double; texts live in an arena of blocks that grow from 4 KiB to 1 MiB, each
// row keeping one 64-bit cell (block, position, length), so a million short texts cost their
// bytes plus 8 bytes each and never move once written. A text equal to the one of the row
// above shares its bytes.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "datakit/FieldType.h"

namespace stock {

enum class Storage { Integer, Real, Text };

Storage StorageOf(TFieldType type);

struct Column {
  // A column of type ftUnknown is typed by its values: it takes them as they come (texts in
  // the arena, numbers aside) until SettleType gives it its type.
  Column(std::string name, TFieldType type);

  std::string name;
  TFieldType type;
  Storage storage;

  std::vector<int64_t> ints;  // Storage::Integer
  std::vector<double> reals;  // Storage::Real
  // Storage::Text: block << 40 | position << 20 | length. A text of kLongText bytes or more
  // has a block of its own, its length in the block's first 8 bytes and kLongText here.
  std::vector<uint64_t> text_ref;
  static constexpr uint64_t kLongText = (uint64_t{1} << 20) - 1;

  size_t size() const { return rows_; }
  bool IsNull(size_t row) const { return !nulls_.empty() && nulls_[row] != 0; }
  std::string_view Text(size_t row) const {
    const uint64_t ref = text_ref[row];
    const char* at = blocks_[ref >> 40].get() + ((ref >> 20) & kLongText);
    const uint64_t length = ref & kLongText;
    if (length != kLongText) return {at, length};
    uint64_t long_length;
    std::memcpy(&long_length, at, sizeof long_length);
    return {at + sizeof long_length, long_length};
  }

  void Reserve(size_t rows);
  // Gives back what the arrays hold beyond their rows (a load that grew them row by row).
  void ShrinkToFit();
  void PushNull();
  void PushInteger(int64_t value);
  void PushReal(double value);
  void PushText(std::string_view value);
  void PopBack();
  void Clear();

  // A column typed by its values (ftUnknown): takes a number of either kind.
  void PushPendingInteger(int64_t value);
  void PushPendingReal(double value);

  // Gives a column typed by its values its type: texts, or dates (ftDate, ftDateTime with a
  // time of day) when every value is an ISO date text; floats when any number is real;
  // integers; `fallback` when every value is null. Numbers among texts become their text as
  // AppendInteger / AppendFloat write them into a text column. Nothing for a typed column.
  void SettleType(TFieldType fallback);
  // Empties the column and makes it of type `type` (ftUnknown: typed by its values).
  void Retype(TFieldType type);

  void SetNull(size_t row);
  void SetInteger(size_t row, int64_t value);
  void SetReal(size_t row, double value);
  void SetText(size_t row, std::string_view value);

 private:
  uint64_t StoreText(std::string_view value);
  // The null flags of every row so far, from the first null on; before it, none are kept.
  void KeepNulls();
  void PushFlag(uint8_t null);

  size_t rows_ = 0;
  std::vector<uint8_t> nulls_;  // empty while no row is null

  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t block_size_ = 0;  // capacity of the last block
  size_t block_used_ = 0;
  // A column typed by its values: per row what came (a Pending value), and the numbers as
  // int64 or the bits of a double, only from the first number on.
  std::vector<uint8_t> pending_kinds_;
};

// Three-way comparison of two cells of one column; nulls sort first.
int CompareCells(const Column& column, size_t a, size_t b);

}  // namespace stock
