// Look-ups, existence queries, dialogs and the data-module registry.

#include <gtest/gtest.h>

#include "basekit/DMConexao.h"
#include "basekit/DMSQLDataSet.h"
#include "basekit/DataModules.h"
#include "basekit/MessageDlg.h"
#include "basekit_test_support.h"
#include "rtl/Exception.h"

namespace {

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(PegarValorCampo, OneColumnManyColumnsAndNoRow) {
  TempDatabase db(kSampleSchema);
  TnDMSQLDataSet& dm = nDMSQLDataSet();
  EXPECT_EQ(dm.PegarValorCampo("EMPRESA", "NOMEEMPRESA", "CODIGOEMPRESA = 3"),
            Variant("Gama d'Oeste"));
  EXPECT_EQ(dm.PegarValorCampo("EMPRESA", "DATAINICIO", "CODIGOEMPRESA = 1"),
            Variant::FromDate(EncodeDate(2024, 1, 31)));
  EXPECT_TRUE(dm.PegarValorCampo("EMPRESA", "DATAINICIO", "CODIGOEMPRESA = 2").IsNull());
  EXPECT_TRUE(dm.PegarValorCampo("EMPRESA", "NOMEEMPRESA", "CODIGOEMPRESA = 99").IsNull());
  EXPECT_TRUE(dm.PegarValorCampo("EMPRESA", "NOMEEMPRESA, CAPITAL", "CODIGOEMPRESA = 99").IsNull());

  Variant row =
      dm.PegarValorCampo("EMPRESA E left join ESTAB F on E.CODIGOEMPRESA = F.CODIGOEMPRESA",
                         "E.NOMEEMPRESA, F.APELIDOESTAB, COALESCE(E.CAPITAL, 0), F.DATAINICIOATIV",
                         "E.CODIGOEMPRESA = 1 and F.CODIGOESTAB = 2");
  ASSERT_TRUE(row.IsArray());
  ASSERT_EQ(row.Count(), 4u);
  EXPECT_EQ(row[0], Variant("Alfa"));
  EXPECT_EQ(row[1], Variant("Filial"));
  EXPECT_EQ(row[2], Variant(1000.5));
  EXPECT_EQ(row[3], Variant::FromDate(EncodeDate(2020, 1, 1)));

  EXPECT_EQ(dm.PegarValorCampo("EMPRESA", "COUNT(*)", " "), Variant(10));
  std::string error = ErrorOf([&] { dm.PegarValorCampo("EMPRESA", "NADA", "1 = 1"); });
  EXPECT_NE(error.find("SELECT NADA FROM EMPRESA WHERE 1 = 1"), std::string::npos) << error;
}

TEST(ExecuteQueryExists, TrueWhenAnyRow) {
  TempDatabase db(kSampleSchema);
  // The activity check of an establishment for a period.
  const std::string head =
      "select ESTAB.CODIGOEMPRESA from ESTAB where ESTAB.CODIGOEMPRESA = 1 and "
      "ESTAB.CODIGOESTAB = 2 and (";
  EXPECT_TRUE(nDMConexao().ExecuteQueryExists(
      head + "'2023-01-01' between DATAINICIOATIV and DATAENCERATIV)"));
  EXPECT_FALSE(nDMConexao().ExecuteQueryExists(
      head + "'2024-01-01' between DATAINICIOATIV and DATAENCERATIV)"));
  EXPECT_NE(ErrorOf([] { nDMConexao().ExecuteQueryExists("select from"); }).find("select from"),
            std::string::npos);
}

TEST(Services, NeedTheDefaultConnection) {
  EXPECT_EQ(ErrorOf([] { nDMConexao().ExecuteQueryExists("select 1"); }),
            "Nenhuma conexão com o banco de dados");
  EXPECT_EQ(ErrorOf([] { nDMSQLDataSet().PegarValorCampo("A", "B", "C"); }),
            "Nenhuma conexão com o banco de dados");
}

TEST(nMessageDlg, AsksTheInstalledHandler) {
  EXPECT_EQ(ErrorOf([] {
              nMessageDlg("Continuar?", mtConfirmation, {"Sim", "Não"}, 1, 0, 0, 0);
            }),
            "Nenhuma resposta disponível para a pergunta: Continuar?");
  DialogRequest seen;
  {
    DialogHandlerGuard outer([&](const DialogRequest& r) {
      seen = r;
      return 1;
    });
    EXPECT_EQ(nMessageDlg("Atualizar o controle?", mtWarning, {"Sim", "Não"}, 1, 0, 0, 0), 1);
    EXPECT_EQ(seen.text, "Atualizar o controle?");
    EXPECT_EQ(seen.type, mtWarning);
    EXPECT_EQ(seen.buttons, (std::vector<std::string>{"Sim", "Não"}));
    {
      DialogHandlerGuard inner([](const DialogRequest&) { return 5; });
      EXPECT_NE(ErrorOf([] {
                  nMessageDlg("Ok?", mtInformation, {"Ok"}, 0, 0, 0, 0);
                }).find("Resposta inválida (5)"),
                std::string::npos);
    }
    EXPECT_EQ(nMessageDlg("De novo?", mtWarning, {"Sim", "Não"}, 1, 0, 0, 0), 1);  // outer again
  }
  EXPECT_NE(ErrorOf([] { nMessageDlg("Sair?", mtWarning, {"Ok"}, 0, 0, 0, 0); }).find("Sair?"),
            std::string::npos);
}

class Modulo : public TObject {
 public:
  explicit Modulo(std::string origem) : origem(std::move(origem)) {}
  std::string origem;
};

TEST(nMessageDlg, OneButtonIsANoticeToldByItsType) {
  EXPECT_TRUE(IsNotice({"Inativa.", mtWarning, {"Ok"}}));
  EXPECT_FALSE(IsNotice({"Confirma?", mtConfirmation, {"Sim", "Não"}}));
  EXPECT_EQ(NoticeLine({"Inativa.", mtWarning, {"Ok"}}), "Aviso: Inativa.");
  EXPECT_EQ(NoticeLine({"Falhou.", mtError, {"Ok"}}), "Erro: Falhou.");
}

TEST(CriarDMNovo, RegisteredModulesThenTheResolver) {
  RegisterDataModule("TnInvDPGerarSaldoInv", [] { return std::make_unique<Modulo>("registro"); });
  DataModuleResolver previous = SetDataModuleResolver([](const std::string& name) {
    return name == "stockBookTermsLayout" ? std::make_unique<Modulo>("definição")
                                          : std::unique_ptr<Modulo>();
  });

  std::unique_ptr<TObject> a(CriarDMNovo("tninvdpgerarsaldoinv"));
  std::unique_ptr<TObject> b(CriarDMNovo("TnInvDPGerarSaldoInv", nullptr));
  ASSERT_NE(dynamic_cast<Modulo*>(a.get()), nullptr);
  EXPECT_NE(a.get(), b.get());  // a new instance each time
  EXPECT_EQ(dynamic_cast<Modulo*>(a.get())->origem, "registro");
  std::unique_ptr<TObject> c(CriarDMNovo("stockBookTermsLayout"));
  EXPECT_EQ(dynamic_cast<Modulo*>(c.get())->origem, "definição");
  EXPECT_EQ(ErrorOf([] { CriarDMNovo("taxBookTermsGraphicP1"); }),
            "Módulo de dados 'taxBookTermsGraphicP1' não encontrado");

  EXPECT_TRUE(UnregisterDataModule("TNINVDPGERARSALDOINV"));
  EXPECT_FALSE(UnregisterDataModule("TnInvDPGerarSaldoInv"));
  SetDataModuleResolver(previous);
  EXPECT_EQ(ErrorOf([] { CriarDMNovo("termosQueNaoExistem"); }),
            "Módulo de dados 'termosQueNaoExistem' não encontrado");
}

}  // namespace
