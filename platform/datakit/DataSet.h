#pragma once
// TDataSet: the run-time's dataset abstraction: a cursor over rows with named fields, a filter,
// append/edit/post. TnClientDataSet is the implementation; plug-ins and services talk to the
// abstraction where they can.
//
// Cursor semantics are Delphi's: First() stands on the first visible row with Bof true; Next()
// past the last row leaves the cursor on the last row with Eof true; Last() stands on the last
// row with Eof true; on an empty dataset Bof and Eof are both true.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "datakit/Field.h"
#include "rtl/TObject.h"

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

class TDataSet : public TObject {
 public:
  TDataSet();
  ~TDataSet() override;
  TDataSet(const TDataSet&) = delete;
  TDataSet& operator=(const TDataSet&) = delete;

  std::string ClassName() const override;

  // The component name, used in error messages ("cdsPeriodo: Campo 'X' não encontrado").
  void SetName(const std::string& name) { name_ = name; }
  const std::string& GetName() const { return name_; }

  // Fields. FieldByName and FindField ignore case (ASCII). FieldByName raises Exception
  // "<name>: Campo 'X' não encontrado" for an unknown name; FindField returns nullptr.
  // The dataset owns the fields.
  virtual int FieldCount() const = 0;
  virtual TField* Fields(int index) const = 0;  // REQUIRES: 0 <= index < FieldCount()
  virtual TField* FindField(const std::string& name) const = 0;
  TField* FieldByName(const std::string& name) const;

  // Navigation over the visible rows (after filter and range, in index order).
  virtual void First() = 0;
  virtual void Next() = 0;
  virtual void Prior() = 0;
  virtual void Last() = 0;
  virtual bool GetEof() const = 0;
  virtual bool GetBof() const = 0;
  virtual int RecordCount() const = 0;  // visible rows
  virtual bool IsEmpty() const = 0;
  virtual bool GetActive() const = 0;
  virtual TDataSetState GetState() const = 0;

  // A bookmark names the current row; -1 when there is none. SetBookmark moves back to that row
  // and raises Exception when it is no longer visible.
  virtual int64_t GetBookmark() const = 0;
  virtual void SetBookmark(int64_t bookmark) = 0;

  // Filter text in the dataset filter language (see FilterExpression.h); applies while
  // Filtered is true. On an open dataset SetFilter raises Exception "Expressão de filtro
  // inválida: ..." for a bad text or an unknown field, and then keeps the previous filter; on a
  // closed one the text is checked when the dataset opens.
  virtual void SetFilter(const std::string& text) = 0;
  virtual const std::string& GetFilter() const = 0;
  virtual void SetFiltered(bool on) = 0;
  virtual bool GetFiltered() const = 0;

  // Editing. Append starts a new empty row (insert state); Edit edits the current row; Post
  // stores it and stands on it; Cancel drops the changes. Post and Cancel do nothing in browse
  // state. Edit raises Exception on an empty dataset.
  virtual void Append() = 0;
  virtual void Edit() = 0;
  virtual void Post() = 0;
  virtual void Cancel() = 0;

  // Closes the dataset and discards its rows.
  virtual void Close() = 0;

 protected:
  friend class TField;
  // Storage row of the current record for reading: the edited or inserted row while editing,
  // else the visible row under the cursor; -1 when there is none.
  virtual int64_t ReadRecordNo() const = 0;
  // Storage row being edited or inserted. Raises Exception when the dataset is in browse state.
  virtual int64_t WriteRecordNo() = 0;

 private:
  std::string name_;
};
