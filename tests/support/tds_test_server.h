// The TDS server of tests/support/tds_server.py, started on a free loopback port for one
// test and stopped when the test ends.
#pragma once
#include <sys/types.h>
#include <string>

namespace kpx::test {

class TdsTestServer {
 public:
  // Serves the SQLite database `database`; with `dropAfterInserts` >= 0 the server closes the
  // connection in place of answering the insert after that many.
  explicit TdsTestServer(const std::string& database, int dropAfterInserts = -1);
  ~TdsTestServer();
  TdsTestServer(const TdsTestServer&) = delete;
  TdsTestServer& operator=(const TdsTestServer&) = delete;

  int port() const { return m_port; }

 private:
  pid_t m_pid = -1;
  int m_port = 0;
};

}  // namespace kpx::test
