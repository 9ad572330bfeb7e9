#pragma once
// RequestGate: reads whole HTTP requests off accepted connections before any worker sees
// them. One thread waits on every connection at once, so a client that sends slowly, or not
// at all, holds no worker: the page's own requests are served while such clients hang.
//
// A request must arrive complete within the request time counted from its connection, with
// a head of at most kMaxHead bytes and a body of at most `max_body` bytes announced by
// Content-Length. A body sent in chunks (Transfer-Encoding) is refused with 411, and a
// larger one with 413, as soon as the head is read and before anything is routed. When
// kMaxConnections are pending, the one connected longest ago is dropped for a new one.
// Complete requests are handed to `workers` threads, one request per connection: `serve`
// answers it and the gate closes the connection.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace stock::serve {

class RequestGate {
 public:
  static constexpr size_t kMaxHead = 16 * 1024;
  static constexpr size_t kMaxConnections = 256;

  using Serve = std::function<void(int socket, std::string request)>;

  RequestGate(size_t max_body, int workers, std::chrono::milliseconds request_time, Serve serve);
  // Stop(), then closes what is still pending.
  ~RequestGate();
  RequestGate(const RequestGate&) = delete;
  RequestGate& operator=(const RequestGate&) = delete;

  // Takes an accepted connection (and its closing).
  void Add(int socket);
  // Drops pending connections, lets the workers finish the requests they serve and joins.
  void Stop();

 private:
  struct Pending {
    int socket;
    std::chrono::steady_clock::time_point deadline;
    std::string data;
    size_t need = 0;  // whole request's size once the head is read
  };
  void Gather();
  void Work();
  // Reads what `p` has to give; false when the connection is done with (answered or broken).
  bool Read(Pending& p);
  static void Refuse(int socket, int status, const char* reason, const std::string& text);

  const size_t max_body_;
  const std::chrono::milliseconds request_time_;
  const Serve serve_;
  int wake_[2] = {-1, -1};

  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<int> added_;
  std::deque<std::pair<int, std::string>> complete_;
  bool stop_ = false;
  std::list<Pending> pending_;  // the gathering thread's own

  std::thread gatherer_;
  std::vector<std::thread> workers_;
};

}  // namespace stock::serve
