#include "datakit/FilterExpression.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "datakit/Column.h"
#include "datakit/DateText.h"
#include "rtl/Exception.h"

namespace stock {

namespace {

enum class Op { Eq, Ne, Lt, Le, Gt, Ge };

Op Flip(Op op) {
  switch (op) {
    case Op::Lt: return Op::Gt;
    case Op::Le: return Op::Ge;
    case Op::Gt: return Op::Lt;
    case Op::Ge: return Op::Le;
    default: return op;
  }
}

template <typename T>
bool Apply(Op op, const T& a, const T& b) {
  switch (op) {
    case Op::Eq: return a == b;
    case Op::Ne: return !(a == b);
    case Op::Lt: return a < b;
    case Op::Le: return !(b < a);
    case Op::Gt: return b < a;
    case Op::Ge: return !(a < b);
  }
  return false;
}

size_t Utf8Step(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) return 2;
  if ((c & 0xF0) == 0xE0) return 3;
  if ((c & 0xF8) == 0xF0) return 4;
  return 1;
}

// Reads a number written with "." or "," as decimal separator.
bool ParseNumberText(std::string_view text, double& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::string s(text);
  if (s.find('.') == std::string::npos) {
    for (char& c : s)
      if (c == ',') c = '.';
  }
  if (!s.empty() && s[0] == '+') s.erase(0, 1);
  auto r = std::from_chars(s.data(), s.data() + s.size(), value);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() && !s.empty();
}

}  // namespace

bool LikeMatch(std::string_view text, std::string_view pattern) {
  size_t t = 0, p = 0, star_p = std::string_view::npos, star_t = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '%') {
      star_p = ++p;
      star_t = t;
    } else if (p < pattern.size() && pattern[p] == '_') {
      t = std::min(text.size(), t + Utf8Step(static_cast<unsigned char>(text[t])));
      ++p;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++t;
      ++p;
    } else if (star_p != std::string_view::npos) {
      star_t = std::min(text.size(), star_t + Utf8Step(static_cast<unsigned char>(text[star_t])));
      t = star_t;
      p = star_p;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '%') ++p;
  return p == pattern.size();
}

struct FilterPredicate::Node {
  virtual ~Node() = default;
  virtual bool Eval(size_t row) const = 0;
};

namespace {

using Node = FilterPredicate::Node;
using NodePtr = std::unique_ptr<Node>;

struct ConstNode : Node {
  explicit ConstNode(bool v) : value(v) {}
  bool Eval(size_t) const override { return value; }
  bool value;
};

struct AndNode : Node {
  AndNode(NodePtr a, NodePtr b) : left(std::move(a)), right(std::move(b)) {}
  bool Eval(size_t row) const override { return left->Eval(row) && right->Eval(row); }
  NodePtr left, right;
};

struct OrNode : Node {
  OrNode(NodePtr a, NodePtr b) : left(std::move(a)), right(std::move(b)) {}
  bool Eval(size_t row) const override { return left->Eval(row) || right->Eval(row); }
  NodePtr left, right;
};

struct NotNode : Node {
  explicit NotNode(NodePtr a) : inner(std::move(a)) {}
  bool Eval(size_t row) const override { return !inner->Eval(row); }
  NodePtr inner;
};

struct IsNullNode : Node {
  IsNullNode(const Column* c, bool n) : col(c), negate(n) {}
  bool Eval(size_t row) const override { return col->IsNull(row) != negate; }
  const Column* col;
  bool negate;
};

struct BoolFieldNode : Node {
  explicit BoolFieldNode(const Column* c) : col(c) {}
  bool Eval(size_t row) const override { return !col->IsNull(row) && col->ints[row] != 0; }
  const Column* col;
};

struct IntConstNode : Node {
  IntConstNode(const Column* c, Op o, int64_t v) : col(c), op(o), value(v) {}
  bool Eval(size_t row) const override {
    return !col->IsNull(row) && Apply(op, col->ints[row], value);
  }
  const Column* col;
  Op op;
  int64_t value;
};

struct IntRealConstNode : Node {  // integer column against a non-integral number
  IntRealConstNode(const Column* c, Op o, double v) : col(c), op(o), value(v) {}
  bool Eval(size_t row) const override {
    return !col->IsNull(row) && Apply(op, static_cast<double>(col->ints[row]), value);
  }
  const Column* col;
  Op op;
  double value;
};

struct RealConstNode : Node {
  RealConstNode(const Column* c, Op o, double v) : col(c), op(o), value(v) {}
  bool Eval(size_t row) const override {
    return !col->IsNull(row) && Apply(op, col->reals[row], value);
  }
  const Column* col;
  Op op;
  double value;
};

struct TextConstNode : Node {
  TextConstNode(const Column* c, Op o, std::string v) : col(c), op(o), value(std::move(v)) {}
  bool Eval(size_t row) const override {
    return !col->IsNull(row) && Apply(op, col->Text(row), std::string_view(value));
  }
  const Column* col;
  Op op;
  std::string value;
};

double NumericCell(const Column* c, size_t row) {
  return c->storage == Storage::Integer ? static_cast<double>(c->ints[row]) : c->reals[row];
}

struct FieldFieldNode : Node {
  FieldFieldNode(const Column* a, Op o, const Column* b) : left(a), right(b), op(o) {}
  bool Eval(size_t row) const override {
    if (left->IsNull(row) || right->IsNull(row)) return false;
    if (left->storage == Storage::Text) return Apply(op, left->Text(row), right->Text(row));
    if (left->storage == Storage::Integer && right->storage == Storage::Integer)
      return Apply(op, left->ints[row], right->ints[row]);
    return Apply(op, NumericCell(left, row), NumericCell(right, row));
  }
  const Column* left;
  const Column* right;
  Op op;
};

struct LikeNode : Node {
  enum class Mode { Exact, Prefix, General };
  LikeNode(const Column* c, std::string p, bool n) : col(c), pattern(std::move(p)), negate(n) {
    size_t wild = pattern.find_first_of("%_");
    if (wild == std::string::npos) {
      mode = Mode::Exact;
    } else if (pattern.find('_') == std::string::npos &&
               pattern.find_first_not_of('%', wild) == std::string::npos) {
      mode = Mode::Prefix;
      prefix = pattern.substr(0, wild);
    } else {
      mode = Mode::General;
    }
  }
  bool Eval(size_t row) const override {
    if (col->IsNull(row)) return false;
    std::string_view text = col->Text(row);
    bool match;
    switch (mode) {
      case Mode::Exact: match = text == pattern; break;
      case Mode::Prefix: match = text.substr(0, prefix.size()) == prefix; break;
      default: match = LikeMatch(text, pattern); break;
    }
    return match != negate;
  }
  const Column* col;
  std::string pattern, prefix;
  bool negate;
  Mode mode = Mode::General;
};

// --- Lexer -----------------------------------------------------------------------------

enum class Tok { End, Ident, Text, Number, Symbol };

struct Token {
  Tok kind = Tok::End;
  std::string text;  // identifier, literal text or symbol
  size_t pos = 0;
};

struct Operand {
  enum Kind { Field, Text, Number, Null, Boolean } kind = Null;
  const Column* col = nullptr;
  std::string text;
  double number = 0;
  bool integral = false;
  int64_t integer = 0;
  bool boolean = false;
  std::string source;
};

bool IsIdentStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool IsIdentChar(unsigned char c) { return IsIdentStart(c) || (c >= '0' && c <= '9') || c == '.'; }

bool Keyword(const Token& t, const char* word) {
  if (t.kind != Tok::Ident) return false;
  size_t n = std::char_traits<char>::length(word);
  if (t.text.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = t.text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != word[i]) return false;
  }
  return true;
}

class Parser {
 public:
  Parser(const std::string& text, const FilterPredicate::ColumnLookup& lookup)
      : text_(text), lookup_(lookup) {
    Tokenize();
  }

  NodePtr Parse() {
    NodePtr node = Disjunction();
    if (Peek().kind != Tok::End) Fail("símbolo inesperado '" + Peek().text + "'");
    return node;
  }

 private:
  [[noreturn]] void Fail(const std::string& reason) const {
    throw Exception("Expressão de filtro inválida: " + text_ + ": " + reason);
  }

  void Tokenize() {
    size_t i = 0;
    const std::string& s = text_;
    while (true) {
      while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
      Token t;
      t.pos = i;
      if (i >= s.size()) {
        tokens_.push_back(t);
        return;
      }
      unsigned char c = static_cast<unsigned char>(s[i]);
      if (c == '\'') {
        t.kind = Tok::Text;
        ++i;
        while (true) {
          if (i >= s.size()) Fail("texto sem aspas de fechamento");
          if (s[i] == '\'') {
            if (i + 1 < s.size() && s[i + 1] == '\'') {
              t.text += '\'';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          t.text += s[i++];
        }
      } else if (c == '[') {
        size_t end = s.find(']', i);
        if (end == std::string::npos) Fail("nome de campo sem ']' de fechamento");
        t.kind = Tok::Ident;
        t.text = s.substr(i + 1, end - i - 1);
        t.pos = i + 1;  // marks a bracketed name: never a keyword
        bracketed_.push_back(tokens_.size());
        i = end + 1;
      } else if ((c >= '0' && c <= '9') ||
                 (c == '.' && i + 1 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '9')) {
        t.kind = Tok::Number;
        while (i < s.size() && ((s[i] >= '0' && s[i] <= '9') || s[i] == '.')) t.text += s[i++];
        if (i < s.size() && IsIdentStart(static_cast<unsigned char>(s[i])))
          Fail("número inválido '" + t.text + s[i] + "'");
      } else if (IsIdentStart(c)) {
        t.kind = Tok::Ident;
        while (i < s.size() && IsIdentChar(static_cast<unsigned char>(s[i]))) t.text += s[i++];
      } else {
        t.kind = Tok::Symbol;
        std::string two = s.substr(i, 2);
        if (two == "<>" || two == "<=" || two == ">=" || two == "!=") {
          t.text = two;
          i += 2;
        } else if (c == '=' || c == '<' || c == '>' || c == '(' || c == ')' || c == '-') {
          t.text = std::string(1, static_cast<char>(c));
          ++i;
        } else {
          Fail("caractere inesperado '" + std::string(1, static_cast<char>(c)) + "'");
        }
      }
      tokens_.push_back(std::move(t));
    }
  }

  const Token& Peek() const { return tokens_[pos_]; }
  Token Take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }
  bool IsBracketed(size_t index) const {
    for (size_t b : bracketed_)
      if (b == index) return true;
    return false;
  }
  bool PeekKeyword(const char* word) const { return !IsBracketed(pos_) && Keyword(Peek(), word); }
  bool PeekSymbol(const char* sym) const {
    return Peek().kind == Tok::Symbol && Peek().text == sym;
  }

  bool PeekComparison(Op& op) const {
    if (Peek().kind != Tok::Symbol) return false;
    static const struct {
      const char* text;
      Op op;
    } kOps[] = {{"=", Op::Eq},  {"<>", Op::Ne}, {"!=", Op::Ne}, {"<", Op::Lt},
                {"<=", Op::Le}, {">", Op::Gt},  {">=", Op::Ge}};
    for (const auto& candidate : kOps) {
      if (Peek().text == candidate.text) {
        op = candidate.op;
        return true;
      }
    }
    return false;
  }

  NodePtr Disjunction() {
    NodePtr left = Conjunction();
    while (PeekKeyword("or")) {
      Take();
      left = std::make_unique<OrNode>(std::move(left), Conjunction());
    }
    return left;
  }

  NodePtr Conjunction() {
    NodePtr left = Negation();
    while (PeekKeyword("and")) {
      Take();
      left = std::make_unique<AndNode>(std::move(left), Negation());
    }
    return left;
  }

  NodePtr Negation() {
    if (PeekKeyword("not")) {
      Take();
      return std::make_unique<NotNode>(Negation());
    }
    if (PeekSymbol("(")) {
      Take();
      NodePtr inner = Disjunction();
      if (!PeekSymbol(")"))
        Fail(Peek().kind == Tok::End ? "falta ')'"
                                     : "esperado ')' em vez de '" + Peek().text + "'");
      Take();
      return inner;
    }
    return Test();
  }

  Operand ParseOperand() {
    Operand o;
    bool bracketed = IsBracketed(pos_);
    Token t = Take();
    o.source = t.text;
    if (t.kind == Tok::End) Fail("fim inesperado da expressão");
    bool negative = false;
    if (t.kind == Tok::Symbol && t.text == "-" && Peek().kind == Tok::Number) {
      negative = true;
      t = Take();
      o.source = "-" + t.text;
    }
    if (t.kind == Tok::Number) {
      o.kind = Operand::Number;
      std::string digits = (negative ? "-" : "") + t.text;
      auto r = std::from_chars(digits.data(), digits.data() + digits.size(), o.number);
      if (r.ec != std::errc() || r.ptr != digits.data() + digits.size())
        Fail("número inválido '" + digits + "'");
      auto ri = std::from_chars(digits.data(), digits.data() + digits.size(), o.integer);
      o.integral = ri.ec == std::errc() && ri.ptr == digits.data() + digits.size();
      return o;
    }
    if (t.kind == Tok::Text) {
      o.kind = Operand::Text;
      o.text = t.text;
      return o;
    }
    if (t.kind == Tok::Ident) {
      if (!bracketed) {
        if (Keyword(t, "null")) return o;  // Null
        if (Keyword(t, "true") || Keyword(t, "false")) {
          if (lookup_(t.text) == nullptr) {
            o.kind = Operand::Boolean;
            o.boolean = Keyword(t, "true");
            return o;
          }
        }
        static const char* const kReserved[] = {"and", "or", "not", "like", "is"};
        for (const char* word : kReserved)
          if (Keyword(t, word)) Fail("esperado um campo ou valor em vez de '" + t.text + "'");
      }
      o.kind = Operand::Field;
      o.col = lookup_(t.text);
      if (o.col == nullptr) Fail("campo '" + t.text + "' não encontrado");
      return o;
    }
    Fail("símbolo inesperado '" + t.text + "'");
  }

  NodePtr Test() {
    Operand left = ParseOperand();
    if (PeekKeyword("is")) {
      Take();
      bool negate = false;
      if (PeekKeyword("not")) {
        Take();
        negate = true;
      }
      if (!PeekKeyword("null")) Fail("esperado 'null' depois de 'is'");
      Take();
      if (left.kind != Operand::Field)
        return std::make_unique<ConstNode>((left.kind == Operand::Null) != negate);
      return std::make_unique<IsNullNode>(left.col, negate);
    }
    bool not_like = false;
    if (PeekKeyword("not")) {
      Take();
      if (!PeekKeyword("like")) Fail("esperado 'like' depois de 'not'");
      not_like = true;
    }
    if (PeekKeyword("like")) {
      Take();
      Operand pattern = ParseOperand();
      if (pattern.kind != Operand::Text) Fail("'like' exige um texto entre aspas como padrão");
      if (left.kind == Operand::Text)
        return std::make_unique<ConstNode>(LikeMatch(left.text, pattern.text) != not_like);
      if (left.kind != Operand::Field || left.col->storage != Storage::Text)
        Fail("'like' só se aplica a campos de texto");
      return std::make_unique<LikeNode>(left.col, pattern.text, not_like);
    }
    Op op;
    if (PeekComparison(op)) {
      ++pos_;
      Operand right = ParseOperand();
      return Compare(std::move(left), op, std::move(right));
    }
    if (left.kind == Operand::Field && left.col->type == ftBoolean)
      return std::make_unique<BoolFieldNode>(left.col);
    if (left.kind == Operand::Boolean) return std::make_unique<ConstNode>(left.boolean);
    if (Peek().kind == Tok::End) Fail("condição incompleta depois de '" + left.source + "'");
    Fail("esperado um operador em vez de '" + Peek().text + "'");
  }

  NodePtr Compare(Operand left, Op op, Operand right) {
    if (left.kind != Operand::Field && right.kind == Operand::Field) {
      std::swap(left, right);
      op = Flip(op);
    }
    if (left.kind == Operand::Null || right.kind == Operand::Null)
      return std::make_unique<ConstNode>(false);
    if (left.kind != Operand::Field)
      return std::make_unique<ConstNode>(CompareLiterals(left, op, right));
    const Column* col = left.col;
    if (right.kind == Operand::Field) {
      bool lt = col->storage == Storage::Text, rt = right.col->storage == Storage::Text;
      if (lt != rt)
        Fail("tipos incompatíveis entre '" + left.source + "' e '" + right.source + "'");
      return std::make_unique<FieldFieldNode>(col, op, right.col);
    }
    switch (col->storage) {
      case Storage::Text:
        if (right.kind != Operand::Text)
          Fail("o campo texto '" + left.source +
               "' só pode ser comparado com um texto entre aspas");
        return std::make_unique<TextConstNode>(col, op, right.text);
      case Storage::Integer: {
        // An integer literal is compared as an integer: through a double, integers past 2^53
        // would lose their last digits and match their neighbours.
        if (right.kind == Operand::Number && right.integral) {
          return std::make_unique<IntConstNode>(col, op, right.integer);
        }
        double value = NumberFor(left, right);
        if (std::trunc(value) == value && std::fabs(value) < 9.2e18)
          return std::make_unique<IntConstNode>(col, op, static_cast<int64_t>(value));
        return std::make_unique<IntRealConstNode>(col, op, value);
      }
      case Storage::Real: return std::make_unique<RealConstNode>(col, op, NumberFor(left, right));
    }
    Fail("comparação inválida");
  }

  // The value of literal `right` for a comparison with numeric or date field `left`.
  double NumberFor(const Operand& left, const Operand& right) {
    const Column* col = left.col;
    if (right.kind == Operand::Boolean) {
      if (col->type != ftBoolean) Fail("valor lógico comparado com o campo '" + left.source + "'");
      return right.boolean ? 1 : 0;
    }
    if (right.kind == Operand::Number) {
      if (right.integral) return static_cast<double>(right.integer);
      return right.number;
    }
    double value;
    if (IsDateFieldType(col->type)) {
      if (!TryParseAnyDate(right.text, value))
        Fail("'" + right.text + "' não é uma data válida para o campo '" + left.source + "'");
      return value;
    }
    if (col->type == ftBoolean) {
      if (right.text == "True" || right.text == "true") return 1;
      if (right.text == "False" || right.text == "false") return 0;
    }
    if (!ParseNumberText(right.text, value))
      Fail("'" + right.text + "' não é um número válido para o campo '" + left.source + "'");
    return value;
  }

  bool CompareLiterals(const Operand& a, Op op, const Operand& b) {
    if (a.kind == Operand::Text && b.kind == Operand::Text) return Apply(op, a.text, b.text);
    if ((a.kind == Operand::Number || a.kind == Operand::Boolean) &&
        (b.kind == Operand::Number || b.kind == Operand::Boolean)) {
      double x = a.kind == Operand::Boolean ? a.boolean : a.number;
      double y = b.kind == Operand::Boolean ? b.boolean : b.number;
      return Apply(op, x, y);
    }
    Fail("tipos incompatíveis entre '" + a.source + "' e '" + b.source + "'");
  }

  const std::string& text_;
  const FilterPredicate::ColumnLookup& lookup_;
  std::vector<Token> tokens_;
  std::vector<size_t> bracketed_;
  size_t pos_ = 0;
};

}  // namespace

FilterPredicate::FilterPredicate(std::unique_ptr<Node> root) : root_(std::move(root)) {}
FilterPredicate::~FilterPredicate() = default;

std::unique_ptr<FilterPredicate> FilterPredicate::Compile(const std::string& text,
                                                          const ColumnLookup& lookup) {
  Parser parser(text, lookup);
  return std::unique_ptr<FilterPredicate>(new FilterPredicate(parser.Parse()));
}

bool FilterPredicate::Matches(size_t row) const { return root_->Eval(row); }

}  // namespace stock
