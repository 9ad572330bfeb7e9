// The book control against a plain model of the numbering: random settings, limits,
// book-starting months, implanted numbering and earlier periods, then a year and a half of
// consecutive runs (some printed twice, some with terms), every page compared.

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "bookkit/BookTestDb.h"
#include "rtl/StrConv.h"

namespace {

// One book, page by page, as a clerk would number it by hand.
struct Modelo {
  int limite = 500;     // below 1: no limit
  std::set<int> meses;  // months (1..12) at whose start a new book begins
  int livro = 1, folha = 0;
  bool encerrado = false;  // closed by its closing term
  bool com_corpo = false;  // a content page was numbered in the book (a starting point has none)
  int mes = -1;            // months since year 0 of the last page (or of the origin)

  std::pair<int, int> Pagina(int ano, int mes_do_ano) {
    const int m = ano * 12 + mes_do_ano - 1;
    const bool cheio = limite >= 1 && folha >= limite && com_corpo;
    const bool novo_mes = folha > 0 && mes >= 0 && m > mes && meses.count(mes_do_ano) > 0;
    com_corpo = true;
    if (cheio || novo_mes || encerrado) {
      encerrado = false;
      ++livro;
      folha = 1;
    } else {
      ++folha;
    }
    if (m > mes) mes = m;
    return {livro, folha};
  }
};

TEST(NumeracaoModelo, RandomBooksAndRunsMatchTheModel) {
  std::mt19937 rng(20261208);
  auto sorteio = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

  BookTestDb db;
  for (int caso = 0; caso < 40; ++caso) {
    SCOPED_TRACE("caso " + IntToStr(caso));
    db.Exec("delete from CONTROLELIVRO; delete from LIVRONUMERACAO; delete from LIVROPERIODO");
    Modelo modelo;

    // Settings.
    if (sorteio(0, 3) > 0) {
      const int limites[] = {0, 1, 2, 3, 5, 8};
      modelo.limite = limites[sorteio(0, 5)];
      std::string lista;
      for (int m = 1; m <= 12; ++m) {
        if (sorteio(0, 3) == 0) {
          modelo.meses.insert(m);
          if (!lista.empty()) lista.push_back(';');
          lista.append(IntToStr(m));
        }
      }
      db.Exec("insert into CONTROLELIVRO values (1, 1, 11, " +
              (lista.empty() ? std::string("NULL") : "'" + lista + "'") + ", 0, 0, " +
              IntToStr(modelo.limite) + ", 'Folha')");
    }
    // Where the numbering comes from: nothing, an implantation, an earlier period, or both.
    const int origem = sorteio(0, 3);
    const int livro_periodo = sorteio(1, 4), folha_periodo = sorteio(0, 6);
    const int livro_impl = sorteio(1, 4), folha_impl = sorteio(0, 6);
    const bool impl_no_inicio = sorteio(0, 1) == 1;  // 2025-01-01, else 2024-11-15
    if (origem & 1) {
      db.Exec("insert into LIVROPERIODO values (1,1,11,'2024-07-01','2024-12-31'," +
              IntToStr(livro_periodo) + "," + IntToStr(folha_periodo) + ",0,'2025-01-02')");
    }
    if (origem & 2) {
      db.Exec(std::string("insert into LIVRONUMERACAO values (1,1,11,'") +
              (impl_no_inicio ? "2025-01-01" : "2024-11-15") + "'," + IntToStr(livro_impl) + "," +
              IntToStr(folha_impl) + ")");
    }
    if ((origem & 2) && (impl_no_inicio || !(origem & 1))) {
      modelo.livro = livro_impl;
      modelo.folha = folha_impl;
      modelo.mes = impl_no_inicio ? 2025 * 12 : 2024 * 12 + 10;
    } else if (origem & 1) {
      modelo.livro = livro_periodo;
      modelo.folha = folha_periodo;
      modelo.com_corpo = folha_periodo > 0;
      modelo.mes = 2024 * 12 + 11;
    }

    // Consecutive runs over 18 months from January 2025.
    int mes = 0;  // months after December 2024
    while (mes < 18) {
      const int meses_run = std::min(sorteio(1, 5), 18 - mes);
      std::vector<int> paginas(meses_run);
      for (int& p : paginas) p = sorteio(1, 4);  // a printed period takes a page at least
      const bool termos = sorteio(0, 2) == 0;
      const int vezes = sorteio(0, 3) == 0 ? 2 : 1;  // printed again over the same months
      const Modelo antes = modelo;
      for (int vez = 0; vez < vezes; ++vez) {
        modelo = antes;
        const TDateTime inicio = IncMonth(EncodeDate(2025, 1, 1), mes);
        const TDateTime fim = EndOfTheMonth(IncMonth(inicio, meses_run - 1));
        auto controle = ControleDe(inicio, fim);
        EXPECT_EQ(controle->GetExisteNumeracaoLivro(), origem != 0 || mes > 0 || vez > 0);
        for (int i = 0; i < meses_run; ++i) {
          const TDateTime fim_mes = EndOfTheMonth(IncMonth(inicio, i));
          const DateParts d = DecodeDate(fim_mes);
          controle->IniciarPeriodo(IncMonth(inicio, i), fim_mes);
          for (int p = 0; p < paginas[i]; ++p) {
            int livro = 0, folha = 0;
            controle->PegarLivroFolha(livro, folha, fim_mes);
            ASSERT_EQ(std::make_pair(livro, folha), modelo.Pagina(d.year, d.month))
                << "page " << p << " of " << d.month << "/" << d.year;
          }
        }
        if (termos) {
          // The closing term takes the next page and closes the book.
          const TnFolhaLivro termo = controle->PegarFolha(TnPaginaLivro::TermoEncerramento);
          ++modelo.folha;
          modelo.encerrado = true;
          ASSERT_EQ(std::make_pair(termo.livro, termo.folha),
                    std::make_pair(modelo.livro, modelo.folha));
        }
        controle->InserirPeriodoBanco(termos);
        // Once the run is recorded, its last month is the origin of the next run.
        const DateParts ultimo = DecodeDate(fim);
        modelo.mes = ultimo.year * 12 + ultimo.month - 1;
      }
      mes += meses_run;
    }
    // The printed periods tile the 18 months without overlap.
    EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO a join LIVROPERIODO b on "
                       "a.DATAINICIAL < b.DATAINICIAL and a.DATAFINAL >= b.DATAINICIAL"),
              0);
    EXPECT_EQ(db.Count("select count(*) from LIVROPERIODO where DATAFINAL = '2026-06-30'"), 1);
  }
}

}  // namespace
