#include "demo/DemoCatalog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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
  ins.Int(1, 1)
      .Text(2, "Metalúrgica Horizonte Indústria e Comércio Ltda")
      .Text(3, "Horizonte Metais")
      .Int(4, 1)
      .Text(5, MakeCnpj("23456781", 1))
      .Text(6, MakeInscricaoEstadualSP("24407831", "11"))
      .Text(7, "3104587")
      .Text(8, "Rodovia Dom Pedro I, km 127")
      .Text(9, "s/n")
      .Text(10, "Galpão 3")
      .Text(11, "Jardim Santa Mônica")
      .Text(12, "Campinas")
      .Text(13, "SP")
      .Text(14, "13087500")
      .Text(15, "(19) 3251-7700")
      .Text(16, "fiscal@horizontemetais.com.br")
      .Text(17, "Junta Comercial do Estado de São Paulo")
      .Text(18, "35223456789")
      .Text(19, "2009-02-17")
      .Null(20)
      .Null(21)
      .Null(22)
      .Text(23, "2009-03-02")
      .Int(24, 1)
      .Run();
  ins.Int(1, 2)
      .Text(2, "Distribuidora Araucária de Materiais de Construção S.A.")
      .Text(3, "Araucária Materiais")
      .Int(4, 1)
      .Text(5, MakeCnpj("45678912", 1))
      .Text(6, MakeInscricaoEstadualPR("90412375"))
      .Text(7, "0140023651")
      .Text(8, "Avenida Senador Salgado Filho")
      .Text(9, "4180")
      .Null(10)
      .Text(11, "Uberaba")
      .Text(12, "Curitiba")
      .Text(13, "PR")
      .Text(14, "81570001")
      .Text(15, "(41) 3378-2200")
      .Text(16, "contabil@araucariamateriais.com.br")
      .Text(17, "Junta Comercial do Paraná")
      .Text(18, "41300098765")
      .Text(19, "2012-04-30")
      .Text(20, "2º Ofício de Registro de Títulos e Documentos de Curitiba")
      .Text(21, "118.342")
      .Text(22, "2012-05-08")
      .Text(23, "2012-05-14")
      .Int(24, 1)
      .Run();
}

struct EstabDef {
  int company;
  int code;
  const char* name;
  const char* nick;
  Address address;
  const char* ieBase;  // state inscription digits fed to the check-digit makers
  const char* municipal;
  const char* start;  // empty: computed from the options
  double stockShare;
};

const EstabDef kEstabs[] = {
    {1,
     1,
     "Metalúrgica Horizonte Indústria e Comércio Ltda",
     "Matriz Campinas",
     {"Rodovia Dom Pedro I, km 127", "s/n", "Jardim Santa Mônica", "Campinas", "SP", "13087500"},
     "24407831",
     "3104587",
     "2009-03-02",
     0.75},
    {1,
     2,
     "Metalúrgica Horizonte - Filial Sorocaba",
     "Filial Sorocaba",
     {"Avenida Itavuvu", "2870", "Jardim Santa Cecília", "Sorocaba", "SP", "18078005"},
     "66912044",
     "88123",
     "2016-07-01",
     0.3},
    {1,
     3,
     "Metalúrgica Horizonte - Filial Ribeirão Preto",
     "Filial Ribeirão Preto",
     {"Avenida Presidente Kennedy", "1500", "Ribeirânia", "Ribeirão Preto", "SP", "14096350"},
     "79713390",
     "412907",
     "2019-02-01",
     0.3},
    {2,
     1,
     "Distribuidora Araucária de Materiais de Construção S.A.",
     "Matriz Curitiba",
     {"Avenida Senador Salgado Filho", "4180", "Uberaba", "Curitiba", "PR", "81570001"},
     "90412375",
     "0140023651",
     "2012-05-14",
     0.75},
    {2,
     2,
     "Distribuidora Araucária - Filial Londrina",
     "Filial Londrina",
     {"Avenida Tiradentes", "6275", "Jardim Rosicler", "Londrina", "PR", "86072000"},
     "90877153",
     "1029384",
     "",
     0.35},
};

// The 7-digit IBGE code of a municipality of the demo's addresses.
std::string IbgeCode(std::string_view city) {
  static const std::pair<std::string_view, const char*> kCodes[] = {
      {"Campinas", "3509502"},       {"Sorocaba", "3552205"},
      {"Ribeirão Preto", "3543402"}, {"Curitiba", "4106902"},
      {"Londrina", "4113700"},       {"Jundiaí", "3525904"},
      {"Barueri", "3505708"},        {"Indaiatuba", "3520509"},
      {"Ponta Grossa", "4119905"},   {"São José dos Pinhais", "4125506"},
      {"Apucarana", "4101408"}};
  for (const auto& [name, code] : kCodes)
    if (name == city) return code;
  return {};
}

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
                  "NUMERO, BAIRRO, CIDADE, UF, CEP, DATAINICIOATIV, DATAENCERATIV, "
                  "CODIGOMUNIBGE, ATIVIDADEEFD) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
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
    estab.Int(1, e.company)
        .Int(2, e.code)
        .Text(3, e.name)
        .Text(4, e.nick)
        .Int(5, 1)
        .Text(6, cnpj)
        .Text(7, ie)
        .Text(8, e.municipal)
        .Text(9, activity)
        .Text(10, street)
        .Text(11, e.address.number)
        .Text(12, e.address.district)
        .Text(13, e.address.city)
        .Text(14, e.address.uf)
        .Text(15, e.address.cep)
        .Text(16, start);
    if (closes)
      estab.Text(17, closeDate);
    else
      estab.Null(17);
    // The first company makes what it sells (industrial, for the EFD file); the second
    // distributes.
    estab.Text(18, IbgeCode(e.address.city)).Int(19, e.company == 1 ? 0 : 1);
    estab.Run();

    // History: the head office of the first company moved in 2021 (two rows, the later one is
    // current); the establishment opened during the span has no history yet.
    if (e.company == 2 && e.code == 2) continue;
    // One history row from `since`, under `name`, at `address` in `city` (`uf`).
    auto historyRow = [&](const std::string& since, const std::string& name,
                          const std::string& address, const std::string& city,
                          const std::string& uf) {
      history.Int(1, e.company).Int(2, e.code).Text(3, since).Text(4, name).Int(5, 1);
      history.Text(6, cnpj).Text(7, ie).Text(8, e.municipal).Text(9, activity);
      history.Text(10, address).Text(11, city).Text(12, uf).Run();
    };
    const std::string current = street + ", " + e.address.number;
    if (e.company == 1 && e.code == 1) {
      historyRow(start, "Metalúrgica Horizonte Ltda", "Rua Barão de Jaguara, 1120", "Campinas",
                 "SP");
      historyRow("2021-06-01", e.name, current, e.address.city, e.address.uf);
      continue;
    }
    historyRow(start, e.name, current, e.address.city, e.address.uf);
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
      "(1, 'Marta Regina Albuquerque', '" +
      MakeCpf("284915736") +
      "', '1SP234567/O-8', 'SP', "
      "'marta@albuquerquecontabil.com.br'), "
      "(2, 'João Batista Kowalski', '" +
      MakeCpf("057318224") +
      "', '1PR045678/O-3', 'PR', "
      "'joao.kowalski@pinhaiscontabil.com.br');"
      "INSERT INTO CFGEMPRESAGEM (CODIGOEMPRESA, DESCRFOLHALIVRO, CODIGOCONTADOR, "
      "LOCALASSINATURA) VALUES (1, 'FOLHAS', 1, 'Campinas'), (2, 'Páginas', 2, 'Curitiba');"
      "INSERT INTO SOCIO (CODIGOEMPRESA, CODIGOSOCIO, NOMESOCIO, CPF, QUALIFICACAO, "
      "TIPOASSINANTE, ASSINALIVROS, DATAENTRADA, DATASAIDA) VALUES "
      "(1, 1, 'Henrique Tavares Moura', '" +
      MakeCpf("136479258") +
      "', 'Sócio-Administrador', "
      "1, 1, '2009-02-17', NULL), "
      "(1, 2, 'Luíza Camargo Moura', '" +
      MakeCpf("249351867") +
      "', 'Sócia', 1, 0, "
      "'2009-02-17', NULL), "
      "(2, 1, 'Célia Brandão Ferreira', '" +
      MakeCpf("318264975") +
      "', 'Diretora-Presidente', "
      "2, 1, '2012-04-30', NULL), "
      "(2, 2, 'Otávio Nunes Wiśniewski', '" +
      MakeCpf("427153689") +
      "', 'Diretor Financeiro', "
      "2, 1, '2015-03-02', NULL), "
      "(2, 3, 'Raul Gonçalves Prado', '" +
      MakeCpf("093745126") +
      "', 'Diretor Comercial', "
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
      "NUMLIVRO, ULTIMAFOLHA) VALUES (1, 1, 11, '" +
      before +
      "', 3, 120), "
      "(2, 1, 11, '" +
      IsoDate(o.year, 1, 1) +
      "', 1, 0);"
      "INSERT INTO LIVROPERIODO (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, DATAINICIAL, DATAFINAL, "
      "NUMLIVRO, ULTIMAFOLHA, COMTERMOS, DATAIMPRESSAO) VALUES (1, 2, 11, '" +
      IsoDate(o.year - 1, 1, 1) + "', '" + before + "', 2, 180, 1, '" + IsoDate(o.year, 1, 20) +
      " 10:15:00');");
}

// A company that only the book terms print: every registry and address column near its longest
// allowed value and five directors who sign the books, so that the terms show how long data
// wraps and how many signatures share a page. It has no products, inventory or book control,
// so no other report prints anything for it.
void WriteTermsShowcase(SqlDb& db) {
  SqlInsert empresa(db,
                    "INSERT INTO EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, NOMEFANTASIA, TIPOINSCR, "
                    "INSCRFEDERAL, INSCRESTAD, INSCRMUNIC, ENDERECO, NUMERO, COMPLEMENTO, BAIRRO, "
                    "CIDADE, UF, CEP, NOMEJUNTA, NIRE, DATAREGJUNTA, NOMECARTORIO, NUMREGCARTORIO, "
                    "DATAREGCARTORIO, DATAINICIOATIV, ATIVA) VALUES "
                    "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
  const char* nome =
      "Cia. Sul-Mato-Grossense de Comércio Atacadista de Materiais de Construção, Ferragens e "
      "Tintas S.A.";
  const char* endereco =
      "Avenida Marechal Deodoro da Fonseca Filho, esquina com a Rua Desembargador Leão Neto do "
      "Carmo";
  const char* complemento = "Bloco B, Galpões 14 a 19, Portaria Norte";
  const char* bairro = "Distrito Industrial Indubrasil - Setor de Armazéns Gerais";
  empresa.Int(1, 3)
      .Text(2, nome)
      .Text(3, "Sul-Mato-Grossense Materiais de Construção")
      .Int(4, 1)
      .Text(5, MakeCnpj("61234570", 1))
      .Text(6, "283456781")
      .Text(7, "00987654321234567890")
      .Text(8, endereco)
      .Text(9, "12345-A")
      .Text(10, complemento)
      .Text(11, bairro)
      .Text(12, "Campo Grande")
      .Text(13, "MS")
      .Text(14, "79108550")
      .Text(15, "Junta Comercial do Estado de Mato Grosso do Sul - Escritório de Campo Grande")
      .Text(16, "54300012345678901234")
      .Text(17, "2011-08-22")
      .Text(18, "1º Serviço de Registro Civil das Pessoas Jurídicas e de Títulos e Documentos")
      .Text(19, "RCPJ 118.342/2012")
      .Text(20, "2012-05-08")
      .Text(21, "2011-09-01")
      .Int(22, 1)
      .Run();
  SqlInsert estab(
      db,
      "INSERT INTO ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, APELIDOESTAB, TIPOINSCR, "
      "INSCRFEDERAL, INSCRESTAD, INSCRMUNIC, CODIGOATIVMUNIC, ENDERECO, NUMERO, COMPLEMENTO, "
      "BAIRRO, CIDADE, UF, CEP, DATAINICIOATIV) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
  estab.Int(1, 3)
      .Int(2, 1)
      .Text(3, nome)
      .Text(4, "Matriz Campo Grande")
      .Int(5, 1)
      .Text(6, MakeCnpj("61234570", 1))
      .Text(7, "283456781")
      .Text(8, "00987654321234567890")
      .Text(9, "4744-0/99")
      .Text(10, endereco)
      .Text(11, "12345-A")
      .Text(12, complemento)
      .Text(13, bairro)
      .Text(14, "Campo Grande")
      .Text(15, "MS")
      .Text(16, "79108550")
      .Text(17, "2011-09-01")
      .Run();
  db.Exec(
      "INSERT INTO CONTADOR (CODIGOCONTADOR, NOMECONTADOR, CPF, CRC, UFCRC, EMAIL) VALUES "
      "(3, 'Maria Aparecida de Albuquerque Cavalcanti Wanderley de Vasconcellos Bittencourt', '" +
      MakeCpf("518273649") +
      "', '1MS009876/O-5', 'MS', NULL);"
      "INSERT INTO CFGEMPRESAGEM (CODIGOEMPRESA, DESCRFOLHALIVRO, CODIGOCONTADOR, LOCALASSINATURA) "
      "VALUES (3, 'Folhas', 3, NULL);"
      "INSERT INTO SOCIO (CODIGOEMPRESA, CODIGOSOCIO, NOMESOCIO, CPF, QUALIFICACAO, TIPOASSINANTE, "
      "ASSINALIVROS, DATAENTRADA, DATASAIDA) VALUES "
      "(3, 1, 'Francisco de Assis Bezerra de Menezes Cavalcanti de Albuquerque Neto', '" +
      MakeCpf("123948576") +
      "', 'Diretor-Presidente e Diretor de Relações com Investidores', 2, 1, "
      "'2011-08-22', NULL), "
      "(3, 2, 'Ana Beatriz Guimarães', '" +
      MakeCpf("234859607") +
      "', 'Diretora Financeira', 2, 1, "
      "'2011-08-22', NULL), "
      "(3, 3, 'José Roberto Nogueira Sampaio', '" +
      MakeCpf("345960718") +
      "', "
      "'Diretor Comercial', 2, 1, '2014-02-03', NULL), "
      "(3, 4, 'Luciana Yamamoto Ferreira da Silva', '" +
      MakeCpf("456071829") +
      "', "
      "'Diretora de Operações e Logística', 2, 1, '2016-09-12', NULL), "
      "(3, 5, 'Eduardo Kazuo Tanaka', '" +
      MakeCpf("567182930") +
      "', 'Diretor Jurídico', 2, 1, "
      "'2019-04-01', NULL);");
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
  SqlInsert ins(db,
                "INSERT INTO PLANOESPEC (CODIGOEMPRESA, CONTACTB, CLASSIFCONTA, DESCRCONTA, "
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
    const char* street;
  };
  static const Party kParties[2][3] = {
      {{"Galvanoplastia Paulista Ltda", "31459267", "Jundiaí", "SP", "Rua do Retiro, 2210"},
       {"Armazéns Gerais Tietê S.A.", "52873194", "Barueri", "SP", "Avenida Tamboré, 1400"},
       {"Usinagem Precisão Indaiatuba Ltda", "60918427", "Indaiatuba", "SP",
        "Rua Ítalo Sacilotto, 35"}},
      {{"Comercial Ipê Consignações Ltda", "17365482", "Ponta Grossa", "PR",
        "Avenida Visconde de Taunay, 950"},
       {"Transportes e Armazéns Iguaçu Ltda", "28504613", "São José dos Pinhais", "PR",
        "Avenida Rui Barbosa, 6200"},
       {"Cerâmica Vale do Ivaí Ltda", "39641758", "Apucarana", "PR", "Rodovia BR-376, km 246"}}};
  SqlInsert ins(db,
                "INSERT INTO TERCEIRO (CODIGOEMPRESA, CODIGOTERCEIRO, NOMETERCEIRO, "
                "TIPOINSCR, INSCRFEDERAL, CIDADE, UF, ENDERECO, CODIGOMUNIBGE) "
                "VALUES (?,?,?,?,?,?,?,?,?)");
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < 3; ++i) {
      const Party& p = kParties[c][i];
      ins.Int(1, c + 1)
          .Int(2, i + 1)
          .Text(3, p.name)
          .Int(4, 1)
          .Text(5, MakeCnpj(p.root, 1))
          .Text(6, p.city)
          .Text(7, p.uf)
          .Text(8, p.street)
          .Text(9, IbgeCode(p.city))
          .Run();
      plan.companies[c].thirdParties.push_back(i + 1);
      plan.companies[c].thirdPartyNames.push_back(p.name);
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
  WriteTermsShowcase(db);
  WriteAccounts(db);
  WriteThirdParties(db, plan);
  WriteGroupsAndProducts(db, options, plan);
  return plan;
}

}  // namespace stock::demo