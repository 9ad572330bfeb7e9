#include "host/serve/RequestGate.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "rtl/Exception.h"

namespace stock::serve {

namespace {

void CloseSocket(int socket) {
  shutdown(socket, SHUT_RDWR);
  close(socket);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return text;
}

struct Head {
  bool chunked = false;
  bool bad_length = false;
  size_t length = 0;
};

// The headers of a request head that matter to the gate.
Head ReadHead(const std::string& head) {
  Head out;
  bool seen_length = false;
  size_t start = head.find('\n');  // past the request line
  while (start != std::string::npos && start + 1 < head.size()) {
    const size_t end = head.find('\n', start + 1);
    const std::string line =
        head.substr(start + 1, (end == std::string::npos ? head.size() : end) - start - 1);
    start = end;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string name = Lower(line.substr(0, colon));
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    value.erase(value.find_last_not_of(" \t\r") + 1);
    if (name == "transfer-encoding") out.chunked = true;
    if (name != "content-length") continue;
    const bool digits =
        !value.empty() && value.size() <= 18 &&
        std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c); });
    const size_t length = digits ? std::stoull(value) : 0;
    if (!digits || (seen_length && length != out.length)) out.bad_length = true;
    out.length = length;
    seen_length = true;
  }
  return out;
}

}  // namespace

RequestGate::RequestGate(size_t max_body, int workers, std::chrono::milliseconds request_time,
                         Serve serve)
    : max_body_(max_body), request_time_(request_time), serve_(std::move(serve)) {
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
    throw Exception("Não foi possível criar o canal interno do servidor.");
  gatherer_ = std::thread([this] { Gather(); });
  for (int i = 0; i < workers; ++i) workers_.emplace_back([this] { Work(); });
}

RequestGate::~RequestGate() {
  Stop();
  close(wake_[0]);
  close(wake_[1]);
}

void RequestGate::Add(int socket) {
  {
    std::lock_guard lock(mutex_);
    if (stop_) {
      CloseSocket(socket);
      return;
    }
    added_.push_back(socket);
  }
  const char byte = 1;
  [[maybe_unused]] ssize_t n = write(wake_[1], &byte, 1);
}

void RequestGate::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (stop_ && !gatherer_.joinable()) return;
    stop_ = true;
  }
  const char byte = 1;
  [[maybe_unused]] ssize_t n = write(wake_[1], &byte, 1);
  ready_.notify_all();
  if (gatherer_.joinable()) gatherer_.join();
  for (std::thread& t : workers_) {
    if (t.joinable()) t.join();
  }
  std::lock_guard lock(mutex_);
  for (int s : added_) CloseSocket(s);
  added_.clear();
  for (auto& [s, data] : complete_) CloseSocket(s);
  complete_.clear();
}

void RequestGate::Refuse(int socket, int status, const char* reason, const std::string& text) {
  const std::string body = "{\"erro\":\"" + text + "\"}";
  const std::string response = "HTTP/1.1 " + std::to_string(status) + " " + reason +
                               "\r\nContent-Type: application/json; charset=utf-8\r\n"
                               "X-Content-Type-Options: nosniff\r\nCache-Control: no-store\r\n"
                               "Content-Length: " +
                               std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
  // Small enough for the socket's buffer: never waits for the client.
  [[maybe_unused]] ssize_t n =
      send(socket, response.data(), response.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
  CloseSocket(socket);
}

bool RequestGate::Read(Pending& p) {
  char buffer[8192];
  for (;;) {
    const size_t limit = p.need != 0 ? p.need - p.data.size() : kMaxHead + 1 - p.data.size();
    const ssize_t n = recv(p.socket, buffer, std::min(sizeof buffer, limit), MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
    if (n <= 0) {
      CloseSocket(p.socket);  // closed or broken before the request was whole
      return false;
    }
    p.data.append(buffer, static_cast<size_t>(n));
    if (p.need == 0) {
      size_t end = p.data.find("\r\n\r\n");
      size_t head_size = end == std::string::npos ? 0 : end + 4;
      if (end == std::string::npos && (end = p.data.find("\n\n")) != std::string::npos)
        head_size = end + 2;
      if (head_size == 0) {
        if (p.data.size() > kMaxHead) {
          Refuse(p.socket, 431, "Request Header Fields Too Large",
                 "Cabeçalho da requisição grande demais.");
          return false;
        }
        continue;
      }
      const Head head = ReadHead(p.data.substr(0, head_size));
      if (head.chunked) {
        Refuse(p.socket, 411, "Length Required",
               "Corpo em partes não é aceito: envie Content-Length.");
        return false;
      }
      if (head.bad_length) {
        Refuse(p.socket, 400, "Bad Request", "Content-Length inválido.");
        return false;
      }
      if (head.length > max_body_) {
        Refuse(p.socket, 413, "Payload Too Large", "Requisição grande demais.");
        return false;
      }
      p.need = head_size + head.length;
    }
    if (p.data.size() >= p.need) {
      p.data.resize(p.need);  // one request per connection: anything after it is dropped
      {
        std::lock_guard lock(mutex_);
        complete_.emplace_back(p.socket, std::move(p.data));
      }
      ready_.notify_one();
      return false;
    }
  }
}

void RequestGate::Gather() {
  std::vector<pollfd> fds;
  for (;;) {
    std::vector<int> added;
    {
      std::lock_guard lock(mutex_);
      if (stop_) break;
      added.swap(added_);
    }
    const auto now = std::chrono::steady_clock::now();
    for (int s : added) {
      if (pending_.size() >= kMaxConnections) {
        CloseSocket(pending_.front().socket);
        pending_.pop_front();
      }
      pending_.push_back({s, now + request_time_, {}, 0});
    }
    fds.assign(1, {wake_[0], POLLIN, 0});
    int timeout = -1;
    for (const Pending& p : pending_) {
      fds.push_back({p.socket, POLLIN, 0});
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(p.deadline - now).count() + 1;
      timeout = timeout < 0 ? static_cast<int>(std::max<long long>(left, 0))
                            : std::min(timeout, static_cast<int>(std::max<long long>(left, 0)));
    }
    if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) break;
    if (fds[0].revents != 0) {
      char drain[64];
      while (read(wake_[0], drain, sizeof drain) > 0) {
      }
    }
    const auto after = std::chrono::steady_clock::now();
    size_t i = 1;
    for (auto it = pending_.begin(); it != pending_.end(); ++i) {
      bool keep = true;
      if (fds[i].revents != 0) keep = Read(*it);
      if (keep && after >= it->deadline) {
        Refuse(it->socket, 408, "Request Timeout", "A requisição não chegou inteira a tempo.");
        keep = false;
      }
      it = keep ? std::next(it) : pending_.erase(it);
    }
  }
  for (const Pending& p : pending_) CloseSocket(p.socket);
  pending_.clear();
}

void RequestGate::Work() {
  for (;;) {
    std::pair<int, std::string> request;
    {
      std::unique_lock lock(mutex_);
      ready_.wait(lock, [this] { return stop_ || !complete_.empty(); });
      if (stop_) return;
      request = std::move(complete_.front());
      complete_.pop_front();
    }
    try {
      serve_(request.first, std::move(request.second));
    } catch (...) {
    }
    CloseSocket(request.first);
  }
}

}  // namespace stock::serve
