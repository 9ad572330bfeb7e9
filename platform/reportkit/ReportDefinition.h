#pragma once
// A report definition: page, main query, parameters, numbered sections with their labels and
// lines, and user functions, read from a JSON file (definitions/<name>.json).
//
// Main query placeholders: ":name" binds the report parameter `name` (typed by its declared
// type); "{{interval pName COL1,COL2}}" expands to the interval condition of pName's text over
// those columns (" and (...) ", nothing when the text is blank). Values never reach the SQL
// text any other way. Both are looked for outside quotes and comments only (TokenizeSqlTemplate).

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reportkit/Label.h"
#include "reportkit/ParamItem.h"
#include "reportkit/output/TextDevice.h"

namespace stock {

// One of the fixed values a parameter takes, with its meaning ("1", "Sim").
struct ParamChoice {
  std::string value, text;
};

struct ParamDef {
  std::string name;
  TnParamType type = TnParamType::Text;
  std::string caption;  // the parameter screen's label
  std::string default_value;
  bool input = true;      // false: a value the report prints (R1, pNomeEmpresa ...)
  bool required = false;  // the report cannot print without a value (no usable default)
  // The fixed values the parameter takes ("choices"; a flag without them takes 0 Não and
  // 1 Sim); empty when any value of its type goes.
  std::vector<ParamChoice> choices;
  // "empresas" or "estabelecimentos": codes of those rows of the database ("lookup").
  std::string lookup;
};

struct LabelDef {
  std::string name;
  int left = 0, top = 0, width = 100, height = 14;
  TextAlign align = TextAlign::Left;
  FontSpec font;
  bool visible = true;
  bool auto_size = true;
  bool word_wrap = false;  // long text continues on further lines inside the label's height
  bool stretch = false;    // with word_wrap: the label grows to hold every line (see TnLabel)
  TnLabelSource source = TnLabelSource::Caption;
  std::string source_name;  // parameter or column
  std::string then_column;  // with a parameter binding: a column whose text follows it
  std::string mask;         // number mask, or date mask for date values
  std::string caption;
};

struct LineDef {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  double thickness = 1;
};

struct SectionDef {
  int number = 0;
  int height = 0;
  std::vector<LabelDef> labels;
  std::vector<LineDef> lines;
};

struct FunctionDef {
  std::string name;
  std::string text;   // template with {1}, {2} ... placeholders
  std::string query;  // or a query over :p1, :p2 ... whose first row's columns are the pieces
  std::string separator = "|";
};

struct PageDef {
  int width = 794, height = 1123;  // A4 portrait in 1/96 inch
  int margin_left = 38, margin_top = 38, margin_right = 38, margin_bottom = 38;
  bool landscape = false;
  // Layout scale: sections and labels are laid out in units this many times smaller than the
  // page's, so a layout wider than the printable width still fits between the margins (fonts
  // shrink with it). Sections and labels keep their own units; margins are page units.
  double scale = 1;
  // Height of the page body between the margins, in layout units.
  double LayoutHeight() const { return (height - margin_top - margin_bottom) / scale; }
};

struct ReportDefinition {
  std::string file;  // where it was read from, for messages
  std::string name;
  std::string title;
  std::string description;  // one line on what the report prints, for lists of reports
  std::string plugin;       // library that prints it (stockItems ...), empty for none
  PageDef page;
  // The character grid of a text page, over the printable area: from the definition's "text"
  // block ({"columns": 132, "lines": 66}), DefaultTextGrid of the printable area without one.
  TextGrid text;
  std::string sql;  // main query, may be empty
  std::vector<ParamDef> params;
  std::vector<SectionDef> sections;  // ordered by number
  int footer = 0;                    // page-footer section number, 0 for none
  std::vector<FunctionDef> functions;

  const SectionDef* FindSection(int number) const;
};

// The inside of an interval placeholder: "interval pName COL1,COL2".
struct IntervalPlaceholder {
  std::string param;
  std::string columns;
};

// Reads the inside of a "{{...}}" placeholder: the word "interval", a parameter and a column
// list, separated by blanks. Nothing for any other text.
std::optional<IntervalPlaceholder> ReadIntervalPlaceholder(std::string_view body);

// Reads and checks a definition file. Raises Exception naming the file and what is wrong
// (unreadable file, bad JSON with its position, missing or mistyped member, a text grid
// outside 20 to 1000 columns or 10 to 1000 lines, duplicate section,
// label bound to an undeclared parameter, a query with an unclosed quote, comment or
// placeholder, a placeholder other than an interval, or naming an undeclared parameter).
std::shared_ptr<const ReportDefinition> LoadReportDefinition(const std::string& path);

// Same, for a definition held in memory; `file` names it in messages.
std::shared_ptr<const ReportDefinition> ParseReportDefinition(const std::string& json_text,
                                                              const std::string& file);

}  // namespace stock
