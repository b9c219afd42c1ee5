#include "cli/sqlserver_address.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "cli/arguments.h"
#include "cli/program_text.h"

namespace kpx::cli {

std::optional<SqlServerAddress> parseSqlServerAddress(const std::string& text) {
  const std::string scheme = "mssql://";
  if (text.compare(0, scheme.size(), scheme) != 0) return std::nullopt;
  const std::string rest = text.substr(scheme.size());
  const auto fail = [&](const std::string& what) {
    return CliError(said(Said::SqlServerAddressWrong, text, what));
  };
  const size_t at = rest.find('@');
  const size_t slash = rest.find('/', at == std::string::npos ? 0 : at);
  if (at == std::string::npos || at == 0) throw fail(said(Said::NamesNoUser));
  if (rest.substr(0, at).find(':') != std::string::npos) throw fail(said(Said::HoldsAPassword));
  SqlServerAddress address;
  address.user = rest.substr(0, at);
  std::string host =
      rest.substr(at + 1, slash == std::string::npos ? std::string::npos : slash - at - 1);
  if (host.empty() || host.front() == ':') throw fail(said(Said::NamesNoServer));
  const size_t colon = host.rfind(':');
  if (colon != std::string::npos) {
    const std::string port = host.substr(colon + 1);
    if (port.empty() || port.size() > 5 ||
        !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
      throw fail(said(Said::PortNotANumber, port));
    host = host.substr(0, colon) + "," + port;
  }
  address.server = host;
  if (slash == std::string::npos || slash + 1 >= rest.size())
    throw fail(said(Said::NamesNoDatabase));
  address.database = rest.substr(slash + 1);
  return address;
}

std::string sqlServerPassword(const SqlServerAddress& address) {
  if (const char* given = std::getenv("KPX_SQLSERVER_PASSWORD")) return given;
  const int tty = open("/dev/tty", O_RDWR | O_NOCTTY);
  if (tty < 0) throw CliError(said(Said::NoPassword, address.user, address.server));
  const std::string prompt = said(Said::PasswordPrompt, address.user, address.server);
  (void)!write(tty, prompt.data(), prompt.size());
  termios saved{};
  const bool terminal = tcgetattr(tty, &saved) == 0;
  if (terminal) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(tty, TCSANOW, &quiet);
  }
  std::string password;
  char c;
  while (read(tty, &c, 1) == 1 && c != '\n') password += c;
  if (terminal) tcsetattr(tty, TCSANOW, &saved);
  (void)!write(tty, "\n", 1);
  close(tty);
  return password;
}

}  // namespace kpx::cli
