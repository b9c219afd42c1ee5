// The data pump against sqlite3's own CSV import. For each size it writes a CSV file of 10
// columns, copies it into a new SQLite table through the package engine (in a child process,
// so that its peak memory is the engine's alone) and imports it with the sqlite3 program's
// `.import` into an identically typed table, then prints rows per second, the ratio of the
// two times and the engine's peak memory. The machine's load drifts, so each size runs
// several rounds that alternate which of the two goes first, and the medians are compared.
//
//   pump_bench [--rounds N] [ROWS…]   (default: 5 rounds of 1000000 and of 4000000)
//   pump_bench --engine CSV DB    only the engine's copy, for a profiler
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
#include "data/providers/jet/jet_provider.h"
#include "package/dts/package.h"

namespace fs = std::filesystem;

namespace {

const char* const kColumns[] = {"Id",     "Name",  "City",  "Code", "Qty",
                                "Amount", "Price", "Ratio", "Flag", "Day"};
const char* const kCreate =
    "CREATE TABLE Bench (Id Long, Name VarChar(50), City VarChar(50), Code VarChar(10), Qty Long, "
    "Amount Double, Price Double, Ratio Double, Flag Long, Day Datetime);";

void writeCsv(const std::string& path, long rows) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::exit(1);
  std::fputs("Id,Name,City,Code,Qty,Amount,Price,Ratio,Flag,Day\r\n", f);
  const char* cities[] = {"Milano", "Roma", "Torino", "Napoli", "Bologna"};
  for (long i = 1; i <= rows; ++i) {
    std::fprintf(f, "%ld,Customer %ld,%s,C%05ld,%ld,%.2f,%.3f,%.6f,%ld,2024-%02ld-%02ld\r\n", i, i,
                 cities[i % 5], i % 100000, i % 1000, i * 1.25, (i % 977) / 7.0, 1.0 / (i + 1),
                 i % 2, i % 12 + 1, i % 28 + 1);
  }
  std::fclose(f);
}

bool run(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

// Copies the CSV into the table through the engine; returns false when the run failed.
bool pumpWithEngine(const std::string& csv, const std::string& db) {
  kpx::dts::Package package;
  package.Name = "pump_bench";
  auto source = package.NewConnection("DTSFlatFile");
  source->ID = 1;
  source->DataSource = csv;
  source->ConnectionProperties.Set("Column Delimiter", std::string(","));
  source->ConnectionProperties.Set("Row Delimiter", std::string("\r\n"));
  source->ConnectionProperties.Set("First Row Column Name", std::string("True"));
  source->ConnectionProperties.Set("File Format", int32_t{1});
  source->ConnectionProperties.Set("Text Qualifier", std::string("\""));
  source->ConnectionProperties.Set("Mode", int32_t{1});
  auto destination = package.NewConnection(kpx::data::JetProvider::kName);
  destination->ID = 2;
  destination->DataSource = db;
  destination->ConnectionProperties.Set("Mode", int32_t{3});
  package.Connections.Add(source);
  package.Connections.Add(destination);

  auto task = package.NewTask(kpx::dts::kDataPumpTaskClass);
  auto pump = task->dataPump();
  task->Name = pump->Name = "Pump";
  pump->SourceConnectionID = 1;
  pump->SourceObjectName = fs::path(csv).filename().string();
  pump->DestinationConnectionID = 2;
  pump->DestinationObjectName = "Bench";
  for (const char* column : kColumns) {
    auto t = pump->Transformations.New(kpx::dts::kCopyTransformationClass);
    t->Name = column;
    t->SourceColumns.Add(t->SourceColumns.New(column, 1));
    t->DestinationColumns.Add(t->DestinationColumns.New(column, 1));
    pump->Transformations.Add(t);
  }
  auto step = package.NewStep();
  step->Name = "Step";
  step->TaskName = "Pump";
  package.Steps.Add(step);
  package.Tasks.Add(task);
  try {
    package.Execute();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "engine: %s\n%s\n", e.what(), step->ErrorInfo.Description.c_str());
    return false;
  }
  package.UnInitialize();
  return true;
}

struct EngineRun {
  double seconds = 0;
  long maxRssKiB = 0;
  bool ok = false;
};

EngineRun engineInChild(const std::string& csv, const std::string& db) {
  int fds[2];
  if (pipe(fds) != 0) std::exit(1);
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    const auto start = Clock::now();
    EngineRun result;
    result.ok = pumpWithEngine(csv, db);
    result.seconds = secondsSince(start);
    result.maxRssKiB = peakRssKiB();
    if (write(fds[1], &result, sizeof result) != sizeof result) _exit(2);
    _exit(0);
  }
  close(fds[1]);
  EngineRun result;
  if (read(fds[0], &result, sizeof result) != sizeof result) result.ok = false;
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return result;
}

// What the sqlite3 program reads from the table: its row count and sums over every column,
// so that the two loads are compared on their content, not only on their row counts.
std::string contentOf(const std::string& db) {
  std::FILE* p = popen(
      ("sqlite3 '" + db +
       "' 'SELECT count(*), total(Id), sum(length(Name)), count(DISTINCT City), "
       "count(DISTINCT Code), total(Qty), total(Amount), total(Price), total(Ratio), total(Flag), "
       "count(DISTINCT Day) FROM Bench'")
          .c_str(),
      "r");
  std::string out;
  char buffer[512];
  while (p && std::fgets(buffer, sizeof buffer, p)) out += buffer;
  if (p) pclose(p);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--engine")
    return pumpWithEngine(argv[2], argv[3]) ? 0 : 1;
  int rounds = 5;
  std::vector<long> sizes;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--rounds") {
      if (i + 1 == argc) {
        std::fprintf(stderr, "--rounds needs a number\n");
        return 2;
      }
      rounds = std::max(1, std::atoi(argv[++i]));
    } else {
      sizes.push_back(std::atol(argv[i]));
    }
  }
  if (sizes.empty()) sizes = {1000000, 4000000};
  const fs::path dir = fs::temp_directory_path() / ("kpx_pump_bench_" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::printf("%10s %7s %14s %14s %8s %14s\n", "rows", "rounds", "engine rows/s", "import rows/s",
              "ratio", "engine peak");
  for (long rows : sizes) {
    const std::string csv = (dir / "bench.csv").string();
    const std::string engineDb = (dir / "engine.db").string();
    const std::string importDb = (dir / "import.db").string();
    writeCsv(csv, rows);
    std::vector<double> engineSeconds, importSeconds;
    long peakKiB = 0;
    for (int round = 0; round < rounds; ++round) {
      fs::remove(engineDb);
      fs::remove(importDb);
      if (!run("sqlite3 '" + engineDb + "' '" + kCreate + "'") ||
          !run("sqlite3 '" + importDb + "' '" + kCreate + "'")) {
        return 1;
      }
      EngineRun engine;
      bool imported = false;
      for (int turn = 0; turn < 2; ++turn) {
        if ((turn == 0) == (round % 2 == 0)) {
          engine = engineInChild(csv, engineDb);
        } else {
          const auto start = Clock::now();
          imported =
              run("sqlite3 '" + importDb + "' '.mode csv' '.import --skip 1 " + csv + " Bench'");
          importSeconds.push_back(secondsSince(start));
        }
      }
      const std::string ours = contentOf(engineDb);
      const std::string theirs = contentOf(importDb);
      if (!engine.ok || !imported || ours != theirs ||
          ours.rfind(std::to_string(rows) + "|", 0) != 0) {
        std::fprintf(stderr, "a run failed or the tables differ:\nengine: %s.import: %s",
                     ours.c_str(), theirs.c_str());
        return 1;
      }
      engineSeconds.push_back(engine.seconds);
      peakKiB = std::max(peakKiB, engine.maxRssKiB);
    }
    const double engineMedian = median(engineSeconds);
    const double importMedian = median(importSeconds);
    std::printf("%10ld %7d %14.0f %14.0f %8.2f %11ld KiB\n", rows, rounds, rows / engineMedian,
                rows / importMedian, engineMedian / importMedian, peakKiB);
    std::fflush(stdout);
  }
  fs::remove_all(dir);
  return 0;
}
