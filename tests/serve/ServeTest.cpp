// The parameter screens of `stockreports serve`: the platform thread's queue, the screens'
// events on a real plug-in, prints with progress, questions, stop and the line of waiting
// prints, and the web server's refusals.

#include <gtest/gtest.h>
#include <httplib.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <regex>
#include <sstream>
#include <thread>

#include "host/ReportParameters.h"
#include "host/serve/PlatformThread.h"
#include "rtl/Exception.h"
#include "serve/ServeFixture.h"

namespace stock::serve {
namespace {

std::string ValueOf(const ScreenView& view, const std::string& name) {
  for (const ScreenField& f : view.fields) {
    if (f.name == name) return f.value;
  }
  return "<none>";
}

TEST_F(Serve, PlatformThreadRunsEventsBetweenTheRowsOfAPrintAndKeepsPrintsInLine) {
  // The promises outlive the platform thread, which may still be inside the print when the
  // test ends.
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> started;
  PlatformThread platform;
  const uint64_t first = platform.QueuePrint([&] {
    started.set_value();
    while (released.wait_for(1ms) != std::future_status::ready) platform.RunPendingTasks();
  });
  const uint64_t second = platform.QueuePrint([] {});
  const uint64_t third = platform.QueuePrint([] {});
  started.get_future().wait();
  EXPECT_EQ(platform.PrintsAhead(first), 0);
  EXPECT_EQ(platform.PrintsAhead(second), 1);
  EXPECT_EQ(platform.PrintsAhead(third), 2);
  EXPECT_TRUE(platform.CancelPrint(third));
  EXPECT_FALSE(platform.CancelPrint(first));  // already running
  // A quick task is answered while the print runs, and its errors reach the caller.
  EXPECT_EQ(platform.Call([] { return 42; }), 42);
  EXPECT_THROW(platform.Call([]() -> int { throw Exception("falhou"); }), Exception);
  release.set_value();
}

TEST_F(Serve, PlatformThreadCallGivesUpWhenAPrintDoesNotLetEventsIn) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> started;
  PlatformThread platform;
  platform.QueuePrint([&] {
    started.set_value();
    released.wait();
  });
  started.get_future().wait();
  EXPECT_THROW(platform.Call([] { return 1; }, 50ms), Exception);
  release.set_value();
}

TEST_F(Serve, ScreenSendsEventsToTheReportAndKeepsItsErrorsByTheField) {
  ParamScreen screen("probeScreen");
  EXPECT_EQ(screen.Title(), "Tela de teste");
  const std::vector<ScreenField> fields = screen.Fields();
  ASSERT_EQ(fields.size(), 12u);  // pLinha is hidden
  EXPECT_EQ(fields[0].name, "pCodigo");
  EXPECT_EQ(fields[0].value, "7");
  EXPECT_EQ(fields[2].type, TnParamType::Date);

  screen.Enter("pCodigo");
  screen.Change("pCodigo", "abc");
  screen.Exit("pCodigo");
  EXPECT_EQ(screen.Values()[1], (std::pair<std::string, std::string>("pEco", "ABC")));
  EXPECT_TRUE(screen.Errors().empty());

  screen.Change("pCodigo", "0");
  screen.Exit("pCodigo");
  EXPECT_EQ(screen.Errors().at("pCodigo"), "Código zero não é aceito.");
  screen.Change("pValor", "doze");
  screen.Exit("pValor");
  EXPECT_NE(screen.Errors().at("pValor").find("'doze'"), std::string::npos);
  screen.Change("pCodigo", "1");  // a change clears the field's error
  screen.Change("pValor", std::string(ParamScreen::kMaxValue + 1, '9'));
  EXPECT_EQ(screen.Errors().count("pCodigo"), 0u);
  EXPECT_NE(screen.Errors().at("pValor").find("longo demais"), std::string::npos);

  // A value that does not fit its type is an error once the field is left, and before a print.
  screen.Change("pLinhas", "muitas");
  EXPECT_EQ(screen.Errors().count("pLinhas"), 0u);
  EXPECT_FALSE(screen.CheckAll());
  EXPECT_NE(screen.Errors().at("pLinhas").find("'muitas'"), std::string::npos);

  EXPECT_THROW(screen.Change("pLinha", "1"), Exception);  // not an input
  EXPECT_THROW(screen.Enter("pNada"), Exception);
  EXPECT_THROW(ParamScreen("naoExiste"), Exception);
  EXPECT_THROW(ParamScreen("soLayout"), Exception);
  EXPECT_THROW(ParamScreen("../definitions/probeScreen"), Exception);
}

TEST_F(Serve, FieldsCarryTheirChoicesAndARequiredFieldLeftEmptyStopsThePrintByItsLabel) {
  ParamScreen screen("probeScreen");
  const std::vector<ScreenField> fields = screen.Fields();
  const ScreenField& model = fields[10];
  ASSERT_EQ(model.name, "pModelo");
  ASSERT_EQ(model.choices.size(), 2u);
  EXPECT_EQ(model.choices[1].value, "1");
  EXPECT_EQ(model.choices[1].text, "Completo");
  EXPECT_EQ(model.lookup, "empresas");
  EXPECT_EQ(fields[11].choices.size(), 2u);  // a flag: Não, Sim
  EXPECT_EQ(fields[11].choices[0].text, "Não");
  EXPECT_TRUE(fields[9].required);

  EXPECT_TRUE(screen.CheckAll());
  screen.Change("pObrigatorio", "  ");
  EXPECT_FALSE(screen.CheckAll());
  EXPECT_EQ(screen.Errors().at("pObrigatorio"),
            "Preencha \"Data obrigatória\": o relatório não imprime sem este campo.");
  // Messages name fields by their labels, never by the parameters' names.
  screen.Change("pValor", "doze");
  screen.Exit("pValor");
  EXPECT_EQ(screen.Errors().at("pValor").find("pValor"), std::string::npos)
      << screen.Errors().at("pValor");
  screen.SetError("pValor", "Valor inválido para o parâmetro pValor (Valor): 'x'");
  EXPECT_EQ(screen.Errors().at("pValor"), "Valor inválido para o campo \"Valor\": 'x'");
  screen.SetError("pCodigo", "pCodigo e pCodigoX: ruim");
  EXPECT_EQ(screen.Errors().at("pCodigo"), "\"Código\" e pCodigoX: ruim");
  // The companies of the lookup come from the database: this one has no such table.
  EXPECT_THROW(screen.LookupChoices("pModelo"), Exception);
  EXPECT_TRUE(screen.LookupChoices("pCodigo").empty());
}

TEST_F(Serve, TheCommandLineListsTheChoicesAndBadChoicesAreRefused) {
  std::ostringstream out;
  host::DescribeParameters(out, *LoadReportDefinition(dir_ + "/definitions/probeScreen.json"));
  EXPECT_NE(out.str().find("valores: 0 = Simples; 1 = Completo\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("pSimNao (indicador (0 ou 1)): Sim ou não [padrão: 0]"),
            std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("valores: 0 = Não; 1 = Sim\n"), std::string::npos);
  EXPECT_NE(out.str().find("tabela de empresas"), std::string::npos);
  const std::string head = R"({"name": "x", "sections": [], "parameters": [{"name": "pX", )";
  for (const char* bad : {R"("choices": []}]})", R"("choices": [{"value": "1"}]}]})",
                          R"("choices": "0,1"}]})", R"("lookup": "produtos"}]})"}) {
    EXPECT_THROW(ParseReportDefinition(head + bad, "x.json"), Exception) << bad;
  }
}

TEST_F(Serve, ThePdfIsNamedByReportCompaniesAndPeriod) {
  auto field = [](const char* name, TnParamType type, const char* value, const char* lookup = "") {
    ScreenField f;
    f.name = name;
    f.type = type;
    f.value = value;
    f.lookup = lookup;
    return f;
  };
  struct Case {
    const char* companies;
    const char* start;
    const char* end;
    const char* name;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"1", "01/01/2026", "31/12/2026",
            "listagem-do-inventario_empresa-1_01-01-2026_a_31-12-2026.pdf"},
           {"1;3;5..9", "01/01/2026", "", "listagem-do-inventario_empresas-1_3_5-9_01-01-2026.pdf"},
           {" ", "", "", "listagem-do-inventario.pdf"},
           {"1'; drop", "", "", "listagem-do-inventario_empresa-1.pdf"}}) {
    EXPECT_EQ(PdfFileName("Listagem do Inventário",
                          {field("pCodigoEmpresa", TnParamType::Interval, c.companies, "empresas"),
                           field("pDataInicial", TnParamType::Date, c.start),
                           field("pDataFinal", TnParamType::Date, c.end)}),
              c.name);
  }
  EXPECT_EQ(PdfFileName("ÁRVORE DE GRUPOS: AÇÃO/\"X\"", {}), "arvore-de-grupos-acao-x.pdf");
}

TEST_F(Serve, ErrorsOfAPrintAreMatchedToTheFieldTheyName) {
  auto field = [](const char* name, TnParamType type, const char* caption) {
    ScreenField f;
    f.name = name;
    f.type = type;
    f.caption = caption;
    return f;
  };
  const std::vector<ScreenField> fields = {
      field("pDataInicial", TnParamType::Date, "Data inicial"),
      field("pDataFinal", TnParamType::Date, "Data final (dd/mm/aaaa)"),
      field("pValor", TnParamType::Float, "")};
  EXPECT_EQ(FieldOfError(fields, "Data final inválida: '31/02/2026'."), "pDataFinal");
  EXPECT_EQ(FieldOfError(fields, "Data inicial inválida: 'x'."), "pDataInicial");
  EXPECT_EQ(FieldOfError(fields, "Valor inválido para o parâmetro pValor: 'x'"), "pValor");
  EXPECT_EQ(FieldOfError(fields, "Empresa inativa."), "");
}

TEST_F(Serve, APrintPublishesThePdfAndPreviewsInItsOwnFolderRemovedWithTheScreen) {
  PlatformThread platform;
  ScreenSessions sessions(platform);
  const auto s = sessions.Open("probeScreen");
  sessions.Event(s.id, s.token, "alterar", "pLinhas", "5");
  sessions.Print(s.id, s.token);
  const PrintView v = WaitEnd(sessions, s);
  ASSERT_EQ(v.job.state, JobState::Done) << v.job.error;
  EXPECT_EQ(v.job.pages, 5);
  EXPECT_EQ(v.job.preview_pages, 5);
  EXPECT_EQ(v.job.done, 5);
  std::shared_ptr<PrintJob> job = sessions.Job(s.id, s.token);
  const fs::path pdf = *job->Pdf();
  EXPECT_GT(fs::file_size(pdf), 500u);
  EXPECT_EQ((fs::status(pdf.parent_path()).permissions() & fs::perms::all), fs::perms::owner_all);
  EXPECT_TRUE(fs::exists(*job->Preview(5)));
  EXPECT_FALSE(job->Preview(6).has_value());
  EXPECT_FALSE(job->Preview(0).has_value());
  job.reset();

  sessions.Close(s.id, s.token);
  WaitPrintsReleased(platform);
  EXPECT_FALSE(fs::exists(pdf.parent_path()));
  EXPECT_THROW(sessions.Status(s.id, s.token), ScreenNotFound);
}

TEST_F(Serve, AQuestionWaitsForTheBrowsersAnswer) {
  PlatformThread platform;
  ScreenSessions sessions(platform);
  const auto s = sessions.Open("probeScreen");
  sessions.Event(s.id, s.token, "alterar", "pPerguntar", "1");
  sessions.Print(s.id, s.token);
  const PrintView asking = WaitState(sessions, s, JobState::Asking);
  ASSERT_TRUE(asking.job.dialog.has_value());
  EXPECT_EQ(asking.job.dialog->text, "Confirma a impressão?");
  EXPECT_EQ(asking.job.dialog->buttons, (std::vector<std::string>{"Sim", "Não"}));
  // Another screen's events are answered while the question waits.
  const auto other = sessions.Open("probeScreen");
  EXPECT_EQ(ValueOf(sessions.Event(other.id, other.token, "alterar", "pCodigo", "x"), "pEco"), "X");
  EXPECT_FALSE(sessions.Answer(s.id, s.token, asking.job.dialog->id + 1, 1));  // not that question
  EXPECT_FALSE(sessions.Answer(s.id, s.token, asking.job.dialog->id, 2));      // no such button
  EXPECT_TRUE(sessions.Answer(s.id, s.token, asking.job.dialog->id, 1));       // "Não"
  const PrintView end = WaitEnd(sessions, s);
  EXPECT_EQ(end.job.state, JobState::Empty);
  ASSERT_EQ(end.job.messages.size(), 1u);
  EXPECT_EQ(end.job.messages[0].second, "Impressão cancelada.");
}

TEST_F(Serve, ANoticeIsListedWithTheMessagesAndAsksNothing) {
  PlatformThread platform;
  ScreenSessions sessions(platform);
  const auto s = sessions.Open("probeScreen");
  sessions.Event(s.id, s.token, "alterar", "pPerguntar", "2");
  sessions.Print(s.id, s.token);
  const PrintView end = WaitEnd(sessions, s);  // never waits in the Asking state
  EXPECT_EQ(end.job.state, JobState::Empty);
  EXPECT_FALSE(end.job.dialog.has_value());
  EXPECT_EQ(end.job.messages, (std::vector<std::pair<int, std::string>>{
                                  {1, "Empresa inativa."}, {0, "Impressão cancelada."}}));
}

TEST_F(Serve, StoppingAQuestionAnswersNoAndPublishesNothing) {
  PlatformThread platform;
  ScreenSessions sessions(platform);
  const auto s = sessions.Open("probeScreen");
  sessions.Event(s.id, s.token, "alterar", "pPerguntar", "1");
  sessions.Print(s.id, s.token);
  WaitState(sessions, s, JobState::Asking);
  sessions.Stop(s.id, s.token);
  const PrintView end = WaitEnd(sessions, s);
  EXPECT_NE(end.job.state, JobState::Done);
  EXPECT_FALSE(sessions.Job(s.id, s.token)->Pdf().has_value());
}

TEST_F(Serve, AQuestionLeftUnansweredCancelsItsPrintAndTheLineSaysWhatItWaitsFor) {
  PlatformThread platform;
  ScreenSessions sessions(platform, 300ms);
  const auto asking = sessions.Open("probeScreen");
  const auto waiting = sessions.Open("probeScreen");
  sessions.Event(asking.id, asking.token, "alterar", "pPerguntar", "1");
  sessions.Print(asking.id, asking.token);
  WaitState(sessions, asking, JobState::Asking);
  sessions.Print(waiting.id, waiting.token);
  const PrintView line = sessions.Status(waiting.id, waiting.token);
  EXPECT_EQ(line.job.state, JobState::Waiting);
  EXPECT_TRUE(line.ahead_asks);

  const PrintView abandoned = WaitEnd(sessions, asking);
  EXPECT_EQ(abandoned.job.state, JobState::Stopped);
  EXPECT_NE(abandoned.job.abandoned.find("sem resposta"), std::string::npos);
  EXPECT_FALSE(sessions.Job(asking.id, asking.token)->Pdf().has_value());
  EXPECT_EQ(WaitEnd(sessions, waiting).job.state, JobState::Done);
}

TEST_F(Serve, OnePrintAtATimeTheSecondWaitsInLineAndAStoppedOneLeavesNoFile) {
  PlatformThread platform;
  ScreenSessions sessions(platform);
  const auto a = sessions.Open("probeScreen");
  const auto b = sessions.Open("probeScreen");
  sessions.Event(a.id, a.token, "alterar", "pLinhas", "400");
  sessions.Event(a.id, a.token, "alterar", "pEspera", "20");
  sessions.Print(a.id, a.token);
  WaitState(sessions, a, JobState::Running);
  EXPECT_THROW(sessions.Print(a.id, a.token), Exception);  // this screen prints already
  sessions.Print(b.id, b.token);
  const PrintView waiting = sessions.Status(b.id, b.token);
  EXPECT_EQ(waiting.job.state, JobState::Waiting);
  EXPECT_EQ(waiting.ahead, 1);

  for (int i = 0; i < 400 && sessions.Status(a.id, a.token).job.done < 2; ++i)
    std::this_thread::sleep_for(5ms);
  sessions.Stop(a.id, a.token);
  const PrintView stopped = WaitEnd(sessions, a);
  EXPECT_EQ(stopped.job.state, JobState::Stopped);
  EXPECT_EQ(stopped.job.pages, 0);
  EXPECT_FALSE(sessions.Job(a.id, a.token)->Pdf().has_value());
  EXPECT_EQ(WaitEnd(sessions, b).job.state, JobState::Done);
}

TEST_F(Serve, APrintErrorNamingAFieldIsShownByItAndBlocksPrintingUntilItChanges) {
  PlatformThread platform;
  ScreenSessions sessions(platform);
  const auto s = sessions.Open("probeScreen");
  sessions.Event(s.id, s.token, "alterar", "pErro", "32/13/2026");
  sessions.Print(s.id, s.token);
  const PrintView failed = WaitEnd(sessions, s);
  EXPECT_EQ(failed.job.state, JobState::Failed);
  EXPECT_EQ(failed.job.error, "Data inicial inválida: '32/13/2026'.");
  EXPECT_EQ(failed.error_field, "pDataInicial");
  EXPECT_EQ(sessions.View(s.id, s.token).errors.at("pDataInicial"), failed.job.error);
  EXPECT_THROW(sessions.Print(s.id, s.token), Exception);
  sessions.Event(s.id, s.token, "alterar", "pDataInicial", "02/01/2026");
  sessions.Event(s.id, s.token, "alterar", "pErro", "");
  sessions.Print(s.id, s.token);
  EXPECT_EQ(WaitEnd(sessions, s).job.state, JobState::Done);
}

TEST_F(Serve, ADatabaseErrorShowsAPlainSentenceWithoutItsSql) {
  PlatformThread platform;
  ScreenSessions sessions(platform);
  const auto s = sessions.Open("probeScreen");
  sessions.Event(s.id, s.token, "alterar", "pErro", "sql");
  sessions.Print(s.id, s.token);
  const PrintView failed = WaitEnd(sessions, s);
  EXPECT_EQ(failed.job.state, JobState::Failed);
  EXPECT_NE(failed.job.error.find("no such table: PRODUTO"), std::string::npos) << failed.job.error;
  EXPECT_EQ(failed.job.error.find("select"), std::string::npos) << failed.job.error;
  EXPECT_EQ(failed.job.error.find("SQL"), std::string::npos) << failed.job.error;
}

TEST_F(Serve, ScreensAnswerOnlyTheirTokenAndGoAMinuteAfterTheirPageStoppedCalling) {
  PlatformThread platform;
  ScreenSessions sessions(platform);
  const auto s = sessions.Open("probeScreen");
  EXPECT_THROW(sessions.View(s.id, "0123"), ScreenForbidden);
  EXPECT_THROW(sessions.View("feedfeed", s.token), ScreenNotFound);
  EXPECT_THROW(sessions.Event(s.id, s.token, "apagar", "pCodigo", ""), Exception);
  sessions.Print(s.id, s.token);
  WaitEnd(sessions, s);
  const fs::path folder = sessions.Job(s.id, s.token)->Pdf()->parent_path();

  sessions.Sweep(std::chrono::steady_clock::now() + 30s);
  EXPECT_NO_THROW(sessions.View(s.id, s.token));
  sessions.Sweep(std::chrono::steady_clock::now() + 61s);
  EXPECT_THROW(sessions.View(s.id, s.token), ScreenNotFound);
  WaitPrintsReleased(platform);
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_EQ(sessions.OpenCount(), 0);
}

TEST_F(Web, ListsReportsAndRefusesRequestsFromElsewhere) {
  auto list = client_->Get("/");
  ASSERT_TRUE(list);
  EXPECT_NE(list->body.find("Tela de teste"), std::string::npos);
  EXPECT_NE(list->body.find("Imprime linhas numeradas."), std::string::npos);
  EXPECT_EQ(list->body.find("soLayout"), std::string::npos);  // printed only inside others
  EXPECT_EQ(client_->Get("/relatorio/naoExiste")->status, 404);
  EXPECT_EQ(client_->Get("/relatorio/..%2F..%2Fetc%2Fpasswd")->status, 404);
  EXPECT_EQ(client_->Get("/relatorio/probeScreen", {{"Sec-Fetch-Site", "cross-site"}})->status,
            403);

  const auto [id, token] = OpenPage();
  const std::string api = "/api/tela/" + id;
  const std::string event = R"({"tipo": "alterar", "campo": "pCodigo", "valor": "abc"})";
  auto ok = client_->Post(api + "/evento", {{"X-Token", token}}, event, "application/json");
  EXPECT_EQ(ok->status, 200);
  EXPECT_NE(ok->body.find("\"ABC\""), std::string::npos) << ok->body;

  EXPECT_EQ(client_->Post(api + "/evento", event, "application/json")->status, 403);
  std::string wrong = token;
  wrong[0] = wrong[0] == '0' ? '1' : '0';
  EXPECT_EQ(client_->Post(api + "/evento", {{"X-Token", wrong}}, event, "application/json")->status,
            403);
  EXPECT_EQ(client_
                ->Post(api + "/evento", {{"X-Token", token}, {"Origin", "http://exemplo.com"}},
                       event, "application/json")
                ->status,
            403);
  EXPECT_EQ(client_->Get("/", {{"Host", "exemplo.com:" + std::to_string(port_)}})->status, 403);
  const std::string huge(WebServer::kMaxBody + 1, 'x');
  EXPECT_EQ(client_->Post(api + "/evento", {{"X-Token", token}}, huge, "application/json")->status,
            413);
  EXPECT_EQ(client_->Post(api + "/evento", {{"X-Token", token}}, "[1]", "application/json")->status,
            409);
  // Files exist only after a print, and only by page number.
  EXPECT_EQ(client_->Get(api + "/pagina/1?t=" + token)->status, 404);
  EXPECT_EQ(client_->Get(api + "/pdf?t=" + token)->status, 404);
  EXPECT_EQ(client_->Get(api + "/pagina/..%2F..%2Fetc%2Fpasswd?t=" + token)->status, 404);

  // The page closing closes the screen (sendBeacon: the token is the body).
  EXPECT_EQ(client_->Post(api + "/fechar", token, "text/plain")->status, 200);
  EXPECT_EQ(client_->Get(api, {{"X-Token", token}})->status, 404);
}

TEST_F(Web, PrintsAndServesThePdfAndThePreviews) {
  const auto [id, token] = OpenPage();
  const std::string api = "/api/tela/" + id;
  ASSERT_EQ(client_->Post(api + "/imprimir", {{"X-Token", token}}, "", "application/json")->status,
            200);
  std::string body;
  for (int i = 0; i < 1000; ++i) {
    body = client_->Get(api + "/impressao", {{"X-Token", token}})->body;
    if (body.find("\"concluido\"") != std::string::npos) break;
    std::this_thread::sleep_for(5ms);
  }
  ASSERT_NE(body.find("\"concluido\""), std::string::npos) << body;
  auto pdf = client_->Get(api + "/pdf?t=" + token);
  EXPECT_EQ(pdf->status, 200);
  EXPECT_EQ(pdf->body.rfind("%PDF-", 0), 0u);
  EXPECT_EQ(pdf->get_header_value("Content-Disposition"),
            "attachment; filename=\"tela-de-teste_empresa-1_01-01-2026_a_01-02-2026.pdf\"");
  EXPECT_EQ(client_->Get(api + "/pdf?abrir=1&t=" + token)->get_header_value("Content-Disposition"),
            "inline; filename=\"tela-de-teste_empresa-1_01-01-2026_a_01-02-2026.pdf\"");
  auto png = client_->Get(api + "/pagina/3?t=" + token);
  EXPECT_EQ(png->status, 200);
  EXPECT_EQ(png->body.substr(1, 3), "PNG");
  EXPECT_EQ(client_->Get(api + "/pagina/4?t=" + token)->status, 404);
  EXPECT_EQ(client_->Get(api + "/pagina/1")->status, 403);
}

}  // namespace
}  // namespace stock::serve
