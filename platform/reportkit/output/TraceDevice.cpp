#include "reportkit/output/TraceDevice.h"

#include "reportkit/output/TempFile.h"

namespace stock {

namespace {

void AppendOneLine(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c != '\r') {
      out += c;
    }
  }
}

}  // namespace

TraceDevice::TraceDevice() = default;

TraceDevice::TraceDevice(const std::string& path) : file_(std::make_unique<TempFile>(path)) {}

TraceDevice::~TraceDevice() = default;

void TraceDevice::BeginDocument(const DocumentInfo& info) {
  std::string line = "document ";
  AppendOneLine(line, info.title);
  lines_.push_back(std::move(line));
}

void TraceDevice::BeginPage(int page_number, const PageFormat&) {
  if (page_open_) EndPage();
  page_ = page_number;
  page_open_ = true;
  lines_.push_back("page " + std::to_string(page_number) + " begin");
}

void TraceDevice::OnSection(int section, const ShownValues& shown) {
  std::string line = "section " + std::to_string(section) + ":";
  for (size_t i = 0; i < shown.size(); ++i) {
    line += i == 0 ? " " : " | ";
    AppendOneLine(line, shown[i].first);
    line += '=';
    AppendOneLine(line, shown[i].second);
  }
  lines_.push_back(std::move(line));
}

void TraceDevice::OnMessage(int kind, std::string_view text) {
  std::string line = "message " + std::to_string(kind) + ": ";
  AppendOneLine(line, text);
  lines_.push_back(std::move(line));
}

void TraceDevice::EndPage() {
  if (!page_open_) return;
  page_open_ = false;
  lines_.push_back("page " + std::to_string(page_) + " end");
}

void TraceDevice::Finish() {
  if (!finished_) {
    if (page_open_) EndPage();
    lines_.push_back("finish");
    finished_ = true;
  }
  if (file_ && !committed_) {
    // A failed write discards the file; calling Finish again then raises instead of
    // reporting success.
    for (const std::string& line : lines_) {
      file_->Write(line);
      file_->Write("\n");
    }
    file_->Commit();
    committed_ = true;
  }
}

void TraceDevice::Abort() noexcept {
  if (file_) file_->Discard();
}

}  // namespace stock
