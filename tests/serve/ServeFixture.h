#pragma once
// The parameter-screen tests' fixtures: a definition folder with the probe report's screen
// and an empty SQLite database (Serve), and a web server on a free loopback port (Web).

#include <gtest/gtest.h>
#include <httplib.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <regex>
#include <thread>

#include "basekit/Conexao.h"
#include "host/serve/PlatformThread.h"
#include "host/serve/ScreenSessions.h"
#include "host/serve/WebServer.h"
#include "reportkit/DMReport.h"

namespace stock::serve {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kProbe =
    R"({"name": "probeScreen", "title": "Tela de teste", "plugin": "probeScreen",
  "description": "Imprime linhas numeradas.",
  "parameters": [
    {"name": "pCodigo", "label": "Código", "default": "7"},
    {"name": "pEco", "label": "Eco", "default": ""},
    {"name": "pDataInicial", "type": "date", "label": "Data inicial", "default": "01/01/2026"},
    {"name": "pValor", "type": "float", "label": "Valor", "default": ""},
    {"name": "pLinhas", "type": "integer", "label": "Linhas", "default": "3"},
    {"name": "pEspera", "type": "integer", "label": "Espera", "default": "0"},
    {"name": "pPerguntar", "type": "integer", "label": "Perguntar", "default": "0"},
    {"name": "pErro", "label": "Erro", "default": ""},
    {"name": "pLatin1", "type": "integer", "label": "Latin-1", "default": "0"},
    {"name": "pObrigatorio", "type": "date", "label": "Data obrigatória: dd/mm/aaaa", "default": "01/02/2026", "required": true},
    {"name": "pModelo", "type": "integer", "label": "Modelo", "default": "1", "lookup": "empresas",
     "choices": [{"value": "0", "text": "Simples"}, {"value": 1, "text": "Completo"}]},
    {"name": "pSimNao", "type": "flag", "label": "Sim ou não", "default": "0"},
    {"name": "pLinha", "input": false}
  ],
  "sections": [
    {"number": 1, "height": 40, "labels": [{"name": "Pagina", "text": "Página @PageNo"}]},
    {"number": 8, "height": 900, "labels": [{"name": "Linha", "param": "pLinha"}]}
  ]})";

class Serve : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/servetest-XXXXXX";
    dir_ = mkdtemp(pattern);
    fs::create_directory(dir_ + "/definitions");
    std::ofstream(dir_ + "/definitions/probeScreen.json") << kProbe;
    std::ofstream(dir_ + "/definitions/soLayout.json")
        << R"({"name": "soLayout", "title": "Só layout", "sections": [{"number": 1, "height": 10, "labels": []}]})";
    previous_definitions_ = DefinitionDirectory();
    SetDefinitionDirectory(dir_ + "/definitions");
    SetConexaoPadrao(std::make_unique<TnConexao>(dir_ + "/teste.db", TnModoAbertura::Criar));
  }
  void TearDown() override {
    SetConexaoPadrao(nullptr);
    SetDefinitionDirectory(previous_definitions_);
    fs::remove_all(dir_);
  }

  // Waits until the screen's print has ended and returns how.
  static PrintView WaitEnd(ScreenSessions& sessions, const ScreenSessions::Opened& s) {
    for (int i = 0; i < 2000; ++i) {
      PrintView v = sessions.Status(s.id, s.token);
      if (v.exists && v.job.state != JobState::Waiting && v.job.state != JobState::Running &&
          v.job.state != JobState::Asking) {
        return v;
      }
      std::this_thread::sleep_for(5ms);
    }
    ADD_FAILURE() << "the print did not end";
    return {};
  }
  static PrintView WaitState(ScreenSessions& sessions, const ScreenSessions::Opened& s,
                             JobState state) {
    for (int i = 0; i < 2000; ++i) {
      PrintView v = sessions.Status(s.id, s.token);
      if (v.exists && v.job.state == state) return v;
      std::this_thread::sleep_for(5ms);
    }
    ADD_FAILURE() << "state " << JobStateName(state) << " not reached";
    return {};
  }

  // Waits until every print queued so far has ended on the platform thread and let go of its
  // job: a print's state reads Done a moment before its task releases the job (and with the
  // last holder, the job's folder).
  static void WaitPrintsReleased(PlatformThread& platform) {
    auto ran = std::make_shared<std::promise<void>>();
    std::future<void> done = ran->get_future();
    platform.QueuePrint([ran] { ran->set_value(); });
    ASSERT_EQ(done.wait_for(30s), std::future_status::ready)
        << "the platform thread did not reach the marker";
  }

  std::string dir_;
  std::string previous_definitions_;
};

// The web server, through HTTP.
class Web : public Serve {
 protected:
  void SetUp() override {
    Serve::SetUp();
    server_ = std::make_unique<WebServer>();
    port_ = server_->Bind("127.0.0.1", 0);
    thread_ = std::thread([this] { server_->Listen(); });
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
    for (int i = 0; i < 200 && !client_->Get("/app.css"); ++i) std::this_thread::sleep_for(10ms);
  }
  void TearDown() override {
    server_->Stop();
    thread_.join();
    server_.reset();
    Serve::TearDown();
  }
  // The server's page token, read from a report's page.
  std::string PageToken() {
    auto res = client_->Get("/relatorio/probeScreen");
    EXPECT_EQ(res->status, 200);
    std::smatch m;
    EXPECT_TRUE(
        std::regex_search(res->body, m, std::regex(R"re(name="token" content="([0-9a-f]+)")re")));
    return m[1];
  }
  // Opens a screen as its page does and returns its (id, token).
  std::pair<std::string, std::string> OpenPage() {
    auto res = client_->Post("/api/tela", {{"X-Token", PageToken()}},
                             R"({"relatorio": "probeScreen"})", "application/json");
    EXPECT_EQ(res->status, 200) << res->body;
    std::smatch m;
    EXPECT_TRUE(std::regex_search(res->body, m,
                                  std::regex(R"re("tela":"([0-9a-f]+)","token":"([0-9a-f]+)")re")));
    return {m[1], m[2]};
  }

  std::unique_ptr<WebServer> server_;
  int port_ = 0;
  std::thread thread_;
  std::unique_ptr<httplib::Client> client_;
};

}  // namespace stock::serve
