#include "data/providers/sqlserver/server_list.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "data/providers/text_compare.h"

namespace kpx::data {
namespace {

std::string trimmed(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

void addOnce(std::vector<std::string>& names, const std::string& name) {
  for (const auto& known : names) {
    if (equalsIgnoringCase(known, name)) return;
  }
  names.push_back(name);
}

}  // namespace

std::vector<std::string> freetdsConfServers(const std::string& text) {
  std::vector<std::string> names;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    line = trimmed(line);
    if (line.size() < 3 || line.front() != '[' || line.back() != ']') continue;
    const std::string name = trimmed(line.substr(1, line.size() - 2));
    if (!name.empty() && !equalsIgnoringCase(name, "global")) addOnce(names, name);
  }
  return names;
}

void addBrowserAnswer(std::vector<std::string>& names, std::string_view answer) {
  if (answer.size() < 3 || static_cast<unsigned char>(answer[0]) != 0x05) return;
  const std::string text(answer.substr(3));
  std::string server, key;
  size_t at = 0;
  bool isKey = true;
  while (at <= text.size()) {
    const size_t semi = std::min(text.find(';', at), text.size());
    const std::string part = text.substr(at, semi - at);
    at = semi + 1;
    if (isKey && part.empty()) continue;  // ";;" ends one instance
    if (isKey) {
      key = part;
    } else if (equalsIgnoringCase(key, "ServerName")) {
      server = part;
    } else if (equalsIgnoringCase(key, "InstanceName") && !server.empty()) {
      addOnce(names, equalsIgnoringCase(part, "MSSQLSERVER") ? server : server + "\\" + part);
    }
    isKey = !isKey;
  }
}

std::vector<std::string> browseSqlServers(const std::string& address, int port, int waitMs) {
  std::vector<std::string> names;
  const int sock = socket(AF_INET, SOCK_DGRAM, 0);
  if (sock < 0) return names;
  const int yes = 1;
  setsockopt(sock, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  const char request = 0x02;  // "every instance, please"
  if (inet_pton(AF_INET, address.c_str(), &to.sin_addr) == 1 &&
      sendto(sock, &request, 1, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) == 1) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            end - std::chrono::steady_clock::now())
                            .count();
      pollfd ready{sock, POLLIN, 0};
      if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) <= 0) break;
      char answer[65536];
      const ssize_t n = recv(sock, answer, sizeof answer, 0);
      if (n > 0) addBrowserAnswer(names, {answer, static_cast<size_t>(n)});
    }
  }
  close(sock);
  return names;
}

std::vector<std::string> availableSqlServers() {
  std::vector<std::string> candidates;
  if (const char* conf = std::getenv("FREETDSCONF")) candidates.emplace_back(conf);
  if (const char* home = std::getenv("HOME"))
    candidates.push_back(std::string(home) + "/.freetds.conf");
  candidates.emplace_back("/etc/freetds/freetds.conf");
  std::vector<std::string> names;
  for (const auto& path : candidates) {
    std::ifstream in(path);
    if (!in) continue;
    std::stringstream text;
    text << in.rdbuf();
    names = freetdsConfServers(text.str());
    break;
  }
  const char* wait = std::getenv("KPX_SQLSERVER_BROWSE_MS");
  const int waitMs = wait && *wait ? std::atoi(wait) : 1000;
  if (waitMs > 0) {
    for (const auto& name : browseSqlServers("255.255.255.255", 1434, waitMs)) addOnce(names, name);
  }
  return names;
}

}  // namespace kpx::data
