// Monthly inventories of the demo database: one inventory per establishment at every month
// end of its activity (and one at its closing date), each product's line split into
// ownership portions.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "demo/DemoCatalog.h"

namespace stock::demo {
namespace {

struct InventoryDate {
  std::string date;
  int motive;      // 1 end of period, 3 closing of the establishment
  int monthIndex;  // 0 = January of the first year
};

// Inventory dates of an establishment: the month ends within its activity, then its closing
// date when it closes within the span.
std::vector<InventoryDate> DatesOf(const EstabPlan& e, const DemoOptions& o) {
  std::vector<InventoryDate> dates;
  for (int k = 0; k < o.months; ++k) {
    int year = o.year + k / 12, month = k % 12 + 1;
    std::string end = IsoDate(year, month, DaysInMonth(year, month));
    if (end < e.start) continue;
    if (!e.close.empty() && end > e.close) {
      dates.push_back({e.close, 3, k});
      break;
    }
    dates.push_back({end, 1, k});
  }
  return dates;
}

struct Portion {
  int indicator;
  double quantity;
};

class InventoryWriter {
 public:
  InventoryWriter(SqlDb& db, const DemoOptions& o, DemoSummary& summary)
      : o_(o),
        summary_(summary),
        line_(db,
              "INSERT INTO LCTOINV (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, "
              "MOTIVOINVENTARIO, QTDEESTOQUE, PRECOUNIT, VALORTOTAL, INDICADORPROPRIEDADE, "
              "CODIGOTERCEIRO, CONTACTB, VALORICMS, VALORPIS, VALORCOFINS, OBSLCTOINV, "
              "CSTICMS, BASEICMS) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        portion_(db,
                 "INSERT INTO LCTOINVPROPRIEDADE (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, "
                 "CODIGOPRODUTO, MOTIVOINVENTARIO, SEQPROPRIEDADE, INDICADORPROPRIEDADE, "
                 "CODIGOTERCEIRO, QUANTIDADE, PRECOUNIT, VALORTOTAL, CONTACTB) "
                 "VALUES (?,?,?,?,?,?,?,?,?,?,?,?)") {}

  void Establishment(const CompanyPlan& company, const EstabPlan& e) {
    uint64_t estabKey = static_cast<uint64_t>(company.code) * 1000 + e.code;
    std::vector<const ProductPlan*> stocked;
    for (const ProductPlan& p : company.products)
      if (Unit(Hash(o_.seed, 200, estabKey, p.code)) < e.stockShare) stocked.push_back(&p);
    double share = e.code == 1 ? 1.0 : 0.4;  // branches hold less than the head office
    for (const InventoryDate& d : DatesOf(e, o_))
      for (const ProductPlan* p : stocked) Line(company, e, estabKey, share, d, *p);
  }

 private:
  void Line(const CompanyPlan& c, const EstabPlan& e, uint64_t estabKey, double share,
            const InventoryDate& d, const ProductPlan& p) {
    uint64_t h = Hash(o_.seed, 210, estabKey, p.code, d.monthIndex);
    if (Unit(h) < 0.04) return;  // out of stock at this date
    double quantity = p.baseQuantity * share * (0.6 + 0.8 * Unit(Hash(o_.seed, h, 1)));
    quantity =
        p.fractional ? RoundTo(quantity, c.quantityDecimals) : std::max(1.0, std::round(quantity));
    double minPrice = std::pow(10.0, -c.priceDecimals);
    double price =
        p.basePrice * std::pow(1.004, d.monthIndex) * (0.97 + 0.06 * Unit(Hash(o_.seed, h, 2)));
    price = std::max(minPrice, RoundTo(price, c.priceDecimals));
    double total = RoundTo(quantity * price, 2);

    // Ownership: the same for a product and establishment all year long.
    uint64_t own = Hash(o_.seed, 220, estabKey, p.code);
    double roll = Unit(own);
    Portion portions[2];
    int count = 1;
    portions[0] = {0, quantity};
    if (roll >= 0.94) {
      portions[0].indicator = 2;
    } else if (roll >= 0.88) {
      portions[0].indicator = 1;
    } else if (roll >= 0.80) {
      double away =
          p.fractional ? RoundTo(quantity * 0.3, c.quantityDecimals) : std::floor(quantity * 0.3);
      if (away > 0 && away < quantity) {
        portions[0].quantity = RoundTo(quantity - away, c.quantityDecimals);
        portions[1] = {1, away};
        count = 2;
      }
    }
    size_t partyIndex = (own >> 20) % c.thirdParties.size();
    int party = c.thirdParties[partyIndex];
    int indicator = portions[0].indicator;

    bool ownGoods = indicator != 2;
    double icms = c.icmsPerItem && ownGoods ? RoundTo(total * p.icmsRate, 2) : 0;
    bool pisCofins = c.pisCofinsPerItem && ownGoods && p.pisCofinsRate > 0;
    const char* observation = nullptr;
    std::string text;
    if (c.model7 && indicator == 1) {
      text =
          "Em poder de " + c.thirdPartyNames[partyIndex] + " para industrialização por encomenda";
      observation = text.c_str();
    } else if (c.model7 && indicator == 2) {
      text = "Mercadoria de " + c.thirdPartyNames[partyIndex] + " recebida em consignação";
      observation = text.c_str();
    }

    line_.Int(1, c.code)
        .Int(2, e.code)
        .Text(3, d.date)
        .Int(4, p.code)
        .Int(5, d.motive)
        .Real(6, quantity)
        .Real(7, price)
        .Real(8, total)
        .Int(9, indicator)
        .OptInt(10, indicator == 0 ? std::nullopt : std::optional<int64_t>(party))
        .Int(11, AccountOf(indicator, p))
        .Real(12, icms)
        .Real(13, pisCofins ? RoundTo(total * 0.0165, 2) : 0)
        .Real(14, pisCofins ? RoundTo(total * 0.076, 2) : 0)
        .OptText(15, observation)
        // Goods with recoverable ICMS are fully taxed (CST 000, the line's value as base);
        // the others are recorded as "other" (090) without a base.
        .Text(16, icms > 0 ? "000" : "090")
        .Real(17, icms > 0 ? total : 0)
        .Run();
    ++summary_.inventoryLines;

    // Each portion is valued at its quantity times the price, except the last, which takes
    // what is left of the line's value so that the portions add up to it to the cent.
    int64_t cents = std::llround(total * 100);
    for (int i = 0; i < count; ++i) {
      const Portion& portion = portions[i];
      int64_t portionCents =
          i + 1 < count ? std::llround(RoundTo(portion.quantity * price, 2) * 100) : cents;
      cents -= portionCents;
      // About one portion in a hundred was recorded without its account.
      bool withoutAccount = Unit(Hash(o_.seed, h, 3, i)) < 0.01;
      portion_.Int(1, c.code)
          .Int(2, e.code)
          .Text(3, d.date)
          .Int(4, p.code)
          .Int(5, d.motive)
          .Int(6, i + 1)
          .Int(7, portion.indicator)
          .OptInt(8, portion.indicator == 0 ? std::nullopt : std::optional<int64_t>(party))
          .Real(9, portion.quantity)
          .Real(10, price)
          .Real(11, static_cast<double>(portionCents) / 100)
          .OptInt(12, withoutAccount ? std::nullopt
                                     : std::optional<int64_t>(AccountOf(portion.indicator, p)))
          .Run();
      ++summary_.ownershipPortions;
    }
  }

  static int AccountOf(int indicator, const ProductPlan& p) {
    if (indicator == 1) return kContaEmPoderDeTerceiros;
    if (indicator == 2) return kContaDeTerceiros;
    return p.account;
  }

  const DemoOptions& o_;
  DemoSummary& summary_;
  SqlInsert line_;
  SqlInsert portion_;
};

}  // namespace

void WriteInventories(SqlDb& db, const DemoOptions& options, const DemoPlan& plan,
                      DemoSummary& summary) {
  InventoryWriter writer(db, options, summary);
  for (const EstabPlan& e : plan.estabs) writer.Establishment(plan.companies[e.company], e);
}

}  // namespace stock::demo
