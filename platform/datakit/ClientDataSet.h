#pragma once
// TnClientDataSet: an in-memory dataset. Rows are held column by column in typed arrays
// (int64 for integers and booleans, double for floats and dates, one text arena per text
// column) with a null flag per cell. The index order, the filtered rows and the range are
// vectors of row numbers over that storage: setting them never moves the data.
//
// Two ways to fill it:
//   - in-memory tables: FieldDefs().Add(...) for each column, CreateDataSet(), then
//     Append(); FieldByName("X")->SetAs...(); Post(); for each row;
//   - query results (the SQL layer): BeginBulkLoad(columns), then for every row and every
//     column in column order one Append... call, then EndBulkLoad().
//
// Index, key search and range:
//   - SetIndexFieldNames("A;B") orders the visible rows by those fields (stable: rows with equal
//     keys keep their load order; nulls sort first). "" goes back to load order.
//   - FindKey / FindNearest / SetRange compare a key (one value per leading key field; fewer
//     values than key fields compare on the leading fields only) with the key fields: the index
//     fields, or, with no index set, the leading columns of the dataset in load order. Query
//     results arrive sorted by their leading columns ("order by 1, 2"), which is what a range
//     on them expects; when the rows are in fact not sorted by those columns, the range still
//     keeps exactly the rows whose key lies between the bounds, in load order.
//   - Key values convert to the field types like the field setters (a text for an integer field
//     must be an integer: EConvertError).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "datakit/DataSet.h"
#include "datakit/FieldDefs.h"
#include "rtl/Variant.h"

namespace stock {
struct Column;
class FilterPredicate;
}  // namespace stock

class TnClientDataSet : public TDataSet {
 public:
  TnClientDataSet();  // no owner
  ~TnClientDataSet() override;

  std::string ClassName() const override;

  // Column definitions used by CreateDataSet.
  TFieldDefs& FieldDefs() { return field_defs_; }

  // Creates the fields from FieldDefs() and opens the dataset empty. Raises Exception when
  // there are no field definitions. Fields of an earlier creation are destroyed, unless the
  // columns are the same (names and types, in order): then the TField objects are kept.
  void CreateDataSet();

  // Accepted for compatibility: this dataset keeps no change log either way.
  void SetLogChanges(bool on) { log_changes_ = on; }
  bool GetLogChanges() const { return log_changes_; }

  // Removes every row; fields, index and filter stay.
  void EmptyDataSet();

  // --- Bulk load -------------------------------------------------------------------------
  // BeginBulkLoad discards rows and fields and defines the columns; `expected_rows` (0 when
  // unknown) reserves storage. A repeated column name gets a suffix ("CODIGO_1"), an empty one
  // the name "COLUNA<n>" (n from 1). Loading the same columns again (a query run again with new
  // parameters) keeps the TField objects, so references to them stay valid. Then, for each row,
  // exactly one Append... call per column in column order. A value is converted to the column's
  // type: AppendText into an integer or float column must hold a number ("." or "," decimal), into
  // a date column an ISO date "yyyy-mm-dd" or "yyyy-mm-dd hh:nn:ss" (or a short date dd/mm/yyyy);
  // AppendInteger into a float or date column gives that number, into a text column its decimal
  // text; AppendFloat into an integer column must be integral. A value that does not convert raises
  // EConvertError naming the column and the value. A column defined as ftUnknown is typed by its
  // values when the load ends: a text column, or a date column (ftDateTime when a time of day
  // appears) when every value is an ISO date text or a date; floats when any number is real;
  // integers; when every value is null, the type of the field it had in the previous load of the
  // same columns, else a text column. Numbers among texts become texts as in a text column.
  // EndBulkLoad raises Exception when the last row is incomplete; it applies the index and filter
  // and stands on the first row. An Append... call with no load in progress is a programmer's
  // error: the program aborts (STOCK_CHECK).
  void BeginBulkLoad(const std::vector<TFieldDef>& columns, size_t expected_rows = 0);
  void AppendInteger(int64_t value);
  void AppendFloat(double value);
  void AppendText(std::string_view value);
  void AppendDateTime(TDateTime value);
  void AppendNull();
  void EndBulkLoad();

  // --- TDataSet --------------------------------------------------------------------------
  int FieldCount() const override;
  TField* Fields(int index) const override;
  TField* FindField(const std::string& name) const override;

  void First() override;
  void Next() override;
  void Prior() override;
  void Last() override;
  bool GetEof() const override { return eof_; }
  bool GetBof() const override { return bof_; }
  int RecordCount() const override;
  bool IsEmpty() const override;
  bool GetActive() const override { return state_ != dsInactive; }
  TDataSetState GetState() const override { return state_; }

  int64_t GetBookmark() const override;
  void SetBookmark(int64_t bookmark) override;

  // The position of the current row among the visible rows, from 1 (0 when there is none),
  // and a move straight to a position: a walk can come back to rows it noted, at no cost.
  // SetRecNo raises Exception when `position` is not between 1 and RecordCount().
  int GetRecNo() const;
  void SetRecNo(int position);

  void SetFilter(const std::string& text) override;
  const std::string& GetFilter() const override { return filter_text_; }
  void SetFiltered(bool on) override;
  bool GetFiltered() const override { return filtered_; }

  void Append() override;
  void Edit() override;
  void Post() override;
  void Cancel() override;
  void Close() override;

  // --- Index, search, range ----------------------------------------------------------------
  // Sets the index fields, separated by ";". Raises Exception for an unknown field and keeps
  // the previous index. Cancels the range; stands on the first row. On a closed dataset the
  // names are checked when it opens.
  void SetIndexFieldNames(const std::string& names);
  const std::string& GetIndexFieldNames() const { return index_text_; }

  // Stands on the first visible row whose key equals `key` and returns true; returns false and
  // leaves the cursor where it was when there is none.
  bool FindKey(const std::vector<Variant>& key);

  // Stands on the first visible row whose key is >= `key` in key order; past the end (Eof
  // true, on the last row) when every key is smaller.
  void FindNearest(const std::vector<Variant>& key);

  // Keeps visible only the rows whose key lies between `low` and `high` (both included), and
  // stands on the first of them. A new SetRange replaces the previous range.
  void SetRange(const std::vector<Variant>& low, const std::vector<Variant>& high);
  void CancelRange();

  // Stands on the first visible row whose fields `names` (";"-separated) equal `values`
  // (texts compared exactly) and returns true; false leaves the cursor where it was.
  bool Locate(const std::string& names, const std::vector<Variant>& values);

 protected:
  int64_t ReadRecordNo() const override;
  int64_t WriteRecordNo() override;

 private:
  struct Key;
  void RequireActive(const char* operation) const;
  void BuildFields(const std::vector<TFieldDef>& defs, size_t reserve);
  void ClearRows();
  void SettleColumnTypes();
  void RebuildOrder();
  void RebuildView();
  void PlaceNewRow(uint32_t row);
  void StandAt(size_t position);
  bool PassesFilterAndRange(uint32_t row) const;
  std::vector<int> KeyColumns(size_t key_size) const;
  Key MakeKey(const std::vector<Variant>& values) const;
  int CompareRowKey(uint32_t row, const Key& key) const;
  bool ViewSortedBy(const std::vector<int>& columns) const;
  uint32_t RowCount() const;

  TFieldDefs field_defs_;
  std::vector<std::unique_ptr<stock::Column>> columns_;
  std::vector<std::unique_ptr<TField>> fields_;
  std::vector<std::pair<std::string, int>> names_;  // upper-case name -> field index, sorted

  TDataSetState state_ = dsInactive;
  bool log_changes_ = true;

  // Order of all rows (index order, or load order) and the visible subset of it.
  std::vector<uint32_t> order_;
  std::vector<uint32_t> view_;
  size_t cursor_ = 0;  // position in view_
  bool bof_ = true;
  bool eof_ = true;

  // Without an index: whether the load order is sorted by the first k columns, per k
  // (-1 unknown). Reset whenever rows change.
  mutable std::vector<int8_t> leading_sorted_;

  std::string index_text_;
  std::vector<int> index_columns_;

  std::string filter_text_;
  bool filtered_ = false;
  std::unique_ptr<stock::FilterPredicate> filter_;

  std::unique_ptr<Key> range_low_, range_high_;

  // Editing: the row being inserted or edited and, for Edit, the values to restore on Cancel.
  int64_t edit_row_ = -1;
  std::vector<Variant> edit_backup_;

  // Bulk load position.
  bool bulk_loading_ = false;
  size_t bulk_column_ = 0;
};
