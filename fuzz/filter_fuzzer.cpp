// The dataset filter language on arbitrary text. A filter either raises Exception when it is
// set, or keeps the same rows whatever the index order: walking the filtered rows through an
// index and in load order gives the same set, RecordCount agrees with the walk, and the
// negated filter keeps exactly the other rows (a comparison with null is false, so "not"
// is the complement).

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "datakit/ClientDataSet.h"
#include "rtl/DateTime.h"
#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace {

std::unique_ptr<TnClientDataSet> MakeDataSet() {
  auto ds = std::make_unique<TnClientDataSet>();
  ds->BeginBulkLoad({{"Codigo", ftInteger, 0},
                     {"Classif", ftString, 20},
                     {"Data", ftDate, 0},
                     {"Valor", ftFloat, 0},
                     {"Ativo", ftBoolean, 0},
                     {"Nome Longo", ftString, 20}});
  std::mt19937 rng(7);
  const char* texts[] = {"01", "01.02", "01.02.003", "02", "a'b", "%_", "", "Ação", "z"};
  const TDateTime base = EncodeDate(2026, 1, 30);
  for (int i = 0; i < 48; ++i) {
    if (rng() % 7 == 0)
      ds->AppendNull();
    else
      ds->AppendInteger(static_cast<int64_t>(rng() % 9) - 3);
    if (rng() % 7 == 0)
      ds->AppendNull();
    else
      ds->AppendText(texts[rng() % 9]);
    if (rng() % 7 == 0)
      ds->AppendNull();
    else
      ds->AppendDateTime(base + static_cast<double>(rng() % 5));
    if (rng() % 7 == 0)
      ds->AppendNull();
    else
      ds->AppendFloat(static_cast<double>(rng() % 11) / 4.0 - 1);
    if (rng() % 7 == 0)
      ds->AppendNull();
    else
      ds->AppendInteger(rng() % 2);
    if (rng() % 7 == 0)
      ds->AppendNull();
    else
      ds->AppendText(texts[rng() % 9]);
  }
  ds->EndBulkLoad();
  return ds;
}

// Row numbers kept, sorted, walking the dataset from First to Eof.
std::vector<int64_t> Kept(TnClientDataSet& ds) {
  std::vector<int64_t> rows;
  for (ds.First(); !ds.GetEof(); ds.Next()) rows.push_back(ds.GetBookmark());
  FUZZ_CHECK(rows.size() == static_cast<size_t>(ds.RecordCount()),
             "RecordCount differs from the walk");
  std::sort(rows.begin(), rows.end());
  return rows;
}

// Applies `text` as the filter; false when the filter language refuses it.
bool Apply(TnClientDataSet& ds, const std::string& text) {
  try {
    ds.SetFilter(text);
    ds.SetFiltered(true);
    return true;
  } catch (const Exception&) {
    ds.SetFilter("");
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<TnClientDataSet> ds = MakeDataSet();
  const std::string text(reinterpret_cast<const char*>(data), size);
  ds->SetFiltered(false);
  ds->SetIndexFieldNames("");
  if (!Apply(*ds, text)) return 0;
  const std::vector<int64_t> scanned = Kept(*ds);
  for (const char* index : {"Classif;Valor", "Data;Codigo", "Ativo;Nome Longo"}) {
    ds->SetIndexFieldNames(index);
    FUZZ_CHECK(Kept(*ds) == scanned,
               std::string("index ") + index + " changes the rows of: " + text);
  }
  ds->SetIndexFieldNames("");
  if (Trim(text).empty()) {  // a blank filter keeps every row
    FUZZ_CHECK(scanned.size() == 48, "a blank filter drops rows");
    return 0;
  }
  const bool negated = Apply(*ds, "not (" + text + ")");
  FUZZ_CHECK(negated, "the negation of an accepted filter is refused: " + text);
  const std::vector<int64_t> others = Kept(*ds);
  FUZZ_CHECK(scanned.size() + others.size() == 48, "filter and its negation miss rows: " + text);
  std::vector<int64_t> both;
  std::set_intersection(scanned.begin(), scanned.end(), others.begin(), others.end(),
                        std::back_inserter(both));
  FUZZ_CHECK(both.empty(), "filter and its negation share rows: " + text);
  return 0;
}
