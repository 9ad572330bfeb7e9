#include "reportkit/ReportDefinition.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "basekit/SqlTemplate.h"
#include "reportkit/ParamDefault.h"
#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace stock {

namespace {

using nlohmann::json;

class Reader {
 public:
  explicit Reader(std::string file) : file_(std::move(file)) {}

  [[noreturn]] void Fail(const std::string& where, const std::string& what) const {
    throw Exception("Definição de relatório '" + file_ + "': " + where + ": " + what);
  }

  const json& Member(const json& obj, const char* key, const std::string& where) const {
    if (!obj.is_object() || !obj.contains(key))
      Fail(where, std::string("falta o membro \"") + key + "\"");
    return obj.at(key);
  }

  std::string Text(const json& obj, const char* key, const std::string& where,
                   const std::string& fallback = {}, bool required = false) const {
    if (!obj.contains(key)) {
      if (required) Fail(where, std::string("falta o membro \"") + key + "\"");
      return fallback;
    }
    const json& v = obj.at(key);
    if (!v.is_string()) Fail(where, std::string("\"") + key + "\" deve ser um texto");
    return v.get<std::string>();
  }

  int Int(const json& obj, const char* key, const std::string& where, int fallback,
          bool required = false) const {
    if (!obj.contains(key)) {
      if (required) Fail(where, std::string("falta o membro \"") + key + "\"");
      return fallback;
    }
    const json& v = obj.at(key);
    if (!v.is_number()) Fail(where, std::string("\"") + key + "\" deve ser um número");
    const double value = v.get<double>();
    if (!(value >= -kLimit && value <= kLimit)) {
      Fail(where, std::string("\"") + key + "\" fora do intervalo de -" + std::to_string(kLimit) +
                      " a " + std::to_string(kLimit));
    }
    return static_cast<int>(value);
  }

  double Number(const json& obj, const char* key, const std::string& where, double fallback) const {
    if (!obj.contains(key)) return fallback;
    const json& v = obj.at(key);
    if (!v.is_number()) Fail(where, std::string("\"") + key + "\" deve ser um número");
    return v.get<double>();
  }

  bool Bool(const json& obj, const char* key, const std::string& where, bool fallback) const {
    if (!obj.contains(key)) return fallback;
    const json& v = obj.at(key);
    if (!v.is_boolean()) Fail(where, std::string("\"") + key + "\" deve ser true ou false");
    return v.get<bool>();
  }

  TnParamType ParamType(const std::string& t, const std::string& where) const {
    if (t == "text") return TnParamType::Text;
    if (t == "integer") return TnParamType::Integer;
    if (t == "float") return TnParamType::Float;
    if (t == "date") return TnParamType::Date;
    if (t == "flag") return TnParamType::Flag;
    if (t == "interval") return TnParamType::Interval;
    Fail(where, "tipo de parâmetro desconhecido \"" + t +
                    "\" (use text, integer, float, date, flag ou interval)");
  }

  TextAlign Align(const std::string& a, const std::string& where) const {
    if (a.empty() || a == "left") return TextAlign::Left;
    if (a == "right") return TextAlign::Right;
    if (a == "center") return TextAlign::Center;
    if (a == "justify") return TextAlign::Justify;
    Fail(where, "alinhamento desconhecido \"" + a + "\" (use left, right, center ou justify)");
  }

  const std::string& file() const { return file_; }

  // Largest position or size a definition may give, in layout units (a page is about 1,100):
  // sums of positions stay far from integer overflow.
  static constexpr int kLimit = 1000000;

 private:
  std::string file_;
};

// Names of the ":name" parameters and "{{interval pName ...}}" placeholders of a query.
// Checks the main query's template: every quote, comment and placeholder closed, every
// placeholder an interval over a declared parameter, every ":name" a declared parameter.
void CheckQueryTemplate(const Reader& r, const std::string& sql,
                        const std::set<std::string>& param_names) {
  auto declared = [&](std::string_view name) {
    if (!param_names.count(AnsiUpperCase(std::string(name)))) {
      r.Fail("query",
             "a consulta usa o parâmetro \"" + std::string(name) + "\", que não foi declarado");
    }
  };
  for (const SqlToken& token : TokenizeSqlTemplate(sql)) {
    switch (token.kind) {
      case SqlTokenKind::kString:
        if (!token.closed) r.Fail("query", "texto entre apóstrofos sem fechamento");
        break;
      case SqlTokenKind::kQuotedName:
        if (!token.closed) r.Fail("query", "nome entre aspas sem fechamento");
        break;
      case SqlTokenKind::kComment:
        if (!token.closed) r.Fail("query", "comentário /* sem fechamento");
        break;
      case SqlTokenKind::kPlaceholder: {
        if (!token.closed) r.Fail("query", "marcador {{...}} sem fechamento");
        const std::optional<IntervalPlaceholder> interval = ReadIntervalPlaceholder(token.body);
        if (!interval) {
          r.Fail("query", "marcador \"" + std::string(token.text) +
                              "\" inválido (use {{interval parâmetro COLUNA1,COLUNA2}})");
        }
        declared(interval->param);
        break;
      }
      case SqlTokenKind::kParameter: declared(token.body); break;
      default: break;
    }
  }
}

}  // namespace

std::optional<IntervalPlaceholder> ReadIntervalPlaceholder(std::string_view body) {
  std::istringstream words{std::string(body)};
  std::string kind, extra;
  IntervalPlaceholder interval;
  if (!(words >> kind >> interval.param >> interval.columns) || kind != "interval" ||
      (words >> extra)) {
    return std::nullopt;
  }
  return interval;
}

const SectionDef* ReportDefinition::FindSection(int number) const {
  auto it = std::lower_bound(sections.begin(), sections.end(), number,
                             [](const SectionDef& s, int n) { return s.number < n; });
  return it != sections.end() && it->number == number ? &*it : nullptr;
}

std::shared_ptr<const ReportDefinition> ParseReportDefinition(const std::string& json_text,
                                                              const std::string& file) {
  Reader r(file);
  json doc;
  try {
    doc = json::parse(json_text);
  } catch (const json::exception& e) {  // syntax errors, and numbers too large for a double
    r.Fail("JSON inválido", std::string(e.what()));
  }
  if (!doc.is_object()) r.Fail("raiz", "o arquivo deve conter um objeto JSON");

  auto def = std::make_shared<ReportDefinition>();
  def->file = file;
  def->name = r.Text(doc, "name", "raiz", {}, true);
  def->title = r.Text(doc, "title", "raiz");
  def->description = r.Text(doc, "description", "raiz");
  def->plugin = r.Text(doc, "plugin", "raiz");

  if (doc.contains("page")) {
    const json& page = doc.at("page");
    const std::string size = r.Text(page, "size", "page", "A4");
    if (size != "A4") r.Fail("page", "tamanho de página \"" + size + "\" não suportado (use A4)");
    const std::string orientation = r.Text(page, "orientation", "page", "portrait");
    if (orientation == "landscape") {
      def->page.landscape = true;
      std::swap(def->page.width, def->page.height);
    } else if (orientation != "portrait") {
      r.Fail("page", "orientação \"" + orientation + "\" desconhecida (use portrait ou landscape)");
    }
    if (page.contains("margins")) {
      const json& m = page.at("margins");
      def->page.margin_left = r.Int(m, "left", "page.margins", def->page.margin_left);
      def->page.margin_top = r.Int(m, "top", "page.margins", def->page.margin_top);
      def->page.margin_right = r.Int(m, "right", "page.margins", def->page.margin_right);
      def->page.margin_bottom = r.Int(m, "bottom", "page.margins", def->page.margin_bottom);
      const PageDef& pg = def->page;
      if (pg.margin_left < 0 || pg.margin_top < 0 || pg.margin_right < 0 || pg.margin_bottom < 0 ||
          pg.margin_left + pg.margin_right >= pg.width ||
          pg.margin_top + pg.margin_bottom >= pg.height) {
        r.Fail("page.margins", "margens negativas ou maiores que a página");
      }
    }
    def->page.scale = r.Number(page, "scale", "page", 1);
    if (!(def->page.scale >= 0.25 && def->page.scale <= 4)) {
      r.Fail("page", "escala fora do intervalo de 0,25 a 4");
    }
  }

  if (doc.contains("query")) {
    const json& q = doc.at("query");
    if (q.is_string()) {
      def->sql = q.get<std::string>();
    } else if (q.is_array()) {  // lines, for readability
      for (const json& line : q) {
        if (!line.is_string()) r.Fail("query", "as linhas da consulta devem ser textos");
        def->sql += line.get<std::string>() + "\n";
      }
    } else {
      r.Fail("query", "a consulta deve ser um texto ou uma lista de linhas");
    }
  }

  std::set<std::string> param_names;
  if (doc.contains("parameters")) {
    const json& params = doc.at("parameters");
    if (!params.is_array()) r.Fail("parameters", "deve ser uma lista");
    for (size_t i = 0; i < params.size(); ++i) {
      const json& p = params[i];
      const std::string where = "parameters[" + std::to_string(i) + "]";
      ParamDef pd;
      pd.name = r.Text(p, "name", where, {}, true);
      pd.type = r.ParamType(r.Text(p, "type", where, "text"), where + " (" + pd.name + ")");
      pd.caption = r.Text(p, "label", where);
      if (p.contains("default") && p.at("default").is_number_integer()) {
        pd.default_value = std::to_string(p.at("default").get<long long>());
      } else {
        pd.default_value = r.Text(p, "default", where);
      }
      if (pd.type == TnParamType::Date && pd.default_value.starts_with('@') &&
          !IsRelativeDate(pd.default_value)) {
        r.Fail(where + " (" + pd.name + ")",
               "data relativa desconhecida \"" + pd.default_value +
                   "\" (use @hoje, @inicioMes, @fimMes, @inicioMesAnterior, @fimMesAnterior, "
                   "@inicioAno, @fimAno, @inicioAnoAnterior ou @fimAnoAnterior)");
      }
      pd.input = r.Bool(p, "input", where, true);
      pd.required = r.Bool(p, "required", where, false);
      if (p.contains("choices")) {
        const json& choices = p.at("choices");
        if (!choices.is_array() || choices.empty())
          r.Fail(where, "\"choices\" deve ser uma lista não vazia");
        for (const json& c : choices) {
          ParamChoice choice;
          choice.value = c.is_object() && c.contains("value") && c.at("value").is_number_integer()
                             ? std::to_string(c.at("value").get<long long>())
                             : r.Text(c, "value", where + " (" + pd.name + ")", {}, true);
          choice.text = r.Text(c, "text", where + " (" + pd.name + ")", {}, true);
          pd.choices.push_back(std::move(choice));
        }
      } else if (pd.type == TnParamType::Flag) {
        pd.choices = {{"0", "Não"}, {"1", "Sim"}};
      }
      pd.lookup = r.Text(p, "lookup", where);
      if (!pd.lookup.empty() && pd.lookup != "empresas" && pd.lookup != "estabelecimentos") {
        r.Fail(where, "\"lookup\" deve ser \"empresas\" ou \"estabelecimentos\"");
      }
      if (!param_names.insert(AnsiUpperCase(pd.name)).second) {
        r.Fail(where, "parâmetro \"" + pd.name + "\" declarado duas vezes");
      }
      def->params.push_back(std::move(pd));
    }
  }

  const json& sections = r.Member(doc, "sections", "raiz");
  if (!sections.is_array()) r.Fail("sections", "deve ser uma lista");
  std::set<std::string> label_names;
  for (size_t i = 0; i < sections.size(); ++i) {
    const json& s = sections[i];
    std::string where = "sections[" + std::to_string(i) + "]";
    SectionDef sd;
    sd.number = r.Int(s, "number", where, 0, true);
    where = "seção " + std::to_string(sd.number);
    if (sd.number <= 0) r.Fail(where, "o número da seção deve ser positivo");
    sd.height = r.Int(s, "height", where, 0, true);
    if (sd.height < 0) r.Fail(where, "altura negativa");
    if (s.contains("labels")) {
      const json& labels = s.at("labels");
      if (!labels.is_array()) r.Fail(where, "\"labels\" deve ser uma lista");
      for (size_t k = 0; k < labels.size(); ++k) {
        const json& l = labels[k];
        std::string lw = where + ", labels[" + std::to_string(k) + "]";
        LabelDef ld;
        ld.name = r.Text(l, "name", lw, {}, true);
        lw = where + ", label " + ld.name;
        if (!label_names.insert(AnsiUpperCase(ld.name)).second) {
          r.Fail(lw, "nome de label repetido");
        }
        ld.left = r.Int(l, "left", lw, 0);
        ld.top = r.Int(l, "top", lw, 0);
        ld.width = r.Int(l, "width", lw, 100);
        ld.height = r.Int(l, "height", lw, 14);
        ld.align = r.Align(r.Text(l, "align", lw), lw);
        if (l.contains("font")) {
          const json& f = l.at("font");
          ld.font.size = r.Number(f, "size", lw + ".font", ld.font.size);
          ld.font.bold = r.Bool(f, "bold", lw + ".font", false);
          ld.font.italic = r.Bool(f, "italic", lw + ".font", false);
          ld.font.underline = r.Bool(f, "underline", lw + ".font", false);
          if (ld.font.size <= 0 || ld.font.size > 200) r.Fail(lw, "tamanho de fonte inválido");
        }
        ld.visible = r.Bool(l, "visible", lw, true);
        ld.auto_size = r.Bool(l, "autoSize", lw, true);
        ld.word_wrap = r.Bool(l, "wordWrap", lw, false);
        ld.stretch = r.Bool(l, "stretch", lw, false);
        if (ld.stretch && !ld.word_wrap) r.Fail(lw, "\"stretch\" só vale com \"wordWrap\"");
        ld.mask = r.Text(l, "mask", lw);
        ld.caption = r.Text(l, "text", lw);
        if (l.contains("param")) {
          ld.source = TnLabelSource::Parameter;
          ld.source_name = r.Text(l, "param", lw);
          if (!param_names.count(AnsiUpperCase(ld.source_name))) {
            r.Fail(lw, "ligado ao parâmetro \"" + ld.source_name + "\", que não foi declarado");
          }
          // "param" and "column" together: the parameter's text, then the column's.
          if (l.contains("column")) {
            ld.then_column = r.Text(l, "column", lw);
            if (ld.then_column.empty()) r.Fail(lw, "\"column\" vazio");
            if (def->sql.empty())
              r.Fail(lw, "ligado a uma coluna, mas o relatório não tem consulta");
          }
        } else if (l.contains("column")) {
          ld.source = TnLabelSource::Column;
          ld.source_name = r.Text(l, "column", lw);
          if (def->sql.empty()) r.Fail(lw, "ligado a uma coluna, mas o relatório não tem consulta");
        }
        sd.labels.push_back(std::move(ld));
      }
    }
    if (s.contains("lines")) {
      const json& lines = s.at("lines");
      if (!lines.is_array()) r.Fail(where, "\"lines\" deve ser uma lista");
      for (const json& ln : lines) {
        LineDef d;
        d.x1 = r.Int(ln, "x1", where + ", linha", 0);
        d.y1 = r.Int(ln, "y1", where + ", linha", 0);
        d.x2 = r.Int(ln, "x2", where + ", linha", d.x1);
        d.y2 = r.Int(ln, "y2", where + ", linha", d.y1);
        d.thickness = r.Number(ln, "thickness", where + ", linha", 1);
        sd.lines.push_back(d);
      }
    }
    def->sections.push_back(std::move(sd));
  }
  std::sort(def->sections.begin(), def->sections.end(),
            [](const SectionDef& a, const SectionDef& b) { return a.number < b.number; });
  for (size_t i = 1; i < def->sections.size(); ++i) {
    if (def->sections[i].number == def->sections[i - 1].number) {
      r.Fail("sections", "seção " + std::to_string(def->sections[i].number) + " repetida");
    }
  }
  if (!def->FindSection(1)) r.Fail("sections", "falta a seção 1 (cabeçalho da página)");
  def->footer = r.Int(doc, "footer", "raiz", 0);
  if (def->footer != 0 && !def->FindSection(def->footer)) {
    r.Fail("footer", "a seção de rodapé " + std::to_string(def->footer) + " não existe");
  }
  const double usable = def->page.LayoutHeight();
  for (const SectionDef& s : def->sections) {
    if (s.height > usable) {
      r.Fail("seção " + std::to_string(s.number), "mais alta que a área útil da página");
    }
  }

  CheckQueryTemplate(r, def->sql, param_names);

  def->text = DefaultTextGrid(def->page.width - def->page.margin_left - def->page.margin_right,
                              def->page.height - def->page.margin_top - def->page.margin_bottom);
  if (doc.contains("text")) {
    const json& text = doc.at("text");
    if (!text.is_object()) r.Fail("text", "deve ser um objeto com \"columns\" e \"lines\"");
    def->text.columns = r.Int(text, "columns", "text", def->text.columns);
    def->text.lines = r.Int(text, "lines", "text", def->text.lines);
    if (def->text.columns < 20 || def->text.columns > TextDevice::kMaxColumns) {
      r.Fail("text",
             "\"columns\" deve ficar entre 20 e " + std::to_string(TextDevice::kMaxColumns));
    }
    if (def->text.lines < 10 || def->text.lines > TextDevice::kMaxLines) {
      r.Fail("text", "\"lines\" deve ficar entre 10 e " + std::to_string(TextDevice::kMaxLines));
    }
  }

  if (doc.contains("functions")) {
    const json& fns = doc.at("functions");
    if (!fns.is_array()) r.Fail("functions", "deve ser uma lista");
    for (size_t i = 0; i < fns.size(); ++i) {
      const json& f = fns[i];
      std::string where = "functions[" + std::to_string(i) + "]";
      FunctionDef fd;
      fd.name = r.Text(f, "name", where, {}, true);
      where = "função " + fd.name;
      if (f.contains("text") && f.at("text").is_array()) {
        for (const json& piece : f.at("text")) {
          if (!piece.is_string()) r.Fail(where, "o texto deve ser uma lista de textos");
          fd.text += piece.get<std::string>();
        }
      } else {
        fd.text = r.Text(f, "text", where);
      }
      if (f.contains("query") && f.at("query").is_array()) {  // lines, for readability
        for (const json& line : f.at("query")) {
          if (!line.is_string()) r.Fail(where, "as linhas da consulta devem ser textos");
          fd.query += line.get<std::string>() + "\n";
        }
      } else {
        fd.query = r.Text(f, "query", where);
      }
      fd.separator = r.Text(f, "separator", where, "|");
      if (fd.text.empty() == fd.query.empty())
        r.Fail(where, "declare \"text\" ou \"query\" (um dos dois)");
      def->functions.push_back(std::move(fd));
    }
  }
  return def;
}

std::shared_ptr<const ReportDefinition> LoadReportDefinition(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Exception("Não foi possível ler a definição de relatório '" + path + "'");
  std::ostringstream text;
  text << in.rdbuf();
  return ParseReportDefinition(text.str(), path);
}

}  // namespace stock
