// The load users run, timed as they run it: the `kpxwizard` program copying a CSV file into an
// existing typed SQLite table (`copy data.csv db --to-table t --header`, the whole program from
// start to summary), beside the sqlite3 program's `.import` of the same file into the same
// table. Each round runs both, alternating which goes first since the machine's load drifts;
// the medians are compared. Both are run as child processes, so that the peak memory read from
// the child's rusage is the program's own.
//
//   typed_load_bench [--rounds N] [--program KPXWIZARD] [ROWS…]
//     default: 5 rounds of 1000000 and of 4000000 rows; the program beside this one's build
//   Last line for each size, for scripts:
//     RESULT typed_csv_to_sqlite ROWS SECONDS_OURS SECONDS_IMPORT RATIO PEAK_KIB
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_measure.h"

namespace fs = std::filesystem;

namespace {

const char* const kCreate =
    "CREATE TABLE t (Id Long, Name VarChar (50), Amount Currency, Placed Datetime, Paid Bit, "
    "Code VarChar (10), Note VarChar (255), Qty Long, Shipped Datetime, Ratio Double);";

// .import stores what NUMERIC affinity makes of the text, we store the typed value: both give
// the same numbers and texts, and the same instants (a time at midnight is written without it).
const char* const kContent =
    "SELECT count(*), total(Id), sum(length(Name)), total(Amount), total(julianday(Placed)), "
    "total(Paid), sum(length(Code)), sum(length(Note)), total(Qty), total(julianday(Shipped)), "
    "count(DISTINCT julianday(Shipped)), total(Ratio) FROM t";

void writeCsv(const std::string& path, long rows) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::exit(1);
  std::fputs("Id,Name,Amount,Placed,Paid,Code,Note,Qty,Shipped,Ratio\r\n", f);
  for (long i = 1; i <= rows; ++i) {
    std::fprintf(f,
                 "%ld,Customer %ld,%.2f,2024-%02ld-%02ld,%ld,C%05ld,Note for row %ld with some "
                 "words,%ld,2024-%02ld-%02ld %02ld:%02ld:%02ld,%.6f\r\n",
                 i, i, i * 1.25, i % 12 + 1, i % 28 + 1, i % 2, i % 100000, i, i % 1000, i % 12 + 1,
                 i % 28 + 1, i % 24, i % 60, i % 59, 1.0 / (i + 1));
  }
  std::fclose(f);
}

struct ChildRun {
  double seconds = 0;
  long peakKiB = 0;
  bool ok = false;
};

// Runs `argv` with its output thrown away (a failure shows as the tables differing); its time from
// fork to exit and its peak memory.
ChildRun runChild(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  ChildRun run;
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return run;
  run.seconds = secondsSince(start);
  run.peakKiB = usage.ru_maxrss;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

std::string sqliteOutput(const std::string& db, const std::string& sql) {
  std::FILE* p = popen(("sqlite3 '" + db + "' '" + sql + "'").c_str(), "r");
  std::string out;
  char buffer[512];
  while (p && std::fgets(buffer, sizeof buffer, p)) out += buffer;
  if (p) pclose(p);
  return out;
}

std::string programBesideThisOne() {
  return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "src/cli/kpxwizard")
      .string();
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 5;
  std::string program = programBesideThisOne();
  std::vector<long> sizes;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--rounds" || arg == "--program") && i + 1 == argc) {
      std::fprintf(stderr, "%s needs a value\n", arg.c_str());
      return 2;
    }
    if (arg == "--rounds") {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--program") {
      program = argv[++i];
    } else {
      sizes.push_back(std::atol(argv[i]));
    }
  }
  if (sizes.empty()) sizes = {1000000, 4000000};
  const fs::path dir = fs::temp_directory_path() / ("kpx_typed_bench_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string csv = (dir / "data.csv").string();
  const std::string oursDb = (dir / "ours.db").string();
  const std::string importDb = (dir / "import.db").string();
  std::printf("%10s %7s %14s %14s %8s %14s\n", "rows", "rounds", "ours rows/s", "import rows/s",
              "ratio", "our peak");
  for (long rows : sizes) {
    writeCsv(csv, rows);
    std::vector<double> ours, theirs;
    long peakKiB = 0;
    for (int round = 0; round < rounds; ++round) {
      fs::remove(oursDb);
      fs::remove(importDb);
      if (!runChild({"sqlite3", oursDb, kCreate}).ok ||
          !runChild({"sqlite3", importDb, kCreate}).ok) {
        return 1;
      }
      ChildRun copy, import;
      for (int turn = 0; turn < 2; ++turn) {
        if ((turn == 0) == (round % 2 == 0)) {
          copy = runChild({program, "copy", csv, oursDb, "--to-table", "t", "--header"});
        } else {
          import = runChild({"sqlite3", importDb, ".mode csv", ".import --skip 1 " + csv + " t"});
        }
      }
      const std::string got = sqliteOutput(oursDb, kContent);
      const std::string want = sqliteOutput(importDb, kContent);
      if (!copy.ok || !import.ok || got != want || got.rfind(std::to_string(rows) + "|", 0) != 0) {
        std::fprintf(stderr, "a run failed or the tables differ:\nours: %s.import: %s", got.c_str(),
                     want.c_str());
        return 1;
      }
      ours.push_back(copy.seconds);
      theirs.push_back(import.seconds);
      peakKiB = std::max(peakKiB, copy.peakKiB);
    }
    const double oursMedian = median(ours);
    const double importMedian = median(theirs);
    std::printf("%10ld %7d %14.0f %14.0f %8.2f %10ld KiB\n", rows, rounds, rows / oursMedian,
                rows / importMedian, oursMedian / importMedian, peakKiB);
    std::printf("RESULT typed_csv_to_sqlite %ld %.3f %.3f %.3f %ld\n", rows, oursMedian,
                importMedian, oursMedian / importMedian, peakKiB);
    std::fflush(stdout);
  }
  fs::remove_all(dir);
  return 0;
}
