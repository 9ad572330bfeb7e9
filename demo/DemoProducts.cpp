// Product groups and products of the demo database: one group tree shared by both companies
// and products drawn from description templates.

#include <cstdio>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include "demo/DemoCatalog.h"

namespace stock::demo {
namespace {

// ---- Product groups: one tree shared by both companies. ----

struct GroupDef {
  const char* classif;
  const char* descr;
  int account;       // stock account of the products below
  double icmsRate;   // recoverable ICMS of its products
  bool distributor;  // the second company (a distributor) sells products of this branch
};

const GroupDef kGroups[] = {
    {"01", "Matérias-primas", 1141, 0.18, false},
    {"01.001", "Metais ferrosos", 1141, 0.18, false},
    {"01.001.001", "Chapas e bobinas de aço", 1141, 0.18, false},
    {"01.001.002", "Barras, perfis e tubos de aço", 1141, 0.18, false},
    {"01.002", "Metais não ferrosos", 1141, 0.18, false},
    {"01.002.001", "Alumínio", 1141, 0.18, false},
    {"01.002.002", "Cobre e latão", 1141, 0.18, false},
    {"01.003", "Insumos químicos", 1141, 0.18, false},
    {"01.003.001", "Tintas e vernizes", 1141, 0.18, false},
    {"01.003.002", "Óleos e lubrificantes", 1141, 0.18, false},
    {"02", "Produtos acabados", 1142, 0.18, true},
    {"02.001", "Ferragens", 1142, 0.18, true},
    {"02.001.001", "Parafusos, porcas e arruelas", 1142, 0.18, true},
    {"02.001.002", "Dobradiças, fechaduras e cadeados", 1142, 0.18, true},
    {"02.002", "Estruturas metálicas", 1142, 0.18, false},
    {"02.002.001", "Portões e grades", 1142, 0.18, false},
    {"03", "Mercadorias para revenda", 1143, 0.12, true},
    {"03.001", "Materiais de construção", 1143, 0.12, true},
    {"03.001.001", "Cimento, cal e argamassa", 1143, 0.12, true},
    {"03.001.002", "Hidráulica", 1143, 0.12, true},
    {"03.001.003", "Elétrica", 1143, 0.12, true},
    {"03.002", "Ferramentas", 1143, 0.12, true},
    {"03.002.001", "Ferramentas manuais", 1143, 0.12, true},
    {"03.002.002", "Ferramentas elétricas", 1143, 0.12, true},
    {"04", "Material de uso e consumo", 1144, 0.0, true},
    {"04.001", "Embalagens", 1144, 0.0, true},
    {"04.002", "Equipamentos de proteção individual", 1144, 0.0, true},
    {"04.003", "Material de escritório", 1144, 0.0, true},
};
constexpr int kGroupCount = sizeof kGroups / sizeof kGroups[0];

// ---- Product templates: a base description and its variants ('|'-separated). ----

struct ItemDef {
  const char* group;  // an analytic group (a leaf of kGroups)
  const char* descr;
  const char* unit;
  const char* ncm;
  double minPrice, maxPrice;
  const char* variants;
};

const ItemDef kItems[] = {
    {"01.001.001", "Chapa de aço laminada a frio", "KG", "7209.16.00", 6.2, 8.9,
     "0,90 mm|1,20 mm|1,50 mm|2,00 mm|3,00 mm|4,75 mm"},
    {"01.001.001", "Bobina de aço galvanizado", "KG", "7210.49.10", 7.1, 9.8,
     "0,50 mm|0,65 mm|0,80 mm|0,95 mm"},
    {"01.001.002", "Barra chata de aço carbono", "KG", "7214.99.10", 5.9, 8.1,
     "1\" x 1/8\"|1.1/2\" x 3/16\"|2\" x 1/4\"|3\" x 3/8\""},
    {"01.001.002", "Perfil U enrijecido de aço", "KG", "7216.31.00", 6.5, 8.7, "2\"|3\"|4\"|6\""},
    {"01.001.002", "Tubo de aço carbono com costura", "M", "7306.30.00", 18.0, 64.0,
     "3/4\"|1\"|1.1/4\"|2\""},
    {"01.002.001", "Chapa de alumínio liga 1050", "KG", "7606.12.90", 28.0, 36.0,
     "1,0 mm|1,5 mm|2,0 mm|3,0 mm"},
    {"01.002.001", "Perfil de alumínio extrudado", "KG", "7604.21.00", 31.0, 42.0,
     "cantoneira 1\"|T 1.1/2\"|U 3/4\"|tubo 25 mm"},
    {"01.002.002", "Vergalhão de cobre eletrolítico", "KG", "7407.10.10", 52.0, 61.0,
     "3/8\"|1/2\"|5/8\""},
    {"01.002.002", "Barra de latão", "KG", "7407.21.10", 44.0, 55.0,
     "redonda 1/2\"|redonda 3/4\"|sextavada 1\""},
    {"01.003.001", "Tinta esmalte sintético", "GL", "3208.90.10", 89.0, 149.0,
     "branco 3,6 L|preto fosco 3,6 L|cinza platina 3,6 L|vermelho 3,6 L|azul França 3,6 L"},
    {"01.003.001", "Verniz poliuretano", "L", "3208.10.10", 38.0, 72.0,
     "brilhante|acetinado|fosco"},
    {"01.003.001", "Fundo primer anticorrosivo", "GL", "3208.90.29", 79.0, 118.0,
     "cinza 3,6 L|óxido de ferro 3,6 L"},
    {"01.003.002", "Óleo lubrificante 20W50", "L", "2710.19.31", 21.0, 29.0,
     "lata 1 L|balde 20 L|tambor 200 L"},
    {"01.003.002", "Óleo hidráulico ISO 68", "L", "2710.19.32", 17.0, 24.0,
     "balde 20 L|tambor 200 L"},
    {"01.003.002", "Graxa à base de lítio", "KG", "2710.19.91", 24.0, 39.0, "NLGI 2|NLGI 3"},
    {"02.001.001", "Parafuso sextavado aço inox", "UN", "7318.15.00", 0.45, 4.9,
     "1/4\"|5/16\"|3/8\"|1/2\"|M6 x 20|M8 x 30|M10 x 40|M12 x 50"},
    {"02.001.001", "Parafuso Allen cabeça cilíndrica", "UN", "7318.15.00", 0.38, 3.6,
     "M5 x 16|M6 x 25|M8 x 35|M10 x 50"},
    {"02.001.001", "Porca sextavada aço zincado", "UN", "7318.16.00", 0.08, 0.95,
     "1/4\"|5/16\"|3/8\"|1/2\"|M6|M8|M10"},
    {"02.001.001", "Arruela lisa aço galvanizado", "UN", "7318.22.00", 0.04, 0.48,
     "1/4\"|5/16\"|3/8\"|1/2\"|M8|M10"},
    {"02.001.002", "Dobradiça de aço", "UN", "8302.10.00", 6.5, 24.0,
     "3\" cromada|3.1/2\" latonada|4\" inox"},
    {"02.001.002", "Fechadura de embutir", "UN", "8301.40.00", 48.0, 139.0,
     "externa cromada|interna|banheiro"},
    {"02.001.002", "Cadeado de latão maciço", "UN", "8301.10.00", 19.0, 68.0, "25 mm|35 mm|50 mm"},
    {"02.002.001", "Portão basculante de aço galvanizado", "UN", "7308.30.00", 1890.0, 4350.0,
     "2,50 x 2,20 m|3,00 x 2,20 m|5,00 x 2,40 m"},
    {"02.002.001", "Grade de proteção soldada", "M2", "7308.90.90", 145.0, 260.0,
     "malha 5 cm|malha 10 cm"},
    {"03.001.001", "Cimento Portland", "SC", "2523.29.10", 29.9, 41.5,
     "CP-II 50 kg|CP-III 50 kg|CP-V ARI 40 kg"},
    {"03.001.001", "Argamassa colante", "SC", "3214.90.00", 14.5, 39.0,
     "AC-I 20 kg|AC-II 20 kg|AC-III 20 kg"},
    {"03.001.001", "Cal hidratada", "SC", "2522.20.00", 13.0, 19.0, "CH-I 20 kg|CH-III 20 kg"},
    {"03.001.002", "Tubo de PVC soldável", "UN", "3917.23.00", 18.0, 96.0,
     "20 mm barra 6 m|25 mm barra 6 m|32 mm barra 6 m|50 mm barra 6 m"},
    {"03.001.002", "Joelho de PVC 90°", "UN", "3917.40.00", 0.9, 7.5, "20 mm|25 mm|32 mm|50 mm"},
    {"03.001.002", "Registro de gaveta de bronze", "UN", "8481.80.99", 38.0, 119.0,
     "1/2\"|3/4\"|1\""},
    {"03.001.003", "Cabo de cobre flexível 750 V", "M", "8544.49.00", 1.6, 6.9,
     "1,5 mm²|2,5 mm²|4,0 mm²|6,0 mm²"},
    {"03.001.003", "Disjuntor termomagnético monopolar", "UN", "8536.20.00", 11.0, 27.0,
     "10 A|16 A|20 A|32 A"},
    {"03.001.003", "Tomada 2P+T", "UN", "8536.69.90", 7.9, 16.5,
     "10 A branca|20 A branca|10 A preta"},
    {"03.002.001", "Martelo de aço forjado", "UN", "8205.20.00", 29.0, 64.0,
     "unha 23 mm|unha 27 mm|bola 300 g"},
    {"03.002.001", "Chave de fenda haste cromo-vanádio", "UN", "8205.40.00", 8.5, 19.0,
     "1/8\" x 4\"|3/16\" x 6\"|Phillips 1/4\" x 6\""},
    {"03.002.001", "Alicate isolado 1.000 V", "UN", "8203.20.10", 36.0, 79.0,
     "universal 8\"|corte diagonal 6\"|bico meia-cana 6\""},
    {"03.002.001", "Trena de aço com trava", "UN", "9017.80.10", 12.0, 39.0, "3 m|5 m|8 m"},
    {"03.002.002", "Furadeira de impacto", "UN", "8467.21.00", 219.0, 489.0,
     "650 W 127 V|650 W 220 V|800 W 220 V"},
    {"03.002.002", "Esmerilhadeira angular", "UN", "8467.29.91", 249.0, 799.0,
     "4.1/2\" 720 W|7\" 2.200 W"},
    {"03.002.002", "Serra circular", "UN", "8467.22.00", 399.0, 699.0,
     "7.1/4\" 1.400 W 127 V|7.1/4\" 1.400 W 220 V"},
    {"04.001", "Caixa de papelão ondulado", "UN", "4819.10.00", 1.9, 8.5,
     "30 x 20 x 15 cm|40 x 30 x 30 cm|60 x 40 x 40 cm"},
    {"04.001", "Filme stretch", "RL", "3920.10.99", 42.0, 69.0, "500 mm x 25 µm|500 mm x 20 µm"},
    {"04.001", "Fita adesiva de polipropileno", "RL", "3919.10.00", 5.9, 9.9,
     "transparente 48 mm x 100 m|marrom 48 mm x 100 m"},
    {"04.002", "Luva de segurança", "PR", "4203.29.00", 6.9, 18.0,
     "raspa cano curto|nitrílica tamanho G|vaqueta tamanho M"},
    {"04.002", "Óculos de proteção", "UN", "9004.90.90", 7.5, 16.0, "incolor|fumê"},
    {"04.002", "Capacete de segurança com jugular", "UN", "6506.10.00", 24.0, 39.0,
     "aba frontal branco|aba frontal amarelo"},
    {"04.003", "Papel sulfite A4 75 g/m²", "PCT", "4802.56.10", 24.0, 32.0, "500 folhas"},
    {"04.003", "Caneta esferográfica", "CX", "9608.10.00", 32.0, 48.0, "azul cx. 50|preta cx. 50"},
};

bool IsFractionalUnit(std::string_view unit) {
  return unit == "KG" || unit == "M" || unit == "L" || unit == "M2";
}

// Typical head-office stock of a product sold in `unit`.
double TypicalQuantity(std::string_view unit) {
  if (unit == "KG") return 4000;
  if (unit == "M" || unit == "UN") return 900;
  if (unit == "L" || unit == "SC") return 400;
  return 120;
}

int GroupIndex(std::string_view classif) {
  for (int i = 0; i < kGroupCount; ++i)
    if (classif == kGroups[i].classif) return i;
  return -1;
}

bool IsAnalytic(int group) {
  // A group is a summary when the next group of the ordered tree is one of its children.
  if (group + 1 >= kGroupCount) return true;
  std::string_view self = kGroups[group].classif;
  std::string_view next = kGroups[group + 1].classif;
  return !(next.size() > self.size() && next.substr(0, self.size()) == self &&
           next[self.size()] == '.');
}

std::vector<std::string_view> Split(std::string_view text) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (;;) {
    size_t bar = text.find('|', start);
    pieces.push_back(text.substr(start, bar - start));
    if (bar == std::string_view::npos) return pieces;
    start = bar + 1;
  }
}

struct Combo {
  int item;
  std::string descr;
};

void WriteGroups(SqlDb& db, DemoPlan& plan) {
  SqlInsert ins(db,
                "INSERT INTO GRUPOPRODUTO (CODIGOEMPRESA, CODIGOGRUPOPRODUTO, "
                "CLASSIFGRUPOPRODUTO, DESCRGRUPOPRODUTO, TIPOGRUPOPRODUTO, CONTACTB) "
                "VALUES (?,?,?,?,?,?)");
  for (int company = 1; company <= 2; ++company) {
    for (int g = 0; g < kGroupCount; ++g) {
      bool analytic = IsAnalytic(g);
      ins.Int(1, company)
          .Int(2, g + 1)
          .Text(3, kGroups[g].classif)
          .Text(4, kGroups[g].descr)
          .Int(5, analytic ? 2 : 1);
      if (analytic)
        ins.Int(6, kGroups[g].account);
      else
        ins.Null(6);
      ins.Run();
    }
  }
  plan.productGroups = 2 * kGroupCount;
}

void WriteProducts(SqlDb& db, const DemoOptions& o, DemoPlan& plan) {
  // Every description a template can give, in template order.
  std::vector<Combo> combos;
  for (int i = 0; i < static_cast<int>(std::size(kItems)); ++i)
    for (std::string_view v : Split(kItems[i].variants))
      combos.push_back({i, std::string(kItems[i].descr) + " " + std::string(v)});

  SqlInsert ins(db,
                "INSERT INTO PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, "
                "UNIDADEMEDIDA, CODIGONCM, CODIGOGRUPOPRODUTO, ATIVO, DATACADASTRO, "
                "TIPOITEM) VALUES (?,?,?,?,?,?,?,?,?)");
  int second = o.products * 2 / 5;
  int counts[2] = {o.products - second, second};
  for (int c = 0; c < 2; ++c) {
    CompanyPlan& company = plan.companies[c];
    std::vector<int> eligible;  // indexes into combos
    for (int k = 0; k < static_cast<int>(combos.size()); ++k) {
      int group = GroupIndex(kItems[combos[k].item].group);
      if (c == 0 || kGroups[group].distributor) eligible.push_back(k);
    }
    // Walk the descriptions with a stride coprime to their count, so consecutive codes spread
    // over the groups; once all are used, later products repeat them with a reference.
    int n = static_cast<int>(eligible.size());
    int stride = 37;
    while (std::gcd(stride, n) != 1) ++stride;
    company.products.reserve(counts[c]);
    for (int j = 0; j < counts[c]; ++j) {
      const Combo& combo = combos[eligible[static_cast<int64_t>(j) * stride % n]];
      const ItemDef& item = kItems[combo.item];
      int group = GroupIndex(item.group);
      int code = j + 1;
      uint64_t h = Hash(o.seed, 100 + c, code);
      std::string descr = combo.descr;
      if (j >= n) {
        char ref[24];
        std::snprintf(ref, sizeof ref, " ref. %05d", static_cast<int>(h % 100000));
        descr += ref;
      }
      // A few products lack their NCM code; a few are no longer active.
      bool withoutNcm = Unit(Hash(o.seed, 110 + c, code)) < 0.02;
      bool inactive = Unit(Hash(o.seed, 120 + c, code)) < 0.03;
      int regYear = o.year - 1 - static_cast<int>(h % 12);
      int regMonth = 1 + static_cast<int>((h >> 8) % 12);
      int regDay = 1 + static_cast<int>((h >> 16) % 28);
      ins.Int(1, c + 1)
          .Int(2, code)
          .Text(3, descr)
          .Text(4, item.unit)
          .OptText(5, withoutNcm ? nullptr : item.ncm)
          .Int(6, group + 1)
          .Int(7, inactive ? 0 : 1)
          .Text(8, IsoDate(regYear, regMonth, regDay))
          // The industry's goods are its finished products, the distributor's are for resale;
          // the few registered without NCM are materials for use and consumption.
          .Int(9, withoutNcm ? 7
                  : c == 0   ? 4
                             : 0)
          .Run();

      ProductPlan p;
      p.code = code;
      p.fractional = IsFractionalUnit(item.unit);
      double u = Unit(Hash(o.seed, 130 + c, code));
      p.basePrice = item.minPrice + (item.maxPrice - item.minPrice) * u;
      p.baseQuantity = TypicalQuantity(item.unit) * (0.2 + 1.6 * Unit(Hash(o.seed, 140 + c, code)));
      p.account = kGroups[group].account;
      p.icmsRate = kGroups[group].icmsRate;
      p.pisCofinsRate = kGroups[group].icmsRate > 0 ? 1 : 0;
      company.products.push_back(p);
    }
  }
}

}  // namespace

// The units the products are sold in, with their descriptions.
void WriteUnits(SqlDb& db) {
  db.Exec(
      "INSERT INTO UNIDADE (UNIDADEMEDIDA, DESCRUNIDADE) VALUES ('CX', 'CAIXA'), "
      "('GL', 'GALAO'), ('KG', 'QUILOGRAMA'), ('L', 'LITRO'), ('M', 'METRO'), "
      "('M2', 'METRO QUADRADO'), ('PCT', 'PACOTE'), ('PR', 'PAR'), ('RL', 'ROLO'), "
      "('SC', 'SACO'), ('UN', 'UNIDADE')");
}

void WriteGroupsAndProducts(SqlDb& db, const DemoOptions& options, DemoPlan& plan) {
  WriteUnits(db);
  WriteGroups(db, plan);
  WriteProducts(db, options, plan);
}

}  // namespace stock::demo
