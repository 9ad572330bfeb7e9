#pragma once
// HostCheck: which Host headers reach the server. A page served under another name that
// resolves to this machine (DNS rebinding) must not be treated as this server's own page, so
// a name is accepted only when it is a loopback address literal ("localhost", an IPv4
// address in 127.0.0.0/8 written in full, "[::1]"), the address the server is bound to, or a
// name the operator gave; and only with the port the server listens on.

#include <string>
#include <vector>

namespace stock::serve {

// True for "localhost", a dotted IPv4 address in 127.0.0.0/8, "::1" and "[::1]".
bool IsLoopbackName(const std::string& name);

class HostCheck {
 public:
  HostCheck() = default;
  // A server bound to `address`:`port`, known also by `names` (host names or addresses).
  HostCheck(std::string address, int port, std::vector<std::string> names);

  // True when the Host header `host` ("name:port", "[v6]:port") names this server.
  bool Allows(const std::string& host) const;
  // The address to tell a refused client to use.
  std::string Address() const;

 private:
  std::string address_;
  int port_ = 0;
  std::vector<std::string> names_;  // lower case, IPv6 literals in brackets
};

}  // namespace stock::serve
