#include "efdkit/BlocoHExport.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "basekit/Conexao.h"
#include "basekit/SqlStatement.h"
#include "efdkit/EfdLayout.h"
#include "efdkit/EfdOutputFile.h"
#include "efdkit/EfdQuery.h"
#include "efdkit/EfdText.h"
#include "efdkit/RecordWriter.h"
#include "rtl/DateTime.h"
#include "rtl/Exception.h"

namespace stock::efd {

namespace {

const char* const kLineKey =
    " L.CODIGOEMPRESA = :pEmpresa AND L.CODIGOESTAB = :pEstab AND L.DATAINVENT = :pData"
    " AND L.MOTIVOINVENTARIO = :pMotivo ";

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

std::string Digits(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c >= '0' && c <= '9') out.push_back(c);
  return out;
}

// Columns of H010Query.
enum H010Column {
  kItem,
  kUnit,
  kQuantity,
  kPrice,
  kValue,
  kIndicator,
  kParty,
  kAccount,
  kLineValue,
  kCst,
  kBase,
  kIcms,
  kDescription,
  kNcm,
  kItemType
};

class Exporter {
 public:
  Exporter(TnConexao& db, const ExportRequest& r, EfdOutputFile& file)
      : db_(db),
        r_(r),
        file_(file),
        key_(VarArrayOf({Variant(r.company), Variant(r.estab),
                         Variant::FromDate(EncodeDate(std::stoi(r.date.substr(0, 4)),
                                                      std::stoi(r.date.substr(5, 2)),
                                                      std::stoi(r.date.substr(8, 2)))),
                         Variant(r.motive)})) {}

  ExportSummary Run(const std::string& period_start, const std::string& period_end) {
    summary_.period_start = period_start;
    summary_.period_end = period_end;
    summary_.version = std::string(LayoutVersionFor(period_start));
    const std::vector<std::string> estab = Establishment();
    industrial_ = estab[8] == "0";
    // One pass over the lines writes the items (0200) and the inventory (H010, H020) aside,
    // and gathers what the records before them need: units, participants, the total.
    SpoolSink items, inventory;
    Lines(items, inventory);
    Opening(estab);
    Participants();
    Units();
    items.CopyTo(file_);
    w_.Begin("0990", file_);
    w_.Raw(std::to_string(w_.Count("0000") + w_.Count("0001") + w_.Count("0005") +
                          w_.Count("0100") + w_.Count("0150") + w_.Count("0190") +
                          w_.Count("0200") + 1))
        .End();
    w_.Begin("H001", file_);
    w_.Raw("0").End();
    w_.Begin("H005", file_);
    char motive[4];
    std::snprintf(motive, sizeof motive, "%02d", r_.motive);
    w_.Raw(EfdDate(r_.date)).Decimal(summary_.total_cents).Raw(motive).End();
    inventory.CopyTo(file_);
    w_.Begin("H990", file_);
    w_.Raw(std::to_string(w_.Count("H001") + w_.Count("H005") + w_.Count("H010") +
                          w_.Count("H020") + 1))
        .End();
    Bloco9();
    return summary_;
  }

 private:
  // The establishment's columns for 0000 and 0005, read at once: a server connection reads
  // one query at a time.
  std::vector<std::string> Establishment() {
    EfdQuery e(
        db_,
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
    std::vector<std::string> estab;
    for (int i = 0; i < 17; ++i) estab.push_back(e.Text(i));
    return estab;
  }

  std::string Where() const {
    return "empresa " + std::to_string(r_.company) + ", estabelecimento " +
           std::to_string(r_.estab) + ", " + ShortDate(r_.date) + ", motivo " +
           std::to_string(r_.motive);
  }

  void Lines(RecordSink& items, RecordSink& inventory) {
    const bool h020 = r_.motive >= 2 && r_.motive <= 5;
    EfdQuery q(db_, H010Query(), key_);
    std::string item, who;
    int64_t line_cents = 0, portions_cents = 0, base_done = 0, icms_done = 0;
    auto end_line = [&] {
      if (!item.empty() && portions_cents != line_cents) {
        throw Exception("As parcelas de propriedade da linha do " + who + " (" + Where() +
                        ") somam " + MoneyText(portions_cents) + ", e não o valor da linha, " +
                        MoneyText(line_cents) +
                        ": corrija as parcelas (LCTOINVPROPRIEDADE) antes de exportar.");
      }
    };
    auto value = [&](int column, int decimals, const char* record, const char* field) {
      const auto v = Scaled(q.Value(column).AsFloat(), decimals);
      if (!v) {
        throw Exception("Registro " + std::string(record) + ", campo " + field + ", " + who +
                        ": o valor " + q.Text(column) + " é negativo ou tem mais de " +
                        std::to_string(decimals) + " casas decimais.");
      }
      return *v;
    };
    while (q.Next()) {
      std::string code = q.Text(kItem);
      if (code != item) {
        end_line();
        item = std::move(code);
        who = "item " + item + " (" + q.Text(kDescription) + ")";
        Item(q.Text(kDescription), q.Text(kUnit), q.Text(kNcm), q.Value(kItemType).AsInteger(),
             items, item, who);
        line_cents = value(kLineValue, 2, "H010", "VL_ITEM");
        portions_cents = base_done = icms_done = 0;
        ++summary_.lines;
        summary_.total_cents += line_cents;
      }
      const int64_t cents = value(kValue, 2, "H010", "VL_ITEM");
      portions_cents += cents;
      const int64_t indicator = q.Value(kIndicator).AsInteger();
      std::string party;
      if (indicator != 0) {
        party = q.Text(kParty);
        if (party.empty()) {
          throw Exception("Registro H010, campo COD_PART, " + who +
                          ": falta o terceiro do indicador de propriedade " +
                          std::to_string(indicator) + ".");
        }
        parties_.emplace(party, who);
      }
      w_.Begin("H010", inventory, who);
      w_.Raw(item)
          .Raw(unit_)
          .Decimal(value(kQuantity, 3, "H010", "QTD"))
          .Decimal(value(kPrice, 6, "H010", "VL_UNIT"));
      w_.Decimal(cents)
          .Raw(std::to_string(indicator))
          .Raw(party)
          .Raw("")
          .Raw(q.Text(kAccount))
          .Raw("")
          .End();
      ++summary_.h010;
      if (h020) {
        // The line's ICMS base and tax shared among its portions by value, the last portion
        // taking what is left.
        const int64_t base = value(kBase, 2, "H020", "BC_ICMS"),
                      icms = value(kIcms, 2, "H020", "VL_ICMS");
        const auto share = [&](int64_t whole, int64_t& done) {
          const int64_t upto = line_cents == 0 || portions_cents >= line_cents
                                   ? whole
                                   : static_cast<int64_t>(static_cast<__int128>(whole) *
                                                          portions_cents / line_cents);
          const int64_t part = upto - done;
          done = upto;
          return part;
        };
        const std::string cst = Digits(q.Text(kCst));
        if (cst.size() != 3) {
          throw Exception(
              "Registro H020, campo CST_ICMS, " + who +
              ": a linha não tem a situação tributária do ICMS com 3 dígitos (LCTOINV.CSTICMS).");
        }
        w_.Begin("H020", inventory, who);
        w_.Raw(cst).Decimal(share(base, base_done)).Decimal(share(icms, icms_done)).End();
      }
    }
    end_line();
    if (summary_.lines == 0)
      throw Exception("Não há linhas de inventário para exportar (" + Where() + ").");
  }

  void Item(const std::string& description, const std::string& unit, const std::string& ncm_text,
            int64_t type, RecordSink& items, const std::string& code, const std::string& who) {
    if (unit.empty()) {
      throw Exception("Registro 0200, campo UNID_INV, " + who +
                      ": o produto não tem unidade de medida.");
    }
    if (type < 0 || (type > 10 && type != 99)) {
      throw Exception("Registro 0200, campo TIPO_ITEM, " + who + ": tipo " + std::to_string(type) +
                      " não existe (0 a 10 ou 99).");
    }
    const std::string ncm = Digits(ncm_text);
    // Industrial establishments give the NCM of the goods they make, buy or keep.
    if (ncm.empty() && industrial_ && type <= 6) {
      throw Exception(
          "Registro 0200, campo COD_NCM, " + who +
          ": o produto não tem NCM, obrigatório para mercadorias de estabelecimento industrial.");
    }
    char type_text[8];
    std::snprintf(type_text, sizeof type_text, "%02d", static_cast<int>(type));
    w_.Begin("0200", items, who);
    w_.Text(code).Text(description).Text("").Text("").Text(unit).Raw(type_text).Text(ncm).Text("");
    w_.Text(ncm.size() >= 2 ? ncm.substr(0, 2) : "").Text("").Text("").Text("").End();
    if (unit != unit_) {
      unit_ = unit;
      units_.emplace(unit, who);
    }
  }

  // `e`: the establishment's columns, as the query in Run reads them.
  void Opening(const std::vector<std::string>& e) {
    const std::string entity =
        "estabelecimento " + std::to_string(r_.estab) + " da empresa " + std::to_string(r_.company);
    const bool cpf = e[1] == "2";
    w_.Begin("0000", file_, entity);
    w_.Raw(summary_.version)
        .Raw("0")
        .Raw(EfdDate(summary_.period_start))
        .Raw(EfdDate(summary_.period_end));
    w_.Text(e[0]).Text(cpf ? "" : e[2]).Text(cpf ? e[2] : "").Text(e[5]);
    w_.Text(e[3]).Text(e[6]).Text(e[4]).Text("").Text(e[7]).Text(e[8]);
    w_.End();
    w_.Begin("0001", file_);
    w_.Raw("0").End();
    const std::string fantasia = e[15].empty() ? e[14] : e[15];
    w_.Begin("0005", file_, entity);
    w_.Text(fantasia).Text(e[13]).Text(e[9]).Text(e[10]).Text(e[11]).Text(e[12]);
    w_.Text("").Text("").Text(e[16]).End();

    EfdQuery a(db_,
               "SELECT C.NOMECONTADOR, C.CPF, C.CRC, C.EMAIL FROM CFGEMPRESAGEM G"
               " INNER JOIN CONTADOR C ON C.CODIGOCONTADOR = G.CODIGOCONTADOR WHERE "
               "G.CODIGOEMPRESA = :pEmpresa",
               Variant(r_.company));
    if (!a.Next()) {
      throw Exception("Registro 0100, campo NOME, empresa " + std::to_string(r_.company) +
                      ": a empresa não tem contador (CFGEMPRESAGEM.CODIGOCONTADOR).");
    }
    w_.Begin("0100", file_, "contador " + a.Text(0));
    w_.Text(a.Text(0)).Text(a.Text(1)).Text(a.Text(2));
    for (int i = 0; i < 9; ++i) w_.Text(i == 8 ? a.Text(3) : "");
    w_.Text("").End();
  }

  void Participants() {
    std::map<std::string, std::vector<std::string>> rows;  // the company's third parties by code
    EfdQuery p(db_,
               "SELECT T.CODIGOTERCEIRO, T.NOMETERCEIRO, T.TIPOINSCR, T.INSCRFEDERAL, T.INSCRESTAD,"
               " T.CODIGOMUNIBGE, T.ENDERECO FROM TERCEIRO T WHERE T.CODIGOEMPRESA = :pEmpresa",
               Variant(r_.company));
    while (p.Next()) {
      std::vector<std::string>& row = rows[p.Text(0)];
      for (int i = 0; i < 7; ++i) row.push_back(p.Text(i));
    }
    std::vector<std::pair<int64_t, std::string>> codes;  // in numeric order when numeric
    for (const auto& [code, who] : parties_) {
      const auto row = rows.find(code);
      if (row == rows.end()) {
        throw Exception("Registro H010, campo COD_PART, " + who + ": o terceiro " + code +
                        " não está cadastrado (TERCEIRO).");
      }
      codes.emplace_back(std::atoll(code.c_str()), code);
    }
    std::sort(codes.begin(), codes.end());
    for (const auto& [number, code] : codes) {
      const std::vector<std::string>& t = rows.at(code);
      const std::string who = "participante " + code + " (" + t[1] + ")";
      const std::string id = Digits(t[3]);
      const bool cpf = t[2] == "2";
      if (id.empty()) {
        throw Exception("Registro 0150, campo " + std::string(cpf ? "CPF" : "CNPJ") + ", " + who +
                        ": o terceiro não tem CNPJ nem CPF (TERCEIRO.INSCRFEDERAL).");
      }
      w_.Begin("0150", file_, who);
      w_.Text(code).Text(t[1]).Raw("01058").Text(cpf ? "" : id).Text(cpf ? id : "");
      w_.Text(t[4]).Text(t[5]).Text("").Text(t[6]).Text("").Text("").Text("").End();
    }
  }

  void Units() {
    std::map<std::string, std::string> descriptions;
    EfdQuery u(db_, "SELECT UNIDADEMEDIDA, DESCRUNIDADE FROM UNIDADE", Variant());
    while (u.Next()) descriptions[u.Text(0)] = u.Text(1);
    for (const auto& [unit, who] : units_) {
      const auto d = descriptions.find(unit);
      if (d == descriptions.end() || d->second.empty()) {
        throw Exception("Registro 0190, campo DESCR, unidade " + unit + " (do " + who +
                        "): a unidade não tem descrição (tabela UNIDADE).");
      }
      w_.Begin("0190", file_, "unidade " + unit);
      w_.Text(unit);
      if (d->second == unit) w_.FailLast("a descrição não pode ser igual à unidade");
      w_.Text(d->second).End();
    }
  }

  void Bloco9() {
    w_.Begin("9001", file_);
    w_.Raw("0").End();
    std::vector<std::string_view> present;
    for (const RecordDef& r : Records())
      if (w_.Count(r.code) > 0 || r.code == "9900" || r.code == "9990" || r.code == "9999")
        present.push_back(r.code);
    for (std::string_view code : present) {
      int64_t n = w_.Count(code);
      if (code == "9900") n = static_cast<int64_t>(present.size());
      if (code == "9990" || code == "9999") n = 1;
      w_.Begin("9900", file_);
      w_.Raw(code).Raw(std::to_string(n)).End();
    }
    w_.Begin("9990", file_);
    w_.Raw(std::to_string(w_.Count("9001") + w_.Count("9900") + 2)).End();
    w_.Begin("9999", file_);
    w_.Raw(std::to_string(w_.Total() + 1)).End();
    summary_.file_lines = w_.Total();
  }

  TnConexao& db_;
  const ExportRequest& r_;
  EfdOutputFile& file_;
  RecordWriter w_;
  Variant key_;
  ExportSummary summary_;
  bool industrial_ = false;
  std::string unit_;                            // the last item's unit
  std::map<std::string, std::string> units_;    // unit -> the first item that names it
  std::map<std::string, std::string> parties_;  // participant -> the first item that names it
};

}  // namespace

std::string H010Query() {
  return std::string(
             "SELECT L.CODIGOPRODUTO, P.UNIDADEMEDIDA, COALESCE(D.QUANTIDADE, L.QTDEESTOQUE),") +
         " COALESCE(D.PRECOUNIT, L.PRECOUNIT), COALESCE(D.VALORTOTAL, L.VALORTOTAL),"
         " COALESCE(D.INDICADORPROPRIEDADE, L.INDICADORPROPRIEDADE),"
         " CASE WHEN D.SEQPROPRIEDADE IS NULL THEN L.CODIGOTERCEIRO ELSE D.CODIGOTERCEIRO END,"
         " CASE WHEN D.SEQPROPRIEDADE IS NULL THEN L.CONTACTB ELSE D.CONTACTB END,"
         " L.VALORTOTAL, L.CSTICMS, L.BASEICMS, L.VALORICMS, P.DESCRPRODUTO, P.CODIGONCM, "
         "P.TIPOITEM"
         " FROM LCTOINV L INNER JOIN PRODUTO P ON P.CODIGOEMPRESA = L.CODIGOEMPRESA"
         " AND P.CODIGOPRODUTO = L.CODIGOPRODUTO"
         " LEFT JOIN LCTOINVPROPRIEDADE D ON D.CODIGOEMPRESA = L.CODIGOEMPRESA"
         " AND D.CODIGOESTAB = L.CODIGOESTAB AND D.DATAINVENT = L.DATAINVENT"
         " AND D.CODIGOPRODUTO = L.CODIGOPRODUTO AND D.MOTIVOINVENTARIO = L.MOTIVOINVENTARIO"
         " WHERE" +
         std::string(kLineKey) + "ORDER BY L.CODIGOPRODUTO, D.SEQPROPRIEDADE";
}

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
    throw Exception("Motivo do inventário " + std::to_string(request.motive) +
                    " inválido (1 a 5).");
  }
  int year = request.period_year, month = request.period_month;
  if (year == 0) DefaultPeriod(request.date, request.motive, year, month);
  if (month < 1 || month > 12 || year < 1900) {
    throw Exception("Período da EFD inválido: " + std::to_string(month) + "/" +
                    std::to_string(year) + ".");
  }
  const std::string start = IsoOf(year, month, 1), end = IsoOf(year, month, DaysIn(year, month));
  if (end < request.date) {
    throw Exception("O período da EFD (" + ShortDate(start).substr(3) +
                    ") termina antes da data do inventário (" + ShortDate(request.date) + ").");
  }
  EfdOutputFile file(request.out);
  Exporter exporter(db, request, file);
  ExportSummary summary = exporter.Run(start, end);
  file.Commit();
  return summary;
}

}  // namespace stock::efd
