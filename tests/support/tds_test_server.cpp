#include "support/tds_test_server.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace kpx::test {

TdsTestServer::TdsTestServer(const std::string& database, int dropAfterInserts) {
  int out[2];
  if (pipe(out) != 0) return;
  m_pid = fork();
  if (m_pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    const std::string script = KPX_SOURCE_DIR "/tests/support/tds_server.py";
    const std::string drop = std::to_string(dropAfterInserts);
    if (dropAfterInserts >= 0) {
      execlp("python3", "python3", script.c_str(), database.c_str(), "--drop-after-inserts",
             drop.c_str(), static_cast<char*>(nullptr));
    } else {
      execlp("python3", "python3", script.c_str(), database.c_str(), static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  close(out[1]);
  FILE* first = fdopen(out[0], "r");
  char line[64] = {};
  if (first && fgets(line, sizeof line, first)) std::sscanf(line, "PORT %d", &m_port);
  if (first) fclose(first);
  EXPECT_GT(m_port, 0) << "the TDS test server did not start";
}

TdsTestServer::~TdsTestServer() {
  if (m_pid <= 0) return;
  kill(m_pid, SIGTERM);
  waitpid(m_pid, nullptr, 0);
}

}  // namespace kpx::test
