#include "demo/DemoCatalog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <string_view>

#include "demo/FiscalIds.h"

namespace stock::demo {

uint64_t Hash(uint32_t seed, uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
  auto step = [](uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
  };
  uint64_t h = step(seed);
  h = step(h ^ a);
  h = step(h ^ b);
  h = step(h ^ c);
  return step(h ^ d);
}

double Unit(uint64_t hash) { return static_cast<double>(hash >> 11) * 0x1.0p-53; }

double RoundTo(double value, int decimals) {
  double scale = std::pow(10.0, decimals);
  return std::round(value * scale * (1 + 4 * 2.220446049250313e-16)) / scale;
}

std::string IsoDate(int year, int month, int day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

namespace {

// ---- Product groups: one tree shared by both companies. ----

struct GroupDef {
  const char* classif;
  const char* descr;
  int account;        // stock account of the products below
  double icmsRate;    // recoverable ICMS of its products
  bool distributor;   // the second company (a distributor) sells products of this branch
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
    {"01.003.002", "Óleo hidráulico ISO 68", "L", "2710.19.32", 17.0, 24.0, "balde 20 L|tambor 200 L"},
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
    {"03.001.003", "Tomada 2P+T", "UN", "8536.69.90", 7.9, 16.5, "10 A branca|20 A branca|10 A preta"},
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

// ---- Companies and establishments. ----

struct Address {
  const char* street;
  const char* number;
  const char* district;
  const char* city;
  const char* uf;
  const char* cep;
};

void WriteCompanies(SqlDb& db) {
  SqlInsert ins(db,
                "INSERT INTO EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, NOMEFANTASIA, TIPOINSCR, "
                "INSCRFEDERAL, INSCRESTAD, INSCRMUNIC, ENDERECO, NUMERO, COMPLEMENTO, BAIRRO, "
                "CIDADE, UF, CEP, TELEFONE, EMAIL, NOMEJUNTA, NIRE, DATAREGJUNTA, NOMECARTORIO, "
                "NUMREGCARTORIO, DATAREGCARTORIO, DATAINICIOATIV, ATIVA) VALUES "
                "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
  ins.Int(1, 1).Text(2, "Metalúrgica Horizonte Indústria e Comércio Ltda").Text(3, "Horizonte Metais")
      .Int(4, 1).Text(5, MakeCnpj("23456781", 1))
      .Text(6, MakeInscricaoEstadualSP("24407831", "12")).Text(7, "3104587")
      .Text(8, "Rodovia Dom Pedro I, km 127").Text(9, "s/n").Text(10, "Galpão 3")
      .Text(11, "Jardim Santa Mônica").Text(12, "Campinas").Text(13, "SP").Text(14, "13087500")
      .Text(15, "(19) 3251-7700").Text(16, "fiscal@horizontemetais.com.br")
      .Text(17, "Junta Comercial do Estado de São Paulo").Text(18, "35223456789")
      .Text(19, "2009-02-17").Null(20).Null(21).Null(22).Text(23, "2009-03-02").Int(24, 1).Run();
  ins.Int(1, 2).Text(2, "Distribuidora Araucária de Materiais de Construção S.A.")
      .Text(3, "Araucária Materiais").Int(4, 1).Text(5, MakeCnpj("45678912", 1))
      .Text(6, MakeInscricaoEstadualPR("90412375")).Text(7, "0140023651")
      .Text(8, "Avenida Senador Salgado Filho").Text(9, "4180").Null(10).Text(11, "Uberaba")
      .Text(12, "Curitiba").Text(13, "PR").Text(14, "81570001").Text(15, "(41) 3378-2200")
      .Text(16, "contabil@araucariamateriais.com.br")
      .Text(17, "Junta Comercial do Paraná").Text(18, "41300098765").Text(19, "2012-04-30")
      .Text(20, "2º Ofício de Registro de Títulos e Documentos de Curitiba")
      .Text(21, "118.342").Text(22, "2012-05-08").Text(23, "2012-05-14").Int(24, 1).Run();
}

struct EstabDef {
  int company;
  int code;
  const char* name;
  const char* nick;
  Address address;
  const char* ieBase;   // state inscription digits fed to the check-digit makers
  const char* municipal;
  const char* start;    // empty: computed from the options
  double stockShare;
};

const EstabDef kEstabs[] = {
    {1, 1, "Metalúrgica Horizonte Indústria e Comércio Ltda", "Matriz Campinas",
     {"Rodovia Dom Pedro I, km 127", "s/n", "Jardim Santa Mônica", "Campinas", "SP", "13087500"},
     "24407831", "3104587", "2009-03-02", 0.75},
    {1, 2, "Metalúrgica Horizonte - Filial Sorocaba", "Filial Sorocaba",
     {"Avenida Itavuvu", "2870", "Jardim Santa Cecília", "Sorocaba", "SP", "18078005"},
     "66912044", "88123", "2016-07-01", 0.3},
    {1, 3, "Metalúrgica Horizonte - Filial Ribeirão Preto", "Filial Ribeirão Preto",
     {"Avenida Presidente Kennedy", "1500", "Ribeirânia", "Ribeirão Preto", "SP", "14096350"},
     "79713390", "412907", "2019-02-01", 0.3},
    {2, 1, "Distribuidora Araucária de Materiais de Construção S.A.", "Matriz Curitiba",
     {"Avenida Senador Salgado Filho", "4180", "Uberaba", "Curitiba", "PR", "81570001"},
     "90412375", "0140023651", "2012-05-14", 0.75},
    {2, 2, "Distribuidora Araucária - Filial Londrina", "Filial Londrina",
     {"Avenida Tiradentes", "6275", "Jardim Rosicler", "Londrina", "PR", "86072000"},
     "90877153", "1029384", "", 0.35},
};

std::string StateInscription(const EstabDef& e) {
  std::string uf = e.address.uf;
  return uf == "SP" ? MakeInscricaoEstadualSP(e.ieBase, "11") : MakeInscricaoEstadualPR(e.ieBase);
}

// Month `index` (0 = January of options.year) as year and month.
void MonthOf(const DemoOptions& o, int index, int& year, int& month) {
  year = o.year + index / 12;
  month = index % 12 + 1;
}

void WriteEstabs(SqlDb& db, const DemoOptions& o, DemoPlan& plan) {
  // The third establishment of the first company closes on day 15 of the month two thirds
  // into the span; the second of the second company opens on the first day of the third month.
  int closeIndex = o.months >= 2 ? std::max(1, (2 * o.months + 2) / 3 - 1) : 0;
  int openIndex = std::min(2, o.months - 1);
  int y, m;
  MonthOf(o, closeIndex, y, m);
  std::string closeDate = IsoDate(y, m, 15);
  MonthOf(o, openIndex, y, m);
  std::string openDate = IsoDate(y, m, 1);

  SqlInsert estab(db,
                  "INSERT INTO ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, APELIDOESTAB, "
                  "TIPOINSCR, INSCRFEDERAL, INSCRESTAD, INSCRMUNIC, CODIGOATIVMUNIC, ENDERECO, "
                  "NUMERO, BAIRRO, CIDADE, UF, CEP, DATAINICIOATIV, DATAENCERATIV) VALUES "
                  "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
  SqlInsert history(db,
                    "INSERT INTO ESTABHISTORICO (CODIGOEMPRESA, CODIGOESTAB, DATAVIGENCIA, "
                    "NOMEESTAB, TIPOINSCR, INSCRFEDERAL, INSCRESTAD, INSCRMUNIC, "
                    "CODIGOATIVMUNIC, ENDERECO, CIDADE, UF) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)");
  for (const EstabDef& e : kEstabs) {
    const char* root = e.company == 1 ? "23456781" : "45678912";
    std::string cnpj = MakeCnpj(root, e.code);
    std::string start = *e.start ? e.start : openDate;
    bool closes = e.company == 1 && e.code == 3;
    std::string ie = StateInscription(e);
    const char* activity = e.company == 1 ? "2599-3/99" : "4744-0/99";
    std::string street = e.address.street;
    estab.Int(1, e.company).Int(2, e.code).Text(3, e.name).Text(4, e.nick).Int(5, 1)
        .Text(6, cnpj).Text(7, ie).Text(8, e.municipal).Text(9, activity).Text(10, street)
        .Text(11, e.address.number).Text(12, e.address.district).Text(13, e.address.city)
        .Text(14, e.address.uf).Text(15, e.address.cep).Text(16, start);
    if (closes) estab.Text(17, closeDate); else estab.Null(17);
    estab.Run();

    // History: the head office of the first company moved in 2021 (two rows, the later one is
    // current); the establishment opened during the span has no history yet.
    if (e.company == 2 && e.code == 2) continue;
    if (e.company == 1 && e.code == 1) {
      history.Int(1, 1).Int(2, 1).Text(3, start).Text(4, "Metalúrgica Horizonte Ltda")
          .Int(5, 1).Text(6, cnpj).Text(7, ie).Text(8, e.municipal).Text(9, activity)
          .Text(10, "Rua Barão de Jaguara, 1120").Text(11, "Campinas").Text(12, "SP").Run();
      history.Int(1, 1).Int(2, 1).Text(3, "2021-06-01").Text(4, e.name).Int(5, 1).Text(6, cnpj)
          .Text(7, ie).Text(8, e.municipal).Text(9, activity).Text(10, street + ", " + e.address.number)
          .Text(11, e.address.city).Text(12, e.address.uf).Run();
      continue;
    }
    history.Int(1, e.company).Int(2, e.code).Text(3, start).Text(4, e.name).Int(5, 1)
        .Text(6, cnpj).Text(7, ie).Text(8, e.municipal).Text(9, activity)
        .Text(10, street + ", " + e.address.number).Text(11, e.address.city)
        .Text(12, e.address.uf).Run();
  }
  for (const EstabDef& e : kEstabs) {
    EstabPlan p;
    p.company = e.company - 1;
    p.code = e.code;
    p.start = *e.start ? e.start : openDate;
    if (e.company == 1 && e.code == 3) p.close = closeDate;
    p.stockShare = e.stockShare;
    plan.estabs.push_back(p);
  }
}

void WriteConfiguration(SqlDb& db, const DemoOptions& o) {
  db.Exec(
      "INSERT INTO CFGEMPRESAINV (CODIGOEMPRESA, QTDECASADECIMAL, QTDECASADECIMALQTD, "
      "LIVROMODELO7, MASCCLASSIFFISCALPROD, LANCAICMSRECUP, DETALHARPISCOFINSITEM, "
      "PERIODOINVENTARIO) VALUES (1, 2, 3, 1, '9999.99.99', 1, 0, 1), "
      "(2, 4, 2, 0, '9999.99.99', 0, 1, 1);"
      "INSERT INTO CONTADOR (CODIGOCONTADOR, NOMECONTADOR, CPF, CRC, UFCRC, EMAIL) VALUES "
      "(1, 'Marta Regina Albuquerque', '" + MakeCpf("284915736") + "', '1SP234567/O-8', 'SP', "
      "'marta@albuquerquecontabil.com.br'), "
      "(2, 'João Batista Kowalski', '" + MakeCpf("057318224") + "', '1PR045678/O-3', 'PR', "
      "'joao.kowalski@pinhaiscontabil.com.br');"
      "INSERT INTO CFGEMPRESAGEM (CODIGOEMPRESA, DESCRFOLHALIVRO, CODIGOCONTADOR, "
      "LOCALASSINATURA) VALUES (1, 'FOLHAS', 1, 'Campinas'), (2, 'Páginas', 2, 'Curitiba');"
      "INSERT INTO SOCIO (CODIGOEMPRESA, CODIGOSOCIO, NOMESOCIO, CPF, QUALIFICACAO, "
      "TIPOASSINANTE, ASSINALIVROS, DATAENTRADA, DATASAIDA) VALUES "
      "(1, 1, 'Henrique Tavares Moura', '" + MakeCpf("136479258") + "', 'Sócio-Administrador', "
      "1, 1, '2009-02-17', NULL), "
      "(1, 2, 'Luíza Camargo Moura', '" + MakeCpf("249351867") + "', 'Sócia', 1, 0, "
      "'2009-02-17', NULL), "
      "(2, 1, 'Célia Brandão Ferreira', '" + MakeCpf("318264975") + "', 'Diretora-Presidente', "
      "2, 1, '2012-04-30', NULL), "
      "(2, 2, 'Otávio Nunes Wiśniewski', '" + MakeCpf("427153689") + "', 'Diretor Financeiro', "
      "2, 1, '2015-03-02', NULL), "
      "(2, 3, 'Raul Gonçalves Prado', '" + MakeCpf("093745126") + "', 'Diretor Comercial', "
      "2, 1, '2012-04-30', '2020-11-30');");

  // Book control of the inventory register (book type 11). The last establishment has no
  // settings: the book control's defaults apply.
  db.Exec(
      "INSERT INTO CONTROLELIVRO (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, INCLIVROMES, "
      "FRENTEVERSO, TIPOIMPNUMERACAO, LIMITEFOLHAS, LEGENDAFOLHA) VALUES "
      "(1, 1, 11, '1;7', 0, 0, 300, 'Folha'), "
      "(1, 2, 11, '1', 1, 1, 200, 'Folha'), "
      "(1, 3, 11, NULL, 0, 0, 500, 'Folha'), "
      "(2, 1, 11, '1', 1, 0, 400, 'Página');");
  // Numbering implanted for the head offices; the Sorocaba book continues after a period
  // printed last year.
  std::string before = IsoDate(o.year - 1, 12, 31);
  db.Exec(
      "INSERT INTO LIVRONUMERACAO (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, DATAIMPLANTACAO, "
      "NUMLIVRO, ULTIMAFOLHA) VALUES (1, 1, 11, '" + before + "', 3, 120), "
      "(2, 1, 11, '" + IsoDate(o.year, 1, 1) + "', 1, 0);"
      "INSERT INTO LIVROPERIODO (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, DATAINICIAL, DATAFINAL, "
      "NUMLIVRO, ULTIMAFOLHA, COMTERMOS, DATAIMPRESSAO) VALUES (1, 2, 11, '" +
      IsoDate(o.year - 1, 1, 1) + "', '" + before + "', 2, 180, 1, '" + IsoDate(o.year, 1, 20) +
      " 10:15:00');");
}

void WriteAccounts(SqlDb& db) {
  struct Account {
    int code;
    const char* classif;
    const char* descr;
    int type;
  };
  static const Account kAccounts[] = {
      {1, "1", "ATIVO", 1},
      {11, "1.1", "ATIVO CIRCULANTE", 1},
      {114, "1.1.04", "ESTOQUES", 1},
      {1141, "1.1.04.01", "Matérias-primas", 2},
      {1142, "1.1.04.02", "Produtos acabados", 2},
      {1143, "1.1.04.03", "Mercadorias para revenda", 2},
      {1144, "1.1.04.04", "Materiais de uso e consumo", 2},
      {kContaEmPoderDeTerceiros, "1.1.04.05", "Estoques em poder de terceiros", 2},
      {8, "8", "CONTAS DE COMPENSAÇÃO", 1},
      {81, "8.1", "BENS DE TERCEIROS", 1},
      {kContaDeTerceiros, "8.1.01", "Mercadorias de terceiros em nosso poder", 2},
  };
  SqlInsert ins(db, "INSERT INTO PLANOESPEC (CODIGOEMPRESA, CONTACTB, CLASSIFCONTA, DESCRCONTA, "
                    "TIPOCONTA) VALUES (?,?,?,?,?)");
  for (int company = 1; company <= 2; ++company)
    for (const Account& a : kAccounts)
      ins.Int(1, company).Int(2, a.code).Text(3, a.classif).Text(4, a.descr).Int(5, a.type).Run();
}

void WriteThirdParties(SqlDb& db, DemoPlan& plan) {
  struct Party {
    const char* name;
    const char* root;
    const char* city;
    const char* uf;
  };
  static const Party kParties[2][3] = {
      {{"Galvanoplastia Paulista Ltda", "31459267", "Jundiaí", "SP"},
       {"Armazéns Gerais Tietê S.A.", "52873194", "Barueri", "SP"},
       {"Usinagem Precisão Indaiatuba Ltda", "60918427", "Indaiatuba", "SP"}},
      {{"Comercial Ipê Consignações Ltda", "17365482", "Ponta Grossa", "PR"},
       {"Transportes e Armazéns Iguaçu Ltda", "28504613", "São José dos Pinhais", "PR"},
       {"Cerâmica Vale do Ivaí Ltda", "39641758", "Apucarana", "PR"}}};
  SqlInsert ins(db, "INSERT INTO TERCEIRO (CODIGOEMPRESA, CODIGOTERCEIRO, NOMETERCEIRO, "
                    "TIPOINSCR, INSCRFEDERAL, CIDADE, UF) VALUES (?,?,?,?,?,?,?)");
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < 3; ++i) {
      const Party& p = kParties[c][i];
      ins.Int(1, c + 1).Int(2, i + 1).Text(3, p.name).Int(4, 1).Text(5, MakeCnpj(p.root, 1))
          .Text(6, p.city).Text(7, p.uf).Run();
      plan.companies[c].thirdParties.push_back(i + 1);
      plan.companies[c].thirdPartyNames.push_back(p.name);
    }
  }
}

void WriteGroups(SqlDb& db, DemoPlan& plan) {
  SqlInsert ins(db, "INSERT INTO GRUPOPRODUTO (CODIGOEMPRESA, CODIGOGRUPOPRODUTO, "
                    "CLASSIFGRUPOPRODUTO, DESCRGRUPOPRODUTO, TIPOGRUPOPRODUTO, CONTACTB) "
                    "VALUES (?,?,?,?,?,?)");
  for (int company = 1; company <= 2; ++company) {
    for (int g = 0; g < kGroupCount; ++g) {
      bool analytic = IsAnalytic(g);
      ins.Int(1, company).Int(2, g + 1).Text(3, kGroups[g].classif).Text(4, kGroups[g].descr)
          .Int(5, analytic ? 2 : 1);
      if (analytic) ins.Int(6, kGroups[g].account); else ins.Null(6);
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

  SqlInsert ins(db, "INSERT INTO PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, "
                    "UNIDADEMEDIDA, CODIGONCM, CODIGOGRUPOPRODUTO, ATIVO, DATACADASTRO) "
                    "VALUES (?,?,?,?,?,?,?,?)");
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
      ins.Int(1, c + 1).Int(2, code).Text(3, descr).Text(4, item.unit)
          .OptText(5, withoutNcm ? nullptr : item.ncm).Int(6, group + 1).Int(7, inactive ? 0 : 1)
          .Text(8, IsoDate(regYear, regMonth, regDay)).Run();

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

DemoPlan WriteMasterData(SqlDb& db, const DemoOptions& options) {
  DemoPlan plan;
  plan.companies.resize(2);
  plan.companies[0].code = 1;
  plan.companies[0].priceDecimals = 2;
  plan.companies[0].quantityDecimals = 3;
  plan.companies[0].model7 = true;
  plan.companies[0].icmsPerItem = true;
  plan.companies[1].code = 2;
  plan.companies[1].priceDecimals = 4;
  plan.companies[1].quantityDecimals = 2;
  plan.companies[1].pisCofinsPerItem = true;

  WriteCompanies(db);
  WriteEstabs(db, options, plan);
  WriteConfiguration(db, options);
  WriteAccounts(db);
  WriteThirdParties(db, plan);
  WriteGroups(db, plan);
  WriteProducts(db, options, plan);
  return plan;
}

}  // namespace stock::demo
