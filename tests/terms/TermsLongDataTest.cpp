// The terms of a company whose every printed column holds its longest allowed value, with five
// directors and an accountant: in both layouts each term is one page, every value stands whole
// in the text page and in the PDF, and the two hold the same words.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "reportkit/output/OutputDevice.h"
#include "reportkit/output/TextDevice.h"
#include "rtl/Exception.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

using Strings = std::vector<std::string>;

// `text` cut or padded with words of `filler` to exactly `size` characters (UTF-8 aware).
std::string Fill(std::string text, const std::string& filler, size_t size) {
  auto length = [](const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
  };
  for (size_t i = 0; length(text) < size; ++i) text += " " + filler + std::to_string(i);
  while (length(text) > size) {
    do text.pop_back();
    while ((static_cast<unsigned char>(text.back()) & 0xC0) == 0x80);
    if (text.back() == ' ') text.pop_back();
  }
  return text;
}

std::string Capture(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  pclose(pipe);
  return out;
}

// The words of a printed text, counted: without the punctuation that ends them, dotted leaders,
// rules, and words all in capitals (the spaced-out titles read as one word or as letters).
std::map<std::string, int> Words(const std::string& text) {
  std::map<std::string, int> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) {
    while (!w.empty() && std::string(",.;:\f").find(w.back()) != std::string::npos) w.pop_back();
    if (w.find_first_not_of("-") == std::string::npos) continue;
    if (w.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos) continue;
    ++words[w];
  }
  return words;
}

class TermsLongData : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    nome_ =
        Fill("Companhia Atacadista de Materiais de Construção, Ferragens, Tintas", "Comércio", 100);
    junta_ = Fill("Junta Comercial do Estado de Mato Grosso do Sul", "Escritório", 80);
    nire_ = "54300012345678901234";
    cartorio_ = Fill("Serviço de Registro Civil das Pessoas Jurídicas", "Títulos", 80);
    registro_ = "RCPJ-000.118.342/201";
    endereco_ = Fill("Avenida Marechal Deodoro da Fonseca", "Travessa", 100);
    numero_ = "12345-ABCD";
    complemento_ = Fill("Bloco B, Galpões", "Portaria", 40);
    bairro_ = Fill("Distrito Industrial Indubrasil", "Setor", 60);
    cidade_ = Fill("Santo Antônio do Descoberto", "Distrito", 60);
    directors_ = {Fill("Francisco de Assis Bezerra", "Menezes", 100), "Ana Beatriz Guimarães",
                  Fill("José Roberto Nogueira", "Sampaio", 100), "Luciana Yamamoto",
                  "Eduardo Tanaka"};
    roles_ = {Fill("Diretor-Presidente e Diretor", "Relações", 60), "Diretora Financeira",
              "Diretor Comercial", Fill("Diretora de Operações", "Logística", 60),
              "Diretor Jurídico"};
    contador_ = Fill("Maria Aparecida de Albuquerque", "Cavalcanti", 100);
    std::string sql =
        "insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, NOMEFANTASIA, TIPOINSCR, INSCRFEDERAL, "
        "NOMEJUNTA, NIRE, DATAREGJUNTA, NOMECARTORIO, NUMREGCARTORIO, DATAREGCARTORIO) values (3, "
        "'" +
        nome_ + "', NULL, 1, '11222333000181', '" + junta_ + "', '" + nire_ + "', '2011-08-22', '" +
        cartorio_ + "', '" + registro_ +
        "', '2012-05-08');"
        "insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, TIPOINSCR, INSCRFEDERAL, "
        "INSCRESTAD, "
        "ENDERECO, NUMERO, COMPLEMENTO, BAIRRO, CIDADE, UF, CEP, DATAINICIOATIV) values (3, 1, '" +
        nome_ + "', 1, '11222333000181', '12345678901234567890', '" + endereco_ + "', '" + numero_ +
        "', '" + complemento_ + "', '" + bairro_ + "', '" + cidade_ +
        "', 'GO', '72860000', '2011-09-01');"
        "insert into CONTADOR (CODIGOCONTADOR, NOMECONTADOR, CPF, CRC, UFCRC) values (1, '" +
        contador_ +
        "', '12345678909', '1GO000001/O-12345678', 'GO');"
        "insert into CFGEMPRESAGEM (CODIGOEMPRESA, DESCRFOLHALIVRO, CODIGOCONTADOR) values (3, "
        "'Folhas', 1);";
    for (size_t i = 0; i < directors_.size(); ++i) {
      sql +=
          "insert into SOCIO (CODIGOEMPRESA, CODIGOSOCIO, NOMESOCIO, CPF, QUALIFICACAO, "
          "TIPOASSINANTE, "
          "ASSINALIVROS, DATAENTRADA) values (3, " +
          std::to_string(i + 1) + ", '" + directors_[i] + "', '98765432100', '" + roles_[i] +
          "', 2, 1, '2011-08-22');";
    }
    Exec(sql);
  }

  // Prints both terms of company 3 in `definition` to `device`; gives the pages.
  int PrintTo(const std::string& definition, OutputDevice& device) {
    auto module = OpenReportModule(definition);
    TnpqPowerParam* params = module->GetReport()->GetParams();
    for (const auto& [name, value] :
         std::vector<std::pair<std::string, std::string>>{{"pCodigoEmpresa", "3"},
                                                          {"pDataInicial", "01/01/2026"},
                                                          {"pDataFinal", "31/12/2026"},
                                                          {"pNumeroLivro", "1"},
                                                          {"pNumeroFolha", "500"},
                                                          {"pAssinSocio", "2"},
                                                          {"pAssinCont", "1"},
                                                          {"pTermo", "3"}}) {
      params->SetValues(name, value);
    }
    return RunReport(*module, {definition, {}, nullptr}, device).pages;
  }

  Strings Values() const {
    Strings v = {nome_,   junta_,       nire_,   cartorio_, registro_, endereco_,
                 numero_, complemento_, bairro_, cidade_,   contador_};
    v.insert(v.end(), directors_.begin(), directors_.end());
    v.insert(v.end(), roles_.begin(), roles_.end());
    return v;
  }

  std::string nome_, junta_, nire_, cartorio_, registro_, endereco_, numero_, complemento_, bairro_,
      cidade_, contador_;
  Strings directors_, roles_;
};

TEST_F(TermsLongData, EveryValueWholeOnOnePagePerTermInBothLayouts) {
  for (const std::string definition : {"stockBookTermsLayout", "taxBookTermsGraphicP1"}) {
    SCOPED_TRACE(definition);
    TraceDevice trace;
    try {
      EXPECT_EQ(PrintTo(definition, trace), 2);
    } catch (const Exception& e) {
      ADD_FAILURE() << e.what();
      continue;
    }
    // Each term: one page holding the term, its six registration lines, the place and all six
    // signatures.
    int signatures = 0;
    for (const std::string& line : trace.Lines()) {
      signatures += line.rfind("section 11:", 0) == 0 || line.rfind("section 12:", 0) == 0;
    }
    EXPECT_EQ(signatures, 12);

    TextDevice text;
    ASSERT_EQ(PrintTo(definition, text), 2);
    const std::map<std::string, int> textWords = Words(text.Text());
    for (const std::string& value : Values()) {
      for (const auto& [word, count] : Words(value)) {
        EXPECT_GE(textWords.count(word) ? textWords.at(word) : 0, count) << word << " of " << value;
      }
    }
    // The place of the term is the establishment's own city.
    EXPECT_NE(text.Text().find(cidade_ + " (GO),"), std::string::npos);

    if (std::system("command -v pdftotext >/dev/null") != 0) continue;
    const std::string pdf = dir_ + "/termos.pdf";
    {
      std::unique_ptr<OutputDevice> device = CreateOutputDevice(pdf);
      ASSERT_EQ(PrintTo(definition, *device), 2);
    }
    const std::string pdfText = Capture("pdftotext " + pdf + " -");
    EXPECT_EQ(Words(pdfText), textWords) << pdfText << "\n----\n" << text.Text();
  }
}

TEST_F(TermsLongData, SignaturesThatCannotShareOnePageStopThePrint) {
  std::string sql;
  for (int i = 6; i <= 14; ++i) {
    sql +=
        "insert into SOCIO (CODIGOEMPRESA, CODIGOSOCIO, NOMESOCIO, CPF, QUALIFICACAO, "
        "TIPOASSINANTE, "
        "ASSINALIVROS, DATAENTRADA) values (3, " +
        std::to_string(i) + ", 'Diretor " + std::to_string(i) +
        "', '98765432100', 'Diretor', 2, 1, '2011-08-22');";
  }
  Exec(sql);
  const std::string out = dir_ + "/termos.pdf";
  try {
    std::unique_ptr<OutputDevice> device = CreateOutputDevice(out);
    PrintTo("stockBookTermsLayout", *device);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("não cabe em uma página com as suas 15 assinaturas"),
              std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace stock::test
