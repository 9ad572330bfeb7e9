#pragma once
// Internal to basekit: a SQLite statement's rows copied into batches, and read on a thread of
// their own, for LoadResult.

#include <sqlite3.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "rtl/Mutex.h"

namespace stock {

class SqliteStatement;

// Rows copied off the statement: per value its SQLite type and its integer, the bits of its
// double or the length of its text, whose bytes follow one another in `bytes`.
struct RowBatch {
  std::vector<uint8_t> kinds;
  std::vector<int64_t> numbers;
  std::string bytes;
  size_t rows = 0;

  void Clear();
  // Copies the current row of `stmt` (`columns` values). REQUIRES: the calling thread is the
  // only one using the statement's connection.
  void Add(sqlite3_stmt* stmt, int columns);
};

// Steps a statement on a thread of its own and hands its rows over in batches of 1,024, so
// that SQLite finds the next rows while the caller stores the last ones. At most four batches
// are in flight, which bounds the memory held aside.
//
// The statement and its connection belong to the reading thread from construction until the
// reader is destroyed: nothing else may use the connection meanwhile. Destruction stops the
// thread after the batch it is reading and joins it, so an error of the caller never leaves it
// running.
class PipelinedReader {
 public:
  // Starts reading at most `limit` more rows of `statement`, which must outlive the reader.
  PipelinedReader(SqliteStatement& statement, uint64_t limit);
  ~PipelinedReader();
  PipelinedReader(const PipelinedReader&) = delete;
  PipelinedReader& operator=(const PipelinedReader&) = delete;

  // The next batch of rows in statement order, or null after the last. The batch is the
  // caller's until the next call. Raises what the reading thread raised (SQL errors), after
  // the batches read before it.
  const RowBatch* Next() EXCLUDES(mutex_);

 private:
  void Read() EXCLUDES(mutex_);

  SqliteStatement& statement_;
  const uint64_t limit_;
  const int columns_;
  std::unique_ptr<RowBatch> current_;  // the caller's

  Mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<RowBatch>> ready_ GUARDED_BY(mutex_);
  std::vector<std::unique_ptr<RowBatch>> free_ GUARDED_BY(mutex_);
  size_t made_ GUARDED_BY(mutex_) = 0;
  bool stopping_ GUARDED_BY(mutex_) = false;
  bool done_ GUARDED_BY(mutex_) = false;
  std::exception_ptr error_ GUARDED_BY(mutex_);
  std::thread thread_;
};

}  // namespace stock
