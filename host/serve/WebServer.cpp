#include "host/serve/WebServer.h"

#include <httplib.h>

#include <condition_variable>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "basekit/Conexao.h"
#include "host/Commands.h"
#include "host/serve/EfdScreen.h"
#include "host/serve/GatedServer.h"
#include "host/serve/HostCheck.h"
#include "host/serve/PlatformThread.h"
#include "host/serve/RunFolder.h"
#include "host/serve/ScreenSessions.h"
#include "host/serve/WebPages.h"
#include "reportkit/DMReport.h"
#include "reportkit/ReportDefinition.h"
#include "rtl/Exception.h"

namespace stock::serve {

namespace {

using json = nlohmann::json;

const char* TypeName(TnParamType type) {
  switch (type) {
    case TnParamType::Text: return "texto";
    case TnParamType::Integer: return "inteiro";
    case TnParamType::Float: return "numero";
    case TnParamType::Date: return "data";
    case TnParamType::Flag: return "indicador";
    case TnParamType::Interval: return "intervalo";
  }
  return "texto";
}

json ToJson(const ScreenView& view) {
  json fields = json::array();
  for (const ScreenField& f : view.fields) {
    json choices = json::array();
    for (const ParamChoice& c : f.choices)
      choices.push_back({{"valor", c.value}, {"texto", c.text}});
    fields.push_back({{"nome", f.name},
                      {"tipo", TypeName(f.type)},
                      {"rotulo", f.caption},
                      {"valor", f.value},
                      {"obrigatorio", f.required},
                      {"opcoes", choices},
                      {"consulta", f.lookup}});
  }
  return {{"relatorio", view.report},
          {"titulo", view.title},
          {"campos", fields},
          {"erros", view.errors}};
}

json ToJson(const PrintView& view) {
  if (!view.exists) return {{"estado", "nenhuma"}};
  const JobView& job = view.job;
  json messages = json::array();
  for (const auto& [kind, text] : job.messages)
    messages.push_back({{"tipo", kind}, {"texto", text}});
  json out = {{"estado", JobStateName(job.state)},
              {"aFrente", view.ahead},
              {"feitos", job.done},
              {"total", job.total},
              {"paginas", job.pages},
              {"previas", job.preview_pages},
              {"mensagens", messages},
              {"erro", job.error},
              {"campoErro", view.error_field},
              {"esperaResposta", view.ahead_asks},
              {"abandonada", job.abandoned},
              {"arquivo", view.file_name}};
  if (job.dialog) {
    out["pergunta"] = {
        {"id", job.dialog->id}, {"texto", job.dialog->text}, {"botoes", job.dialog->buttons}};
  }
  return out;
}

// Texts from the database may not be valid UTF-8 (a name stored in Latin-1): they are sent
// with the bad bytes replaced, and the reply says so.
void SendJson(httplib::Response& res, json body, int status = 200) {
  res.status = status;
  std::string text;
  try {
    text = body.dump();
  } catch (const json::type_error&) {
    if (body.is_object()) {
      body["textoInvalido"] =
          "Um texto vindo do banco de dados não está em UTF-8 válido; os caracteres "
          "que não puderam ser lidos aparecem como \uFFFD.";
    }
    text = body.dump(-1, ' ', false, json::error_handler_t::replace);
  }
  res.set_content(text, "application/json; charset=utf-8");
}

void SendError(httplib::Response& res, int status, const std::string& text) {
  SendJson(res, {{"erro", text}}, status);
}

// The body of a POST as a JSON object; raises Exception for anything else.
json Body(const httplib::Request& req) {
  if (req.body.empty()) return json::object();
  json body = json::parse(req.body, nullptr, false);
  if (!body.is_object()) throw Exception("Requisição inválida: o corpo deve ser um objeto JSON.");
  return body;
}

std::string TextOf(const json& body, const char* key) {
  auto it = body.find(key);
  if (it == body.end()) return {};
  if (!it->is_string())
    throw Exception(std::string("Requisição inválida: '") + key + "' deve ser um texto.");
  return it->get<std::string>();
}

int IntOf(const json& body, const char* key) {
  auto it = body.find(key);
  if (it == body.end() || !it->is_number_integer()) {
    throw Exception(std::string("Requisição inválida: '") + key + "' deve ser um número inteiro.");
  }
  return it->get<int>();
}

// The reports that have a screen, for the list page.
std::vector<ReportEntry> ReportList() {
  std::vector<ReportEntry> list;
  for (const std::string& name : host::KnownReports()) {
    try {
      auto def = LoadReportDefinition(DefinitionPath(name));
      if (def->plugin.empty()) continue;
      list.push_back({name, def->title, def->description});
    } catch (const Exception&) {
      list.push_back({name, name, "Definição com erro: este relatório não pode ser aberto."});
    }
  }
  return list;
}

}  // namespace

struct WebServer::Impl {
  PlatformThread platform;
  ScreenSessions sessions{platform};
  GatedServer http;
  HostCheck hosts;
  // Carried by the server's own pages; opening a screen takes it, so no other site can.
  const std::string site_token = RandomToken();

  std::mutex sweep_mutex;
  std::condition_variable sweep_wake;
  bool quitting = false;
  std::thread sweeper;

  explicit Impl(std::chrono::milliseconds request_time);
  ~Impl();
  bool Allowed(const httplib::Request& req, httplib::Response& res) const;
  void Routes();
  // Runs `action` for the screen in the request's path, answering errors as JSON.
  template <class F>
  void WithScreen(const httplib::Request& req, httplib::Response& res, F action);
};

WebServer::Impl::Impl(std::chrono::milliseconds request_time) : http(kMaxBody, request_time) {
  http.set_payload_max_length(kMaxBody);
  RunFolder::RemoveStale();
  http.set_default_headers({
      {"Content-Security-Policy",
       "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; connect-src "
       "'self'; "
       "frame-ancestors 'none'; base-uri 'none'; form-action 'none'"},
      {"X-Content-Type-Options", "nosniff"},
      {"X-Frame-Options", "DENY"},
      {"Referrer-Policy", "no-referrer"},
      {"Cache-Control", "no-store"},
  });
  http.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    return Allowed(req, res) ? httplib::Server::HandlerResponse::Unhandled
                             : httplib::Server::HandlerResponse::Handled;
  });
  http.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
    if (!res.body.empty()) return;
    if (res.status == 413) {
      SendError(res, 413, "Requisição grande demais.");
    } else if (res.status == 404 && req.path.rfind("/api/", 0) == 0) {
      SendError(res, 404, "Endereço não encontrado.");
    } else if (res.status == 404) {
      res.set_content(
          MessagePage("Página não encontrada",
                      "Este endereço não existe neste servidor. Escolha um relatório na lista."),
          "text/html; charset=utf-8");
    }
  });
  http.set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        SendError(res, 500, "Erro interno do servidor.");
      });
  Routes();
  sweeper = std::thread([this] {
    std::unique_lock lock(sweep_mutex);
    while (!sweep_wake.wait_for(lock, std::chrono::seconds(10), [this] { return quitting; })) {
      lock.unlock();
      sessions.Sweep(std::chrono::steady_clock::now());
      lock.lock();
    }
  });
}

WebServer::Impl::~Impl() {
  {
    std::lock_guard lock(sweep_mutex);
    quitting = true;
  }
  sweep_wake.notify_all();
  sweeper.join();
}

bool WebServer::Impl::Allowed(const httplib::Request& req, httplib::Response& res) const {
  // Another name pointed at this machine (DNS rebinding) must not reach a loopback server.
  const std::string host = req.get_header_value("Host");
  if (!hosts.Allows(host)) {
    SendError(res, 403, "Endereço do servidor não reconhecido: use " + hosts.Address());
    return false;
  }
  const std::string origin = req.get_header_value("Origin");
  if (!origin.empty() && origin != "http://" + host) {
    SendError(res, 403, "Requisição de outro site recusada.");
    return false;
  }
  // Browsers tell where a request comes from; only the list of reports may be reached from a
  // link on another site.
  const std::string site = req.get_header_value("Sec-Fetch-Site");
  if ((site == "cross-site" || site == "same-site") && req.path != "/") {
    SendError(res, 403, "Requisição de outro site recusada.");
    return false;
  }
  return true;
}

template <class F>
void WebServer::Impl::WithScreen(const httplib::Request& req, httplib::Response& res, F action) {
  try {
    std::string token = req.get_header_value("X-Token");
    if (token.empty()) token = req.get_param_value("t");
    action(req.matches[1].str(), token);
  } catch (const ScreenNotFound& e) {
    SendError(res, 404, e.what());
  } catch (const ScreenForbidden& e) {
    SendError(res, 403, e.what());
  } catch (const std::exception& e) {
    SendError(res, 409, e.what());
  }
}

void WebServer::Impl::Routes() {
  http.Get("/", [](const httplib::Request&, httplib::Response& res) {
    std::vector<ReportEntry> list = ReportList();
    list.push_back(EfdEntry());
    res.set_content(ListPage(list), "text/html; charset=utf-8");
  });
  AddEfdScreen(http,
               TryConexaoPadrao() != nullptr ? TryConexaoPadrao()->GetArquivo() : std::string(),
               site_token);
  http.Get("/app.js", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(ScriptText(), "text/javascript; charset=utf-8");
  });
  http.Get("/favicon.ico",
           [](const httplib::Request&, httplib::Response& res) { res.status = 204; });
  http.Get("/app.css", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(StyleText(), "text/css; charset=utf-8");
  });
  http.Get(R"(/relatorio/([A-Za-z0-9_]{1,64}))",
           [this](const httplib::Request& req, httplib::Response& res) {
             const std::string report = req.matches[1].str();
             std::vector<ReportEntry> list = ReportList();
             auto it = std::find_if(list.begin(), list.end(),
                                    [&](const ReportEntry& e) { return e.name == report; });
             if (it == list.end()) {
               res.status = 404;
               res.set_content(MessagePage("Relatório desconhecido",
                                           "Não há relatório chamado '" + report + "'."),
                               "text/html; charset=utf-8");
               return;
             }
             res.set_content(ScreenPage(*it, site_token), "text/html; charset=utf-8");
           });
  // The page opens its screen.
  http.Post("/api/tela", [this](const httplib::Request& req, httplib::Response& res) {
    try {
      const std::string token = req.get_header_value("X-Token");
      if (token.size() != site_token.size() || token != site_token) {
        return SendError(res, 403, "Token da página inválido: recarregue a página.");
      }
      const std::string report = TextOf(Body(req), "relatorio");
      std::vector<ReportEntry> list = ReportList();
      if (std::none_of(list.begin(), list.end(),
                       [&](const ReportEntry& e) { return e.name == report; })) {
        return SendError(res, 404, "Não há relatório chamado '" + report + "'.");
      }
      const ScreenSessions::Opened opened = sessions.Open(report);
      SendJson(res, {{"tela", opened.id}, {"token", opened.token}});
    } catch (const std::exception& e) {
      SendError(res, 503, e.what());
    }
  });

  const std::string screen = R"(/api/tela/([0-9a-f]{32}))";
  http.Get(screen, [this](const httplib::Request& req, httplib::Response& res) {
    WithScreen(req, res, [&](const std::string& id, const std::string& token) {
      SendJson(res, ToJson(sessions.View(id, token)));
    });
  });
  // The page calls every few seconds while it is open: a screen not called for a minute is
  // closed.
  http.Post(screen + "/presenca", [this](const httplib::Request& req, httplib::Response& res) {
    WithScreen(req, res, [&](const std::string& id, const std::string& token) {
      sessions.Job(id, token);
      SendJson(res, {{"aberta", true}});
    });
  });
  http.Post(screen + "/evento", [this](const httplib::Request& req, httplib::Response& res) {
    WithScreen(req, res, [&](const std::string& id, const std::string& token) {
      const json body = Body(req);
      SendJson(res, ToJson(sessions.Event(id, token, TextOf(body, "tipo"), TextOf(body, "campo"),
                                          TextOf(body, "valor"))));
    });
  });
  http.Post(screen + "/imprimir", [this](const httplib::Request& req, httplib::Response& res) {
    WithScreen(req, res, [&](const std::string& id, const std::string& token) {
      sessions.Print(id, token);
      SendJson(res, ToJson(sessions.Status(id, token)));
    });
  });
  // "?espera=1": while the print runs, the reply waits up to 0.3 s for it to end: the page
  // hears of the end at once and of the progress three times a second.
  http.Get(screen + "/impressao", [this](const httplib::Request& req, httplib::Response& res) {
    WithScreen(req, res, [&](const std::string& id, const std::string& token) {
      const auto wait = req.get_param_value("espera") == "1" ? std::chrono::milliseconds(300)
                                                             : std::chrono::milliseconds(0);
      SendJson(res, ToJson(sessions.Status(id, token, wait)));
    });
  });
  http.Get(screen + R"(/opcoes/([A-Za-z0-9_]{1,64}))",
           [this](const httplib::Request& req, httplib::Response& res) {
             WithScreen(req, res, [&](const std::string& id, const std::string& token) {
               json out = json::array();
               for (const ParamChoice& c : sessions.Lookup(id, token, req.matches[2].str())) {
                 out.push_back({{"valor", c.value}, {"texto", c.text}});
               }
               SendJson(res, {{"opcoes", out}});
             });
           });
  http.Post(screen + "/parar", [this](const httplib::Request& req, httplib::Response& res) {
    WithScreen(req, res, [&](const std::string& id, const std::string& token) {
      sessions.Stop(id, token);
      SendJson(res, ToJson(sessions.Status(id, token)));
    });
  });
  http.Post(screen + "/responder", [this](const httplib::Request& req, httplib::Response& res) {
    WithScreen(req, res, [&](const std::string& id, const std::string& token) {
      const json body = Body(req);
      if (!sessions.Answer(id, token, IntOf(body, "pergunta"), IntOf(body, "botao"))) {
        throw Exception("Esta pergunta não está mais esperando resposta.");
      }
      SendJson(res, ToJson(sessions.Status(id, token)));
    });
  });
  http.Post(screen + "/fechar", [this](const httplib::Request& req, httplib::Response& res) {
    // Sent as the page goes away (navigator.sendBeacon): the token comes as the body.
    httplib::Request with_token = req;
    if (!req.has_header("X-Token")) with_token.set_header("X-Token", req.body);
    WithScreen(with_token, res, [&](const std::string& id, const std::string& token) {
      sessions.Close(id, token);
      SendJson(res, {{"fechada", true}});
    });
  });
  http.Get(screen + R"(/pagina/([0-9]{1,4}))", [this](const httplib::Request& req,
                                                      httplib::Response& res) {
    WithScreen(req, res, [&](const std::string& id, const std::string& token) {
      const auto path = sessions.Preview(id, token, std::stoi(req.matches[2].str()));
      if (!path) return SendError(res, 404, "Não há prévia desta página.");
      std::ifstream in(*path, std::ios::binary);
      std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      res.set_content(std::move(png), "image/png");
    });
  });
  http.Get(screen + "/pdf", [this](const httplib::Request& req, httplib::Response& res) {
    WithScreen(req, res, [&](const std::string& id, const std::string& token) {
      std::shared_ptr<PrintJob> job = sessions.Job(id, token);
      const auto path = job ? job->Pdf() : std::nullopt;
      if (!path) return SendError(res, 404, "Não há PDF desta tela: imprima o relatório primeiro.");
      auto file = std::make_shared<std::ifstream>(*path, std::ios::binary);
      const auto size = static_cast<size_t>(std::filesystem::file_size(*path));
      // "?abrir=1" shows it in the browser; else it is saved, both under the print's name.
      const char* how = req.get_param_value("abrir") == "1" ? "inline" : "attachment";
      res.set_header("Content-Disposition",
                     std::string(how) + "; filename=\"" + job->FileName() + "\"");
      // The job (and so its folder) lives until the file has been sent.
      res.set_content_provider(size, "application/pdf",
                               [job, file](size_t offset, size_t length, httplib::DataSink& sink) {
                                 std::vector<char> buffer(std::min<size_t>(length, 64 * 1024));
                                 file->seekg(static_cast<std::streamoff>(offset));
                                 file->read(buffer.data(),
                                            static_cast<std::streamsize>(buffer.size()));
                                 const auto n = file->gcount();
                                 if (n <= 0) return false;
                                 sink.write(buffer.data(), static_cast<size_t>(n));
                                 return true;
                               });
    });
  });
}

WebServer::WebServer(std::chrono::milliseconds request_time)
    : impl_(std::make_unique<Impl>(request_time)) {}

WebServer::~WebServer() { Stop(); }

int WebServer::Bind(const std::string& address, int port, const std::vector<std::string>& names) {
  const int bound = port == 0 ? impl_->http.bind_to_any_port(address)
                              : (impl_->http.bind_to_port(address, port) ? port : -1);
  if (bound <= 0) {
    throw Exception("Não foi possível escutar em " + address + ":" + std::to_string(port) +
                    " (a porta está em uso ou o endereço não é desta máquina).");
  }
  impl_->http.WidenBacklog();
  impl_->hosts = HostCheck(address, bound, names);
  return bound;
}

void WebServer::Listen() { impl_->http.listen_after_bind(); }

void WebServer::Stop() {
  impl_->http.stop();
  impl_->http.StopGate();
}

}  // namespace stock::serve
