#include "support/command_output.h"

#include <sys/wait.h>
#include <cstdio>

namespace kpx::test {

std::string commandOutput(const std::string& command, int* exitCode) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    if (exitCode) *exitCode = -1;
    return out;
  }
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  const int status = pclose(pipe);
  if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

std::string shellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

std::string pythonCsvRows(const std::string& path, const std::string& delimiter) {
  return commandOutput("python3 -c " +
                       shellQuote("import csv,sys; print(list(csv.reader(open(sys.argv[1], "
                                  "newline='', encoding='utf-8'), delimiter=sys.argv[2])))") +
                       " " + shellQuote(path) + " " + shellQuote(delimiter));
}

}  // namespace kpx::test
