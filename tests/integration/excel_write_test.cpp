// Writing workbooks: CREATE TABLE makes a sheet (and the workbook) and rows are appended;
// LibreOffice reads every result back (failed runs are checked through the program).
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>

#include "data/providers/excel/excel_source.h"
#include "support/data_error.h"
#include "support/libreoffice_csv.h"
#include "support/scratch.h"

namespace kpx::data {
namespace {

namespace fs = std::filesystem;

class ExcelWrite : public ::testing::TestWithParam<const char*> {
 protected:
  std::unique_ptr<DataSource> open() {
    return excel::openExcelWorkbook(
        ConnectionProperties::parse("Data Source=" + m_path + ";Extended Properties=Excel 8.0;"));
  }
  test::ScratchFolder m_scratch;
  const fs::path& m_dir = m_scratch.dir();
  std::string m_path = m_scratch.path(std::string("book") + GetParam());
};

TEST_P(ExcelWrite, CreateTableMakesTheWorkbookAndRowsReadBackInLibreOffice) {
  auto source = open();
  ASSERT_FALSE(fs::exists(m_path));
  source->execute(
      "CREATE TABLE `Orders` (`Code` VarChar (50) ,\r\n`Amount` Double ,\r\n`Price` Currency ,\r\n"
      "`When` Datetime ,\r\n`Paid` Bit ,\r\n`Note` LongText \r\n)");
  ASSERT_TRUE(fs::exists(m_path));
  auto writer = source->openWriter("Orders", {"Code", "Amount", "Price", "When", "Paid", "Note"});
  std::string longNote(300, 'x');
  longNote += "àè€";
  const std::vector<std::vector<Value>> rows = {
      {Value::fromString("A-1"), Value::fromDouble(12.5), Value::fromCurrency(123450),
       Value::fromDate(oleDateFromParts(2024, 2, 29)), Value::fromBool(true),
       Value::fromString("first, with a comma")},
      {Value::fromString("B-2"), Value::fromInt(-7), Value::fromCurrency(-5),
       Value::fromDate(oleDateFromParts(1999, 12, 31, 23, 59, 58)), Value::fromBool(false),
       Value::fromString(longNote)},
      {Value::fromString("C-3"), Value::null(), Value::null(), Value::null(), Value::null(),
       Value::null()},
  };
  for (const auto& r : rows) writer->writeRow(r.data(), r.size());
  writer->commit();

  if (!test::haveLibreOffice()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  auto sheets = test::libreOfficeSheets(m_path, (m_dir / "csv").string());
  ASSERT_EQ(sheets.count("Orders"), 1u);
  // LibreOffice exports raw values; it shows a BIFF8 boolean cell as the number it holds.
  const bool xls = std::string(GetParam()) == ".xls";
  const test::CsvRows expected = {
      {"Code", "Amount", "Price", "When", "Paid", "Note"},
      {"A-1", "12.5", "12.345", "2024-02-29", xls ? "1" : "TRUE", "first, with a comma"},
      {"B-2", "-7", "-0.0005", "1999-12-31 23:59:58", xls ? "0" : "FALSE", longNote},
      {"C-3", "", "", "", "", ""},
  };
  test::CsvRows got = sheets["Orders"];
  for (auto& r : got) r.resize(6);
  EXPECT_EQ(got, expected);
}

TEST_P(ExcelWrite, AppendingKeepsOtherSheetsAndEarlierRows) {
  auto source = open();
  source->execute("CREATE TABLE `First` (`A` Long )");
  source->execute("CREATE TABLE `Second` (`Name` VarChar (20) , `N` Double )");
  source->execute("CREATE TABLE `Third` (`When` Datetime )");
  auto third = source->openWriter("Third", {"When"});
  Value day = Value::fromDate(oleDateFromParts(2001, 2, 3));
  third->writeRow(&day, 1);
  third->commit();
  auto first = source->openWriter("First$", {"A"});
  Value one = Value::fromInt(1);
  first->writeRow(&one, 1);
  first->commit();
  for (int round = 0; round < 2; ++round) {
    auto fresh = open();  // each run rereads the workbook, as a new connection does
    auto writer = fresh->openWriter("second", {"N", "Name"});
    Value row[2] = {Value::fromDouble(round + 0.5), Value::fromString(round ? "two" : "one")};
    writer->writeRow(row, 2);
    writer->commit();
  }
  // A new connection sees both rows, not the sheet as an earlier connection measured it.
  auto reader = open()->openTable("Second$");
  int rows = 0;
  while (reader->next()) ++rows;
  EXPECT_EQ(rows, 2);
  if (!test::haveLibreOffice()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  auto sheets = test::libreOfficeSheets(m_path, (m_dir / "csv").string());
  EXPECT_EQ(sheets["First"], (test::CsvRows{{"A"}, {"1"}}));
  EXPECT_EQ(sheets["Second"], (test::CsvRows{{"Name", "N"}, {"one", "0.5"}, {"two", "1.5"}}));
  EXPECT_EQ(sheets["Third"], (test::CsvRows{{"When"}, {"2001-02-03"}}));
}

// Rows reach an .xlsx by copying every sheet into a new file: a sheet that cannot be read
// stops the copy, and the workbook stays as it was.
TEST(ExcelRewrite, DamagedOtherSheetLeavesTheWorkbookAsItWas) {
  test::ScratchFolder scratch;
  const std::string path = scratch.path("book.xlsx");
  auto open = [&] {
    return excel::openExcelWorkbook(ConnectionProperties::parse("Data Source=" + path + ";"));
  };
  open()->execute("CREATE TABLE `Target` (`A` Double )");
  open()->execute("CREATE TABLE `Other` (`B` Double )");
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), 0, &error);
  ASSERT_NE(zip, nullptr);
  static const char kCut[] = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0";
  zip_file_add(zip, "xl/worksheets/sheet2.xml", zip_source_buffer(zip, kCut, sizeof kCut - 1, 0),
               ZIP_FL_OVERWRITE);
  ASSERT_EQ(zip_close(zip), 0);
  const std::string before = test::readFile(path);

  auto source = open();
  auto writer = source->openWriter("Target", {"A"});
  Value one = Value::fromInt(1);
  writer->writeRow(&one, 1);
  const std::string what = test::dataErrorOf([&] { writer->commit(); });
  EXPECT_NE(what.find("sheet2.xml"), std::string::npos) << what;
  EXPECT_EQ(test::readFile(path), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch.dir()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(Excel, ExcelWrite, ::testing::Values(".xls", ".xlsx"),
                         [](const auto& info) { return std::string(info.param + 1); });

}  // namespace
}  // namespace kpx::data
