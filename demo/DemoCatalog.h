#pragma once
// Internal to the demo generator: the master data (companies, establishments, configuration,
// signatories, accounts, product groups, third parties, products) and the plan that the
// inventory writer follows.

#include <cstdint>
#include <string>
#include <vector>

#include "demo/DemoDatabase.h"
#include "demo/DemoSql.h"

namespace stock::demo {

// Deterministic hash of a seed and up to four keys (splitmix64 steps): the generator draws
// every value from the keys of the row it belongs to, so rows do not depend on loop order.
uint64_t Hash(uint32_t seed, uint64_t a, uint64_t b = 0, uint64_t c = 0, uint64_t d = 0);
// A hash mapped to [0, 1).
double Unit(uint64_t hash);
// `value` rounded half away from zero to `decimals` places.
double RoundTo(double value, int decimals);
// 'yyyy-mm-dd'.
std::string IsoDate(int year, int month, int day);
int DaysInMonth(int year, int month);

// Stock accounts of the chart of accounts (PLANOESPEC.CONTACTB).
inline constexpr int kContaEmPoderDeTerceiros = 1145;
inline constexpr int kContaDeTerceiros = 811;

struct ProductPlan {
  int code = 0;
  bool fractional = false;   // quantity with decimals (kg, m, l...) rather than whole units
  double basePrice = 0;      // unit price in January of the first year
  double baseQuantity = 0;   // typical stock in the head office
  int account = 0;           // stock account of its group
  double icmsRate = 0;       // recoverable ICMS, fraction of the line value
  double pisCofinsRate = 0;  // 1 when PIS (1,65%) and COFINS (7,6%) are recoverable, else 0
};

struct CompanyPlan {
  int code = 0;
  int priceDecimals = 2;
  int quantityDecimals = 2;
  bool model7 = false;
  bool icmsPerItem = false;
  bool pisCofinsPerItem = false;
  std::vector<ProductPlan> products;
  std::vector<int> thirdParties;  // TERCEIRO codes
  std::vector<std::string> thirdPartyNames;
};

struct EstabPlan {
  int company = 0;  // index into DemoPlan::companies
  int code = 0;
  std::string start;      // first day of activity, ISO
  std::string close;      // last day of activity, ISO; empty while active
  double stockShare = 0;  // share of the company's products this establishment stocks
};

struct DemoPlan {
  std::vector<CompanyPlan> companies;
  std::vector<EstabPlan> estabs;
  int productGroups = 0;
};

// Writes every table but the inventories and returns what the inventories need.
// REQUIRES: options validated; inside the generator's transaction.
DemoPlan WriteMasterData(SqlDb& db, const DemoOptions& options);

// Writes the product groups (GRUPOPRODUTO) and options.products products (PRODUTO) of both
// companies, and the products' plans into `plan`.
void WriteGroupsAndProducts(SqlDb& db, const DemoOptions& options, DemoPlan& plan);

// Writes the monthly inventories (LCTOINV and LCTOINVPROPRIEDADE) of every establishment and
// adds their row counts to `summary`.
void WriteInventories(SqlDb& db, const DemoOptions& options, const DemoPlan& plan,
                      DemoSummary& summary);

}  // namespace stock::demo
