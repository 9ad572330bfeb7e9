#pragma once
// WebServer: the parameter screens over HTTP (cpp-httplib), for `stockreports serve`.
//
// Pages: "/" lists the reports; "/relatorio/<name>" opens that report's screen. The page's
// script talks to "/api/tela/<id>/..." with the screen's token in the X-Token header (files,
// which the browser fetches by address, carry it as "?t="). Every request is refused (403)
// when its Host is not this server's, when it comes from another site (Origin,
// Sec-Fetch-Site), or when the token does not match; bodies over kMaxBody bytes get 413.
// Nothing a request carries names a file: files are found by screen and page number.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace stock::serve {

class WebServer {
 public:
  static constexpr size_t kMaxBody = 16 * 1024;

  // A server answering for the reports of the definition folder, printing from the default
  // connection (set by the caller). A request must arrive whole within `request_time` of
  // its connection (RequestGate).
  explicit WebServer(std::chrono::milliseconds request_time = std::chrono::seconds(10));
  // Stops listening, closes every screen, stops the print running and removes its files.
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Binds `address`:`port` (port 0: any free port), answering requests addressed to a
  // loopback name, to `address` or to one of `names`. Returns the port bound; raises
  // Exception when the address cannot be bound.
  int Bind(const std::string& address, int port, const std::vector<std::string>& names = {});
  // Serves until Stop. REQUIRES: Bind succeeded.
  void Listen();
  // Makes Listen return. Safe from any thread and from a signal-watching thread.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace stock::serve
