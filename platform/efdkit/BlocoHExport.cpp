#include "efdkit/BlocoHExport.h"

#include <array>
#include <set>
#include <vector>

#include "basekit/Conexao.h"
#include "basekit/SqlStatement.h"
#include "efdkit/EfdLayout.h"
#include "efdkit/EfdOutputFile.h"
#include "efdkit/EfdText.h"
#include "rtl/Exception.h"

namespace stock::efd {

namespace {

const char* const kLineKey =
    " L.CODIGOEMPRESA = :pEmpresa AND L.CODIGOESTAB = :pEstab AND L.DATAINVENT = :pData"
    " AND L.MOTIVOINVENTARIO = :pMotivo ";
const char* const kPortionJoin =
    " LEFT JOIN LCTOINVPROPRIEDADE D ON D.CODIGOEMPRESA = L.CODIGOEMPRESA"
    " AND D.CODIGOESTAB = L.CODIGOESTAB AND D.DATAINVENT = L.DATAINVENT"
    " AND D.CODIGOPRODUTO = L.CODIGOPRODUTO AND D.MOTIVOINVENTARIO = L.MOTIVOINVENTARIO ";

std::string IsoOf(int year, int month, int day) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

int DaysIn(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::string ShortDate(const std::string& iso) { return ShortFromEfdDate(EfdDate(iso)); }

// A query run through the connection's statement cache, read row by row.
class Query {
 public:
  Query(TnConexao& db, const std::string& sql, const Variant& params)
      : statement_(db.Preparar(sql)), run_(*statement_) {
    statement_->Bind(params);
  }
  bool Next() { return statement_->Step(); }
  Variant Value(int column) { return statement_->ColumnValue(column); }
  std::string Text(int column) { return statement_->ColumnValue(column).AsString(); }

 private:
  std::shared_ptr<SqlStatement> statement_;
  StatementRun run_;
};

// One record being written: its fields are appended in the layout's order and checked
// against it; End counts it and writes it out.
class RecordWriter {
 public:
  explicit RecordWriter(EfdOutputFile& file) : file_(file) { line_.reserve(512); }

  void Begin(std::string_view code, std::string who) {
    record_ = FindRecord(code);
    who_ = std::move(who);
    field_ = 1;
    line_.clear();
    line_.push_back('|');
    line_.append(record_->code.data(), record_->code.size());
    line_.push_back('|');
  }
  // A text from the database (UTF-8), converted and checked.
  RecordWriter& Text(std::string_view utf8) {
    const FieldDef& f = Next();
    const size_t start = line_.size();
    if (!AppendLatin1(line_, utf8)) {
      Fail(f, "tem caracteres que o ISO-8859-1 não representa, '|' ou caracteres de controle");
    }
    Check(f, std::string_view(line_).substr(start));
    line_.push_back('|');
    return *this;
  }
  // A value this program formats itself (numbers, dates, codes): appended as it is.
  RecordWriter& Raw(std::string_view value) {
    Next();
    line_.append(value.data(), value.size());
    line_.push_back('|');
    return *this;
  }
  RecordWriter& Decimal(int64_t scaled) {
    const FieldDef& f = Next();
    AppendDecimal(line_, scaled, f.decimals < 0 ? 0 : f.decimals);
    line_.push_back('|');
    return *this;
  }
  void End() {
    if (field_ != record_->fields.size()) {
      throw Exception("Registro " + std::string(record_->code) + " montado com " + std::to_string(field_) +
                      " campos em vez de " + std::to_string(record_->fields.size()) + ".");
    }
    line_.append("\r\n");
    file_.Write(line_);
    ++counts_[RecordOrder(record_->code)];
    ++total_;
  }

  [[noreturn]] void Fail(const FieldDef& f, const std::string& problem) const {
    throw Exception("Registro " + std::string(record_->code) + ", campo " + std::string(f.name) +
                    (who_.empty() ? "" : ", " + who_) + ": " + problem + ".");
  }
  const FieldDef& Current() const { return record_->fields[field_ - 1]; }

  int64_t Count(std::string_view code) const { return counts_[RecordOrder(code)]; }
  int64_t Total() const { return total_; }

 private:
  const FieldDef& Next() { return record_->fields[field_++]; }
  void Check(const FieldDef& f, std::string_view value) const {
    const std::string problem = CheckField(f, value);
    if (!problem.empty()) Fail(f, problem + " ('" + Latin1ToUtf8(value) + "')");
  }

  EfdOutputFile& file_;
  const RecordDef* record_ = nullptr;
  std::string who_;
  size_t field_ = 0;
  std::string line_;
  std::array<int64_t, 32> counts_{};
  int64_t total_ = 0;
};

std::string Digits(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c >= '0' && c <= '9') out.push_back(c);
  return out;
}

class Exporter {
 public:
  Exporter(TnConexao& db, const ExportRequest& r, EfdOutputFile& file)
      : db_(db), r_(r), w_(file),
        key_(VarArrayOf({Variant(r.company), Variant(r.estab), Variant::FromDate(StrDate(r.date)),
                         Variant(r.motive)})) {}

  ExportSummary Run(const std::string& period_start, const std::string& period_end) {
    summary_.period_start = period_start;
    summary_.period_end = period_end;
    summary_.version = std::string(LayoutVersionFor(period_start));
    {
      Query e(db_, "SELECT 1 FROM ESTAB WHERE CODIGOEMPRESA = :pEmpresa AND CODIGOESTAB = :pEstab",
              VarArrayOf({Variant(r_.company), Variant(r_.estab)}));
      if (!e.Next()) {
        throw Exception("O estabelecimento " + std::to_string(r_.estab) + " da empresa " +
                        std::to_string(r_.company) + " não existe.");
      }
    }
    CheckLines();
    Bloco0();
    BlocoH();
    Bloco9();
    return summary_;
  }

 private:
  static TDateTime StrDate(const std::string& iso) {
    return EncodeDate(std::stoi(iso.substr(0, 4)), std::stoi(iso.substr(5, 2)), std::stoi(iso.substr(8, 2)));
  }

  std::string Where() const {
    return "empresa " + std::to_string(r_.company) + ", estabelecimento " + std::to_string(r_.estab) +
           ", " + ShortDate(r_.date) + ", motivo " + std::to_string(r_.motive);
  }

  // Lines exist; each line's portions add up to its value.
  void CheckLines() {
    {
      Query q(db_, std::string("SELECT COUNT(*), SUM(L.VALORTOTAL) FROM LCTOINV L WHERE") + kLineKey, key_);
      q.Next();
      summary_.lines = q.Value(0).AsInteger();
      if (summary_.lines == 0) {
        throw Exception("Não há linhas de inventário para exportar (" + Where() + ").");
      }
      const auto total = Scaled(q.Value(1).AsFloat(), 2);
      if (!total) throw Exception("O valor total do inventário não é um valor em centavos (" + Where() + ").");
      summary_.total_cents = *total;
    }
    Query q(db_,
            std::string("SELECT L.CODIGOPRODUTO, L.VALORTOTAL, SUM(D.VALORTOTAL) FROM LCTOINV L") +
                " INNER JOIN LCTOINVPROPRIEDADE D ON D.CODIGOEMPRESA = L.CODIGOEMPRESA"
                " AND D.CODIGOESTAB = L.CODIGOESTAB AND D.DATAINVENT = L.DATAINVENT"
                " AND D.CODIGOPRODUTO = L.CODIGOPRODUTO AND D.MOTIVOINVENTARIO = L.MOTIVOINVENTARIO"
                " WHERE" + kLineKey + "GROUP BY L.CODIGOPRODUTO, L.VALORTOTAL"
                " HAVING ABS(L.VALORTOTAL - SUM(D.VALORTOTAL)) >= 0.005 ORDER BY L.CODIGOPRODUTO",
            key_);
    if (q.Next()) {
      throw Exception("As parcelas de propriedade da linha do produto " + q.Text(0) + " (" + Where() +
                      ") somam " + MoneyText(*Scaled(q.Value(2).AsFloat(), 2)) + ", e não o valor da linha, " +
                      MoneyText(*Scaled(q.Value(1).AsFloat(), 2)) +
                      ": corrija as parcelas (LCTOINVPROPRIEDADE) antes de exportar.");
    }
  }

  void Bloco0() {
    Query e(db_,
            "SELECT V.NOMEESTAB, V.TIPOINSCR, V.INSCRFEDERAL, V.INSCRESTAD, V.INSCRMUNIC, V.UF,"
            " E.CODIGOMUNIBGE, E.PERFILEFD, E.ATIVIDADEEFD, E.ENDERECO, E.NUMERO, E.COMPLEMENTO,"
            " E.BAIRRO, E.CEP, E.APELIDOESTAB, M.NOMEFANTASIA, M.EMAIL"
            " FROM ESTAB E INNER JOIN VESTABHISTORICOATUAL V ON V.CODIGOEMPRESA = E.CODIGOEMPRESA"
            " AND V.CODIGOESTAB = E.CODIGOESTAB"
            " INNER JOIN EMPRESA M ON M.CODIGOEMPRESA = E.CODIGOEMPRESA"
            " WHERE E.CODIGOEMPRESA = :pEmpresa AND E.CODIGOESTAB = :pEstab",
            VarArrayOf({Variant(r_.company), Variant(r_.estab)}));
    if (!e.Next()) {
      throw Exception("O estabelecimento " + std::to_string(r_.estab) + " da empresa " +
                      std::to_string(r_.company) + " não existe.");
    }
    const std::string entity = "estabelecimento " + std::to_string(r_.estab) + " da empresa " +
                               std::to_string(r_.company);
    industrial_ = e.Value(8).AsInteger() == 0;
    const bool cpf = e.Value(1).AsInteger() == 2;
    w_.Begin("0000", entity);
    w_.Raw(summary_.version).Raw("0").Raw(EfdDate(summary_.period_start)).Raw(EfdDate(summary_.period_end));
    w_.Text(e.Text(0)).Text(cpf ? "" : e.Text(2)).Text(cpf ? e.Text(2) : "").Text(e.Text(5));
    w_.Text(e.Text(3)).Text(e.Text(6)).Text(e.Text(4)).Text("").Text(e.Text(7)).Text(e.Text(8));
    w_.End();
    w_.Begin("0001", "");
    w_.Raw("0").End();

    std::string fantasia = e.Text(15).empty() ? e.Text(14) : e.Text(15);
    w_.Begin("0005", entity);
    w_.Text(fantasia).Text(e.Text(13)).Text(e.Text(9)).Text(e.Text(10)).Text(e.Text(11)).Text(e.Text(12));
    w_.Text("").Text("").Text(e.Text(16)).End();

    Query a(db_,
            "SELECT C.NOMECONTADOR, C.CPF, C.CRC, C.EMAIL FROM CFGEMPRESAGEM G"
            " INNER JOIN CONTADOR C ON C.CODIGOCONTADOR = G.CODIGOCONTADOR WHERE G.CODIGOEMPRESA = :pEmpresa",
            Variant(r_.company));
    if (!a.Next()) {
      throw Exception("Registro 0100, campo NOME, empresa " + std::to_string(r_.company) +
                      ": a empresa não tem contador (CFGEMPRESAGEM.CODIGOCONTADOR).");
    }
    w_.Begin("0100", "contador " + a.Text(0));
    w_.Text(a.Text(0)).Text(a.Text(1)).Text(a.Text(2));
    for (int i = 0; i < 9; ++i) w_.Text(i == 8 ? a.Text(3) : "");
    w_.Text("").End();

    Participants();
    Units();
    Items();
    w_.Begin("0990", "");
    w_.Raw(std::to_string(w_.Total() + 1)).End();
  }

  void Participants() {
    Query p(db_,
            std::string("SELECT T.CODIGOTERCEIRO, T.NOMETERCEIRO, T.TIPOINSCR, T.INSCRFEDERAL,") +
                " T.INSCRESTAD, T.CODIGOMUNIBGE, T.ENDERECO FROM TERCEIRO T"
                " WHERE T.CODIGOEMPRESA = :pEmpresa AND T.CODIGOTERCEIRO IN (SELECT"
                " CASE WHEN D.SEQPROPRIEDADE IS NULL THEN L.CODIGOTERCEIRO ELSE D.CODIGOTERCEIRO END"
                " FROM LCTOINV L" + kPortionJoin + "WHERE" + kLineKey +
                "AND COALESCE(D.INDICADORPROPRIEDADE, L.INDICADORPROPRIEDADE) <> 0)"
                " ORDER BY T.CODIGOTERCEIRO",
            key_);
    while (p.Next()) {
      const std::string code = p.Text(0);
      const std::string who = "participante " + code + " (" + p.Text(1) + ")";
      const std::string id = Digits(p.Text(3));
      const bool cpf = p.Value(2).AsInteger() == 2;
      if (id.empty()) {
        throw Exception("Registro 0150, campo " + std::string(cpf ? "CPF" : "CNPJ") + ", " + who +
                        ": o terceiro não tem CNPJ nem CPF (TERCEIRO.INSCRFEDERAL).");
      }
      w_.Begin("0150", who);
      w_.Text(code).Text(p.Text(1)).Raw("01058").Text(cpf ? "" : id).Text(cpf ? id : "");
      w_.Text(p.Text(4)).Text(p.Text(5)).Text("").Text(p.Text(6)).Text("").Text("").Text("").End();
      participants_.insert(code);
    }
  }

  void Units() {
    Query u(db_,
            std::string("SELECT DISTINCT P.UNIDADEMEDIDA, U.DESCRUNIDADE FROM LCTOINV L") +
                " INNER JOIN PRODUTO P ON P.CODIGOEMPRESA = L.CODIGOEMPRESA AND P.CODIGOPRODUTO = L.CODIGOPRODUTO"
                " LEFT JOIN UNIDADE U ON U.UNIDADEMEDIDA = P.UNIDADEMEDIDA WHERE" + kLineKey +
                "ORDER BY P.UNIDADEMEDIDA",
            key_);
    while (u.Next()) {
      const std::string unit = u.Text(0);
      if (unit.empty()) continue;  // the item without a unit is named by its 0200
      const std::string who = "unidade " + unit;
      if (u.Value(1).IsNull() || u.Text(1).empty()) {
        throw Exception("Registro 0190, campo DESCR, " + who +
                        ": a unidade não tem descrição (tabela UNIDADE).");
      }
      w_.Begin("0190", who);
      w_.Text(unit);
      if (u.Text(1) == unit) w_.Fail(w_.Current(), "a descrição não pode ser igual à unidade");
      w_.Text(u.Text(1)).End();
    }
  }

  void Items() {
    Query i(db_,
            "SELECT P.CODIGOPRODUTO, P.DESCRPRODUTO, P.UNIDADEMEDIDA, P.CODIGONCM, P.TIPOITEM"
            " FROM PRODUTO P WHERE P.CODIGOEMPRESA = :pEmpresa AND EXISTS (SELECT 1 FROM LCTOINV L"
            " WHERE L.CODIGOEMPRESA = P.CODIGOEMPRESA AND L.CODIGOPRODUTO = P.CODIGOPRODUTO AND"
            " L.CODIGOESTAB = :pEstab AND L.DATAINVENT = :pData AND L.MOTIVOINVENTARIO = :pMotivo)"
            " ORDER BY P.CODIGOPRODUTO",
            key_);
    while (i.Next()) {
      const std::string code = i.Text(0);
      const std::string who = "item " + code + " (" + i.Text(1) + ")";
      const std::string unit = i.Text(2);
      if (unit.empty()) {
        throw Exception("Registro 0200, campo UNID_INV, " + who + ": o produto não tem unidade de medida.");
      }
      const int64_t type = i.Value(4).AsInteger();
      if (type < 0 || (type > 10 && type != 99)) {
        throw Exception("Registro 0200, campo TIPO_ITEM, " + who + ": tipo " + std::to_string(type) +
                        " não existe (0 a 10 ou 99).");
      }
      std::string ncm = Digits(i.Text(3));
      // Industrial establishments give the NCM of the goods they make, buy or keep for sale.
      if (ncm.empty() && industrial_ && type <= 6) {
        throw Exception("Registro 0200, campo COD_NCM, " + who +
                        ": o produto não tem NCM, obrigatório para mercadorias de estabelecimento industrial.");
      }
      char type_text[4];
      std::snprintf(type_text, sizeof type_text, "%02d", static_cast<int>(type));
      w_.Begin("0200", who);
      w_.Text(code).Text(i.Text(1)).Text("").Text("").Text(unit).Raw(type_text).Text(ncm).Text("");
      w_.Text(ncm.size() >= 2 ? ncm.substr(0, 2) : "").Text("").Text("").Text("").End();
    }
  }

  void BlocoH() {
    w_.Begin("H001", "");
    w_.Raw("0").End();
    w_.Begin("H005", "");
    char motive[4];
    std::snprintf(motive, sizeof motive, "%02d", r_.motive);
    w_.Raw(EfdDate(r_.date)).Decimal(summary_.total_cents).Raw(motive).End();

    const bool h020 = r_.motive >= 2 && r_.motive <= 5;
    Query q(db_,
            std::string("SELECT L.CODIGOPRODUTO, P.UNIDADEMEDIDA, COALESCE(D.QUANTIDADE, L.QTDEESTOQUE),") +
                " COALESCE(D.PRECOUNIT, L.PRECOUNIT), COALESCE(D.VALORTOTAL, L.VALORTOTAL),"
                " COALESCE(D.INDICADORPROPRIEDADE, L.INDICADORPROPRIEDADE),"
                " CASE WHEN D.SEQPROPRIEDADE IS NULL THEN L.CODIGOTERCEIRO ELSE D.CODIGOTERCEIRO END,"
                " CASE WHEN D.SEQPROPRIEDADE IS NULL THEN L.CONTACTB ELSE D.CONTACTB END,"
                " L.VALORTOTAL, L.CSTICMS, L.BASEICMS, L.VALORICMS, P.DESCRPRODUTO"
                " FROM LCTOINV L INNER JOIN PRODUTO P ON P.CODIGOEMPRESA = L.CODIGOEMPRESA"
                " AND P.CODIGOPRODUTO = L.CODIGOPRODUTO" + kPortionJoin + "WHERE" + kLineKey +
                "ORDER BY L.CODIGOPRODUTO, D.SEQPROPRIEDADE",
            key_);
    int64_t sum = 0;
    std::string previous;
    int64_t line_cents = 0, done_cents = 0, base_done = 0, icms_done = 0;
    while (q.Next()) {
      const std::string code = q.Text(0);
      auto who = [&] { return "item " + code + " (" + q.Text(12) + ")"; };
      auto value = [&](int column, int decimals, const char* field) {
        const auto v = Scaled(q.Value(column).AsFloat(), decimals);
        if (!v) {
          throw Exception("Registro H010, campo " + std::string(field) + ", " + who() + ": o valor " +
                          q.Text(column) + " é negativo ou tem mais de " + std::to_string(decimals) +
                          " casas decimais.");
        }
        return *v;
      };
      if (code != previous) {
        previous = code;
        line_cents = value(8, 2, "VL_ITEM");
        done_cents = base_done = icms_done = 0;
      }
      const int64_t cents = value(4, 2, "VL_ITEM");
      sum += cents;
      const int64_t indicator = q.Value(5).AsInteger();
      std::string party;
      if (indicator != 0) {
        party = q.Text(6);
        if (participants_.count(party) == 0) {
          throw Exception("Registro H010, campo COD_PART, " + who() + ": o terceiro " +
                          (party.empty() ? std::string("não foi informado") : party + " não está cadastrado") +
                          " (indicador de propriedade " + std::to_string(indicator) + ").");
        }
      }
      w_.Begin("H010", "");
      w_.Raw(code).Raw(q.Text(1)).Decimal(value(2, 3, "QTD")).Decimal(value(3, 6, "VL_UNIT"));
      w_.Decimal(cents).Raw(std::to_string(indicator)).Raw(party).Raw("").Raw(q.Text(7)).Raw("").End();
      ++summary_.h010;
      if (h020) {
        // The line's ICMS base and tax shared among its portions by value, the last portion
        // taking what is left.
        done_cents += cents;
        const int64_t base = value(10, 2, "BC_ICMS"), icms = value(11, 2, "VL_ICMS");
        const auto share = [&](int64_t whole, int64_t& done) {
          const int64_t upto = line_cents == 0 ? whole
                                               : static_cast<int64_t>(static_cast<__int128>(whole) * done_cents / line_cents);
          const int64_t part = upto - done;
          done = upto;
          return part;
        };
        std::string cst = Digits(q.Text(9));
        if (cst.size() != 3) {
          throw Exception("Registro H020, campo CST_ICMS, " + who() + ": a linha não tem a situação "
                          "tributária do ICMS com 3 dígitos (LCTOINV.CSTICMS).");
        }
        w_.Begin("H020", "");
        w_.Raw(cst).Decimal(share(base, base_done)).Decimal(share(icms, icms_done)).End();
      }
    }
    if (sum != summary_.total_cents) {
      throw Exception("Os valores do inventário mudaram durante a exportação (" + Where() + "); exporte de novo.");
    }
    w_.Begin("H990", "");
    w_.Raw(std::to_string(w_.Count("H001") + w_.Count("H005") + w_.Count("H010") + w_.Count("H020") + 1)).End();
  }

  void Bloco9() {
    w_.Begin("9001", "");
    w_.Raw("0").End();
    std::vector<std::string_view> present;
    for (const RecordDef& r : Records())
      if (w_.Count(r.code) > 0 || r.code == "9900" || r.code == "9990" || r.code == "9999") present.push_back(r.code);
    for (std::string_view code : present) {
      int64_t n = w_.Count(code);
      if (code == "9900") n = static_cast<int64_t>(present.size());
      if (code == "9990" || code == "9999") n = 1;
      w_.Begin("9900", "");
      w_.Raw(code).Raw(std::to_string(n)).End();
    }
    w_.Begin("9990", "");
    w_.Raw(std::to_string(w_.Count("9001") + w_.Count("9900") + 2)).End();
    w_.Begin("9999", "");
    w_.Raw(std::to_string(w_.Total() + 1)).End();
    summary_.file_lines = w_.Total();
  }

  TnConexao& db_;
  const ExportRequest& r_;
  RecordWriter w_;
  Variant key_;
  ExportSummary summary_;
  bool industrial_ = false;
  std::set<std::string> participants_;
};

}  // namespace

void DefaultPeriod(const std::string& date, int motive, int& year, int& month) {
  year = std::stoi(date.substr(0, 4));
  month = std::stoi(date.substr(5, 2));
  if (motive == 1) {
    month += 2;
    if (month > 12) {
      month -= 12;
      ++year;
    }
  }
}

ExportSummary ExportBlocoH(TnConexao& db, const ExportRequest& request) {
  if (request.motive < 1 || request.motive > 5) {
    throw Exception("Motivo do inventário " + std::to_string(request.motive) + " inválido (1 a 5).");
  }
  int year = request.period_year, month = request.period_month;
  if (year == 0) DefaultPeriod(request.date, request.motive, year, month);
  if (month < 1 || month > 12 || year < 1900) {
    throw Exception("Período da EFD inválido: " + std::to_string(month) + "/" + std::to_string(year) + ".");
  }
  const std::string start = IsoOf(year, month, 1), end = IsoOf(year, month, DaysIn(year, month));
  if (end < request.date) {
    throw Exception("O período da EFD (" + ShortDate(start).substr(3) + ") termina antes da data do inventário (" +
                    ShortDate(request.date) + ").");
  }
  EfdOutputFile file(request.out);
  Exporter exporter(db, request, file);
  ExportSummary summary = exporter.Run(start, end);
  file.Commit();
  return summary;
}

}  // namespace stock::efd
