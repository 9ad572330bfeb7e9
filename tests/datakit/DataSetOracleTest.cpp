// The dataset's filter, index order, key search and range checked against a brute-force scan
// of the same randomly generated rows.

#include <algorithm>
#include <optional>
#include <random>

#include <gtest/gtest.h>

#include "datakit/ClientDataSet.h"
#include "datakit/SqlLiterals.h"
#include "rtl/Exception.h"

namespace {

struct Row {
  int64_t empresa;
  int64_t estab;
  std::optional<std::string> classif;
  double data;
  std::optional<double> valor;
};

std::vector<Row> MakeRows(size_t count, bool sorted) {
  std::mt19937 rng(20260131);
  std::vector<Row> rows;
  const TDateTime base = EncodeDate(2025, 1, 1);
  for (size_t i = 0; i < count; ++i) {
    Row r;
    r.empresa = rng() % 5 + 1;
    r.estab = rng() % 4 + 1;
    if (rng() % 10 != 0) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%02u.%02u.%03u", unsigned(rng() % 4), unsigned(rng() % 3),
                    unsigned(rng() % 50));
      r.classif = buf;
    }
    r.data = base + static_cast<double>(rng() % 400);
    if (rng() % 8 != 0) r.valor = static_cast<double>(rng() % 100000) / 100.0 - 200;
    rows.push_back(r);
  }
  if (sorted)
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
      return std::tie(a.empresa, a.estab) < std::tie(b.empresa, b.estab);
    });
  return rows;
}

std::unique_ptr<TnClientDataSet> Load(const std::vector<Row>& rows) {
  auto ds = std::make_unique<TnClientDataSet>();
  ds->BeginBulkLoad({{"CodigoEmpresa", ftInteger, 0},
                     {"CodigoEstab", ftInteger, 0},
                     {"ClassifGrupoProduto", ftString, 30},
                     {"DataInvent", ftDate, 0},
                     {"Valor", ftFloat, 0}},
                    rows.size());
  for (const Row& r : rows) {
    ds->AppendInteger(r.empresa);
    ds->AppendInteger(r.estab);
    if (r.classif)
      ds->AppendText(*r.classif);
    else
      ds->AppendNull();
    ds->AppendDateTime(r.data);
    if (r.valor)
      ds->AppendFloat(*r.valor);
    else
      ds->AppendNull();
  }
  ds->EndBulkLoad();
  return ds;
}

// Row numbers (bookmarks) of the visible rows, walking from First to Eof.
std::vector<int64_t> Walk(TnClientDataSet& ds) {
  std::vector<int64_t> out;
  for (ds.First(); !ds.GetEof(); ds.Next()) out.push_back(ds.GetBookmark());
  EXPECT_EQ(static_cast<size_t>(ds.RecordCount()), out.size());
  return out;
}

std::vector<int64_t> Brute(const std::vector<Row>& rows,
                           const std::function<bool(const Row&)>& keep) {
  std::vector<int64_t> out;
  for (size_t i = 0; i < rows.size(); ++i)
    if (keep(rows[i])) out.push_back(static_cast<int64_t>(i));
  return out;
}

class DataSetOracle : public ::testing::Test {
 protected:
  std::vector<Row> rows_ = MakeRows(3000, false);
  std::unique_ptr<TnClientDataSet> ds_ = Load(rows_);
};

TEST_F(DataSetOracle, FiltersKeepExactlyTheMatchingRows) {
  const TDateTime d1 = EncodeDate(2025, 3, 1), d2 = EncodeDate(2025, 3, 31);
  struct Case {
    std::string filter;
    std::function<bool(const Row&)> keep;
  } cases[] = {
      {"ClassifGrupoProduto like '01%'",
       [](const Row& r) { return r.classif && r.classif->rfind("01", 0) == 0; }},
      {"ClassifGrupoProduto like '%.0_.01_'",
       [](const Row& r) { return r.classif && r.classif->substr(6, 2) == "01"; }},
      {"not (ClassifGrupoProduto like '0_.01%')",
       [](const Row& r) { return !(r.classif && r.classif->substr(2, 4) == ".01."); }},
      {"CodigoEmpresa = 2 and CodigoEstab <> 3",
       [](const Row& r) { return r.empresa == 2 && r.estab != 3; }},
      {"codigoempresa >= 4 OR (CODIGOESTAB < 2 and Valor > 100.5)",
       [](const Row& r) { return r.empresa >= 4 || (r.estab < 2 && r.valor && *r.valor > 100.5); }},
      {"Valor is null", [](const Row& r) { return !r.valor; }},
      {"Valor is not null and Valor <= -100",
       [](const Row& r) { return r.valor && *r.valor <= -100; }},
      {"not (Valor > 0)", [](const Row& r) { return !(r.valor && *r.valor > 0); }},
      {"ClassifGrupoProduto >= '02' and ClassifGrupoProduto < '03'",
       [](const Row& r) { return r.classif && *r.classif >= "02" && *r.classif < "03"; }},
      {"DataInvent >= " + ValorParaFiltro(Variant::FromDate(d1), ftDate) +
           " and DataInvent <= " + ValorParaFiltro(Variant::FromDate(d2), ftDate),
       [&](const Row& r) { return r.data >= d1 && r.data <= d2; }},
      {"DataInvent = '2025-03-15'", [](const Row& r) { return r.data == EncodeDate(2025, 3, 15); }},
      {"CodigoEmpresa = CodigoEstab", [](const Row& r) { return r.empresa == r.estab; }},
      {"CodigoEmpresa = '3'", [](const Row& r) { return r.empresa == 3; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    ds_->SetFilter(c.filter);
    ds_->SetFiltered(true);
    std::vector<int64_t> expected = Brute(rows_, c.keep);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(Walk(*ds_), expected);
    ds_->SetFiltered(false);
    EXPECT_EQ(ds_->RecordCount(), static_cast<int>(rows_.size()));
  }
}

TEST_F(DataSetOracle, IndexOrdersStablyAndFindsKeys) {
  ds_->SetIndexFieldNames("CodigoEstab;ClassifGrupoProduto");
  std::vector<int64_t> expected = Brute(rows_, [](const Row&) { return true; });
  std::stable_sort(expected.begin(), expected.end(), [&](int64_t a, int64_t b) {
    const Row &x = rows_[a], &y = rows_[b];
    if (x.estab != y.estab) return x.estab < y.estab;
    return x.classif < y.classif;  // nullopt sorts first, like nulls
  });
  EXPECT_EQ(Walk(*ds_), expected);

  std::mt19937 rng(7);
  for (int i = 0; i < 200; ++i) {
    int64_t estab = rng() % 6;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02u.%02u", unsigned(rng() % 5), unsigned(rng() % 3));
    std::string classif = buf;
    if (i % 3 == 0) classif = rows_[rng() % rows_.size()].classif.value_or("00");
    auto key_less = [&](int64_t r) {
      const Row& x = rows_[r];
      return x.estab != estab ? x.estab < estab : x.classif < std::optional<std::string>(classif);
    };
    auto nearest = std::find_if_not(expected.begin(), expected.end(), key_less);
    ds_->FindNearest({estab, classif});
    if (nearest == expected.end()) {
      EXPECT_TRUE(ds_->GetEof());
    } else {
      EXPECT_EQ(ds_->GetBookmark(), *nearest) << estab << " " << classif;
    }
    bool exists = nearest != expected.end() && rows_[*nearest].estab == estab &&
                  rows_[*nearest].classif == classif;
    EXPECT_EQ(ds_->FindKey({estab, classif}), exists);
    if (exists) {
      EXPECT_EQ(ds_->GetBookmark(), *nearest);
    }
  }
}

TEST_F(DataSetOracle, IndexOnFloatsSortsNegativesAndNullsFirst) {
  ds_->SetIndexFieldNames("Valor;CodigoEmpresa");
  std::vector<int64_t> expected = Brute(rows_, [](const Row&) { return true; });
  std::stable_sort(expected.begin(), expected.end(), [&](int64_t a, int64_t b) {
    return std::tie(rows_[a].valor, rows_[a].empresa) < std::tie(rows_[b].valor, rows_[b].empresa);
  });
  EXPECT_EQ(Walk(*ds_), expected);
}

TEST_F(DataSetOracle, RangeOnIndexCombinesWithFilter) {
  ds_->SetIndexFieldNames("CodigoEmpresa;DataInvent");
  ds_->SetFilter("Valor > 0");
  ds_->SetFiltered(true);
  ds_->SetRange({2, "01/02/2025"}, {3, "2025-06-30"});
  const TDateTime lo = EncodeDate(2025, 2, 1), hi = EncodeDate(2025, 6, 30);
  std::vector<int64_t> expected = Brute(rows_, [&](const Row& r) {
    bool above = r.empresa > 2 || (r.empresa == 2 && r.data >= lo);
    bool below = r.empresa < 3 || (r.empresa == 3 && r.data <= hi);
    return above && below && r.valor && *r.valor > 0;
  });
  std::stable_sort(expected.begin(), expected.end(), [&](int64_t a, int64_t b) {
    return std::tie(rows_[a].empresa, rows_[a].data) < std::tie(rows_[b].empresa, rows_[b].data);
  });
  EXPECT_EQ(Walk(*ds_), expected);
  ds_->CancelRange();
  ds_->SetFiltered(false);
  EXPECT_EQ(ds_->RecordCount(), static_cast<int>(rows_.size()));
}

TEST(DataSetRange, WithoutIndexUsesLeadingColumnsSortedOrNot) {
  for (bool sorted : {true, false}) {
    SCOPED_TRACE(sorted ? "sorted" : "unsorted");
    std::vector<Row> rows = MakeRows(2000, sorted);
    auto ds = Load(rows);
    for (int64_t empresa = 0; empresa <= 6; ++empresa) {
      for (int64_t estab = 1; estab <= 4; ++estab) {
        ds->CancelRange();
        ds->SetRange({empresa, estab}, {empresa, estab});
        std::vector<int64_t> expected =
            Brute(rows, [&](const Row& r) { return r.empresa == empresa && r.estab == estab; });
        ASSERT_EQ(Walk(*ds), expected);
      }
    }
    ds->SetRange({2}, {3});
    EXPECT_EQ(Walk(*ds),
              Brute(rows, [](const Row& r) { return r.empresa >= 2 && r.empresa <= 3; }));
  }
}

}  // namespace
