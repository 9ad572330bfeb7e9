#pragma once
// Column storage of TnClientDataSet (internal to datakit): one typed array per column plus a
// null flag per row. Integers and booleans are int64, floats and dates double; texts live in
// an arena of large blocks, each row keeping a (block, position) reference and a length, so a
// million short texts cost their bytes plus 12 bytes each and never move once written.

#include <cstdint>
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

  std::vector<uint8_t> nulls;
  std::vector<int64_t> ints;    // Storage::Integer
  std::vector<double> reals;    // Storage::Real
  std::vector<uint64_t> text_ref;   // Storage::Text: block << 32 | position
  std::vector<uint32_t> text_len;

  size_t size() const { return nulls.size(); }
  bool IsNull(size_t row) const { return nulls[row] != 0; }
  std::string_view Text(size_t row) const {
    uint64_t ref = text_ref[row];
    return {blocks_[ref >> 32].get() + (ref & 0xffffffffu), text_len[row]};
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
