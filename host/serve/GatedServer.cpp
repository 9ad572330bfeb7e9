#include "host/serve/GatedServer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <cstring>

namespace stock::serve {

namespace {

// A request read whole by the gate: reads come from it, writes go to the connection.
class GatheredStream : public httplib::Stream {
 public:
  GatheredStream(int socket, std::string request) : socket_(socket), data_(std::move(request)) {}
  bool is_readable() const override { return position_ < data_.size(); }
  bool is_writable() const override { return true; }
  ssize_t read(char* ptr, size_t size) override {
    const size_t n = std::min(size, data_.size() - position_);
    std::memcpy(ptr, data_.data() + position_, n);
    position_ += n;
    return static_cast<ssize_t>(n);
  }
  ssize_t write(const char* ptr, size_t size) override {
    pollfd fd{socket_, POLLOUT, 0};
    if (poll(&fd, 1, kWriteTimeoutMs) <= 0) return -1;  // a client that stopped reading
    return send(socket_, ptr, size, MSG_NOSIGNAL);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    Address(getpeername, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    Address(getsockname, ip, port);
  }
  socket_t socket() const override { return socket_; }

 private:
  static constexpr int kWriteTimeoutMs = 10000;
  template <class F>
  void Address(F get, std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    ip.clear();
    port = 0;
    if (get(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) return;
    char text[64] = {};
    if (address.ss_family == AF_INET) {
      auto* a = reinterpret_cast<sockaddr_in*>(&address);
      inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
      port = ntohs(a->sin_port);
    } else if (address.ss_family == AF_INET6) {
      auto* a = reinterpret_cast<sockaddr_in6*>(&address);
      inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
      port = ntohs(a->sin6_port);
    }
    ip = text;
  }
  int socket_;
  std::string data_;
  size_t position_ = 0;
};

// Runs the listening loop's tasks on the listening thread itself: all it hands over is
// a new connection, which goes to the gate at once.
class InlineQueue : public httplib::TaskQueue {
 public:
  void enqueue(std::function<void()> fn) override { fn(); }
  void shutdown() override {}
};

}  // namespace

GatedServer::GatedServer(size_t max_body, std::chrono::milliseconds request_time)
    : gate_(max_body, kWorkers, request_time, [this](int socket, std::string request) {
        GatheredStream stream(socket, std::move(request));
        bool closed = false;
        process_request(stream, true, closed, nullptr);
      }) {
  new_task_queue = [] { return new InlineQueue; };
  // cpp-httplib also sets SO_REUSEPORT, with which a second server on the same port binds
  // without error and takes part of the first one's connections.
  set_socket_options([](socket_t socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
}

GatedServer::~GatedServer() { gate_.Stop(); }

void GatedServer::WidenBacklog() { ::listen(svr_sock_, SOMAXCONN); }

bool GatedServer::process_and_close_socket(socket_t socket) {
  gate_.Add(socket);
  return true;
}

}  // namespace stock::serve
