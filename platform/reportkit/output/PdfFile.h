#pragma once
// PdfFile: the object layer under PdfWriter. Numbers objects, records the offset of each one
// as it is written, compresses streams, and writes the cross-reference table and trailer.
// Internal to the output component.
//
// Compressing and writing run on a thread of the file's own, in the order of the calls, while
// the caller lays out the next pages: the calls below only copy what they are given, and hand
// it over every few pages. An error there (a full disk) is raised by a call a few pages later,
// or by Finish. Finish publishes the file on the caller's thread, so the publication gate of
// that thread applies.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "reportkit/output/TempFile.h"
#include "rtl/Mutex.h"

typedef struct z_stream_s z_stream;

namespace stock {

// A growable byte buffer that does not zero what it reserves, for the content hot path.
class ByteBuffer {
 public:
  // A pointer to at least `n` writable bytes at the end; finish with CommitTo.
  char* Reserve(size_t n) {
    if (size_ + n > capacity_) Grow(size_ + n);
    return data_.get() + size_;
  }
  // Marks the bytes up to `end` (a pointer from Reserve) as written.
  void CommitTo(char* end) { size_ = static_cast<size_t>(end - data_.get()); }
  void Append(std::string_view text);
  void Clear() { size_ = 0; }
  const char* Data() const { return data_.get(); }
  size_t Size() const { return size_; }

 private:
  void Grow(size_t needed);
  std::unique_ptr<char[]> data_;
  size_t size_ = 0, capacity_ = 0;
};

// Writes `value` in decimal at `p`; returns the end.
char* PutInt(char* p, int64_t value);
// Writes hundredths as a PDF real ("12.5", "-3", "0.07") at `p`; returns the end.
char* PutFixed2(char* p, int64_t hundredths);
// `value` rounded to hundredths; 0 for a value that is not a finite coordinate (NaN, or
// beyond any page), so that bad geometry never produces an unreadable number.
inline int64_t Hundredths(double value) {
  if (!(value > -1e12 && value < 1e12)) return 0;
  return static_cast<int64_t>(value * 100 + (value < 0 ? -0.5 : 0.5));
}

class PdfFile {
 public:
  // Raises like TempFile. `first_free` is the first number NewObject hands out; the numbers
  // below it are reserved by the caller.
  PdfFile(const std::string& path, uint32_t first_free);
  ~PdfFile();

  uint32_t NewObject() { return next_++; }

  // Starts object `number`: records its offset and writes "n 0 obj".
  void BeginObject(uint32_t number);
  void EndObject() { Write("\nendobj\n"); }
  void Write(std::string_view text);

  // Writes object `number` as a compressed stream of `data`; `extra` is added to the stream
  // dictionary (e.g. "/Length1 1234").
  void WriteStream(uint32_t number, const char* data, size_t size, std::string_view extra = {});

  // Waits for what is queued, writes the cross-reference table and trailer and publishes the
  // file. Every number handed out must have been written. Raises the writer's error, if any.
  void Finish(uint32_t root, uint32_t info);
  // Stops the writer and removes the temporary file. Never throws.
  void Abort() noexcept;

 private:
  // One step of the writer, in call order.
  struct Op {
    enum Kind : uint8_t { kBytes, kObject, kStream } kind;
    uint32_t number = 0;
    std::string bytes;  // kBytes: the bytes; kStream: the data
    std::string extra;  // kStream: added to the dictionary
  };
  using Batch = std::vector<Op>;

  void Queue(Op op);
  // Hands the batch being filled to the writer; waits while it is far behind. Raises the
  // writer's error.
  void Flush() EXCLUDES(mutex_);
  // Stops the writer after what is queued (or at once, `drop`) and waits for it.
  void Stop(bool drop) noexcept EXCLUDES(mutex_);

  // The writer's thread: runs the batches in order until stopped.
  void Run() EXCLUDES(mutex_);
  void Execute(const Op& op);
  void Compress(const Op& op);

  TempFile file_;
  std::vector<uint64_t> offsets_;  // by object number; 0 = not written. The writer's.
  uint32_t next_;
  std::unique_ptr<z_stream> zs_;  // the writer's
  ByteBuffer compressed_;         // the writer's
  Batch filling_;                 // the caller's
  size_t filling_bytes_ = 0;
  size_t filling_streams_ = 0;

  Mutex mutex_;
  std::condition_variable changed_;
  std::deque<Batch> queue_ GUARDED_BY(mutex_);
  bool stopping_ GUARDED_BY(mutex_) = false;
  bool dropping_ GUARDED_BY(mutex_) = false;
  std::exception_ptr error_ GUARDED_BY(mutex_);  // the writer's first error
  std::thread writer_;
};

}  // namespace stock
