#include "reportkit/Report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <sstream>

#include "basekit/ExecutarSQL.h"
#include "basekit/SqlTemplate.h"
#include "datakit/ClientDataSet.h"
#include "datakit/FilterInterval.h"
#include "reportkit/DMReport.h"
#include "reportkit/ParamDefault.h"
#include "reportkit/PluginRun.h"
#include "reportkit/output/TextDevice.h"
#include "reportkit/output/WordWrap.h"
#include "rtl/Assert.h"
#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "rtl/FormatFloat.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"

namespace {

std::string Upper(std::string_view s) {
  std::string k(s);
  std::transform(k.begin(), k.end(), k.begin(), [](unsigned char c) { return std::toupper(c); });
  return k;
}

bool IsDateType(TFieldType t) { return t == ftDate || t == ftDateTime; }
bool IsNumberType(TFieldType t) { return t == ftInteger || t == ftLargeint || t == ftFloat; }

// Replaces "@PageNo", "@PageCount", "@Date" and "@Time" in a caption.
std::string ExpandCaption(const std::string& caption, int page_no, int page_count,
                          TDateTime started) {
  if (caption.find('@') == std::string::npos) return caption;
  std::string out = ReplaceAll(caption, "@PageCount", IntToStr(page_count));
  out = ReplaceAll(out, "@PageNo", IntToStr(page_no));
  if (out.find("@Date") != std::string::npos) {
    out = ReplaceAll(out, "@Date", FormatDateTime("dd/mm/yyyy", started));
  }
  if (out.find("@Time") != std::string::npos) {
    out = ReplaceAll(out, "@Time", FormatDateTime("hh:nn", started));
  }
  return out;
}

// Cuts `text` to its longest prefix of whole characters that fits in `width`.
void CutToWidth(std::string& text, const stock::FontSpec& font, double width) {
  if (stock::MeasureText(text, font) <= width) return;
  std::vector<size_t> ends;  // byte length of each character prefix
  for (size_t i = 1; i <= text.size(); ++i) {
    if (i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ends.push_back(i);
  }
  size_t lo = 0, hi = ends.size();  // prefixes of `lo` characters fit; of `hi` do not
  while (hi - lo > 1) {
    const size_t mid = (lo + hi) / 2;
    if (stock::MeasureText(std::string_view(text).substr(0, ends[mid - 1]), font) <= width) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  text.resize(lo == 0 ? 0 : ends[lo - 1]);
}

}  // namespace

// A label with what it shows resolved once: the parameter item or the dataset field.
struct TnrwReport::BoundLabel {
  TnLabel* label = nullptr;
  TnpqParamItem* param = nullptr;
  TField* field = nullptr;  // the column shown, or the one following the parameter
};

struct TnrwReport::BoundSection {
  const stock::SectionDef* def = nullptr;
  std::vector<BoundLabel> labels;
  bool stretches = false;  // a label of it may grow with its text
};

TnrwReport::TnrwReport(std::shared_ptr<const stock::ReportDefinition> definition)
    : definition_(std::move(definition)), functions_(definition_) {
  for (const stock::ParamDef& p : definition_->params) {
    GetParams()->Add(p.name, p.type, p.caption, stock::DefaultValue(p));
  }
  for (const stock::SectionDef& s : definition_->sections) {
    auto bound = std::make_unique<BoundSection>();
    bound->def = &s;
    for (const stock::LabelDef& d : s.labels) {
      auto label = std::make_unique<TnLabel>(d.name, s.number);
      label->SetLeft(d.left);
      label->SetTop(d.top);
      label->SetWidth(d.width);
      label->SetHeight(d.height);
      label->SetAlignment(d.align);
      label->Font().SetSize(d.font.size);
      label->Font().SetStyle({d.font.bold, d.font.italic, d.font.underline});
      label->SetVisible(d.visible);
      label->SetAutoSize(d.auto_size);
      label->SetWordWrap(d.word_wrap);
      label->SetStretch(d.stretch);
      bound->stretches = bound->stretches || d.stretch;
      label->SetCaption(d.caption);
      label->Bind(d.source, d.source_name, d.mask);
      label->SetThenColumn(d.then_column);
      BoundLabel b;
      b.label = label.get();
      if (d.source == TnLabelSource::Parameter) b.param = GetParams()->Param(d.source_name);
      bound->labels.push_back(b);
      labels_by_name_[Upper(d.name)] = label.get();
      labels_.push_back(std::move(label));
    }
    sections_[s.number] = std::move(bound);
  }
}

TnrwReport::~TnrwReport() = default;

TnLabel* TnrwReport::FindLabel(std::string_view name) const {
  auto it = labels_by_name_.find(Upper(name));
  return it == labels_by_name_.end() ? nullptr : it->second;
}

TnLabel* TnrwReport::LabelByName(std::string_view name) const {
  TnLabel* label = FindLabel(name);
  if (label == nullptr) {
    throw Exception("O relatório '" + definition_->name + "' não tem o objeto '" +
                    std::string(name) + "'");
  }
  return label;
}

void TnrwReport::OpenMainQuery() {
  if (definition_->sql.empty()) return;
  // Expand interval placeholders and collect the bound parameters in order of appearance.
  std::string text;
  std::vector<std::string> names;
  std::vector<Variant> values;
  for (const stock::SqlToken& token : stock::TokenizeSqlTemplate(definition_->sql)) {
    if (token.kind == stock::SqlTokenKind::kPlaceholder) {
      const std::optional<stock::IntervalPlaceholder> interval =
          stock::ReadIntervalPlaceholder(token.body);
      if (!interval) {  // a loaded definition has none such; one built in code may
        throw Exception("Definição de relatório '" + definition_->file + "': marcador \"" +
                        std::string(token.text) + "\" inválido");
      }
      const std::string& value = GetParams()->GetValues(interval->param);
      try {
        text += FilterInterval(interval->columns, value, TnTiposInclusao{tiIncluir}, true, 0);
      } catch (const Exception& e) {
        throw Exception("Parâmetro " + interval->param + ": " + e.what());
      }
      continue;
    }
    text += token.text;
    if (token.kind != stock::SqlTokenKind::kParameter) continue;
    const std::string name(token.body);
    if (std::find_if(names.begin(), names.end(),
                     [&](const std::string& n) { return SameText(n, name); }) != names.end()) {
      continue;
    }
    const TnpqParamItem* item = GetParams()->Param(name);
    const std::string v = Trim(item->GetValue());
    Variant value;
    try {
      switch (item->GetDataType()) {
        case TnParamType::Integer:
        case TnParamType::Flag: value = v.empty() ? Variant() : Variant(StrToInt64(v)); break;
        case TnParamType::Float: value = v.empty() ? Variant() : Variant(StrToFloat(v)); break;
        case TnParamType::Date:
          value = v.empty() ? Variant() : Variant::FromDate(StrToDate(v));
          break;
        default: value = Variant(item->GetValue()); break;
      }
    } catch (const EConvertError& e) {
      throw EConvertError("Parâmetro " + name + ": " + e.what());
    }
    names.push_back(name);
    values.push_back(value);
  }
  TDataSet* raw = ExecutarSQL(text, VarArrayOf(values), true, false, -1, "", nullptr, true);
  std::unique_ptr<TnClientDataSet> result(dynamic_cast<TnClientDataSet*>(raw));
  if (!result) {
    DestruirSQL(raw);
    throw Exception("A consulta do relatório '" + definition_->name +
                    "' não gerou um conjunto de dados");
  }
  result->SetName(definition_->name);
  dataset_ = std::move(result);
  BindColumns();
}

void TnrwReport::BindColumns() {
  for (auto& [number, section] : sections_) {
    for (BoundLabel& b : section->labels) {
      const std::string& column = b.label->GetSource() == TnLabelSource::Column
                                      ? b.label->GetSourceName()
                                      : b.label->GetThenColumn();
      if (column.empty()) continue;
      b.field = dataset_->FindField(column);
      if (b.field == nullptr) {
        throw Exception("Definição de relatório '" + definition_->file + "': seção " +
                        std::to_string(number) + ", label " + b.label->GetName() + ": a coluna \"" +
                        column + "\" não existe no resultado da consulta");
      }
    }
  }
}

const TnrwReport::BoundSection& TnrwReport::Section(int number) const {
  auto it = sections_.find(number);
  if (it == sections_.end()) {
    throw Exception("A seção " + std::to_string(number) + " não existe na definição '" +
                    definition_->file + "'");
  }
  return *it->second;
}

bool TnrwReport::HasHooks() const {
  return on_before_report_ || on_after_page_ || on_before_section_ || on_after_section_;
}

void TnrwReport::ClearHooks() {
  on_before_report_ = nullptr;
  on_after_page_ = nullptr;
  on_before_section_ = nullptr;
  on_after_section_ = nullptr;
}

void TnrwReport::FireBeforeReport() {
  TNotifyEvent hook = on_before_report_;  // a hook may replace itself while it runs
  if (hook) {
    hook(this);
    CheckPageState("o evento antes do relatório");
  }
}

bool TnrwReport::NeedsPageCount() const {
  return std::any_of(labels_.begin(), labels_.end(), [](const std::unique_ptr<TnLabel>& l) {
    return l->GetSource() == TnLabelSource::Caption &&
           l->GetCaption().find("@PageCount") != std::string::npos;
  });
}

void TnrwReport::BeginPass(stock::ReportDocument* document) {
  STOCK_ASSERT(document != nullptr && document->device != nullptr, "BeginPass sem documento");
  document_ = document;
  row_left_ = 0;
  page_ = PageState::kNone;
  device_pages_open_ = 0;
  page_no_ = 0;
  y_ = 0;
  messages_.clear();
}

void TnrwReport::EndPass() {
  // The run is over: its last page is closed without the page-end state or the after-page hook,
  // which belong to page ends the report asked for.
  if (document_ != nullptr && GetPageOpen()) {
    if (definition_->footer != 0 && definition_->footer != 1) {
      PrintNow(Section(definition_->footer));
    }
    if (GetPageOpen()) {
      document_->device->EndPage();
      --device_pages_open_;
      page_ = PageState::kNone;
    }
  }
  document_ = nullptr;
}

void TnrwReport::AbortPass() noexcept {
  if (document_ != nullptr && GetPageOpen()) {
    try {
      document_->device->EndPage();
    } catch (...) {  // the device already failed, or the run is failing: nothing to add
    }
  }
  if (GetPageOpen()) page_ = PageState::kNone;
  device_pages_open_ = 0;
  document_ = nullptr;
}

TnrwReport::Cell TnrwReport::CellOf(int cells, int columns, int index) const {
  if (columns < 1 || cells < 1 || cells > columns || index < 0 || index >= cells) {
    throw Exception("O relatório '" + definition_->name + "' pediu a célula " +
                    std::to_string(index) + " de uma linha de " + std::to_string(cells) +
                    " células em " + std::to_string(columns) + " colunas");
  }
  const stock::PageDef& page = definition_->page;
  const double width = (page.width - page.margin_left - page.margin_right) / page.scale;
  Cell cell;
  cell.width = width / columns;
  cell.left = (width - cell.width * cells) / 2 + cell.width * index;
  return cell;
}

void TnrwReport::BeginRow(int cells, int columns, int height) {
  CellOf(cells, columns, 0);  // checks the counts
  row_left_ = row_cells_ = cells;
  row_columns_ = columns;
  row_next_ = 0;
  row_height_ = 0;
  row_room_ = height;
}

int TnrwReport::CellHeight(int section, int cells, int columns, int index) {
  const Cell cell = CellOf(cells, columns, index);
  return Arrange(Section(section), &cell);
}

void TnrwReport::RepPrintSection(int section) {
  if (document_ == nullptr) {
    throw Exception("O relatório '" + definition_->name + "' não está imprimindo");
  }
  const BoundSection& s = Section(section);
  if (section == 1 && !GetPageOpen()) {
    OpenPage();  // the page header is the opening of a page
    return;
  }
  const bool in_row = row_left_ > 0;
  const Cell cell = in_row ? CellOf(row_cells_, row_columns_, row_next_) : Cell{};
  const bool arranged = in_row || s.stretches;
  const int height = arranged ? Arrange(s, in_row ? &cell : nullptr) : s.def->height;
  const bool continues_row = in_row && row_next_ > 0 && GetPageOpen();
  const int room = in_row ? std::max(height, row_room_) : height;
  if (!continues_row) EnsureRoom(room);
  {
    TnSectionEvent hook = on_before_section_;
    if (hook) {
      hook(this, section);
      CheckPageState("o evento antes da seção");
    }
  }
  // The hook may have changed what the section shows, printed or ended the page.
  const int final_height = arranged ? Arrange(s, in_row ? &cell : nullptr) : height;
  if (!continues_row || !GetPageOpen()) {
    EnsureRoom(in_row ? std::max(final_height, row_room_) : final_height);
    if (in_row) row_top_ = y_;
  }
  Draw(s, in_row ? row_top_ : y_, arranged);
  page_ = PageState::kBody;
  if (in_row) {
    row_height_ = std::max(row_height_, final_height);
    ++row_next_;
    if (--row_left_ == 0) y_ = row_top_ + row_height_;
  } else {
    y_ += final_height;
  }
  TnSectionEvent hook = on_after_section_;
  if (hook) {
    hook(this, section);
    CheckPageState("o evento depois da seção");
  }
}

int TnrwReport::Arrange(const BoundSection& section, const Cell* cell) {
  const stock::PageDef& page = definition_->page;
  const double k = page.scale;
  const double layout_width = (page.width - page.margin_left - page.margin_right) / k;
  const double dx = cell ? cell->left + cell->width / 2 - layout_width / 2 : 0;
  // What the cell keeps of [left, left + width).
  auto clip = [&](double& left, double& width) {
    if (cell == nullptr) return;
    const double l = std::max(left, cell->left);
    const double r = std::min(left + width, cell->left + cell->width);
    left = l;
    width = std::max(0.0, r - l);
  };
  placed_.clear();
  for (const BoundLabel& b : section.labels) {
    const TnLabel& l = *b.label;
    Box box{l.GetLeft() + dx, static_cast<double>(l.GetTop()), static_cast<double>(l.GetWidth()),
            static_cast<double>(l.GetHeight())};
    clip(box.left, box.width);
    placed_.push_back(box);
  }

  // Stretched labels, by top: each moves down by what the stretched labels wholly above it
  // grew and moved, and grows to hold its lines.
  struct Stretch {
    size_t label;
    double top, bottom, grown;  // declared top and bottom; its move plus its growth
  };
  std::vector<Stretch> stretches;
  if (section.stretches) {
    const stock::PageFormat format = PageFormatOf();
    std::vector<size_t> order;
    for (size_t i = 0; i < section.labels.size(); ++i) {
      const TnLabel& l = *section.labels[i].label;
      if (l.GetStretch() && l.GetWordWrap() && l.GetVisible()) order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return placed_[a].top < placed_[b].top; });
    for (size_t i : order) {
      Box& box = placed_[i];
      TextOf(section.labels[i], label_text_);
      const stock::FontSpec& font = section.labels[i].label->Font().Spec();
      double needed = static_cast<double>(stock::WrapText(label_text_, font, box.width).size()) *
                      stock::LineHeight(font);
      const stock::TextBox on_page{page.margin_left + box.left * k, 0, box.width * k, 0};
      needed = std::max(needed, stock::TextWrappedHeight(format, on_page, label_text_) / k);
      double moved = 0;
      for (const Stretch& above : stretches) {
        if (above.bottom <= box.top) moved = std::max(moved, above.grown);
      }
      const double grown = moved + std::max(0.0, std::ceil(needed - box.height - 0.01));
      stretches.push_back({i, box.top, box.top + box.height, grown});
    }
  }
  auto moved = [&](double top) {
    double by = 0;
    for (const Stretch& st : stretches) {
      if (st.bottom <= top) by = std::max(by, st.grown);
    }
    return by;
  };
  double growth = 0;
  for (const Stretch& st : stretches) growth = std::max(growth, st.grown);
  if (!stretches.empty()) {
    for (size_t i = 0; i < section.labels.size(); ++i) {
      Box& box = placed_[i];
      const double by = moved(box.top);
      for (const Stretch& st : stretches) {
        if (st.label == i) box.height += st.grown - by;
      }
      box.top += by;
    }
  }
  placed_lines_.clear();
  for (stock::LineDef line : section.def->lines) {
    line.x1 += static_cast<int>(std::lround(dx));
    line.x2 += static_cast<int>(std::lround(dx));
    if (cell != nullptr && line.y1 == line.y2) {
      double left = std::min(line.x1, line.x2), width = std::abs(line.x2 - line.x1);
      clip(left, width);
      line.x1 = static_cast<int>(std::lround(left));
      line.x2 = static_cast<int>(std::lround(left + width));
    }
    const int by = static_cast<int>(std::lround(moved(std::min(line.y1, line.y2))));
    line.y1 += by;
    line.y2 += by;
    placed_lines_.push_back(line);
  }
  const int height = section.def->height + static_cast<int>(std::ceil(growth));
  if (height > page.LayoutHeight()) {
    std::string label;
    double most = -1;
    for (size_t i = 0; i < section.labels.size(); ++i) {
      const double grew = placed_[i].height - section.labels[i].label->GetHeight();
      if (grew > most) {
        most = grew;
        label = section.labels[i].label->GetName();
      }
    }
    throw Exception("O texto do campo '" + label + "' (seção " +
                    std::to_string(section.def->number) + ") do relatório '" + definition_->name +
                    "' não cabe em uma página");
  }
  return height;
}

stock::PageFormat TnrwReport::PageFormatOf() const {
  const stock::PageDef& page = definition_->page;
  stock::PageFormat format;
  format.width = page.width;
  format.height = page.height;
  format.margin_left = page.margin_left;
  format.margin_top = page.margin_top;
  format.margin_right = page.margin_right;
  format.margin_bottom = page.margin_bottom;
  format.columns = definition_->text.columns;
  format.lines = definition_->text.lines;
  return format;
}

void TnrwReport::EnsureRoom(int height) {
  const stock::PageDef& page = definition_->page;
  const stock::SectionDef* footer =
      definition_->footer != 0 ? definition_->FindSection(definition_->footer) : nullptr;
  const double body = page.LayoutHeight() - (footer ? footer->height : 0);
  for (int attempts = 0;; ++attempts) {
    if (attempts > 1000) {
      throw Exception("O relatório '" + definition_->name +
                      "' encerra cada página que abre: impressão interrompida");
    }
    if (!GetPageOpen()) OpenPage();
    if (!GetPageOpen()) continue;  // a hook ended the page it opened: open another
    if (y_ + height <= body || page_ == PageState::kOpen) return;  // an empty page takes what comes
    SetCSLIsPageEnd(true);
  }
}

void TnrwReport::OpenPage() {
  STOCK_ASSERT(!GetPageOpen() && document_ != nullptr, "OpenPage com uma página aberta");
  ++page_no_;
  page_ = PageState::kOpen;
  y_ = 0;
  ++document_->pages;
  document_->device->BeginPage(page_no_, PageFormatOf());
  ++device_pages_open_;
  PrintNow(Section(1));
}

// Prints a section where the page stands, with its hooks, without any fit check: the page
// header at the top of a page and the footer at its bottom.
void TnrwReport::PrintNow(const BoundSection& section) {
  const int number = section.def->number;
  {
    TnSectionEvent hook = on_before_section_;
    if (hook) {
      hook(this, number);
      CheckPageState("o evento antes da seção");
    }
  }
  if (!GetPageOpen()) return;  // the hook ended the page
  const bool footer = number == definition_->footer && number != 1;
  if (footer) {
    const stock::PageDef& page = definition_->page;
    Draw(section, static_cast<int>(page.LayoutHeight()) - section.def->height);
  } else {
    Draw(section, y_);
    y_ += section.def->height;
  }
  TnSectionEvent hook = on_after_section_;
  if (hook) {
    hook(this, number);
    CheckPageState("o evento depois da seção");
  }
}

void TnrwReport::SetCSLIsPageEnd(bool page_end) {
  if (!page_end) {
    if (page_ == PageState::kEnded) page_ = PageState::kNone;
    return;
  }
  if (!GetPageOpen()) {
    page_ = PageState::kEnded;  // nothing on a page yet: no page to end, no after-page call
    return;
  }
  if (definition_->footer != 0 && definition_->footer != 1) {
    PrintNow(Section(definition_->footer));
    if (!GetPageOpen()) return;
  }
  document_->device->EndPage();
  --device_pages_open_;
  page_ = PageState::kEnded;
  TNotifyEvent hook = on_after_page_;
  if (hook) {
    hook(this);
    CheckPageState("o evento depois da página");
  }
}

void TnrwReport::CheckPageState([[maybe_unused]] const char* where) const {
  STOCK_ASSERT(device_pages_open_ == (GetPageOpen() ? 1 : 0),
               std::string("depois de ") + where +
                   ": o estado da página e as páginas abertas no dispositivo divergem");
  STOCK_ASSERT(!GetPageOpen() || document_ != nullptr,
               std::string("depois de ") + where + ": página aberta sem documento");
  STOCK_ASSERT(y_ >= 0, std::string("depois de ") + where + ": posição negativa na página");
}

bool TnrwReport::CSLShowProgress(int done, int total) {
  if (document_ == nullptr) return false;
  if (!document_->stop_requested && document_->progress) {
    document_->stop_requested = document_->progress(done, total);
  }
  return document_->stop_requested;
}

void TnrwReport::MsgConfigurar(const std::vector<std::string>& captions, int last_index) {
  message_captions_.assign(captions.begin(),
                           captions.begin() + std::min<size_t>(captions.size(), last_index + 1));
}

void TnrwReport::MsgMensagem(int kind, const std::string& text) {
  messages_.push_back({kind, text});
  if (document_ != nullptr) document_->device->OnMessage(kind, text);
}

void TnrwReport::TextOf(const BoundLabel& b, std::string& text) const {
  const TnLabel& l = *b.label;
  const std::string& mask = l.GetMask();
  text.clear();
  switch (l.GetSource()) {
    case TnLabelSource::Caption:
      text = ExpandCaption(l.GetCaption(), page_no_, document_ ? document_->page_count : 0,
                           document_ ? document_->started : 0);
      return;
    case TnLabelSource::Parameter: {
      const std::string& value = b.param->GetValue();
      double number;
      TDateTime date;
      if (mask.empty() || value.empty()) {
        text.assign(value);
      } else if (TryStrToFloat(value, number)) {
        text = FormatFloat(mask, number);
      } else if (TryStrToDate(value, date)) {
        text = FormatDateTime(mask, date);
      } else {
        text.assign(value);
      }
      if (b.field != nullptr && !dataset_->IsEmpty() && !b.field->IsNull()) {
        b.field->AppendAsString(text);
      }
      return;
    }
    case TnLabelSource::Column: {
      if (b.field == nullptr || dataset_->IsEmpty() || b.field->IsNull()) return;
      const TFieldType type = b.field->GetDataType();
      if (!mask.empty() && IsNumberType(type)) {
        text = FormatFloat(mask, b.field->AsFloat());
      } else if (!mask.empty() && IsDateType(type)) {
        text = FormatDateTime(mask, b.field->AsDateTime());
      } else {
        b.field->AppendAsString(text);
      }
      return;
    }
  }
}

void TnrwReport::Draw(const BoundSection& section, int top, bool arranged) {
  stock::OutputDevice& device = *document_->device;
  const stock::PageDef& page = definition_->page;
  const double k = page.scale;  // layout units to page units
  const double x0 = page.margin_left;
  const double y0 = page.margin_top + top * k;
  const bool record = device.WantsSections();
  if (!document_->draw_normal && !record) return;  // a counting pass only needs the geometry
  stock::ShownValues shown;
  if (record) shown.reserve(section.labels.size());
  std::string& text = label_text_;
  for (size_t i = 0; i < section.labels.size(); ++i) {
    const BoundLabel& b = section.labels[i];
    const TnLabel& l = *b.label;
    if (!l.GetVisible()) continue;
    const Box at = arranged
                       ? placed_[i]
                       : Box{static_cast<double>(l.GetLeft()), static_cast<double>(l.GetTop()),
                             static_cast<double>(l.GetWidth()), static_cast<double>(l.GetHeight())};
    TextOf(b, text);
    const bool wrap = l.GetWordWrap();
    if (!wrap && !l.GetAutoSize() && !text.empty() && !device.CutsTextAtBox()) {
      CutToWidth(text, l.Font().Spec(), at.width);
    }
    if (document_->draw_normal && !text.empty()) {
      const stock::TextBox box{x0 + at.left * k, y0 + at.top * k, at.width * k, at.height * k};
      stock::FontSpec font = l.Font().Spec();
      font.size *= k;
      if (wrap) {
        device.DrawWrappedText(box, text, font, l.GetAlignment());
      } else {
        device.DrawText(box, text, font, l.GetAlignment());
      }
    }
    if (record) shown.emplace_back(l.GetName(), text);
  }
  if (document_->draw_normal) {
    for (const stock::LineDef& line : arranged ? placed_lines_ : section.def->lines) {
      device.DrawLine(x0 + line.x1 * k, y0 + line.y1 * k, x0 + line.x2 * k, y0 + line.y2 * k,
                      line.thickness * k);
    }
  }
  if (record) device.OnSection(section.def->number, shown);
}

void TnrwReport::PrintInternal(TnDMReport* dm) {
  if (document_ == nullptr) {
    throw Exception("O relatório '" + definition_->name + "' não está imprimindo");
  }
  if (dm == nullptr) throw Exception("RepInterno: relatório interno não informado");
  if (GetPageOpen()) SetCSLIsPageEnd(true);  // it starts on a new page
  TnrwReport* inner = dm->GetReport();
  inner->OpenMainQuery();
  stock::RunNestedReport(*inner, *document_);
  for (const TnReportMessage& m : inner->Messages()) messages_.push_back(m);
}
