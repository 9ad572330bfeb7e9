// The web server against a hostile page or client: names pointed at this machine, bodies
// sent in chunks, slow clients, heads without end.

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "host/serve/HostCheck.h"
#include "host/serve/RequestGate.h"
#include "host/serve/RunFolder.h"
#include "rtl/Exception.h"
#include "serve/ServeFixture.h"

namespace stock::serve {
namespace {

TEST(HostCheck, AcceptsOnlyLoopbackLiteralsTheBoundAddressAndTheOperatorsNames) {
  const HostCheck loopback("127.0.0.1", 8080, {});
  struct Case {
    const char* host;
    bool ok;
  };
  for (const Case& c : std::initializer_list<Case>{{"127.0.0.1:8080", true},
                                                   {"localhost:8080", true},
                                                   {"LocalHost:8080", true},
                                                   {"[::1]:8080", true},
                                                   {"127.9.8.7:8080", true},
                                                   {"127.attacker.example:8080", false},
                                                   {"127.0.0.1.attacker.example:8080", false},
                                                   {"127.1:8080", false},
                                                   {"127.0.0.1:8081", false},
                                                   {"127.0.0.1", false},
                                                   {"127.0.0.1:", false},
                                                   {"[::1", false},
                                                   {"", false},
                                                   {"estoque.local:8080", false}}) {
    EXPECT_EQ(loopback.Allows(c.host), c.ok) << c.host;
  }
  const HostCheck lan("192.168.0.10", 8080, {"Estoque.local", "::2"});
  EXPECT_TRUE(lan.Allows("estoque.local:8080"));
  EXPECT_TRUE(lan.Allows("192.168.0.10:8080"));
  EXPECT_TRUE(lan.Allows("[::2]:8080"));
  EXPECT_FALSE(lan.Allows("outro.local:8080"));
  EXPECT_FALSE(lan.Allows("estoque.local.attacker.example:8080"));
  EXPECT_EQ(lan.Address(), "http://192.168.0.10:8080/");
  EXPECT_FALSE(HostCheck("0.0.0.0", 8080, {}).Allows("0.0.0.0:8080"));
  EXPECT_TRUE(IsLoopbackName("127.255.0.1"));
  EXPECT_FALSE(IsLoopbackName("128.0.0.1"));
}

// A raw connection, for what no well-behaved client sends.
class Raw {
 public:
  explicit Raw(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  ~Raw() { close(fd_); }
  bool Connected() const { return connected_; }
  bool Send(const std::string& data) {
    return send(fd_, data.data(), data.size(), MSG_NOSIGNAL) == ssize_t(data.size());
  }
  // What the server sends until it closes or `wait` passes.
  std::string Receive(std::chrono::milliseconds wait) {
    std::string out;
    const auto end = std::chrono::steady_clock::now() + wait;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      pollfd fd{fd_, POLLIN, 0};
      if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) return out;
      char buffer[4096];
      const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) return out;
      out.append(buffer, static_cast<size_t>(n));
    }
  }

 private:
  int fd_;
  bool connected_ = false;
};

class Hostile : public Web {
 protected:
  std::string Host() const { return "Host: 127.0.0.1:" + std::to_string(port_) + "\r\n"; }
};

TEST_F(Hostile, ANamePointedAtThisMachineIsRefused) {
  const std::string port = std::to_string(port_);
  EXPECT_EQ(client_->Get("/", {{"Host", "127.attacker.example:" + port}})->status, 403);
  EXPECT_EQ(client_->Get("/app.js", {{"Host", "127.0.0.1.nip.example:" + port}})->status, 403);
  EXPECT_EQ(client_->Get("/", {{"Host", "localhost:" + port}})->status, 200);
}

TEST_F(Hostile, ChunkedBodiesAndEndlessHeadsAreRefusedBeforeRouting) {
  Raw chunked(port_);
  ASSERT_TRUE(chunked.Connected());
  chunked.Send("POST /desconhecido HTTP/1.1\r\n" + Host() + "Transfer-Encoding: chunked\r\n\r\n");
  chunked.Send("4000\r\n" + std::string(0x4000, 'x') + "\r\n");
  const std::string refused = chunked.Receive(2s);
  EXPECT_EQ(refused.rfind("HTTP/1.1 411", 0), 0u) << refused.substr(0, 80);

  Raw announced(port_);
  announced.Send("POST /desconhecido HTTP/1.1\r\n" + Host() +
                 "Content-Length: 268435456\r\n\r\nxx");
  EXPECT_EQ(announced.Receive(2s).rfind("HTTP/1.1 413", 0), 0u);

  Raw endless(port_);
  endless.Send("GET /" + std::string(RequestGate::kMaxHead + 10, 'a'));
  EXPECT_EQ(endless.Receive(2s).rfind("HTTP/1.1 431", 0), 0u);
}

TEST_F(Hostile, SlowClientsHoldNoWorkerAndAreDroppedWhenTheirTimeIsUp) {
  // The fixture's server gives a request 10 s; this one 600 ms.
  server_->Stop();
  thread_.join();
  server_ = std::make_unique<WebServer>(600ms);
  port_ = server_->Bind("127.0.0.1", 0);
  thread_ = std::thread([this] { server_->Listen(); });
  client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
  for (int i = 0; i < 200 && !client_->Get("/app.css"); ++i) std::this_thread::sleep_for(10ms);

  std::vector<std::unique_ptr<Raw>> slow;
  for (int i = 0; i < 64; ++i) {
    slow.push_back(std::make_unique<Raw>(port_));
    slow.back()->Send("GET / HTTP/1.1\r\n" + Host());
  }
  client_->set_read_timeout(2s);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 5; ++i) {
    auto res = client_->Get("/app.css");
    ASSERT_TRUE(res) << "a normal request was not answered while slow clients hang";
    EXPECT_EQ(res->status, 200);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  // One more header line now and then does not keep a connection: the whole request has a time.
  for (int i = 0; i < 3; ++i) {
    std::this_thread::sleep_for(250ms);
    slow[0]->Send("X-Mais: " + std::to_string(i) + "\r\n");
  }
  EXPECT_EQ(slow[0]->Receive(1s).rfind("HTTP/1.1 408", 0), 0u);
}

TEST_F(Hostile, ScreensOpenOnlyFromThePageAndANewOneReplacesTheOldestIdle) {
  // Fetching a screen's address opens nothing; opening takes the token of the server's pages.
  for (int i = 0; i < ScreenSessions::kMaxScreens + 5; ++i) {
    EXPECT_EQ(client_->Get("/relatorio/probeScreen")->status, 200);
    EXPECT_EQ(client_->Head("/relatorio/probeScreen")->status, 200);
  }
  const std::string open = R"({"relatorio": "probeScreen"})";
  EXPECT_EQ(client_->Post("/api/tela", open, "application/json")->status, 403);
  EXPECT_EQ(
      client_->Post("/api/tela", {{"X-Token", std::string(32, '0')}}, open, "application/json")
          ->status,
      403);
  EXPECT_EQ(client_
                ->Post("/api/tela", {{"X-Token", PageToken()}}, R"({"relatorio": "../x"})",
                       "application/json")
                ->status,
            404);

  // Slots full: the screen idle longest goes for a new one, unless it is printing.
  std::vector<std::pair<std::string, std::string>> screens;
  for (int i = 0; i < ScreenSessions::kMaxScreens; ++i) {
    screens.push_back(OpenPage());
    std::this_thread::sleep_for(2ms);
  }
  auto call = [&](const std::pair<std::string, std::string>& s) {
    return client_
        ->Post("/api/tela/" + s.first + "/presenca", {{"X-Token", s.second}}, "",
               "application/json")
        ->status;
  };
  const std::string slow = R"({"tipo": "alterar", "campo": "pEspera", "valor": "200"})";
  client_->Post("/api/tela/" + screens[0].first + "/evento", {{"X-Token", screens[0].second}}, slow,
                "application/json");
  ASSERT_EQ(client_
                ->Post("/api/tela/" + screens[0].first + "/imprimir",
                       {{"X-Token", screens[0].second}}, "", "application/json")
                ->status,
            200);
  EXPECT_EQ(call(screens[2]), 200);  // seen again: no longer the idle longest
  const auto newest = OpenPage();
  EXPECT_EQ(call(newest), 200);
  EXPECT_EQ(call(screens[0]), 200);  // printing
  EXPECT_EQ(call(screens[1]), 404);  // replaced
  EXPECT_EQ(call(screens[2]), 200);
  client_->Post("/api/tela/" + screens[0].first + "/parar", {{"X-Token", screens[0].second}}, "",
                "application/json");
}

// Waits for the screen's print to end; returns the last status reply.
std::string WaitEnded(httplib::Client& client, const std::pair<std::string, std::string>& s) {
  std::string body;
  for (int i = 0; i < 2000; ++i) {
    auto res = client.Get("/api/tela/" + s.first + "/impressao", {{"X-Token", s.second}});
    if (!res || res->status != 200) return res ? res->body : "no answer";
    body = res->body;
    if (body.find("\"fila\"") == std::string::npos &&
        body.find("\"imprimindo\"") == std::string::npos &&
        body.find("\"pergunta\"") == std::string::npos) {
      return body;
    }
    std::this_thread::sleep_for(5ms);
  }
  return body;
}

TEST_F(Hostile, DatabaseTextThatIsNotUtf8IsSentReplacedAndSaidSo) {
  const auto s = OpenPage();
  const std::string api = "/api/tela/" + s.first;
  client_->Post(api + "/evento", {{"X-Token", s.second}},
                R"({"tipo": "alterar", "campo": "pLatin1", "valor": "1"})", "application/json");
  ASSERT_EQ(
      client_->Post(api + "/imprimir", {{"X-Token", s.second}}, "", "application/json")->status,
      200);
  const std::string status = WaitEnded(*client_, s);
  EXPECT_NE(status.find("\"concluido\""), std::string::npos) << status;
  EXPECT_NE(status.find("Empresa Jos\xEF\xBF\xBD Ltda."), std::string::npos) << status;
  EXPECT_NE(status.find("\"textoInvalido\""), std::string::npos);
  EXPECT_EQ(client_->Get(api + "/pdf?t=" + s.second)->status, 200);
}

TEST(RunFolder, AServerRemovesTheFoldersItsKilledPredecessorsLeft) {
  char pattern[] = "/tmp/runfolders-XXXXXX";
  const fs::path temp = mkdtemp(pattern);
  const char* previous = getenv("TMPDIR");
  const std::string saved = previous ? previous : "";
  setenv("TMPDIR", temp.c_str(), 1);
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  const fs::path stale = temp / ("stockreports-" + std::to_string(dead) + "-a1b2c3");
  const fs::path running = temp / ("stockreports-" + std::to_string(getppid()) + "-a1b2c3");
  const fs::path other = temp / "stockreports-notes";
  for (const fs::path& p : {stale, running, other}) fs::create_directory(p);
  std::ofstream(stale / "relatorio.pdf") << "%PDF-";
  {
    RunFolder live;
    EXPECT_EQ(live.Path().parent_path(), temp);
    EXPECT_EQ(RunFolder::RemoveStale(), 1);
    EXPECT_TRUE(fs::exists(live.Path()));
  }
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(running));
  EXPECT_TRUE(fs::exists(other));
  previous ? setenv("TMPDIR", saved.c_str(), 1) : unsetenv("TMPDIR");
  fs::remove_all(temp);
}

TEST_F(Hostile, ASecondServerOnTheSamePortIsRefused) {
  WebServer second;
  EXPECT_THROW(second.Bind("127.0.0.1", port_), Exception);
}

TEST_F(Hostile, UnknownAddressesGetAPage) {
  auto page = client_->Get("/nada/aqui");
  EXPECT_EQ(page->status, 404);
  EXPECT_NE(page->get_header_value("Content-Type").find("text/html"), std::string::npos);
  EXPECT_NE(page->body.find("Página não encontrada"), std::string::npos);
  EXPECT_NE(client_->Get("/api/nada")->get_header_value("Content-Type").find("json"),
            std::string::npos);
}

}  // namespace
}  // namespace stock::serve
