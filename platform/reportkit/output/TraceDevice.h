#pragma once
// TraceDevice: records the engine's events, one line each, for tests and for
// `--out FILE.trace`:
//
//   document <title>
//   page <n> begin
//   section <n>: name=value | name=value      (the labels shown, in order)
//   page <n> end
//   message <kind>: <text>
//   finish
//
// Drawing calls are not recorded: the trace is about what the engine printed, not where.
// A line break inside a value is written as "\n" so that every event stays on one line.

#include <memory>
#include <string>
#include <vector>

#include "reportkit/output/OutputDevice.h"

namespace stock {

class TempFile;

class TraceDevice : public OutputDevice {
 public:
  // A trace kept in memory only.
  TraceDevice();
  // A trace also written to `path` (one event per line) by Finish. Raises Exception naming
  // the path when the file cannot be created.
  explicit TraceDevice(const std::string& path);
  ~TraceDevice() override;

  // The lines recorded so far.
  const std::vector<std::string>& Lines() const { return lines_; }

  void BeginDocument(const DocumentInfo& info) override;
  void BeginPage(int page_number, const PageFormat& page) override;
  void DrawText(const TextBox&, std::string_view, const FontSpec&, TextAlign) override {}
  void DrawWrappedText(const TextBox&, std::string_view, const FontSpec&, TextAlign) override {}
  void DrawLine(double, double, double, double, double) override {}
  bool WantsSections() const override { return true; }
  void OnSection(int section, const ShownValues& shown) override;
  void OnMessage(int kind, std::string_view text) override;
  void EndPage() override;
  void Finish() override;
  void Abort() noexcept override;

 private:
  std::vector<std::string> lines_;
  std::unique_ptr<TempFile> file_;
  int page_ = 0;
  bool page_open_ = false;
  bool finished_ = false;
  bool committed_ = false;
};

}  // namespace stock
