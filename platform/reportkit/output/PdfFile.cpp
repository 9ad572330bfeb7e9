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

PdfFile::PdfFile(const std::string& path, uint32_t first_free)
    : file_(path), offsets_(first_free, 0), next_(first_free), zs_(std::make_unique<z_stream>()) {
  std::memset(zs_.get(), 0, sizeof(z_stream));
  if (deflateInit(zs_.get(), kDeflateLevel) != Z_OK) {
    file_.Discard();
    throw Exception("Não foi possível iniciar a compressão do arquivo '" + path + "'.");
  }
  // Binary comment: marks the file as binary for transfer programs.
  Write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

PdfFile::~PdfFile() { deflateEnd(zs_.get()); }

void PdfFile::BeginObject(uint32_t number) {
  if (offsets_.size() <= number) offsets_.resize(number + 1, 0);
  offsets_[number] = file_.Position();
  char head[32];
  char* p = PutInt(head, number);
  std::memcpy(p, " 0 obj\n", 7);
  file_.Write(head, static_cast<size_t>(p + 7 - head));
}

void PdfFile::WriteStream(uint32_t number, const char* data, size_t size,
                          std::string_view extra) {
  z_stream& zs = *zs_;
  deflateReset(&zs);
  const size_t bound = deflateBound(&zs, size);
  compressed_.Clear();
  char* out = compressed_.Reserve(bound);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
  zs.avail_in = static_cast<uInt>(size);
  zs.next_out = reinterpret_cast<Bytef*>(out);
  zs.avail_out = static_cast<uInt>(bound);
  if (deflate(&zs, Z_FINISH) != Z_STREAM_END) {
    throw Exception("Falha ao comprimir o conteúdo do arquivo PDF.");
  }
  const size_t length = bound - zs.avail_out;

  BeginObject(number);
  char dict[96];
  char* p = dict;
  std::memcpy(p, "<< /Length ", 11);
  p = PutInt(p + 11, static_cast<int64_t>(length));
  std::memcpy(p, " /Filter /FlateDecode ", 22);
  p += 22;
  file_.Write(dict, static_cast<size_t>(p - dict));
  file_.Write(extra);
  file_.Write(">>\nstream\n");
  file_.Write(out, length);
  file_.Write("\nendstream\nendobj\n");
}

void PdfFile::Finish(uint32_t root, uint32_t info) {
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
      for (int k = 9; k >= 0 && rest > 0; --k, rest /= 10) entry[k] = static_cast<char>('0' + rest % 10);
    }
    file_.Write(entry, 20);
  }
  file_.Write("trailer\n<< /Size " + std::to_string(size) + " /Root " + std::to_string(root) +
              " 0 R /Info " + std::to_string(info) + " 0 R >>\nstartxref\n" +
              std::to_string(xref) + "\n%%EOF\n");
  file_.Commit();
}

}  // namespace stock
