// Writes and reads .xls files of 10 columns as streams, one job per run so that each run's
// peak resident memory is its own:
//   xls_bench write ROWS FILE.xls   a header and rows of numbers, dates, texts and booleans
//   xls_bench read FILE.xls OUT.csv every sheet's rows as CSV (compare with
//                                   soffice --headless --convert-to csv)
// Each prints seconds and peak resident memory.
#include <sys/resource.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "data/providers/excel/workbook_stream.h"

#include "bench_measure.h"

using namespace kpx::data::excel;

namespace {

void writeBook(uint32_t rows, const std::string& path) {
  auto writer = createXlsStreamWriter(path);
  writer->beginSheet("Data");
  SheetRow row;
  // A header row first, so that the provider can read the sheet as a table.
  for (int c = 0; c < 10; ++c) row.cells.push_back(Cell::ofText("C" + std::to_string(c + 1)));
  writer->writeRow(row);
  for (uint32_t r = 1; r < rows; ++r) {
    row.index = r;
    row.cells[0] = Cell::ofNumber(r);
    row.cells[1] = Cell::ofText("name " + std::to_string(r % 977));
    row.cells[2] = Cell::ofCurrency(r * 0.25);
    row.cells[3] = Cell::ofDate(40000 + r % 3000);
    row.cells[4] = Cell::ofBoolean(r % 2);
    row.cells[5] = Cell::ofText("code" + std::to_string(r % 13));
    row.cells[6] = Cell::ofText("a longer description of row " + std::to_string(r));
    row.cells[7] = Cell::ofNumber(r * 7 % 1000);
    row.cells[8] = Cell::ofDate(40000.5 + r % 1000);
    row.cells[9] = Cell::ofNumber(r / 3.0);
    writer->writeRow(row);
  }
  writer->finish();
}

void readBook(const std::string& path, const std::string& csvPath) {
  std::FILE* out = std::fopen(csvPath.c_str(), "w");
  if (!out) throw std::runtime_error("cannot create " + csvPath);
  auto book = openXlsStreams(openByteFile(path), "Sheet");
  SheetRow row;
  for (size_t s = 0; s < book->sheetNames().size(); ++s) {
    auto rows = book->openSheet(s);
    while (rows->next(row)) {
      for (size_t c = 0; c < row.cells.size(); ++c) {
        if (c) std::fputc(',', out);
        const Cell& cell = row.cells[c];
        if (cell.kind == CellKind::Text) {
          std::fputc('"', out);
          for (char ch : cell.text) {
            if (ch == '"') std::fputc('"', out);
            std::fputc(ch, out);
          }
          std::fputc('"', out);
        } else if (!cell.empty()) {
          char digits[32];
          auto end = std::to_chars(digits, digits + sizeof digits, cell.number).ptr;
          std::fwrite(digits, 1, size_t(end - digits), out);
        }
      }
      std::fputc('\n', out);
    }
  }
  std::fclose(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: xls_bench write ROWS FILE | read FILE OUT.csv\n");
    return 2;
  }
  auto start = Clock::now();
  std::string mode = argv[1];
  if (mode == "write")
    writeBook(uint32_t(std::strtoul(argv[2], nullptr, 10)), argv[3]);
  else
    readBook(argv[2], argv[3]);
  std::printf("%s: %.3f s, peak %ld KiB\n", mode.c_str(), secondsSince(start), peakRssKiB());
  return 0;
}
