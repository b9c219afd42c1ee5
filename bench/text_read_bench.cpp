// Reads a generated CSV of 1,000,000 rows and 10 columns through the text provider and
// prints rows per second beside `wc -l` and sqlite3's .import on the same file, with the
// peak resident memory of this process (which must not grow with the file).
//   text_read_bench [rows]
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/providers/provider.h"

#include "bench_measure.h"

using namespace kpx::data;

namespace {

// Writes the file through a small buffer so that generating it does not raise the peak.
void generate(const std::string& path, long rows) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::perror(path.c_str());
    std::exit(1);
  }
  std::fputs("id,name,city,amount,date,flag,code,note,qty,price\r\n", f);
  char line[256];
  for (long i = 0; i < rows; ++i) {
    int n = std::snprintf(line, sizeof line,
                          "%ld,\"Name %ld\",City %ld,%ld.%02ld,2024-%02ld-%02ld,%ld,C%06ld,"
                          "\"note, with comma\",%ld,%ld.5\r\n",
                          i, i, i % 100, i * 7, i % 100, 1 + i % 12, 1 + i % 28, i % 2, i, i % 1000,
                          i % 10000);
    std::fwrite(line, 1, static_cast<size_t>(n), f);
  }
  std::fclose(f);
}

double timeCommand(const std::string& command) {
  Clock::time_point start = Clock::now();
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
  return secondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
  long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  char folder[] = "/tmp/kpx_text_bench_XXXXXX";
  if (!::mkdtemp(folder)) return 1;
  std::string path = std::string(folder) + "/bench.csv";
  generate(path, rows);
  long rssAfterGenerate = peakRssKiB();

  ConnectionProperties p;
  p.set("Provider", "DTSFlatFile");
  p.set("Data Source", path);
  p.set("Row Delimiter", "\r\n");
  p.set("Column Delimiter", ",");
  p.set("Text Qualifier", "\"");
  p.set("First Row Column Name", "True");
  p.set("File Format", "1");
  Clock::time_point start = Clock::now();
  auto reader = openDataSource(p)->openTable("bench.csv");
  long read = 0;
  size_t bytes = 0;
  const size_t columns = reader->columns().size();
  while (reader->next()) {
    for (size_t i = 0; i < columns; ++i) bytes += reader->field(i).text.size();
    ++read;
  }
  double providerSeconds = secondsSince(start);
  ReadProgress progress = reader->progress();

  double wcSeconds = timeCommand("wc -l '" + path + "' > /dev/null");
  double sqliteSeconds = timeCommand("sqlite3 :memory: -cmd '.mode csv' -cmd \".import '" + path +
                                     "' t\" 'SELECT count(*) FROM t' > /dev/null");

  std::printf("file: %s, %ld rows x %zu columns, %.1f MB\n", path.c_str(), read, columns,
              static_cast<double>(progress.total) / 1e6);
  std::printf("text provider : %8.3f s  %12.0f rows/s  %7.1f MB/s  (%zu bytes of fields)\n",
              providerSeconds, read / providerSeconds, progress.total / providerSeconds / 1e6,
              bytes);
  std::printf("wc -l         : %8.3f s  %12.0f rows/s  %7.1f MB/s\n", wcSeconds, read / wcSeconds,
              progress.total / wcSeconds / 1e6);
  std::printf("sqlite3 import: %8.3f s  %12.0f rows/s\n", sqliteSeconds, read / sqliteSeconds);
  std::printf("peak RSS: %ld KB after generating, %ld KB after reading\n", rssAfterGenerate,
              peakRssKiB());
  std::remove(path.c_str());
  ::rmdir(folder);
  return read == rows ? 0 : 1;
}
