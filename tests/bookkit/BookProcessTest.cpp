// The register's book control under real stockreports processes: killed at random moments of
// a print that records its period, and two clerks printing the same book at once.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "basekit/Conexao.h"
#include "basekit/ExecutarSQL.h"
#include "rtl/DateTime.h"
#include "rtl/StrConv.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Saida {
  int status = -1;  // exit status, or -1 when killed
  std::string texto;
};

// Starts `stockreports args...` with its output in `log`.
pid_t Iniciar(const std::vector<std::string>& args, const std::string& log) {
  const pid_t pid = fork();
  if (pid == 0) {
    unsetenv("STOCK_PLUGIN_DIR");
    unsetenv("STOCK_DEFINITION_DIR");
    FILE* f = std::freopen(log.c_str(), "w", stdout);
    if (f == nullptr || dup2(fileno(stdout), 2) < 0) _exit(126);
    std::vector<char*> argv{const_cast<char*>("stockreports")};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(STOCKREPORTS_EXE, argv.data());
    _exit(127);
  }
  return pid;
}

Saida Esperar(pid_t pid, const std::string& log) {
  int status = 0;
  waitpid(pid, &status, 0);
  Saida s;
  s.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(log);
  s.texto.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return s;
}

// The register of company 1, establishment 1 over the months [de, ate] (01/2026 = month 1),
// recording its period.
std::vector<std::string> Registro(const std::string& db, int de, int ate, const std::string& out) {
  auto competencia = [](int mes, bool fim) {
    const int ano = 2026 + (mes - 1) / 12, m = (mes - 1) % 12 + 1;
    const int dia = fim ? DaysInMonth(ano, m) : 1;
    return (dia < 10 ? "0" : "") + IntToStr(dia) + (m < 10 ? "/0" : "/") + IntToStr(m) + "/" +
           IntToStr(ano);
  };
  return {"print", "stockRegister",
          "--db",  db,
          "-p",    "pCodigoEmpresa=1",
          "-p",    "pCodigoEstab=1",
          "-p",    "pCompetInicial=" + competencia(de, false),
          "-p",    "pCompetFinal=" + competencia(ate, true),
          "-p",    "pAtualizarControleLivro=1",
          "--yes", "-q",
          "--out", out};
}

// The book's recorded periods, one "inicio fim livro folha" line each.
std::string Periodos(const std::string& db) {
  // Read-write: a print killed while writing leaves a journal that the next opening undoes.
  TnConexao conexao(db, TnModoAbertura::LeituraEscrita);
  SQLDataSetPtr ds(ExecutarSQL(
      "select DATAINICIAL || ' ' || DATAFINAL || ' ' || NUMLIVRO || ' ' || ULTIMAFOLHA from "
      "LIVROPERIODO where CODIGOEMPRESA = 1 and CODIGOESTAB = 1 and TIPOLIVRO = 11 and "
      "DATAINICIAL >= '2026-01-01' order by DATAINICIAL",
      Variant(), true, false, -1, "", &conexao, true));
  std::string linhas;
  for (; !ds->GetEof(); ds->Next()) linhas += ds->Fields(0)->AsString() + "\n";
  return linhas;
}

void Executar(const std::string& db, const std::string& sql) {
  TnConexao conexao(db, TnModoAbertura::LeituraEscrita);
  conexao.ExecutarScript(sql);
}

class LivroProcessos : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/bookproc-XXXXXX";
    dir_ = mkdtemp(pattern);
    db_ = dir_ + "/demo.db";
    const Saida s = Esperar(Iniciar({"demo", "--db", db_}, dir_ + "/demo.log"), dir_ + "/demo.log");
    ASSERT_EQ(s.status, 0) << s.texto;
  }
  void TearDown() override { fs::remove_all(dir_); }

  void ApagarTemporarios() {
    for (const auto& e : fs::directory_iterator(dir_)) {
      if (e.path().string().find(".tmp-") != std::string::npos) fs::remove(e.path());
    }
  }

  std::string dir_, db_;
};

// Killed anywhere (between pages, while recording, while publishing), a print leaves its period
// recorded exactly when its file is published, and then recorded as a whole print records it.
TEST_F(LivroProcessos, KilledPrintRecordsItsPeriodOnlyWithItsFile) {
  const std::string out = dir_ + "/registro.pdf", log = dir_ + "/registro.log";
  const auto inicio = Clock::now();
  const Saida inteira = Esperar(Iniciar(Registro(db_, 1, 3, out), log), log);
  const auto duracao = Clock::now() - inicio;
  ASSERT_EQ(inteira.status, 0) << inteira.texto;
  const std::string referencia = Periodos(db_);
  ASSERT_NE(referencia, "");

  std::mt19937 rng(15);
  int publicados = 0, nenhum = 0;
  for (int rodada = 0; rodada < 16; ++rodada) {
    SCOPED_TRACE("rodada " + IntToStr(rodada));
    Executar(db_, "delete from LIVROPERIODO where DATAINICIAL >= '2026-01-01'");
    fs::remove(out);
    const pid_t pid = Iniciar(Registro(db_, 1, 3, out), log);
    // Half the kills anywhere, half around the end, where the period is recorded and published
    // (a killed print runs slower than the first one: some of these come after it ended).
    const double fracao = rodada % 2 == 0 ? std::uniform_real_distribution<double>(0.0, 1.15)(rng)
                                          : std::uniform_real_distribution<double>(0.6, 2.0)(rng);
    const auto espera = std::chrono::duration_cast<std::chrono::microseconds>(duracao) * fracao;
    std::this_thread::sleep_for(espera);
    kill(pid, SIGKILL);
    const Saida s = Esperar(pid, log);
    EXPECT_TRUE(s.status == 0 || s.status == -1) << s.texto;
    const std::string periodos = Periodos(db_);
    if (fs::exists(out)) {
      EXPECT_EQ(periodos, referencia);
      ++publicados;
    } else {
      std::string pasta;
      for (const auto& e : fs::directory_iterator(dir_))
        pasta += e.path().filename().string() + " ";
      EXPECT_EQ(periodos, "") << "status " << s.status << " after " << espera.count() << " us; "
                              << pasta << s.texto;
      ++nenhum;
    }
    ApagarTemporarios();
  }
  Executar(db_, "pragma integrity_check");
  RecordProperty("published", publicados);
  RecordProperty("neither", nenhum);
}

// Two clerks print the next two months of the same book at the same moment, 20 times. Each
// print either records its month or stops with a clear message, and the clerk prints again
// from the month that stopped. The book ends numbered exactly as one clerk printing every
// month in order numbers it.
TEST_F(LivroProcessos, TwoClerksNumberTheBookWithoutGapOrRepeat) {
  const int rodadas = 20;
  const std::string referencia_db = dir_ + "/referencia.db";
  fs::copy_file(db_, referencia_db);
  // One print of every month numbers and records each month as consecutive prints do.
  const std::string log = dir_ + "/ref.log";
  const Saida s =
      Esperar(Iniciar(Registro(referencia_db, 1, 2 * rodadas, dir_ + "/ref.pdf"), log), log);
  ASSERT_EQ(s.status, 0) << s.texto;
  const std::string referencia = Periodos(referencia_db);

  int paradas = 0;
  for (int r = 0; r < rodadas; ++r) {
    SCOPED_TRACE("rodada " + IntToStr(r));
    const int mes_a = 2 * r + 1, mes_b = 2 * r + 2;
    const std::string log_a = dir_ + "/a.log", log_b = dir_ + "/b.log";
    const pid_t a = Iniciar(Registro(db_, mes_a, mes_a, dir_ + "/a.pdf"), log_a);
    const pid_t b = Iniciar(Registro(db_, mes_b, mes_b, dir_ + "/b.pdf"), log_b);
    const Saida sa = Esperar(a, log_a), sb = Esperar(b, log_b);
    for (const Saida* s : {&sa, &sb}) {
      EXPECT_TRUE(s->status == 0 || s->status == 1) << s->texto;
      if (s->status == 1) {
        EXPECT_TRUE(s->texto.find("por outra impressão") != std::string::npos ||
                    s->texto.find("sem repetir ou saltar folhas") != std::string::npos)
            << s->texto;
        ++paradas;
      }
    }
    // The clerk whose print stopped prints again, together with the later month when that one
    // got through without counting the earlier one's pages.
    if (sa.status != 0 || sb.status != 0) {
      const int de = sa.status != 0 ? mes_a : mes_b;
      const Saida s = Esperar(Iniciar(Registro(db_, de, mes_b, dir_ + "/c.pdf"), log_a), log_a);
      ASSERT_EQ(s.status, 0) << s.texto;
    }
  }
  EXPECT_EQ(Periodos(db_), referencia);
  RecordProperty("stopped", paradas);
}

}  // namespace
