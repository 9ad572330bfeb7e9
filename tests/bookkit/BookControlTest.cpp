// The book control over its tables: where numbering starts, the settings, what a run records,
// and two runs that update the same book.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "basekit/Conexao.h"
#include "bookkit/BookTestDb.h"
#include "bookkit/PublicacaoLivro.h"
#include "reportkit/output/PublishGate.h"
#include "reportkit/output/TempFile.h"
#include "rtl/Exception.h"

namespace {

const TDateTime kJan1 = EncodeDate(2026, 1, 1);
const TDateTime kJan31 = EncodeDate(2026, 1, 31);
const TDateTime kFeb28 = EncodeDate(2026, 2, 28);
const TDateTime kMar31 = EncodeDate(2026, 3, 31);

std::pair<int, int> Pegar(TnDMControleLivro& c, TDateTime data) {
  int livro = -7, folha = -7;  // values passed in are ignored
  c.PegarLivroFolha(livro, folha, data);
  return {livro, folha};
}

TEST(ControleLivro, SettingsFromTheTableOrDefaults) {
  BookTestDb db;
  auto sem = ControleDe(kJan1, kMar31);
  EXPECT_TRUE(sem->GetImpressaoTodasPaginas());
  EXPECT_FALSE(sem->GetFrenteVerso());
  EXPECT_EQ(sem->GetLimiteFolhas(), 500);
  EXPECT_EQ(sem->GetLegendaFolha(), "Folha");
  EXPECT_FALSE(sem->GetExisteNumeracaoLivro());

  db.Exec("insert into CONTROLELIVRO values (1, 1, 11, '1;7', 1, 1, 300, 'Página')");
  auto com = ControleDe(kJan1, kMar31);
  EXPECT_FALSE(com->GetImpressaoTodasPaginas());
  EXPECT_TRUE(com->GetFrenteVerso());
  EXPECT_EQ(com->GetLimiteFolhas(), 300);
  EXPECT_EQ(com->GetLegendaFolha(), "Página");
  // Another book type of the same establishment keeps the defaults.
  com->SetTipoLivro(12);
  EXPECT_EQ(com->GetLimiteFolhas(), 500);
}

// Where the first page of a run over January..March 2026 lands.
TEST(ControleLivro, NumberingStartsAfterTheNewerOfPeriodAndImplantation) {
  struct Caso {
    const char* nome;
    const char* sql;
    bool existe;
    std::pair<int, int> primeira;
  };
  const Caso casos[] = {
      {"nothing recorded", "", false, {1, 1}},
      {"implanted new book",
       "insert into LIVRONUMERACAO values (1,1,11,'2026-01-01',4,0)",
       true,
       {4, 1}},
      {"implanted after a page",
       "insert into LIVRONUMERACAO values (1,1,11,'2025-06-10',2,37)",
       true,
       {2, 38}},
      {"implanted with a time of day on the start date",
       "insert into LIVRONUMERACAO values (1,1,11,'2026-01-01 00:00:00',5,9)",
       true,
       {5, 10}},
      {"implanted after the start does not count",
       "insert into LIVRONUMERACAO values (1,1,11,'2026-02-01',9,9)",
       false,
       {1, 1}},
      {"period before the start",
       "insert into LIVROPERIODO values (1,1,11,'2025-07-01','2025-12-31',3,88,0,'2026-01-05')",
       true,
       {3, 89}},
      {"periods on or after the start do not count",
       "insert into LIVROPERIODO values (1,1,11,'2025-12-01','2025-12-31',3,88,0,'2026-01-05');"
       "insert into LIVROPERIODO values (1,1,11,'2026-01-01','2026-01-31',3,99,0,'2026-02-05')",
       true,
       {3, 89}},
      {"implantation newer than the period",
       "insert into LIVROPERIODO values (1,1,11,'2025-01-01','2025-06-30',3,88,0,'2025-07-05');"
       "insert into LIVRONUMERACAO values (1,1,11,'2025-07-01',6,0)",
       true,
       {6, 1}},
      {"period newer than the implantation",
       "insert into LIVRONUMERACAO values (1,1,11,'2025-01-01',6,0);"
       "insert into LIVROPERIODO values (1,1,11,'2025-01-01','2025-12-31',7,12,0,'2026-01-05')",
       true,
       {7, 13}},
      {"another establishment's book does not count",
       "insert into LIVROPERIODO values (1,2,11,'2025-01-01','2025-12-31',7,12,0,'2026-01-05')",
       false,
       {1, 1}},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    BookTestDb db;
    if (*caso.sql) db.Exec(caso.sql);
    auto c = ControleDe(kJan1, kMar31);
    EXPECT_EQ(c->GetExisteNumeracaoLivro(), caso.existe);
    EXPECT_EQ(Pegar(*c, kJan31), caso.primeira);
  }
}

TEST(ControleLivro, PageLimitAndBookStartingMonths) {
  BookTestDb db;
  db.Exec(
      "insert into CONTROLELIVRO values (1, 1, 11, '2;3', 0, 0, 3, 'Folha');"
      "insert into LIVRONUMERACAO values (1,1,11,'2025-12-01',1,1)");
  auto c = ControleDe(kJan1, kMar31);
  EXPECT_EQ(Pegar(*c, kJan31), std::make_pair(1, 2));
  EXPECT_EQ(Pegar(*c, kJan31), std::make_pair(1, 3));
  EXPECT_EQ(Pegar(*c, kJan31), std::make_pair(2, 1));  // the limit is passed
  EXPECT_EQ(Pegar(*c, kFeb28), std::make_pair(3, 1));  // February starts a book
  EXPECT_EQ(Pegar(*c, kFeb28), std::make_pair(3, 2));
  EXPECT_EQ(Pegar(*c, kMar31), std::make_pair(4, 1));  // so does March
}

TEST(ControleLivro, RecordsOneRowPerPeriodAndRerunsReplaceThem) {
  BookTestDb db;
  for (int vez = 0; vez < 2; ++vez) {
    auto c = ControleDe(kJan1, kMar31);
    Pegar(*c, kJan31);
    Pegar(*c, kJan31);
    Pegar(*c, kMar31);  // February printed no numbered page: it joins March's row
    // The second run closes the book with its closing term.
    if (vez == 1) {
      EXPECT_EQ(c->PegarFolha(TnPaginaLivro::TermoEncerramento).folha, 4);
    }
    c->InserirPeriodoBanco(vez == 1);
  }
  EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO"), 2);
  EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO where DATAINICIAL = '2026-01-01' and "
                     "DATAFINAL = '2026-01-31' and NUMLIVRO = 1 and ULTIMAFOLHA = 2 and "
                     "COMTERMOS = 0"),
            1);
  // The closing term counts as a page, and marks the book closed.
  EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO where DATAINICIAL = '2026-02-01' and "
                     "DATAFINAL = '2026-03-31' and NUMLIVRO = 1 and ULTIMAFOLHA = 4 and "
                     "COMTERMOS = 1"),
            1);
  // The default numbering was implanted once, by the first run.
  EXPECT_EQ(db.Count("select count(*) from LIVRONUMERACAO where DATAIMPLANTACAO = '2026-01-01' "
                     "and NUMLIVRO = 1 and ULTIMAFOLHA = 0"),
            1);

  // A closed book takes no more pages: the next quarter opens the next book.
  auto seguinte = ControleDe(EncodeDate(2026, 4, 1), EncodeDate(2026, 6, 30));
  EXPECT_TRUE(seguinte->GetExisteNumeracaoLivro());
  EXPECT_EQ(Pegar(*seguinte, EncodeDate(2026, 4, 30)), std::make_pair(2, 1));
}

TEST(ControleLivro, RunWithoutPagesRecordsItsPeriodAtTheStartingNumbers) {
  BookTestDb db;
  db.Exec("insert into LIVRONUMERACAO values (1,1,11,'2025-01-01',2,40)");
  ControleDe(kJan1, kMar31)->InserirPeriodoBanco(false);
  EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO where DATAINICIAL = '2026-01-01' and "
                     "DATAFINAL = '2026-03-31' and NUMLIVRO = 2 and ULTIMAFOLHA = 40"),
            1);
  EXPECT_EQ(db.Count("select count(*) from LIVRONUMERACAO"), 1);
}

TEST(ControleLivro, PublicationCommitsOnlyWhenConfirmed) {
  BookTestDb db;
  {
    TnPublicacaoLivro publicacao;
    auto c = ControleDe(kJan1, kJan31);
    Pegar(*c, kJan31);
    c->InserirPeriodoBanco(false);
    c.reset();  // the run releases its control before the file is published
    EXPECT_TRUE(publicacao.TemPendencias());
  }  // no file: undone
  EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO"), 0);
  EXPECT_EQ(db.Count("select count(*) from LIVRONUMERACAO"), 0);
  EXPECT_FALSE(ConexaoPadrao().EmTransacao());

  TnPublicacaoLivro publicacao;
  auto c = ControleDe(kJan1, kJan31);
  Pegar(*c, kJan31);
  c->InserirPeriodoBanco(false);
  publicacao.Confirmar();
  EXPECT_FALSE(publicacao.TemPendencias());
  EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO"), 1);
}

// The host's way: the periods commit as the output file is renamed into place, or neither
// happens.
TEST(ControleLivro, PeriodAndFileAreCommittedTogether) {
  for (bool commit_falha : {false, true}) {
    SCOPED_TRACE(commit_falha ? "commit fails" : "commit succeeds");
    BookTestDb db;
    const std::string saida = db.path() + ".pdf";
    {
      TnPublicacaoLivro publicacao;
      stock::PublishGate gate([&] {
        if (commit_falha) throw Exception("disco cheio");
        publicacao.Confirmar();
      });
      auto c = ControleDe(kJan1, kJan31);
      Pegar(*c, kJan31);
      c->InserirPeriodoBanco(false);
      stock::TempFile arquivo(saida);
      arquivo.Write("%PDF-1.4\n");
      if (commit_falha) {
        EXPECT_THROW(arquivo.Commit(), Exception);
      } else {
        arquivo.Commit();
      }
    }
    EXPECT_EQ(std::filesystem::exists(saida), !commit_falha);
    EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO"), commit_falha ? 0 : 1);
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(saida).parent_path())) {
      EXPECT_EQ(entry.path().string().find(".tmp-"), std::string::npos) << entry.path();
    }
  }
}

// An output path that names a folder is refused before the period is committed: the file
// could never be renamed into place.
TEST(ControleLivro, FolderUnderTheOutputNameRecordsNothing) {
  BookTestDb db;
  const std::string saida = db.path() + ".pdf";
  std::filesystem::create_directory(saida);
  {
    TnPublicacaoLivro publicacao;
    stock::PublishGate gate([&] { publicacao.Confirmar(); });
    auto c = ControleDe(kJan1, kJan31);
    Pegar(*c, kJan31);
    c->InserirPeriodoBanco(false);
    stock::TempFile arquivo(saida);
    arquivo.Write("%PDF-1.4\n");
    EXPECT_THROW(arquivo.Commit(), Exception);
  }
  EXPECT_TRUE(std::filesystem::is_directory(saida));
  EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO"), 0);
}

// Two runs that read the same starting point, months in a row: whichever records second
// would repeat the first one's pages, so it records nothing and says why.
TEST(ControleLivro, RunWhoseNumberingWasOvertakenRecordsNothing) {
  for (bool janeiro_antes : {true, false}) {
    SCOPED_TRACE(janeiro_antes ? "January recorded first" : "February recorded first");
    BookTestDb db;
    TnConexao outra(db.path(), TnModoAbertura::LeituraEscrita);
    auto janeiro = ControleDe(kJan1, kJan31);
    auto fevereiro = ControleDe(EncodeDate(2026, 2, 1), kFeb28, &outra);
    Pegar(*janeiro, kJan31);
    EXPECT_EQ(Pegar(*fevereiro, kFeb28), std::make_pair(1, 1));
    TnDMControleLivro& primeiro = janeiro_antes ? *janeiro : *fevereiro;
    TnDMControleLivro& segundo = janeiro_antes ? *fevereiro : *janeiro;
    primeiro.InserirPeriodoBanco(false);
    try {
      segundo.InserirPeriodoBanco(false);
      ADD_FAILURE() << "expected an error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message().rfind("Não foi possível registrar o período", 0), 0u) << e.what();
    }
    EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO"), 1);
    EXPECT_FALSE(outra.EmTransacao());
    EXPECT_FALSE(ConexaoPadrao().EmTransacao());
  }
}

// Months recorded out of order: a later period numbered without these months' pages refuses
// them, unless it continued from a period printed again now or from numbering implanted after
// them.
TEST(ControleLivro, EarlierMonthsAfterLaterOnesOnlyWhenNothingIsRenumbered) {
  struct Caso {
    const char* nome;
    const char* sql;
    bool recusa;
  };
  const Caso casos[] = {
      {"March numbered across February",
       "insert into LIVROPERIODO values (1,1,11,'2026-01-01','2026-01-31',1,5,0,'2026-02-01');"
       "insert into LIVROPERIODO values (1,1,11,'2026-03-01','2026-03-31',1,9,0,'2026-04-01')",
       true},
      {"March first in the book",
       "insert into LIVROPERIODO values (1,1,11,'2026-03-01','2026-03-31',1,4,0,'2026-04-01')",
       true},
      {"March continued from February, printed again with its pages",
       "insert into LIVROPERIODO values (1,1,11,'2026-02-01','2026-02-28',1,1,0,'2026-03-01');"
       "insert into LIVROPERIODO values (1,1,11,'2026-03-01','2026-03-31',1,9,0,'2026-04-01')",
       false},
      {"March continued from February, whose page count changed",
       "insert into LIVROPERIODO values (1,1,11,'2026-02-01','2026-02-28',1,5,0,'2026-03-01');"
       "insert into LIVROPERIODO values (1,1,11,'2026-03-01','2026-03-31',1,9,0,'2026-04-01')",
       true},
      {"March continued from numbering implanted in March",
       "insert into LIVRONUMERACAO values (1,1,11,'2026-03-01',2,0);"
       "insert into LIVROPERIODO values (1,1,11,'2026-03-01','2026-03-31',2,4,0,'2026-04-01')",
       false},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    BookTestDb db;
    db.Exec(caso.sql);
    const long antes = db.Count("select count(*) from LIVROPERIODO");
    auto fevereiro = ControleDe(EncodeDate(2026, 2, 1), kFeb28);
    Pegar(*fevereiro, kFeb28);
    if (caso.recusa) {
      EXPECT_THROW(fevereiro->InserirPeriodoBanco(false), Exception);
      EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO"), antes);
      // February and March printed together renumber March as well.
      auto juntos = ControleDe(EncodeDate(2026, 2, 1), kMar31);
      Pegar(*juntos, kFeb28);
      Pegar(*juntos, kMar31);
      juntos->InserirPeriodoBanco(false);
    } else {
      fevereiro->InserirPeriodoBanco(false);
    }
    EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO where DATAINICIAL = '2026-02-01'"), 1);
  }
}

// A run waiting to publish holds the book; a second one over the same months waits for it and
// then replaces its rows.
TEST(ControleLivro, SecondWriterWaitsForThePendingPublication) {
  BookTestDb db;
  auto publicacao = std::make_unique<TnPublicacaoLivro>();
  auto primeiro = ControleDe(kJan1, kJan31);
  Pegar(*primeiro, kJan31);
  primeiro->InserirPeriodoBanco(false);

  std::string erro;
  std::thread segundo([&] {
    try {
      TnConexao outra(db.path(), TnModoAbertura::LeituraEscrita);
      auto c = ControleDe(kJan1, kJan31, &outra);
      Pegar(*c, kJan31);
      Pegar(*c, kJan31);
      c->InserirPeriodoBanco(false);
    } catch (const std::exception& e) {
      erro = e.what();
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  publicacao->Confirmar();
  segundo.join();
  EXPECT_EQ(erro, "");
  EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO"), 1);
  EXPECT_EQ(db.Count("select ULTIMAFOLHA from LIVROPERIODO"), 2);
}

}  // namespace
