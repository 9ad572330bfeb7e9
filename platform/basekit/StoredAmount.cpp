#include "basekit/StoredAmount.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace stock {

namespace {

std::string Quoted(const std::string& name) {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string ValueText(double value) {
  if (std::isnan(value)) return "um valor que não é número";
  if (std::isinf(value)) return value > 0 ? "infinito" : "menos infinito";
  char text[40];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// "A = 1, B = 2" for the primary key of the row of `table` whose `column` holds `value`; empty
// when it cannot be told (no such row found, a table without a declared key).
std::string RowKey(sqlite3* db, const std::string& table, const std::string& column, double value) {
  std::vector<std::string> keys;
  sqlite3_stmt* info = nullptr;
  if (sqlite3_prepare_v2(db, ("pragma table_info(" + Quoted(table) + ")").c_str(), -1, &info,
                         nullptr) == SQLITE_OK) {
    std::vector<std::pair<int, std::string>> ordered;
    while (sqlite3_step(info) == SQLITE_ROW) {
      const int pk = sqlite3_column_int(info, 5);
      if (pk > 0)
        ordered.emplace_back(pk, reinterpret_cast<const char*>(sqlite3_column_text(info, 1)));
    }
    std::sort(ordered.begin(), ordered.end());
    for (auto& [_, name] : ordered) keys.push_back(name);
  }
  sqlite3_finalize(info);
  if (keys.empty()) keys.push_back("rowid");

  std::string sql = "select ";
  for (size_t i = 0; i < keys.size(); ++i) sql += (i > 0 ? ", " : "") + Quoted(keys[i]);
  sql += " from " + Quoted(table) + " where " + Quoted(column) + " = ?";
  std::string key;
  sqlite3_stmt* find = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &find, nullptr) == SQLITE_OK) {
    sqlite3_bind_double(find, 1, value);
    if (sqlite3_step(find) == SQLITE_ROW) {
      for (size_t i = 0; i < keys.size(); ++i) {
        const unsigned char* text = sqlite3_column_text(find, static_cast<int>(i));
        key += (i > 0 ? ", " : "") + keys[i] + " = " +
               (text != nullptr ? reinterpret_cast<const char*>(text) : "null");
      }
    }
  }
  sqlite3_finalize(find);
  return key;
}

struct AmountColumn {
  std::string table, column, declared;
  double limit;
};

std::vector<AmountColumn> AmountColumns(sqlite3* db) {
  std::vector<std::string> tables;
  sqlite3_stmt* list = nullptr;
  if (sqlite3_prepare_v2(db, "select name from sqlite_master where type = 'table'", -1, &list,
                         nullptr) == SQLITE_OK) {
    while (sqlite3_step(list) == SQLITE_ROW) {
      tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
    }
  }
  sqlite3_finalize(list);
  std::vector<AmountColumn> out;
  for (const std::string& table : tables) {
    sqlite3_stmt* info = nullptr;
    if (sqlite3_prepare_v2(db, ("pragma table_info(" + Quoted(table) + ")").c_str(), -1, &info,
                           nullptr) == SQLITE_OK) {
      while (sqlite3_step(info) == SQLITE_ROW) {
        const unsigned char* type = sqlite3_column_text(info, 2);
        const std::string declared = type != nullptr ? reinterpret_cast<const char*>(type) : "";
        const double limit = AmountLimit(declared.c_str());
        if (std::isfinite(limit)) {
          out.push_back({table, reinterpret_cast<const char*>(sqlite3_column_text(info, 1)),
                         declared, limit});
        }
      }
    }
    sqlite3_finalize(info);
  }
  return out;
}

[[noreturn]] void ThrowStored(const AmountColumn& where, double value, const std::string& key) {
  throw Exception("Valor danificado em " + where.table + (key.empty() ? "" : " (" + key + ")") +
                  ", coluna " + where.column + ": " + ValueText(value) + " não cabe em " +
                  where.declared);
}

}  // namespace

double SmallestAmountLimit(sqlite3* db) {
  double smallest = std::numeric_limits<double>::infinity();
  for (const AmountColumn& c : AmountColumns(db)) smallest = std::min(smallest, c.limit);
  return smallest;
}

void CheckComputedAmount(sqlite3_stmt* stmt, int column, double value) {
  if (!std::isfinite(value)) ThrowDamagedAmount(stmt, column, value);
  sqlite3* db = sqlite3_db_handle(stmt);
  for (const AmountColumn& c : AmountColumns(db)) {
    if (IsStoredAmount(value, c.limit)) continue;
    const std::string key = RowKey(db, c.table, c.column, value);
    if (!key.empty()) ThrowStored(c, value, key);
  }
}

double AmountLimit(const char* declared) {
  if (declared == nullptr) return std::numeric_limits<double>::infinity();
  const std::string upper = AnsiUpperCase(declared);
  const size_t open = upper.find('(');
  if (open == std::string::npos ||
      (upper.find("NUMERIC") == std::string::npos && upper.find("DECIMAL") == std::string::npos)) {
    return std::numeric_limits<double>::infinity();
  }
  char* end = nullptr;
  const long precision = std::strtol(upper.c_str() + open + 1, &end, 10);
  long scale = 0;
  if (end != nullptr && *end == ',') scale = std::strtol(end + 1, &end, 10);
  if (precision <= 0 || scale < 0 || scale > precision)
    return std::numeric_limits<double>::infinity();
  return std::pow(10.0, static_cast<double>(precision - scale));
}

void ThrowDamagedAmount(sqlite3_stmt* stmt, int column, double value) {
  const char* table = sqlite3_column_table_name(stmt, column);
  const char* origin = sqlite3_column_origin_name(stmt, column);
  const char* declared = sqlite3_column_decltype(stmt, column);
  const std::string why = std::isfinite(value) && declared != nullptr
                              ? ValueText(value) + " não cabe em " + declared
                              : ValueText(value);
  if (table == nullptr || origin == nullptr) {
    throw Exception("Valor danificado na coluna " + std::string(sqlite3_column_name(stmt, column)) +
                    " da consulta: " + why);
  }
  const std::string key = RowKey(sqlite3_db_handle(stmt), table, origin, value);
  throw Exception("Valor danificado em " + std::string(table) +
                  (key.empty() ? "" : " (" + key + ")") + ", coluna " + origin + ": " + why);
}

}  // namespace stock
