#pragma once
// GatedServer: cpp-httplib's server with its connections read by a RequestGate. Its workers
// are never held by a client that sends slowly, and a request reaches routing only once it
// arrived whole and within the gate's limits. One request per connection.

#include <httplib.h>

#include <chrono>

#include "host/serve/RequestGate.h"

namespace stock::serve {

class GatedServer : public httplib::Server {
 public:
  static constexpr int kWorkers = 8;

  GatedServer(size_t max_body, std::chrono::milliseconds request_time);
  ~GatedServer() override;
  // Lets connections arriving together wait to be accepted (cpp-httplib listens with a
  // backlog of 5: a sixth arriving at once waits a second for its retry). REQUIRES: bound.
  void WidenBacklog();
  // Drops the connections not yet served and waits for the requests being served.
  void StopGate() { gate_.Stop(); }

 private:
  bool process_and_close_socket(socket_t socket) override;

  RequestGate gate_;
};

}  // namespace stock::serve
