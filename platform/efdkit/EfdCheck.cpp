#include "efdkit/EfdCheck.h"

#include <array>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "basekit/Conexao.h"
#include "basekit/SqlStatement.h"
#include "efdkit/EfdLayout.h"
#include "efdkit/EfdQuery.h"
#include "efdkit/EfdText.h"
#include "rtl/DateTime.h"
#include "rtl/Exception.h"

namespace stock::efd {

namespace {

constexpr size_t kMaxProblems = 100;
constexpr std::string_view kBlocks = "0BCDEGHK19";

// True when `bytes` hold UTF-8 multi-byte sequences and nothing that is not UTF-8: such a
// file was written as UTF-8, not ISO-8859-1.
bool LooksUtf8(std::string_view bytes) {
  bool multibyte = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) continue;
    const size_t extra = (c & 0xE0) == 0xC0   ? 1
                         : (c & 0xF0) == 0xE0 ? 2
                         : (c & 0xF8) == 0xF0 ? 3
                                              : 0;
    if (extra == 0 || c < 0xC2 || i + extra >= bytes.size()) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    i += extra;
    multibyte = true;
  }
  return multibyte;
}

std::string Printable(std::string_view latin1, size_t limit = 40) {
  std::string text = Latin1ToUtf8(latin1.substr(0, limit));
  if (latin1.size() > limit) text += "...";
  return text;
}

class Checker {
 public:
  explicit Checker(FileCheck& out) : out_(out) {}

  void Run(std::string_view bytes) {
    if (bytes.empty()) {
      Problem("O arquivo está vazio: não é um arquivo da EFD ICMS/IPI.");
      return;
    }
    if (LooksUtf8(bytes)) {
      Problem("O arquivo está codificado em UTF-8; a EFD ICMS/IPI é gravada em ISO-8859-1.");
      return;
    }
    for (unsigned char c : bytes) {
      if (c == 0 || (c < 0x20 && c != '\r' && c != '\n' && c != '\t') || (c >= 0x7F && c < 0xA0)) {
        Problem("O arquivo não é texto ISO-8859-1 (tem o byte " + std::to_string(c) +
                "): não é um arquivo da EFD ICMS/IPI.");
        return;
      }
    }
    size_t pos = 0;
    int64_t number = 0;
    bool lf_only = false;
    while (pos < bytes.size()) {
      size_t end = bytes.find('\n', pos);
      std::string_view line =
          bytes.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
      pos = end == std::string_view::npos ? bytes.size() : end + 1;
      ++number;
      if (end == std::string_view::npos) {
        // Bytes after the last line break: a last line without its CR LF.
        Problem("Linha " + std::to_string(number) + ": a última linha não termina com CR LF.");
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      } else if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
      } else if (!lf_only) {
        lf_only = true;
        Problem("Linha " + std::to_string(number) +
                ": termina sem CR LF (a EFD usa CR LF no fim de cada linha).");
      }
      Line(number, line);
      if (number == 1 && current_ != "0000") {
        Problem("O arquivo não começa pelo registro 0000: não é um arquivo da EFD ICMS/IPI.");
        return;
      }
    }
    out_.lines = number;
    Finish();
  }

 private:
  void Problem(std::string text) {
    if (out_.problems.size() < kMaxProblems)
      out_.problems.push_back(std::move(text));
    else
      ++out_.problems_left_out;
  }

  void Line(int64_t number, std::string_view line) {
    const std::string at = "Linha " + std::to_string(number);
    current_.clear();
    if (line.size() < 2 || line.front() != '|' || line.back() != '|') {
      Problem(at + ": não está entre '|' ('" + Printable(line) + "').");
      return;
    }
    fields_.clear();
    size_t start = 1;
    while (start < line.size()) {
      const size_t bar = line.find('|', start);
      fields_.push_back(line.substr(start, bar - start));
      start = bar + 1;
    }
    const std::string_view reg = fields_[0];
    current_ = std::string(reg);
    if (ended_) {
      Problem(at + ": registro " + Printable(reg) + " depois do 9999.");
      return;
    }
    if (reg.size() != 4) {
      Problem(at + ": '" + Printable(reg) + "' não é um código de registro.");
      return;
    }
    ++counts_[current_];
    const size_t block = kBlocks.find(reg[0]);
    if (block == std::string_view::npos) {
      Problem(at + ": registro " + Printable(reg) + " de um bloco que a EFD ICMS/IPI não tem.");
      return;
    }
    if (block < block_) {
      Problem(at + ": registro " + Printable(reg) +
              " fora da ordem dos blocos (0, B, C, D, E, G, H, K, 1, 9).");
    } else if (block > block_) {
      block_ = block;
      block_lines_ = 0;
      levels_.fill({});
    }
    ++block_lines_;
    if (reg == "9999") ended_ = true;
    const RecordDef* def = FindRecord(reg);
    if (def == nullptr) return;  // a record of the layout this program does not read: counted only
    Hierarchy(at, *def);
    if (fields_.size() != def->fields.size()) {
      Problem(at + ", registro " + current_ + ": " + std::to_string(fields_.size()) +
              " campos em vez de " + std::to_string(def->fields.size()) + ".");
      return;
    }
    bool fields_ok = true;
    for (size_t i = 1; i < fields_.size(); ++i) {
      const std::string problem = CheckField(def->fields[i], fields_[i]);
      if (!problem.empty()) {
        fields_ok = false;
        Problem(at + ", registro " + current_ + ", campo " + std::string(def->fields[i].name) +
                ": " + problem + " ('" + Printable(fields_[i]) + "').");
      }
    }
    if (fields_ok) Record(at, reg);
  }

  // The record hangs from the last record of the level above, and comes after its siblings.
  void Hierarchy(const std::string& at, const RecordDef& def) {
    if (def.level == 0) {
      if (def.code == "0000" && seen_0000_) Problem(at + ": um segundo registro 0000.");
      seen_0000_ = true;
      return;
    }
    const std::string& parent = levels_[def.level - 1];
    const std::string parent_code = def.level == 1 ? std::string("0000") : parent;
    if ((def.level == 1 && !seen_0000_) || (def.level > 1 && parent != def.parent)) {
      Problem(at + ": registro " + std::string(def.code) +
              " fora do lugar (deve vir sob o registro " + std::string(def.parent) + ").");
    } else if (!levels_[def.level].empty()) {
      const std::string& sibling = levels_[def.level];
      if (RecordOrder(sibling) > RecordOrder(def.code)) {
        Problem(at + ": registro " + std::string(def.code) + " depois do " + sibling +
                " (fora da ordem).");
      } else if (sibling == def.code && def.occurrence == Occurrence::One) {
        Problem(at + ": um segundo registro " + std::string(def.code) + " sob o mesmo " +
                parent_code + ".");
      }
    }
    levels_[def.level] = std::string(def.code);
    for (size_t l = def.level + 1; l < levels_.size(); ++l) levels_[l].clear();
  }

  void Record(const std::string& at, std::string_view reg) {
    if (reg == "0000") {
      out_.cnpj = fields_[6];
      out_.cpf = fields_[7];
      out_.ie = fields_[9];
    } else if (reg == "0150") {
      if (!participants_.insert(std::string(fields_[1])).second)
        Problem(at + ": participante " + Printable(fields_[1]) + " repetido no 0150.");
    } else if (reg == "0190") {
      if (!units_.insert(std::string(fields_[1])).second)
        Problem(at + ": unidade " + Printable(fields_[1]) + " repetida no 0190.");
    } else if (reg == "0200") {
      if (!items_.insert(std::string(fields_[1])).second)
        Problem(at + ": item " + Printable(fields_[1]) + " repetido no 0200.");
      if (!fields_[5].empty())
        Known(units_, fields_[5], at, "0200, campo UNID_INV", "", "a unidade", "0190");
    } else if (reg == "0990") {
      Total(at, "QTD_LIN_0", fields_[1], block_lines_);
    } else if (reg == "H005") {
      FileInventory inv;
      inv.date = IsoFromEfdDate(fields_[1]);
      inv.declared = ParseDecimal(fields_[2], 2).value_or(0);
      inv.motive = std::atoi(std::string(fields_[3]).c_str());
      if (inv.motive < 1 || inv.motive > 6)
        Problem(at + ", registro H005, campo MOT_INV: motivo " + Printable(fields_[3]) +
                " não existe (01 a 06).");
      out_.inventories.push_back(std::move(inv));
      h005_at_.push_back(at);
    } else if (reg == "H010" && !out_.inventories.empty()) {
      H010(at);
    } else if (reg == "H990") {
      Total(at, "QTD_LIN_H", fields_[1], block_lines_);
    } else if (reg == "9900") {
      declared_.emplace_back(at, std::string(fields_[1]), std::string(fields_[2]));
    } else if (reg == "9990") {
      Total(at, "QTD_LIN_9", fields_[1], block_lines_ + 1);  // and the 9999 that closes it
    } else if (reg == "9999") {
      quantity_9999_ = std::string(fields_[1]);
      at_9999_ = at;
    }
  }

  void H010(const std::string& at) {
    FileInventory& inv = out_.inventories.back();
    const std::string item(fields_[1]);
    const int64_t value = ParseDecimal(fields_[5], 2).value_or(0);
    const std::string_view ind = fields_[6];
    int indicator = -1;
    if (ind == "0" || ind == "1" || ind == "2")
      indicator = ind[0] - '0';
    else
      Problem(at + ", registro H010, campo IND_PROP: '" + Printable(ind) + "' não é 0, 1 nem 2.");
    if (indicator > 0 && fields_[7].empty()) {
      Problem(at + ", registro H010, campo COD_PART, item " + Printable(item) +
              ": obrigatório com o indicador " + std::string(ind) + ".");
    }
    // Bloco 0 comes before Bloco H: what an H010 names is already known, or missing.
    if (!fields_[7].empty())
      Known(participants_, fields_[7], at, "H010, campo COD_PART", item, "o participante", "0150");
    Known(items_, item, at, "H010, campo COD_ITEM", "", "o item", "0200");
    Known(units_, fields_[2], at, "H010, campo UNID", item, "a unidade", "0190");
    inv.items_total += value;
    inv.by_indicator[indicator] += value;
    inv.by_item[{item, indicator}] += value;
  }

  // Names `code` when the record that declares it (`record`) has not: "<at>, registro <field>,
  // item <item>: <what> <code> não está no registro <record>."
  void Known(const std::unordered_set<std::string>& known, std::string_view code,
             const std::string& at, const char* field, std::string_view item, const char* what,
             const char* record) {
    if (known.count(std::string(code)) != 0) return;
    Problem(at + ", registro " + field + (item.empty() ? "" : ", item " + Printable(item)) + ": " +
            what + " " + Printable(code) + " não está no registro " + record + ".");
  }

  void Total(const std::string& at, const char* field, std::string_view text, int64_t actual) {
    if (text != std::to_string(actual)) {
      Problem(at + ", campo " + field + ": o arquivo diz " + Printable(text) + ", o bloco tem " +
              std::to_string(actual) + " linhas.");
    }
  }

  void Finish() {
    if (!ended_)
      Problem("O arquivo não termina com o registro 9999.");
    else if (quantity_9999_ != std::to_string(out_.lines)) {
      Problem(at_9999_ + ", campo QTD_LIN: o arquivo diz " + Printable(quantity_9999_) +
              ", ele tem " + std::to_string(out_.lines) + " linhas.");
    }
    for (size_t i = 0; i < out_.inventories.size(); ++i) {
      const FileInventory& inv = out_.inventories[i];
      if (inv.declared != inv.items_total) {
        Problem(h005_at_[i] + ", registro H005, campo VL_INV: " + MoneyText(inv.declared) +
                ", e a soma dos seus H010 é " + MoneyText(inv.items_total) + ".");
      }
    }
    std::unordered_set<std::string> declared_codes;
    for (const auto& [at, code, text] : declared_) {
      declared_codes.insert(code);
      const auto found = counts_.find(code);
      const int64_t actual = found == counts_.end() ? 0 : found->second;
      if (text != std::to_string(actual)) {
        Problem(at + ", registro 9900 de " + Printable(code) +
                ", campo QTD_REG_BLC: o arquivo diz " + Printable(text) + ", há " +
                std::to_string(actual) + " registros " + Printable(code) + ".");
      }
    }
    for (const auto& [code, count] : counts_) {
      if (code.size() == 4 && declared_codes.count(code) == 0) {
        Problem("Falta o registro 9900 do registro " + Printable(code) + " (" +
                std::to_string(count) + " no arquivo).");
      }
    }
  }

  FileCheck& out_;
  std::vector<std::string_view> fields_;
  std::string current_;
  bool ended_ = false, seen_0000_ = false;
  size_t block_ = 0;
  int64_t block_lines_ = 0;
  std::array<std::string, 6> levels_;
  std::map<std::string, int64_t> counts_;
  std::unordered_set<std::string> participants_, units_, items_;
  std::vector<std::tuple<std::string, std::string, std::string>> declared_;
  std::vector<std::string> h005_at_;
  std::string quantity_9999_, at_9999_;
};

int64_t Cents(const Variant& v) { return Scaled(v.AsFloat(), 2).value_or(-1); }

std::string Short(const std::string& iso) { return ShortFromEfdDate(EfdDate(iso)); }

}  // namespace

FileCheck CheckFile(std::string_view bytes) {
  FileCheck out;
  Checker(out).Run(bytes);
  return out;
}

std::vector<std::string> Reconcile(TnConexao& db, const FileCheck& file, int company, int estab) {
  if (company == 0 || estab == 0) {
    const std::string id = !file.cnpj.empty() ? file.cnpj : file.cpf;
    if (id.empty())
      throw Exception(
          "O registro 0000 do arquivo não tem CNPJ nem CPF: informe -p pCodigoEmpresa e -p "
          "pCodigoEstab.");
    EfdQuery q(db,
               "SELECT CODIGOEMPRESA, CODIGOESTAB, INSCRESTAD FROM VESTABHISTORICOATUAL WHERE "
               "INSCRFEDERAL = :pInscr"
               " ORDER BY CODIGOEMPRESA, CODIGOESTAB",
               Variant(id));
    int found = 0;
    while (q.Next()) {
      if (found == 0 || q.Value(2).AsString() == file.ie) {
        company = static_cast<int>(q.Value(0).AsInteger());
        estab = static_cast<int>(q.Value(1).AsInteger());
      }
      ++found;
    }
    if (found == 0)
      throw Exception("Nenhum estabelecimento do banco tem o CNPJ/CPF " + id +
                      " do registro 0000 do arquivo.");
  }
  std::vector<std::string> differences;
  const std::string where =
      " L.CODIGOEMPRESA = :pEmpresa AND L.CODIGOESTAB = :pEstab AND L.DATAINVENT = :pData"
      " AND L.MOTIVOINVENTARIO = :pMotivo ";
  for (const FileInventory& inv : file.inventories) {
    TDateTime date;
    if (inv.date.size() != 10 || !TryEncodeDate(std::atoi(inv.date.substr(0, 4).c_str()),
                                                std::atoi(inv.date.substr(5, 2).c_str()),
                                                std::atoi(inv.date.substr(8, 2).c_str()), date)) {
      continue;  // the structure check named the date
    }
    const Variant key = VarArrayOf(
        {Variant(company), Variant(estab), Variant::FromDate(date), Variant(inv.motive)});
    const std::string h005 =
        "H005 de " + Short(inv.date) + " (motivo " + std::to_string(inv.motive) + ")";
    {
      EfdQuery q(db, "SELECT COUNT(*), SUM(L.VALORTOTAL) FROM LCTOINV L WHERE" + where, key);
      q.Next();
      const int64_t book = q.Value(0).AsInteger() == 0 ? 0 : Cents(q.Value(1));
      if (book != inv.declared) {
        differences.push_back(h005 + ", campo VL_INV: arquivo " + MoneyText(inv.declared) +
                              ", livro " + MoneyText(book) +
                              " (todas as linhas da data, próprias e de terceiros).");
      }
    }
    // A line without portions counts whole under its own indicator.
    const std::string portions =
        " FROM LCTOINV L LEFT JOIN LCTOINVPROPRIEDADE D ON D.CODIGOEMPRESA = L.CODIGOEMPRESA"
        " AND D.CODIGOESTAB = L.CODIGOESTAB AND D.DATAINVENT = L.DATAINVENT"
        " AND D.CODIGOPRODUTO = L.CODIGOPRODUTO AND D.MOTIVOINVENTARIO = L.MOTIVOINVENTARIO WHERE" +
        where;
    std::map<int, int64_t> by_indicator;
    {
      EfdQuery q(db,
                 "SELECT COALESCE(D.INDICADORPROPRIEDADE, L.INDICADORPROPRIEDADE), "
                 "SUM(COALESCE(D.VALORTOTAL, L.VALORTOTAL))" +
                     portions + "GROUP BY COALESCE(D.INDICADORPROPRIEDADE, L.INDICADORPROPRIEDADE)",
                 key);
      while (q.Next()) by_indicator[static_cast<int>(q.Value(0).AsInteger())] = Cents(q.Value(1));
    }
    for (int indicator = 0; indicator <= 2; ++indicator) {
      const auto f = inv.by_indicator.find(indicator);
      const auto b = by_indicator.find(indicator);
      const int64_t in_file = f == inv.by_indicator.end() ? 0 : f->second;
      const int64_t in_book = b == by_indicator.end() ? 0 : b->second;
      if (in_file != in_book) {
        differences.push_back(h005 + ", H010 com IND_PROP " + std::to_string(indicator) +
                              ", campo VL_ITEM: arquivo " + MoneyText(in_file) + ", listagem " +
                              MoneyText(in_book) + ".");
      }
    }
    std::map<std::pair<std::string, int>, int64_t> book_items;
    {
      EfdQuery q(
          db,
          "SELECT L.CODIGOPRODUTO, COALESCE(D.INDICADORPROPRIEDADE, L.INDICADORPROPRIEDADE),"
          " SUM(COALESCE(D.VALORTOTAL, L.VALORTOTAL))" +
              portions +
              "GROUP BY L.CODIGOPRODUTO, COALESCE(D.INDICADORPROPRIEDADE, L.INDICADORPROPRIEDADE)",
          key);
      while (q.Next()) {
        book_items[{q.Value(0).AsString(), static_cast<int>(q.Value(1).AsInteger())}] =
            Cents(q.Value(2));
      }
    }
    size_t listed = 0, more = 0;
    auto note = [&](std::string text) {
      if (listed++ < 50)
        differences.push_back(std::move(text));
      else
        ++more;
    };
    for (const auto& [key_item, cents] : inv.by_item) {
      const auto b = book_items.find(key_item);
      const std::string who = h005 + ", H010 do item " + Latin1ToUtf8(key_item.first) +
                              " com IND_PROP " + std::to_string(key_item.second) +
                              ", campo VL_ITEM: arquivo " + MoneyText(cents);
      if (b == book_items.end())
        note(who + ", e o item não tem linha no livro nessa data.");
      else if (b->second != cents)
        note(who + ", livro " + MoneyText(b->second) + ".");
    }
    for (const auto& [key_item, cents] : book_items) {
      if (inv.by_item.count(key_item) == 0) {
        note(h005 + ", item " + key_item.first + " com IND_PROP " +
             std::to_string(key_item.second) + ": livro " + MoneyText(cents) +
             ", e o arquivo não tem H010 dele.");
      }
    }
    if (more > 0)
      differences.push_back("... e mais " + std::to_string(more) + " diferenças por item.");
  }
  return differences;
}

}  // namespace stock::efd
