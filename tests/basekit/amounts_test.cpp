// Amounts that no column of their declared type can hold: a damaged row is named, never loaded.

#include <gtest/gtest.h>

#include "basekit/DMSQLDataSet.h"
#include "basekit/ExecutarSQL.h"
#include "basekit_test_support.h"
#include "rtl/Exception.h"

namespace {

const char* const kSchema =
    "create table T (A integer, B integer, V NUMERIC(15,4), W REAL, primary key (A, B));"
    "insert into T values (1, 1, 2.5, 1), (1, 2, 1e308, 1), (2, 1, 9e999, 1), (3, 1, 5, -9e999);";

std::string LoadError(const std::string& sql) {
  try {
    SQLDataSetPtr rows(ExecutarSQL(sql, Variant(), true, false, -1, "", nullptr, true));
  } catch (const Exception& e) {
    return e.Message();
  }
  return "";
}

TEST(DamagedAmount, IsNamedByTableRowKeyAndColumn) {
  TempDatabase db(kSchema);
  const std::string too_big =
      "Valor danificado em T (A = 1, B = 2), coluna V: 1e+308 não cabe em NUMERIC(15,4)";
  const struct {
    std::string sql, error;
  } cases[] = {
      {"select A, V from T where A = 1 order by B", too_big},
      {"select coalesce(null, V) as X from T where A = 1", too_big},  // computed from the column
      {"select V from T where A = 2", "Valor danificado em T (A = 2, B = 1), coluna V: infinito"},
      {"select W from T where A = 3",
       "Valor danificado em T (A = 3, B = 1), coluna W: menos infinito"},
      {"select V * 1e12 as X, W from T where A = 1 and B = 1", ""},  // only a large computed value
      {"select V from T where A = 3", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(LoadError(c.sql), c.error) << c.sql;

  try {
    nDMSQLDataSet().PegarValorCampo("T", "V", "A = 1 and B = 2");
    ADD_FAILURE() << "a damaged amount was read";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), too_big);
  }
}

}  // namespace
