#include "efdkit/RecordWriter.h"

#include <cerrno>
#include <cstring>

#include "efdkit/EfdText.h"
#include "rtl/Exception.h"

namespace stock::efd {

SpoolSink::SpoolSink() : file_(std::tmpfile()) {
  if (file_ == nullptr) {
    throw Exception(std::string("Não foi possível criar um arquivo temporário: ") +
                    std::strerror(errno));
  }
}

SpoolSink::~SpoolSink() { std::fclose(file_); }

void SpoolSink::Write(std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    throw Exception(std::string("Não foi possível gravar o arquivo temporário: ") +
                    std::strerror(errno));
  }
}

void SpoolSink::CopyTo(RecordSink& to) {
  if (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
    throw Exception(std::string("Não foi possível ler o arquivo temporário: ") +
                    std::strerror(errno));
  }
  std::string buffer(1 << 20, '\0');
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), file_)) > 0)
    to.Write(std::string_view(buffer.data(), n));
  if (std::ferror(file_)) throw Exception("Não foi possível ler o arquivo temporário.");
  std::fseek(file_, 0, SEEK_END);
}

void RecordWriter::Begin(std::string_view code, RecordSink& sink, std::string who) {
  sink_ = &sink;
  record_ = FindRecord(code);
  who_ = std::move(who);
  field_ = 1;
  line_.clear();
  line_.push_back('|');
  line_.append(record_->code.data(), record_->code.size());
  line_.push_back('|');
}

const FieldDef& RecordWriter::Next() {
  if (field_ >= record_->fields.size()) {
    throw Exception("Registro " + std::string(record_->code) + " com campos demais.");
  }
  return record_->fields[field_++];
}

RecordWriter& RecordWriter::Text(std::string_view utf8) {
  const FieldDef& f = Next();
  const size_t start = line_.size();
  if (!AppendLatin1(line_, utf8)) {
    Fail(f, "tem caracteres que o ISO-8859-1 não representa, '|' ou caracteres de controle ('" +
                std::string(utf8) + "')");
  }
  const std::string_view value = std::string_view(line_).substr(start);
  const std::string problem = CheckField(f, value);
  if (!problem.empty()) Fail(f, problem + " ('" + Latin1ToUtf8(value) + "')");
  line_.push_back('|');
  return *this;
}

RecordWriter& RecordWriter::Raw(std::string_view value) {
  Next();
  line_.append(value.data(), value.size());
  line_.push_back('|');
  return *this;
}

RecordWriter& RecordWriter::Decimal(int64_t scaled) {
  const FieldDef& f = Next();
  AppendDecimal(line_, scaled, f.decimals < 0 ? 0 : f.decimals);
  line_.push_back('|');
  return *this;
}

void RecordWriter::End() {
  if (field_ != record_->fields.size()) {
    throw Exception("Registro " + std::string(record_->code) + " montado com " +
                    std::to_string(field_) + " campos em vez de " +
                    std::to_string(record_->fields.size()) + ".");
  }
  line_.append("\r\n");
  sink_->Write(line_);
  ++counts_[RecordOrder(record_->code)];
  ++total_;
}

void RecordWriter::FailLast(const std::string& problem) const {
  Fail(record_->fields[field_ - 1], problem);
}

void RecordWriter::Fail(const FieldDef& f, const std::string& problem) const {
  throw Exception("Registro " + std::string(record_->code) + ", campo " + std::string(f.name) +
                  (who_.empty() ? "" : ", " + who_) + ": " + problem + ".");
}

}  // namespace stock::efd
