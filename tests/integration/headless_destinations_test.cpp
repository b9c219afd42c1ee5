// Writable destinations through the public object model: a fixed-width text file, a new and an
// existing .xls workbook. Each result is read back by another program (python3, LibreOffice).
#include <gtest/gtest.h>

#include <fstream>

#include "support/command_output.h"
#include "support/headless_transfer.h"
#include "support/libreoffice_csv.h"

using namespace kpx;
using test::commandOutput;
using test::shellQuote;

namespace {

using test::HeadlessTransfer;

std::string shown(test::ScopedRecordingSink& sink) { return test::shownBoxes(sink); }

class HeadlessDestinations : public HeadlessTransfer {
 protected:
  // A SQLite source table with a number, a text and a real column.
  std::string itemsDatabase() {
    const std::string db = path("src.db");
    sqlite(db, "CREATE TABLE Items(Code INTEGER, Label TEXT, Price REAL);"
               "INSERT INTO Items VALUES(1,'uno',1.5),(2,'due',20),(3,'tre è',0.25);");
    return db;
  }
};

TEST_F(HeadlessDestinations, SqliteIntoAFixedWidthTextFile) {
  test::ScopedRecordingSink sink;
  wizard->setSource(database(itemsDatabase(), "Items"));
  const std::string out = path("items.txt");
  auto destination = csvSource(out);
  destination->setFormatFile(kpxFixedFile);
  destination->setColumnNames("Code,Label,Price");
  destination->setColumnLengths("4,8,6");
  destination->setNumberColumns(3);
  wizard->setDestination(destination);
  pairColumns({"Code", "Label", "Price"});
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  // Fields cut at the declared widths of every line, the way a fixed-width reader takes them.
  const std::string fields = commandOutput(
      "python3 -c \"import sys\n"
      "for line in open(sys.argv[1], encoding='utf-8', newline='').read().split('\\r\\n')[:-1]:\n"
      "  print([line[0:4], line[4:12], line[12:18]], len(line))\" " +
      shellQuote(out));
  EXPECT_EQ(fields,
            "['Code', 'Label   ', 'Price '] 18\n"
            "['1   ', 'uno     ', '1.5   '] 18\n"
            "['2   ', 'due     ', '20    '] 18\n"
            "['3   ', 'tre è   ', '0.25  '] 18\n");
}

TEST_F(HeadlessDestinations, SqliteIntoANewXlsWorkbook) {
  test::ScopedRecordingSink sink;
  wizard->setSource(database(itemsDatabase(), "Items"));
  auto book = database(path("out.xls"), "", CONN_EXCEL);
  book->setCreatedDestinationTable(true);
  wizard->setDestination(book);
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  auto sheets = test::libreOfficeSheets(path("out.xls"), path("lo"));
  if (sheets.empty()) GTEST_SKIP() << "LibreOffice is not installed";
  ASSERT_EQ(sheets.count("Items"), 1u);
  EXPECT_EQ(sheets["Items"],
            (test::CsvRows{{"Code", "Label", "Price"}, {"1", "uno", "1.5"}, {"2", "due", "20"}, {"3", "tre è", "0.25"}}));
}

TEST_F(HeadlessDestinations, CsvAppendedToASheetOfAnExistingXlsWorkbook) {
  test::ScopedRecordingSink sink;
  const std::string existing = path("Stock.csv");
  std::ofstream(existing, std::ios::binary) << "Id,Name,Amount\r\n100,kept,1\r\n";
  const std::string book = test::libreOfficeWorkbook(existing, "xls", path("made"));
  if (book.empty()) GTEST_SKIP() << "LibreOffice is not installed";
  wizard->setSource(csvSource(writeCsv("more.csv", 3)));
  wizard->setDestination(database(book, "Stock$", CONN_EXCEL));
  pairColumns({"Id", "Name", "Amount"});
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  auto sheets = test::libreOfficeSheets(book, path("lo"));
  ASSERT_EQ(sheets.count("Stock"), 1u);
  EXPECT_EQ(sheets["Stock"], (test::CsvRows{{"Id", "Name", "Amount"},
                                            {"100", "kept", "1"},
                                            {"1", "Name 1", "1.5"},
                                            {"2", "Name 2", "2.5"},
                                            {"3", "Name 3", "3.5"}}));
}

}  // namespace
