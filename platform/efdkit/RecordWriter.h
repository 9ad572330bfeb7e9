#pragma once
// RecordWriter: the records of an EFD file written field by field in the layout's order, each
// text converted to ISO-8859-1 and checked against its field, each record counted (for the
// block totals and the 9900 records) and ended with CR LF into a sink.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "efdkit/EfdLayout.h"

namespace stock::efd {

// Where records go.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  virtual void Write(std::string_view bytes) = 0;
};

// Records kept aside in an anonymous temporary file until they are copied, in their place,
// into the file (the H010s, which need their total in H005 before them).
class SpoolSink : public RecordSink {
 public:
  SpoolSink();  // raises Exception when no temporary file can be created
  ~SpoolSink() override;
  SpoolSink(const SpoolSink&) = delete;
  SpoolSink& operator=(const SpoolSink&) = delete;
  void Write(std::string_view bytes) override;
  // Copies everything written so far into `to`. Raises Exception on a read or write error.
  void CopyTo(RecordSink& to);

 private:
  std::FILE* file_;
};

class RecordWriter {
 public:
  // Starts record `code` (REG written) into `sink`; `who` names the entity in messages
  // ("item 12 (Parafuso)"), empty for none.
  void Begin(std::string_view code, RecordSink& sink, std::string who = {});
  // A text from the database (UTF-8): converted and checked against the next field.
  RecordWriter& Text(std::string_view utf8);
  // A value this program formats itself (codes, dates, counts), appended as it is.
  RecordWriter& Raw(std::string_view value);
  // An amount in units of the next field's decimals.
  RecordWriter& Decimal(int64_t scaled);
  // Ends the record. Raises Exception when fields are missing.
  void End();

  // Raises Exception "Registro R, campo F, <who>: <problem>." for the field just written.
  [[noreturn]] void FailLast(const std::string& problem) const;

  // Records written of type `code`; all records written.
  int64_t Count(std::string_view code) const { return counts_[RecordOrder(code)]; }
  int64_t Total() const { return total_; }

 private:
  const FieldDef& Next();
  [[noreturn]] void Fail(const FieldDef& f, const std::string& problem) const;

  RecordSink* sink_ = nullptr;
  const RecordDef* record_ = nullptr;
  std::string who_;
  size_t field_ = 0;
  std::string line_;
  std::array<int64_t, 32> counts_{};
  int64_t total_ = 0;
};

}  // namespace stock::efd
