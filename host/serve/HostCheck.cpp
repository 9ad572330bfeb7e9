#include "host/serve/HostCheck.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>

namespace stock::serve {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return text;
}

// An IPv6 literal in brackets, as a Host header writes it.
std::string Bracketed(const std::string& name) {
  if (name.find(':') != std::string::npos && (name.empty() || name[0] != '['))
    return "[" + name + "]";
  return name;
}

bool IsIpv4Literal(const std::string& name, in_addr* out) {
  // inet_pton takes only the full dotted form: "127.1", "0x7f.1" and names are refused.
  return inet_pton(AF_INET, name.c_str(), out) == 1;
}

}  // namespace

bool IsLoopbackName(const std::string& text) {
  const std::string name = Lower(text);
  if (name == "localhost" || name == "::1" || name == "[::1]") return true;
  in_addr address{};
  return IsIpv4Literal(name, &address) && (ntohl(address.s_addr) >> 24) == 127;
}

HostCheck::HostCheck(std::string address, int port, std::vector<std::string> names)
    : address_(std::move(address)), port_(port) {
  for (const std::string& n : names) names_.push_back(Bracketed(Lower(n)));
  if (address_ != "0.0.0.0" && address_ != "::") names_.push_back(Bracketed(Lower(address_)));
}

bool HostCheck::Allows(const std::string& host) const {
  std::string name, port;
  if (!host.empty() && host[0] == '[') {
    const size_t close = host.find(']');
    if (close == std::string::npos) return false;
    name = host.substr(0, close + 1);
    port = host.substr(close + 1);
  } else {
    const size_t colon = host.find(':');
    if (colon == std::string::npos) return false;
    name = host.substr(0, colon);
    port = host.substr(colon);
  }
  if (port.size() < 2 || port[0] != ':' ||
      port.compare(1, std::string::npos, std::to_string(port_)) != 0) {
    return false;
  }
  name = Lower(name);
  if (IsLoopbackName(name)) return true;
  return std::find(names_.begin(), names_.end(), name) != names_.end();
}

std::string HostCheck::Address() const {
  const std::string shown = IsLoopbackName(address_) || address_ == "0.0.0.0" || address_ == "::"
                                ? std::string("127.0.0.1")
                                : Bracketed(address_);
  return "http://" + shown + ":" + std::to_string(port_) + "/";
}

}  // namespace stock::serve
