// Reading real workbooks of every generation, compared value by value with what LibreOffice
// reads from the same files.
#include <gtest/gtest.h>
#include <zip.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "data/providers/excel/excel_source.h"
#include "data/providers/excel/workbook_file.h"
#include "support/data_error.h"
#include "support/libreoffice_csv.h"
#include "support/scratch.h"

namespace kpx::data {
namespace {

namespace fs = std::filesystem;
using test::CsvRows;

std::unique_ptr<DataSource> openWorkbook(const std::string& path) {
  return excel::openExcelWorkbook(ConnectionProperties::parse(
      "Data Source=" + path + ";Extended Properties=\"Excel 8.0;HDR=YES;\""));
}

// A workbook made by `create` with `parts` (name, text) put in place of its own.
std::string madeWorkbook(const std::string& path, const std::string& create,
                         const std::vector<std::pair<std::string, std::string>>& parts) {
  openWorkbook(path)->execute(create);
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), 0, &error);
  EXPECT_NE(zip, nullptr);
  for (const auto& [name, text] : parts)
    zip_file_add(zip, name.c_str(), zip_source_buffer(zip, text.data(), text.size(), 0),
                 ZIP_FL_OVERWRITE);
  EXPECT_EQ(zip_close(zip), 0);
  return path;
}

// "33%" → 0.33, "1,234.5" → 1234.5; false when the text is no number.
bool numberIn(std::string text, double& out) {
  double scale = 1;
  if (!text.empty() && text.back() == '%') text.pop_back(), scale = 0.01;
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end) * scale;
  return *end == '\0';
}

// LibreOffice shows dates as MM/DD/YYYY[ HH:MM:SS]; our text form is YYYY-MM-DD[ HH:MM:SS].
// `shiftDays` moves the reference's date first (see the BIFF2 case below).
std::string isoDateOf(const std::string& text, int shiftDays) {
  int m, d, y, hh = 0, mm = 0, ss = 0;
  int n = std::sscanf(text.c_str(), "%d/%d/%d %d:%d:%d", &m, &d, &y, &hh, &mm, &ss);
  if (n != 3 && n != 6) return {};
  return toText(Value::fromDate(oleDateFromParts(y, m, d, hh, mm, ss) + shiftDays));
}

void expectSame(const std::string& ours, const std::string& reference, int shiftDays,
                const std::string& where) {
  if (ours == reference) return;
  double a, b;
  if (numberIn(ours, a) && numberIn(reference, b)) {
    EXPECT_NEAR(a, b, std::fabs(b) * 1e-13 + 1e-300) << where;
    return;
  }
  std::string date = isoDateOf(reference, shiftDays);
  EXPECT_EQ(ours, date.empty() ? reference : date) << where;
}

void dropTrailingEmptyRows(CsvRows& rows) {
  auto empty = [](const std::vector<std::string>& r) {
    for (const auto& f : r)
      if (!f.empty()) return false;
    return true;
  };
  while (!rows.empty() && empty(rows.back())) rows.pop_back();
}

// Compares one table with reference rows whose first row is the header.
// Column names are compared with `shownHeader`, the header row as LibreOffice shows it, when
// given.
void expectTableMatches(DataSource& source, const std::string& table, CsvRows reference,
                        int shiftDays, const CsvRows& shown = {}) {
  dropTrailingEmptyRows(reference);
  auto reader = source.openTable(table);
  const auto& columns = reader->columns();
  size_t width = 0;
  for (const auto& r : reference) width = std::max(width, r.size());
  ASSERT_EQ(columns.size(), std::max<size_t>(width, 1)) << table;  // an empty sheet has F1
  for (size_t c = 0; !reference.empty() && c < reference[0].size(); ++c)
    if (shown.empty())
      expectSame(columns[c].name, reference[0][c], shiftDays, table + " header");
    else
      EXPECT_EQ(columns[c].name, shown.at(0).at(c)) << table << " header";
  size_t row = 1;
  while (reader->next()) {
    ASSERT_LT(row, reference.size()) << table << ": more rows than the reference";
    for (size_t c = 0; c < columns.size(); ++c) {
      std::string expected = c < reference[row].size() ? reference[row][c] : "";
      expectSame(toText(reader->field(c)), expected, shiftDays,
                 table + " row " + std::to_string(row + 1) + " column " + columns[c].name);
    }
    ++row;
  }
  EXPECT_EQ(row, std::max<size_t>(reference.size(), 1))
      << table << ": fewer rows than the reference";
}

struct WorkbookCase {
  const char* file;  // of the shared test data, or of tests/data/excel when not there
  int shiftDays;
};

// The sheets of a shared workbook as LibreOffice read them once (its CSV files in the shared
// test data's "expected" folder); another workbook's as LibreOffice reads them now.
std::map<std::string, CsvRows> referenceSheets(bool shared, const fs::path& file,
                                               const std::string& outDir) {
  if (!shared) return test::libreOfficeSheets(file.string(), outDir);
  std::map<std::string, CsvRows> sheets;
  const std::string prefix = file.filename().string() + ".lo.";
  for (const auto& entry : fs::directory_iterator(fs::path(KPX_SHARED_TESTDATA) / "expected")) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(prefix))
      sheets[name.substr(prefix.size(), name.size() - prefix.size() - 4)] =
          test::readCsvFile(entry.path().string());
  }
  return sheets;
}

class Workbook : public ::testing::TestWithParam<WorkbookCase> {};

// Workbooks of every generation from the shared test data; workbooks written part by part
// (make_hand_written.py) with the traits of producers other than Excel, sheets headed by
// numbers and dates, and workbooks LibreOffice wrote from people.csv (make_fixtures.sh): each
// reads as LibreOffice reads it and names its columns as LibreOffice shows those cells.
TEST_P(Workbook, MatchesLibreOfficeValueByValue) {
  fs::path file = fs::path(KPX_SHARED_TESTDATA) / "excel" / GetParam().file;
  const bool shared = fs::exists(file);
  if (!shared) file = fs::path(KPX_TEST_DATA) / "excel" / GetParam().file;
  if (!fs::exists(file)) GTEST_SKIP() << "shared test data not found: " << GetParam().file;
  test::ScratchFolder scratch;
  const auto sheets = referenceSheets(shared, file, scratch.path("lo"));
  if (sheets.empty()) GTEST_SKIP() << "LibreOffice is not installed";
  auto source = openWorkbook(file.string());
  auto tables = source->tables();
  auto shown = test::libreOfficeSheets(file.string(), scratch.path("shown"), {}, true);
  ASSERT_EQ(sheets.size(), tables.size()) << "every sheet has a reference";
  for (const auto& [sheet, rows] : sheets) {
    SCOPED_TRACE(sheet);
    // A bare Excel 2-4 worksheet is named after its file here (as Excel names it);
    // LibreOffice calls it Sheet1.
    const bool bare = shared && tables.size() == 1 && !source->hasTable(sheet + "$");
    const std::string table = bare ? tables[0].name : sheet + "$";
    expectTableMatches(*source, table, rows, GetParam().shiftDays, shown[sheet]);
  }
}

// LibreOffice ignores the 1904 date system of Excel 2.x sheets; the file says 1904 (its
// Excel 3.0 twin, identical in content, shows the same dates 1462 days later).
INSTANTIATE_TEST_SUITE_P(
    Excel, Workbook,
    ::testing::Values(
        WorkbookCase{"edr__as3xls_BIFF2.xls", 1462}, WorkbookCase{"edr__as3xls_BIFF3.xls", 0},
        WorkbookCase{"edr__as3xls_BIFF4.xls", 0}, WorkbookCase{"edr__as3xls_BIFF5.xls", 0},
        WorkbookCase{"edr__Test_num_double_date_bool_string.xls", 0},
        WorkbookCase{"edr__TestMultiSheet.xlsx", 0}, WorkbookCase{"libxls__dates-1904.xls", 0},
        WorkbookCase{"unnumbered_no_styles.xlsx", 0}, WorkbookCase{"dates_1904.xlsx", 0},
        WorkbookCase{"headers_and_empty.xlsx", 0}, WorkbookCase{"many_shared_strings.xlsx", 0},
        WorkbookCase{"formatted_headers.xls", 0}, WorkbookCase{"formatted_headers.xlsx", 0},
        WorkbookCase{"people_97.xls", 0}, WorkbookCase{"people_2007.xlsx", 0}),
    [](const auto& info) {
      std::string n = info.param.file;
      for (char& c : n)
        if (!std::isalnum(uint8_t(c))) c = '_';
      return n;
    });

// An archive entry that claims to unpack to gigabytes from a few bytes is refused, naming the
// workbook and the part, before anything is inflated.
TEST(ExcelRead, ZipBombIsRefused) {
  test::ScratchFolder scratch;
  const std::string path = scratch.path("bomb.xlsx");
  openWorkbook(path)->execute("CREATE TABLE `T` (`A` Double )");
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), {});
  const std::string part = "xl/worksheets/sheet1.xml";
  // The central directory's record of the part: its uncompressed size is at offset 24.
  size_t record = bytes.find(std::string("PK\x01\x02", 4));
  while (record != std::string::npos && bytes.compare(record + 46, part.size(), part) != 0)
    record = bytes.find(std::string("PK\x01\x02", 4), record + 1);
  ASSERT_NE(record, std::string::npos);
  file.seekp(std::streamoff(record + 24));
  file.write("\x00\x00\x00\x7f", 4);
  file.close();

  const std::string what = test::dataErrorOf([&] { openWorkbook(path)->columns("T$"); });
  EXPECT_NE(what.find("bomb.xlsx"), std::string::npos) << what;
  EXPECT_NE(what.find(part + "'"), std::string::npos) << what;
  EXPECT_NE(what.find("zip bomb"), std::string::npos) << what;
}

// A sheet is parsed ahead of its reader on another thread: a reader dropped after one row must
// stop it (not hang), and damage after many rows must reach the reader after all those rows. A
// sheet in another encoding or with a document type reads as any other. A part whose bytes do
// not match its checksum is found out by the thread that inflates it when it reaches the end.
TEST(ExcelRead, BigSheetReaderStopsEarlyOrFailsAfterItsGoodRows) {
  constexpr size_t kRows = 50000;
  std::string sheet = "<worksheet><sheetData>";
  for (size_t r = 1; r <= kRows; ++r) {
    const std::string n = std::to_string(r);
    sheet += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c></row>";
  }
  const char* const end = "</sheetData></worksheet>";
  struct Case {
    const char* head;
    const char* tail;
    size_t rowsToRead;
    const char* error;
    bool badChecksum = false;
  } cases[] = {
      {"", end, 1, ""},
      {"", "<row r=\"50000\"><c><v>1</v></c></row></sheetData></worksheet>", kRows + 1,
       "row 50000 comes after row 50000"},
      {"", "\n<row><c><v>1</v></x>", kRows + 1, "(line 2: mismatched tag)"},
      {"", "<row><c t=\"str\"><v>\xC3(</v></c></row>", kRows + 1, "invalid token"},
      {"", "<row><c r=\"A50001\"><v>1</v", kRows + 1, "unclosed token"},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!-- \xE9 -->", end, kRows + 1, ""},
      {"<!DOCTYPE worksheet>", end, kRows + 1, ""},
      {"", end, kRows + 1, "is damaged", true},
  };
  for (const Case& c : cases) {
    test::ScratchFolder scratch;
    const std::string part = "xl/worksheets/sheet1.xml";
    const std::string path =
        madeWorkbook(scratch.path("big.xlsx"), "CREATE TABLE `T` (`A` Double )",
                     {{part, c.head + sheet + c.tail}});
    if (c.badChecksum) {
      // The checksum sits 16 bytes into the part's central directory record, 46 bytes before its
      // name, and 14 bytes into its local header, 30 bytes before its name.
      std::string bytes = test::readFile(path);
      bytes[bytes.rfind(part) - 46 + 16] ^= 1;
      bytes[bytes.find(part) - 30 + 14] ^= 1;
      std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    auto rows = excel::openWorkbookFile(path)->openSheet(0);
    excel::SheetRow row;
    size_t read = 0;
    std::string what;
    try {
      while (read < c.rowsToRead && rows->next(row)) ++read;
    } catch (const DataError& e) {
      what = e.what();
    }
    EXPECT_EQ(read, std::min(c.rowsToRead, kRows)) << c.tail;
    EXPECT_TRUE(*c.error ? what.find(c.error) != std::string::npos : what.empty()) << what;
  }
}

}  // namespace
}  // namespace kpx::data
