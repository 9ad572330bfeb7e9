#include "reportkit/output/PdfFile.h"

#include <zlib.h>

#include <charconv>
#include <cstring>

#include "rtl/Exception.h"

namespace stock {

namespace {
// Level 1: on report pages (short, repetitive operators) the default level 6 saves about a
// fifth of the file size for almost twice the compression time.
constexpr int kDeflateLevel = 1;
}  // namespace

void ByteBuffer::Grow(size_t needed) {
  size_t capacity = capacity_ == 0 ? 4096 : capacity_;
  while (capacity < needed) capacity *= 2;
  auto data = std::make_unique<char[]>(capacity);
  if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
  data_ = std::move(data);
  capacity_ = capacity;
}

void ByteBuffer::Append(std::string_view text) {
  char* p = Reserve(text.size());
  std::memcpy(p, text.data(), text.size());
  size_ += text.size();
}

char* PutInt(char* p, int64_t value) { return std::to_chars(p, p + 24, value).ptr; }

char* PutFixed2(char* p, int64_t hundredths) {
  if (hundredths < 0) {
    *p++ = '-';
    hundredths = -hundredths;
  }
  p = PutInt(p, hundredths / 100);
  const int frac = static_cast<int>(hundredths % 100);
  if (frac != 0) {
    *p++ = '.';
    *p++ = static_cast<char>('0' + frac / 10);
    if (frac % 10 != 0) *p++ = static_cast<char>('0' + frac % 10);
  }
  return p;
}

namespace {
// A batch is handed over after this many streams (pages), or once it holds kBatchBytes: waking
// the writer costs the caller some microseconds, so it is woken once for a few pages.
constexpr size_t kStreamsPerBatch = 4;
constexpr size_t kBatchBytes = size_t{1} << 20;
// The writer may fall this many batches (64 pages) behind before the caller waits for it.
constexpr size_t kMaxQueued = 16;
}  // namespace

PdfFile::PdfFile(const std::string& path, uint32_t first_free)
    : file_(path), offsets_(first_free, 0), next_(first_free), zs_(std::make_unique<z_stream>()) {
  std::memset(zs_.get(), 0, sizeof(z_stream));
  if (deflateInit(zs_.get(), kDeflateLevel) != Z_OK) {
    file_.Discard();
    throw Exception("Não foi possível iniciar a compressão do arquivo '" + path + "'.");
  }
  // Binary comment: marks the file as binary for transfer programs.
  file_.Write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  try {
    writer_ = std::thread([this] { Run(); });
  } catch (const std::exception& e) {
    deflateEnd(zs_.get());
    file_.Discard();
    throw Exception("Não foi possível iniciar a gravação do arquivo '" + path + "': " + e.what());
  }
}

PdfFile::~PdfFile() {
  Stop(true);
  deflateEnd(zs_.get());
}

void PdfFile::Queue(Op op) {
  filling_bytes_ += op.bytes.size() + op.extra.size() + 16;
  filling_.push_back(std::move(op));
  if (filling_bytes_ >= kBatchBytes) Flush();
}

void PdfFile::BeginObject(uint32_t number) { Queue(Op{Op::kObject, number, {}, {}}); }

void PdfFile::Write(std::string_view text) {
  if (!filling_.empty() && filling_.back().kind == Op::kBytes) {
    filling_.back().bytes.append(text);
    filling_bytes_ += text.size();
    if (filling_bytes_ >= kBatchBytes) Flush();
    return;
  }
  Queue(Op{Op::kBytes, 0, std::string(text), {}});
}

void PdfFile::WriteStream(uint32_t number, const char* data, size_t size, std::string_view extra) {
  Queue(Op{Op::kStream, number, std::string(data, size), std::string(extra)});
  // A stream ends a page's objects: every few pages the writer takes them while the next ones
  // are laid out.
  if (++filling_streams_ >= kStreamsPerBatch) Flush();
}

void PdfFile::Flush() {
  MutexLock lock(mutex_);
  if (error_) {
    filling_.clear();
    std::rethrow_exception(error_);
  }
  while (queue_.size() >= kMaxQueued && !error_) lock.Wait(changed_);
  if (error_) std::rethrow_exception(error_);
  if (!filling_.empty()) {
    queue_.push_back(std::move(filling_));
    filling_ = {};
    filling_bytes_ = 0;
    filling_streams_ = 0;
    changed_.notify_all();
  }
}

void PdfFile::Stop(bool drop) noexcept {
  if (!writer_.joinable()) return;
  {
    MutexLock lock(mutex_);
    stopping_ = true;
    dropping_ = dropping_ || drop;
    changed_.notify_all();
  }
  writer_.join();
}

void PdfFile::Abort() noexcept {
  Stop(true);
  file_.Discard();
}

void PdfFile::Run() {
  for (;;) {
    Batch batch;
    {
      MutexLock lock(mutex_);
      while (queue_.empty() && !stopping_) lock.Wait(changed_);
      if (dropping_ || error_ || queue_.empty()) return;
      batch = std::move(queue_.front());
      queue_.pop_front();
      changed_.notify_all();
    }
    try {
      for (const Op& op : batch) Execute(op);
    } catch (...) {
      MutexLock lock(mutex_);
      error_ = std::current_exception();
      queue_.clear();
      changed_.notify_all();
      return;
    }
  }
}

void PdfFile::Execute(const Op& op) {
  switch (op.kind) {
    case Op::kBytes: file_.Write(op.bytes); break;
    case Op::kObject: {
      if (offsets_.size() <= op.number) offsets_.resize(op.number + 1, 0);
      offsets_[op.number] = file_.Position();
      char head[32];
      char* p = PutInt(head, op.number);
      std::memcpy(p, " 0 obj\n", 7);
      file_.Write(head, static_cast<size_t>(p + 7 - head));
      break;
    }
    case Op::kStream: Compress(op); break;
  }
}

void PdfFile::Compress(const Op& op) {
  z_stream& zs = *zs_;
  deflateReset(&zs);
  const size_t bound = deflateBound(&zs, op.bytes.size());
  compressed_.Clear();
  char* out = compressed_.Reserve(bound);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(op.bytes.data()));
  zs.avail_in = static_cast<uInt>(op.bytes.size());
  zs.next_out = reinterpret_cast<Bytef*>(out);
  zs.avail_out = static_cast<uInt>(bound);
  if (deflate(&zs, Z_FINISH) != Z_STREAM_END) {
    throw Exception("Falha ao comprimir o conteúdo do arquivo PDF.");
  }
  const size_t length = bound - zs.avail_out;

  Execute(Op{Op::kObject, op.number, {}, {}});
  char dict[96];
  char* p = dict;
  std::memcpy(p, "<< /Length ", 11);
  p = PutInt(p + 11, static_cast<int64_t>(length));
  std::memcpy(p, " /Filter /FlateDecode ", 22);
  p += 22;
  file_.Write(dict, static_cast<size_t>(p - dict));
  file_.Write(op.extra);
  file_.Write(">>\nstream\n");
  file_.Write(out, length);
  file_.Write("\nendstream\nendobj\n");
}

void PdfFile::Finish(uint32_t root, uint32_t info) {
  Flush();
  Stop(false);
  {
    MutexLock lock(mutex_);
    if (error_) std::rethrow_exception(error_);
  }
  const uint64_t xref = file_.Position();
  const uint32_t size = std::max<uint32_t>(next_, static_cast<uint32_t>(offsets_.size()));
  std::string head = "xref\n0 " + std::to_string(size) + "\n0000000000 65535 f \n";
  file_.Write(head);
  char entry[21];
  for (uint32_t n = 1; n < size; ++n) {
    const uint64_t offset = n < offsets_.size() ? offsets_[n] : 0;
    if (offset == 0) {
      std::memcpy(entry, "0000000000 00000 f \n", 20);
    } else {
      std::memcpy(entry, "0000000000 00000 n \n", 20);
      uint64_t rest = offset;
      for (int k = 9; k >= 0 && rest > 0; --k, rest /= 10)
        entry[k] = static_cast<char>('0' + rest % 10);
    }
    file_.Write(entry, 20);
  }
  file_.Write("trailer\n<< /Size " + std::to_string(size) + " /Root " + std::to_string(root) +
              " 0 R /Info " + std::to_string(info) + " 0 R >>\nstartxref\n" + std::to_string(xref) +
              "\n%%EOF\n");
  file_.Commit();
}

}  // namespace stock
