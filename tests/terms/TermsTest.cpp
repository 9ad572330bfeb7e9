// The opening and closing terms of the inventory book printed through their plug-in, asserted
// on the trace. Parameters are filled the way the register book fills them when it prints the
// terms inside itself (straight into the definition, no parameter screen), unless a test says.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "reportkit/output/TraceDevice.h"
#include "rtl/Exception.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

using Strings = std::vector<std::string>;
using Params = std::vector<std::pair<std::string, std::string>>;

const std::string kMarker = "/-#%*&-/";

class Terms : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    // Alfa (company 1) has a signing partner and an accountant; Beta (2) has neither. Alfa's
    // branch 2 opened on 01/03/2026, inside the book period.
    Exec(R"(
      insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, NOMEFANTASIA, TIPOINSCR, INSCRFEDERAL,
                           NOMEJUNTA, NIRE, DATAREGJUNTA) values
        (1, 'Alfa Ltda', 'Alfa', 1, '11222333000181', 'Junta Comercial de SP', '35200000001',
         '2010-05-03'),
        (2, 'Beta S.A.', NULL, 1, '11444777000161', NULL, NULL, NULL);
      insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, TIPOINSCR, INSCRFEDERAL,
                         INSCRESTAD, INSCRMUNIC, CODIGOATIVMUNIC, CIDADE, UF, CEP,
                         DATAINICIOATIV) values
        (1, 1, 'Alfa Matriz', 1, '11222333000181', '110042490114', '3104587', '', 'Campinas',
         'SP', '13087500', '2010-05-10'),
        (1, 2, 'Alfa Filial', 1, '11222333000262', '110042490220', '88123', '4744-0/99',
         'Sorocaba', 'SP', NULL, '2026-03-01'),
        (2, 1, 'Beta Matriz', 2, '12345678909', 'ISENTO', NULL, NULL, 'Curitiba', 'PR', NULL,
         '2012-01-02');
      insert into CFGEMPRESAGEM (CODIGOEMPRESA, DESCRFOLHALIVRO, CODIGOCONTADOR) values
        (1, 'FOLHAS', 1), (2, NULL, NULL);
      insert into CONTADOR (CODIGOCONTADOR, NOMECONTADOR, CPF, CRC, UFCRC) values
        (1, 'Ana Contadora', '12345678909', '1SP000001/O-1', 'SP');
      insert into SOCIO (CODIGOEMPRESA, CODIGOSOCIO, NOMESOCIO, CPF, QUALIFICACAO,
                         TIPOASSINANTE, ASSINALIVROS, DATAENTRADA, DATASAIDA) values
        (1, 1, 'Bruno Sócio', '98765432100', 'Sócio-Administrador', 1, 1, '2010-05-03', NULL),
        (1, 2, 'Carla Saiu', '11144477735', 'Sócia', 1, 1, '2010-05-03', '2025-06-30'),
        (1, 3, 'Davi Não Assina', '11144477735', 'Sócio', 1, 0, '2010-05-03', NULL);
    )");
  }

  // Prints `definition` with the book's usual parameters, `extra` replacing or adding some.
  RunOutcome Run(const Params& extra = {}, ProgressHandler progress = nullptr,
                 const std::string& definition = "stockBookTermsLayout",
                 const std::string& published = "") {
    Params params = {{"pDataInicial", "01/01/2026"},
                     {"pDataFinal", "31/12/2026"},
                     {"pNumeroLivro", "3"},
                     {"pNumeroFolha", "250"},
                     {"pAssinSocio", "1"},
                     {"pAssinCont", "1"},
                     {"pTermo", "3"}};
    for (const auto& [name, value] : extra) {
      auto it =
          std::find_if(params.begin(), params.end(), [&](auto& p) { return p.first == name; });
      if (it != params.end())
        it->second = value;
      else
        params.emplace_back(name, value);
    }
    trace_ = published.empty() ? std::make_unique<TraceDevice>()
                               : std::make_unique<TraceDevice>(published);
    module_ = OpenReportModule(definition);
    for (const auto& [name, value] : params)
      module_->GetReport()->GetParams()->SetValues(name, value);
    return RunReport(*module_, {definition, {}, std::move(progress)}, *trace_);
  }

  // A copy of the portrait definition, named `name`, whose "gemVDadosTermo" gives `pieces`
  // joined by the marker; the definition folder becomes the test's own.
  void ProbeDefinition(const std::string& name, const Strings& pieces) {
    std::ifstream in(std::string(std::getenv("STOCK_DEFINITION_DIR")) +
                     "/stockBookTermsLayout.json");
    nlohmann::json def = nlohmann::json::parse(in);
    std::string joined;
    for (size_t i = 0; i < pieces.size(); ++i) joined += (i ? kMarker : "") + pieces[i];
    def["name"] = name;
    for (auto& f : def["functions"]) {
      if (f["name"] != "gemVDadosTermo") continue;
      f.erase("query");
      if (joined.empty())
        f["query"] = "select ''";
      else
        f["text"] = joined;
    }
    std::ofstream(dir_ + "/" + name + ".json") << def.dump();
    std::filesystem::copy_file(
        std::string(std::getenv("STOCK_DEFINITION_DIR")) + "/stockBookTermsLayout.json",
        dir_ + "/stockBookTermsLayout.json", std::filesystem::copy_options::overwrite_existing);
    SetDefinitionDirectory(dir_);
  }

  static Strings Term() {
    Strings s = {"section 8"};
    for (int i = 0; i < 6; ++i) s.push_back("section 9");
    for (const char* x : {"section 10", "section 11", "section 12"}) s.push_back(x);
    return s;
  }
  static Strings BlankPage() {
    Strings s;
    for (int i = 0; i < 25; ++i) s.push_back("section 13");
    s.push_back("section 14");
    for (int i = 0; i < 20; ++i) s.push_back("section 15");
    return s;
  }
  // One page holding `body`, numbered `n`.
  static Strings Page(int n, const Strings& body) {
    Strings s = {"page " + std::to_string(n) + " begin", "section 1"};
    s.insert(s.end(), body.begin(), body.end());
    s.push_back("page " + std::to_string(n) + " end");
    return s;
  }
  static Strings Join(std::initializer_list<Strings> parts) {
    Strings s;
    for (const Strings& p : parts) s.insert(s.end(), p.begin(), p.end());
    return s;
  }
  // The legends of the registration lines without their dotted leader, which the label cuts at
  // its width; each must have kept some of it.
  Strings Legends() const {
    Strings out;
    for (std::string l : Shown(9, "Legenda")) {
      const size_t dots = l.find(" . . ");
      EXPECT_NE(dots, std::string::npos) << l;
      if (dots == std::string::npos) continue;
      for (size_t i = dots; i < l.size(); ++i) EXPECT_EQ(l[i], (i - dots) % 2 ? '.' : ' ') << l;
      while (!l.empty() && (l.back() == '.' || l.back() == ' ')) l.pop_back();
      out.push_back(l);
    }
    return out;
  }
  // A heading line of section 8 as it reads: its title label, then its value label.
  Strings Heading(const std::string& label) const {
    const Strings titles = Shown(8, "Tit" + label), values = Shown(8, label);
    Strings out;
    for (size_t i = 0; i < values.size(); ++i) {
      out.push_back(i < titles.size() && !titles[i].empty() ? titles[i] + " " + values[i]
                                                            : values[i]);
    }
    return out;
  }
  Strings Messages() const {
    Strings out;
    for (const std::string& l : Lines("message")) out.push_back(l);
    return out;
  }
};

TEST_F(Terms, WhichTermsPrintAndTheirPages) {
  struct Case {
    const char* termo;
    Strings events;
    Strings kinds;
  };
  const Strings both = Join({Page(1, Term()), Page(2, Term())});
  const Strings bothKinds = {"A B E R T U R A", "E N C E R R A M E N T O"};
  const Case cases[] = {
      {"3", both, bothKinds},
      {"", both, bothKinds},  // not a number: opening, page end and closing by their defaults
      {"x", both, bothKinds},
      {"1", Page(1, Term()), {"A B E R T U R A"}},
      {"2", Page(1, Term()), {"E N C E R R A M E N T O"}},
      {"0", {}, {}},  // no term, and no page
      {"7", {}, {}},
  };
  for (const Case& c : cases) {
    const RunOutcome outcome = Run({{"pCodigoEmpresa", "1"}, {"pTermo", c.termo}});
    EXPECT_EQ(Events(), c.events) << "pTermo=" << c.termo;
    EXPECT_EQ(Shown(8, "TipoTermo"), c.kinds) << "pTermo=" << c.termo;
    EXPECT_EQ(outcome.pages, static_cast<int>(c.kinds.size())) << "pTermo=" << c.termo;
  }
}

TEST_F(Terms, HeadingOfEachTerm) {
  Run({{"pCodigoEmpresa", "1..2"}});
  // The opening term is page 1 of the book, the closing term its last page.
  EXPECT_EQ(Shown(1, "Livro"), (Strings{" Livro: 0003  Folha: 0001", " Livro: 0003  Folha: 0250",
                                        " Livro: 0003  Folha: 0001", " Livro: 0003  Folha: 0250"}));
  EXPECT_EQ(Shown(8, "Empresa"), (Strings{"Alfa Ltda", "Alfa Ltda", "Beta S.A.", "Beta S.A."}));
  // Beta's head office is registered by a CPF (TIPOINSCR 2).
  EXPECT_EQ(Shown(8, "InscrFed"), (Strings{"11.222.333/0001-81", "11.222.333/0001-81",
                                           "123.456.789-09", "123.456.789-09"}));
  EXPECT_EQ(Heading("InscrEstadMunicipal"),
            (Strings{"Inscrição Estadual: 110.042.490.114", "Inscrição Estadual: 110.042.490.114",
                     "Inscrição Estadual: ISENTO", "Inscrição Estadual: ISENTO"}));
  const Strings text = Shown(8, "TextoTermo");
  ASSERT_EQ(text.size(), 4u);
  EXPECT_EQ(text[0],
            "Contém  este  livro  250  folhas,  numeradas  eletronicamente  de  1  a  250,  "
            "e  servirá  para  o  lançamento  do  Registro  de  Inventário  número  3  da  "
            "empresa  Alfa  Ltda,  no  período  de  01/01/2026  a  31/12/2026.");
  EXPECT_NE(text[1].find("e  serviu  para"), std::string::npos) << text[1];
  EXPECT_EQ(Lines("section 0").size(), 0u);
  // What each row tells the cost control: the company being printed.
  EXPECT_EQ(module_->GetReport()->GetParams()->GetValues("pControleCustoEmpresa"), "2");
}

TEST_F(Terms, PageWordOfEachCompany) {
  const std::pair<const char*, const char*> cases[] = {
      {"'FOLHAS'", " Livro: 0012  Folha: 0250"},   {"'PÁGINAS'", " Livro: 0012  Página: 0250"},
      {"'páginas'", " Livro: 0012  Página: 0250"}, {"'ss'", " Livro: 0012  : 0250"},
      {"NULL", " Livro: 0012  Folha: 0250"},       {"'Fl.'", " Livro: 0012  Fl.: 0250"},
  };
  for (const auto& [word, line] : cases) {
    Exec(std::string("update CFGEMPRESAGEM set DESCRFOLHALIVRO = ") + word +
         " where CODIGOEMPRESA = 1");
    Run({{"pCodigoEmpresa", "1"}, {"pTermo", "2"}, {"pNumeroLivro", " 12 "}});
    EXPECT_EQ(Shown(1, "Livro"), Strings{line}) << word;
  }
  // Each company keeps its own word: Beta has none configured.
  Exec("update CFGEMPRESAGEM set DESCRFOLHALIVRO = 'PÁGINAS' where CODIGOEMPRESA = 1");
  Run({{"pTermo", "1"}});
  EXPECT_EQ(Shown(1, "Livro"),
            (Strings{" Livro: 0003  Página: 0001", " Livro: 0003  Folha: 0001"}));
}

TEST_F(Terms, EstablishmentSelection) {
  // One code selects that establishment; a list, a range or nothing selects the head office.
  // The head office signs where the company says; a branch in its own city.
  Exec("update CFGEMPRESAGEM set LOCALASSINATURA = 'Valinhos' where CODIGOEMPRESA = 1");
  const std::pair<const char*, const char*> cases[] = {
      {"2", "Sorocaba (SP),  1 de março de 2026"},
      {"1;2", "Valinhos (SP),  1 de janeiro de 2026"},
      {"1..2", "Valinhos (SP),  1 de janeiro de 2026"},
      {"", "Valinhos (SP),  1 de janeiro de 2026"},
      {" 1 ", "Valinhos (SP),  1 de janeiro de 2026"},
  };
  for (const auto& [estab, place] : cases) {
    Run({{"pCodigoEmpresa", "1"}, {"pCodigoEstab", estab}});
    // The branch opened inside the book period: its opening term is dated when it opened.
    EXPECT_EQ(Shown(10, "LocalData"),
              (Strings{place, std::string(place).substr(0, std::string(place).find(',')) +
                                  ",  31 de dezembro de 2026"}))
        << "pCodigoEstab=" << estab;
  }
  // The branch's registration lines name its own city.
  Run({{"pCodigoEmpresa", "1"}, {"pCodigoEstab", "2"}, {"pTermo", "1"}});
  EXPECT_EQ(Shown(9, "Texto").at(3), "Sorocaba");
  // Without a company selection, the establishment code applies to every company that has it.
  Run({{"pCodigoEstab", "2"}, {"pTermo", "1"}});
  EXPECT_EQ(Shown(8, "Empresa"), Strings{"Alfa Ltda"});
}

TEST_F(Terms, StockOnTheFinalDateReplacesThePeriod) {
  const std::string period = "no  período  de  01/01/2026  a  31/12/2026";
  const std::string stock = "demonstrando  o  estoque  existente  em  31/12/2026";
  for (const char* flag : {"1", "2", "-1"}) {
    Run({{"pCodigoEmpresa", "1"}, {"pImpTermo", flag}, {"pDataInicial", " 01/01/2026 "}});
    for (const std::string& t : Shown(8, "TextoTermo")) {
      EXPECT_EQ(t.find(period), std::string::npos) << t;
      EXPECT_NE(t.find("Alfa  Ltda,  " + stock + "."), std::string::npos) << t;
    }
  }
  for (const char* flag : {"0", "", "x"}) {
    Run({{"pCodigoEmpresa", "1"}, {"pImpTermo", flag}});
    for (const std::string& t : Shown(8, "TextoTermo")) {
      EXPECT_NE(t.find(period), std::string::npos) << t;
      EXPECT_EQ(t.find(stock), std::string::npos) << t;
    }
  }
}

TEST_F(Terms, RegistrationLinesOfTheDefinition) {
  Run({{"pCodigoEmpresa", "1;2"}, {"pTermo", "1"}});
  EXPECT_EQ(Legends(),
            (Strings{"Registrado na Junta Comercial", "Nome fantasia", "Endereço", "Município",
                     "CEP", "Início das atividades", "Registrado na Junta Comercial",
                     "Nome fantasia", "Endereço", "Município", "CEP", "Início das atividades"}));
  EXPECT_EQ(Shown(9, "Texto"), (Strings{"Junta Comercial de SP, NIRE 35200000001, em 03/05/2010",
                                        "Alfa", "", "Campinas", "13087-500", "10/05/2010",
                                        "sem registro", "", "", "Curitiba", "", "02/01/2012"}));
  EXPECT_EQ(Shown(10, "LocalData"), (Strings{"Campinas (SP),  1 de janeiro de 2026",
                                             "Curitiba (PR),  1 de janeiro de 2026"}));
}

TEST_F(Terms, RegistrationPiecesAndPlace) {
  struct Case {
    Strings pieces;
    const char* termo;
    Strings legends, data;
    const char* place;
  };
  const Strings fourteen = {"JUNTA COMERCIAL", "123", "OAB", "55", "cartório", "9", "Outro",
                            "Cidade",          "x",   "y",   "z",  "w",        "q", "UF"};
  const Case cases[] = {
      {fourteen,
       "1",
       {"Registrado na JUNTA COMERCIAL", "Registrado na OAB", "Registrado no cartório", "Outro",
        "x", "z"},
       {"123", "55", "9", "Cidade", "y", "w"},
       "Cidade (UF),  1 de janeiro de 2026"},
      // A closing term leaves out the last two pieces.
      {fourteen,
       "2",
       {"Registrado na JUNTA COMERCIAL", "Registrado na OAB", "Registrado no cartório", "Outro",
        "x", "z"},
       {"123", "55", "9", "Cidade", "y", "w"},
       "Cidade (UF),  31 de dezembro de 2026"},
      // Five pieces: one line; the place pieces are missing and print as empty text.
      {{"A", "1", "B", "2", "C"}, "2", {"A"}, {"1"}, " (),  31 de dezembro de 2026"},
      {{"Só"}, "1", {}, {}, " (),  1 de janeiro de 2026"},
      // No pieces at all: the term and its date, nothing else.
      {{}, "1", {}, {}, " 1 de janeiro de 2026"},
  };
  ProbeDefinition("termsProbe", {});
  for (const Case& c : cases) {
    ProbeDefinition("termsProbe", c.pieces);
    Run({{"pCodigoEmpresa", "1"}, {"pTermo", c.termo}}, nullptr, "termsProbe");
    EXPECT_EQ(Legends(), c.legends) << c.pieces.size() << " pieces";
    EXPECT_EQ(Shown(9, "Texto"), c.data) << c.pieces.size() << " pieces";
    EXPECT_EQ(Shown(10, "LocalData"), Strings{c.place}) << c.pieces.size() << " pieces";
    EXPECT_EQ(Lines("section 8").size(), 1u);
  }
}

TEST_F(Terms, SignaturesAndTheirWarningOncePerCompany) {
  Run({});
  // Only the partner in office on the final date who signs the books; then the accountant.
  EXPECT_EQ(Shown(11, "SocioNome"), (Strings{"Bruno Sócio", "Bruno Sócio", "", ""}));
  EXPECT_EQ(Shown(11, "SocioDoc"), (Strings{"CPF: 987.654.321-00", "CPF: 987.654.321-00", "", ""}));
  EXPECT_EQ(Shown(12, "ContadorCargo"),
            (Strings{"Contador - CRC 1SP000001/O-1", "Contador - CRC 1SP000001/O-1", "Contador",
                     "Contador"}));
  // Beta has neither: two terms, one warning.
  EXPECT_EQ(Messages(),
            (Strings{"message 1: Empresa: 0002 Beta S.A. - não há sócio que assine os "
                     "livros em 31/12/2026; não há contador cadastrado para a empresa"}));

  // An accountant chosen by code, one that does not exist, and directors instead of partners.
  Run({{"pCodigoEmpresa", "1"}, {"pCodigoCont", "9"}, {"pAssinSocio", "2"}});
  EXPECT_EQ(Messages(), (Strings{"message 1: Empresa: 0001 Alfa Ltda - não há diretor que assine "
                                 "os livros em 31/12/2026; o contador 9 não está cadastrado"}));
  Run({{"pCodigoEmpresa", "2"}, {"pCodigoCont", " 1 "}, {"pAssinSocio", "0"}});
  EXPECT_EQ(Shown(12, "ContadorNome"), (Strings{"Ana Contadora", "Ana Contadora"}));
  EXPECT_TRUE(Lines("section 11").empty());
  EXPECT_TRUE(Messages().empty());

  // No signature asked: no signature section, no warning.
  Run({{"pAssinSocio", "3"}, {"pAssinCont", "0"}});
  EXPECT_TRUE(Lines("section 11").empty());
  EXPECT_TRUE(Lines("section 12").empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Terms, BlankVersoAfterEveryOpeningTermOfAFrontAndBackBook) {
  // Both books front and back; Beta numbers only the front sides.
  Exec(
      "insert into CONTROLELIVRO (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, FRENTEVERSO, "
      "TIPOIMPNUMERACAO) values (1, 1, 11, 1, 0), (2, 1, 11, 1, 1), (1, 2, 11, 0, 0)");
  Run({});
  EXPECT_EQ(Events(), Join({Page(1, Term()), Page(2, BlankPage()), Page(3, Term()), Page(4, Term()),
                            Page(5, BlankPage()), Page(6, Term())}));
  EXPECT_EQ(Shown(1, "Livro"), (Strings{" Livro: 0003  Folha: 0001", " Livro: 0003  Folha: 0002",
                                        " Livro: 0003  Folha: 0250", " Livro: 0003  Folha: 0001",
                                        "", " Livro: 0003  Folha: 0250"}));
  const Strings lines = Shown(13, "Linha13");
  EXPECT_EQ(lines[13], "");
  EXPECT_EQ(lines[14], std::string(45, ' ') + "**");
  EXPECT_EQ(lines[24], std::string(75, ' ') + "**");
  EXPECT_EQ(Shown(14, "Etiqueta8"), Strings(2, "            E M     B R A N C O            "));
  const Strings after = Shown(15, "Linha15");
  EXPECT_EQ(after[0], "   **");
  EXPECT_EQ(after[9], std::string(30, ' ') + "**");
  EXPECT_EQ(after[10], "");

  // The opening term alone still gets its verso; a book printed on one side does not.
  Run({{"pTermo", "1"}, {"pCodigoEmpresa", "1"}});
  EXPECT_EQ(Events(), Join({Page(1, Term()), Page(2, BlankPage())}));
  Run({{"pTermo", "1"}, {"pCodigoEmpresa", "1"}, {"pCodigoEstab", "2"}});
  EXPECT_EQ(Events(), Page(1, Term()));
}

TEST_F(Terms, MunicipalBooksShowTheMunicipalRegistration) {
  Run({{"pCodigoEmpresa", "1"}, {"pCodigoEstab", "2"}, {"pTipoLivro", "9"}, {"pTermo", "1"}});
  EXPECT_EQ(Heading("InscrEstadMunicipal"), Strings{"Inscrição Municipal: 88123"});
  EXPECT_EQ(Heading("AtivMunicipal"), Strings{"Atividade Municipal: 4744-0/99"});
  // Without an activity code the line is empty; book type 3 is municipal too.
  Run({{"pCodigoEmpresa", "1"}, {"pTipoLivro", "3"}, {"pTermo", "1"}});
  EXPECT_EQ(Heading("InscrEstadMunicipal"), Strings{"Inscrição Municipal: 3104587"});
  EXPECT_EQ(Heading("AtivMunicipal"), Strings{""});
  Run({{"pCodigoEmpresa", "1"}, {"pTipoLivro", "11"}, {"pTermo", "1"}});
  EXPECT_EQ(Heading("InscrEstadMunicipal"), Strings{"Inscrição Estadual: 110.042.490.114"});
}

TEST_F(Terms, RefusedValuesNameTheirLabelAndPublishNothing) {
  struct Case {
    Params params;
    Strings message;  // pieces the message holds
  };
  const std::string inicio = "Início do período do livro (pDataInicial)";
  const std::string fim =
      "Fim do período do livro (data do termo de encerramento e das assinaturas) (pDataFinal)";
  const std::string folhas =
      "Número de folhas do livro (a folha do termo de encerramento) (pNumeroFolha)";
  const std::string maiorQueZero = "informe um número inteiro maior que zero, ex.: 300.";
  const Case cases[] = {
      {{{"pDataInicial", "31/12/2026"}, {"pDataFinal", "01/01/2026"}},
       {inicio + ": 31/12/2026 é posterior ao fim do período, 01/01/2026 (" + fim + ")",
        "ex.: 01/01/2026"}},
      {{{"pDataFinal", ""}}, {fim + ": está vazio; informe uma data dd/mm/aaaa, ex.: 31/12/2026."}},
      {{{"pDataFinal", " "}, {"pTermo", "1"}}, {fim + ": está vazio"}},
      {{{"pDataInicial", ""}, {"pTermo", "2"}}, {inicio + ": está vazio"}},
      {{{"pDataInicial", "31/02/2026"}}, {inicio + ": '31/02/2026' não é uma data válida"}},
      {{{"pNumeroFolha", ""}}, {folhas + ": está vazio; " + maiorQueZero}},
      {{{"pNumeroFolha", "0"}, {"pTermo", "1"}},
       {folhas + ": 0 não é maior que zero; " + maiorQueZero}},
      {{{"pNumeroFolha", "-5"}}, {folhas + ": -5 não é maior que zero"}},
      {{{"pNumeroFolha", "1,5"}}, {folhas + ": '1,5' não é um número inteiro"}},
      {{{"pNumeroLivro", "0"}},
       {"Número do livro (pNumeroLivro): 0 não é maior que zero", "ex.: 1."}},
      {{{"pNumeroLivro", "abc"}}, {"(pNumeroLivro): 'abc' não é um número inteiro"}},
      {{{"pAssinSocio", "sim"}}, {"(pAssinSocio): 'sim' não é um número inteiro", "2 (diretores)"}},
      {{{"pAssinCont", ""}}, {"(pAssinCont): está vazio"}},
      {{{"pCodigoCont", "x"}}, {"(pCodigoCont): 'x' não é um número inteiro"}},
  };
  for (const Case& c : cases) {
    const std::string out = dir_ + "/termos.trace";
    Params params = c.params;
    params.emplace_back("pCodigoEmpresa", "1..2");
    try {
      Run(params, nullptr, "stockBookTermsLayout", out);
      ADD_FAILURE() << c.message[0] << ": no error";
    } catch (const Exception& e) {
      for (const std::string& piece : c.message) {
        EXPECT_NE(std::string(e.what()).find(piece), std::string::npos) << e.what() << "\n"
                                                                        << piece;
      }
    }
    EXPECT_FALSE(std::filesystem::exists(out)) << c.message[0];
  }
  // Dates in any accepted form are written dd/mm/aaaa in the wording.
  Run({{"pCodigoEmpresa", "1"}, {"pDataInicial", "2026-1-1"}, {"pDataFinal", "31/12/26"}});
  for (const std::string& t : Shown(8, "TextoTermo")) {
    EXPECT_NE(t.find("no  período  de  01/01/2026  a  31/12/2026."), std::string::npos) << t;
  }
}

TEST_F(Terms, SelectionsAreCheckedBeforeAnySql) {
  // Were the query run, the missing table would be the error.
  Exec("drop view VESTABHISTORICOATUAL; drop table EMPRESA");
  for (const auto& [name, value] : Params{{"pCodigoEmpresa", "1;x"},
                                          {"pCodigoEmpresa", "1 or 1=1"},
                                          {"pCodigoEstab", "2) or (1=1"},
                                          {"pCodigoEstab", "9..1"}}) {
    try {
      Run({{name, value}});
      ADD_FAILURE() << value;
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find("Intervalo inválido"), std::string::npos) << e.what();
    }
  }
  // The parameter screen refuses it too, naming the parameter.
  try {
    Print("stockBookTermsLayout", {{"pCodigoEmpresa", "1;x"}});
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("pCodigoEmpresa"), std::string::npos) << e.what();
  }
}

TEST_F(Terms, StopAfterTheCurrentRow) {
  int calls = 0;
  const RunOutcome outcome = Run({}, [&](int done, int total) {
    ++calls;
    EXPECT_EQ(done, 1);
    EXPECT_EQ(total, 2);
    return true;
  });
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Shown(8, "Empresa"), (Strings{"Alfa Ltda", "Alfa Ltda"}));

  // Progress runs from 1 to the number of rows.
  Strings seen;
  Run({}, [&](int done, int total) {
    seen.push_back(std::to_string(done) + "/" + std::to_string(total));
    return false;
  });
  EXPECT_EQ(seen, (Strings{"1/2", "2/2"}));
}

TEST_F(Terms, NothingPrintedSaysWhy) {
  const std::pair<Params, const char*> cases[] = {
      {{{"pCodigoEmpresa", "7..9"}},
       "Nenhuma empresa da seleção '7..9' (Empresa(s) (vazio = todas) (pCodigoEmpresa)) "
       "está cadastrada"},
      {{{"pTermo", "5"}}, "Termos (pTermo) = 5 não escolhe nenhum termo"},
      {{{"pTermo", "0"}}, "(pTermo) = 0 não escolhe nenhum termo"},
  };
  for (const auto& [params, reason] : cases) {
    const RunOutcome outcome = Run(params);
    EXPECT_EQ(outcome.pages, 0) << reason;
    EXPECT_TRUE(Lines("section").empty()) << reason;
    const Strings messages = Messages();
    ASSERT_EQ(messages.size(), 1u) << reason;
    EXPECT_NE(messages[0].find(reason), std::string::npos) << messages[0];
  }
}

// A code that names no company or establishment stops the run, named, before the other checks.
TEST_F(Terms, CodesThatDoNotExistAreNamed) {
  const std::pair<Params, const char*> cases[] = {
      {{{"pCodigoEmpresa", "9"}, {"pTermo", "5"}}, "Empresa 9 não existe"},
      {{{"pCodigoEmpresa", "1;2"}, {"pCodigoEstab", "3"}},
       "Estabelecimento 3 não existe nas empresas selecionadas"},
      {{{"pCodigoEmpresa", "1"}, {"pCodigoEstab", "7"}},
       "Estabelecimento 7 não existe na empresa 1"},
      {{{"pCodigoEstab", "7"}}, "Estabelecimento 7 não existe em nenhuma empresa"},
  };
  for (const auto& [params, reason] : cases) {
    try {
      Run(params);
      ADD_FAILURE() << reason << ": no error";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
    }
    EXPECT_TRUE(Lines("section").empty()) << reason;
  }
}

TEST_F(Terms, LandscapeDefinitionPrintsTheSameTerms) {
  Exec(
      "insert into CONTROLELIVRO (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, FRENTEVERSO, "
      "TIPOIMPNUMERACAO) values (2, 1, 11, 1, 0)");
  Run({{"pCodigoEmpresa", "2"}}, nullptr, "taxBookTermsGraphicP1");
  EXPECT_EQ(Events(), Join({Page(1, Term()), Page(2, BlankPage()), Page(3, Term())}));
  EXPECT_EQ(Shown(1, "Livro"), (Strings{" Livro: 0003  Folha: 0001", " Livro: 0003  Folha: 0002",
                                        " Livro: 0003  Folha: 0250"}));
}

}  // namespace
}  // namespace stock::test
