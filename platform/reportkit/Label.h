#pragma once
// TnLabel: a text object of a layout section. What it shows comes from its binding (a report
// parameter, a column of the main dataset, or its own caption); plug-ins change its caption,
// visibility, position, width and font while a report prints.

#include <string>

#include "reportkit/output/OutputDevice.h"
#include "rtl/TObject.h"

enum class TnLabelSource { Caption, Parameter, Column };

// Font styles, as a set.
struct TFontStyles {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool operator==(const TFontStyles&) const = default;
};

class TnLabelFont {
 public:
  double GetSize() const { return spec_.size; }
  void SetSize(double points) { spec_.size = points; }
  TFontStyles GetStyle() const { return {spec_.bold, spec_.italic, spec_.underline}; }
  void SetStyle(TFontStyles style) {
    spec_.bold = style.bold;
    spec_.italic = style.italic;
    spec_.underline = style.underline;
  }
  const stock::FontSpec& Spec() const { return spec_; }

 private:
  stock::FontSpec spec_;
};

class TnLabel : public TObject {
 public:
  TnLabel(std::string name, int section);
  ~TnLabel() override;

  const std::string& GetName() const { return name_; }
  int GetSection() const { return section_; }

  bool GetVisible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }

  // The text shown by a caption label. "@PageNo", "@PageCount", "@Date" and "@Time" in it are
  // replaced by the page number, the document's page count and the run's date and time.
  const std::string& GetCaption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }

  // Geometry in layout units (1/96 inch), relative to the section.
  int GetLeft() const { return left_; }
  void SetLeft(int left) { left_ = left; }
  int GetTop() const { return top_; }
  void SetTop(int top) { top_ = top; }
  int GetWidth() const { return width_; }
  void SetWidth(int width) { width_ = width; }
  int GetHeight() const { return height_; }
  void SetHeight(int height) { height_ = height; }

  TnLabelFont& Font() { return font_; }
  const TnLabelFont& Font() const { return font_; }

  stock::TextAlign GetAlignment() const { return align_; }
  void SetAlignment(stock::TextAlign align) { align_ = align; }

  // The further flag: AutoSize. On (the default), the text prints whole even past the
  // label's width; off, it is cut to the characters that fit in the width.
  bool GetAutoSize() const { return auto_size_; }
  void SetAutoSize(bool on) { auto_size_ = on; }

  // WordWrap: off (the default), the text prints on one line; on, it is broken at blanks into
  // lines that fit the label's width, printed one under the other from the label's top, as many
  // as fit in its height (a word wider than the label takes a line of its own).
  bool GetWordWrap() const { return word_wrap_; }
  void SetWordWrap(bool on) { word_wrap_ = on; }

  // Stretch (with WordWrap): the label grows downwards to hold every line of its text, in the
  // PDF's measure and in the text page's columns alike; whatever of its section lies below the
  // label's bottom moves down by as much, and the section grows with it. Only a section whose
  // definition has a stretching label lays itself out this way.
  bool GetStretch() const { return stretch_; }
  void SetStretch(bool on) { stretch_ = on; }

  // Binding, set from the definition.
  TnLabelSource GetSource() const { return source_; }
  const std::string& GetSourceName() const { return source_name_; }
  const std::string& GetMask() const { return mask_; }
  void Bind(TnLabelSource source, std::string source_name, std::string mask);
  // A parameter label may show a column's text after the parameter's ("" for none).
  const std::string& GetThenColumn() const { return then_column_; }
  void SetThenColumn(std::string column) { then_column_ = std::move(column); }

 private:
  std::string name_;
  int section_;
  bool visible_ = true;
  std::string caption_;
  int left_ = 0, top_ = 0, width_ = 100, height_ = 14;
  TnLabelFont font_;
  stock::TextAlign align_ = stock::TextAlign::Left;
  bool auto_size_ = true;
  bool word_wrap_ = false;
  bool stretch_ = false;
  TnLabelSource source_ = TnLabelSource::Caption;
  std::string source_name_;
  std::string mask_;
  std::string then_column_;
};
