// Writes an .xlsx of N rows and 10 columns, or reads one through the Excel provider, and
// prints the seconds and the peak resident memory of this process: a read of 1,000,000 rows
// must use no more memory than a read of 100,000.
//   xlsx_read_bench make FILE [rows]   (default 1,000,000)
//   xlsx_read_bench read FILE
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/providers/excel/excel_source.h"
#include "data/providers/excel/workbook_stream.h"

#include "bench_measure.h"

using namespace kpx::data;

namespace {

void make(const std::string& path, long rows) {
  using namespace kpx::data::excel;
  auto out = createXlsxStreamWriter(path);
  out->beginSheet("Data");
  SheetRow row;
  const char* names[] = {"id",   "name", "city", "amount", "date",
                         "flag", "code", "note", "qty",    "price"};
  for (const char* n : names) row.cells.push_back(Cell::ofText(n));
  out->writeRow(row);
  const char* cities[] = {"Roma", "Milano", "Napoli", "Torino"};
  for (long i = 1; i <= rows; ++i) {
    row.index = uint32_t(i);
    row.cells = {Cell::ofNumber(double(i)),
                 Cell::ofText("name " + std::to_string(i)),
                 Cell::ofText(cities[i % 4]),
                 Cell::ofNumber(double(i % 100000) / 100),
                 Cell::ofDate(40000 + double(i % 3650)),
                 Cell::ofBoolean(i % 2 == 0),
                 Cell::ofText("C" + std::to_string(i % 977)),
                 Cell::ofText(i % 5 ? "" : "a note with, a comma"),
                 Cell::ofNumber(double(i % 13)),
                 Cell::ofCurrency(double(i % 1000) + 0.25)};
    out->writeRow(row);
  }
  out->finish();
}

long read(const std::string& path) {
  auto source = excel::openExcelWorkbook(ConnectionProperties::parse("Data Source=" + path + ";"));
  auto reader = source->openTable(source->tables().at(0).name);
  long rows = 0;
  size_t bytes = 0;
  while (reader->next()) {
    for (size_t c = 0; c < reader->columns().size(); ++c) bytes += toText(reader->field(c)).size();
    ++rows;
  }
  std::fprintf(stderr, "%zu bytes of text\n", bytes);
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || (std::strcmp(argv[1], "make") != 0 && std::strcmp(argv[1], "read") != 0)) {
    std::fprintf(stderr, "usage: %s make FILE [rows] | read FILE\n", argv[0]);
    return 2;
  }
  const auto start = Clock::now();
  long rows = 0;
  if (std::strcmp(argv[1], "make") == 0) {
    rows = argc > 3 ? std::atol(argv[3]) : 1000000;
    make(argv[2], rows);
  } else {
    rows = read(argv[2]);
  }
  std::printf("%s %ld rows: %.2f s, peak %ld KiB\n", argv[1], rows, secondsSince(start),
              peakRssKiB());
  return 0;
}
