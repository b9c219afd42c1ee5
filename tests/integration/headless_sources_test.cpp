// Every readable kind of source through the public object model into SQLite: fixed-width text,
// workbooks that LibreOffice wrote (.xls and .xlsx) and an HTML page. The rows are read back
// with the sqlite3 program.
#include <gtest/gtest.h>

#include <fstream>

#include "data/mod_database.h"
#include "package/destination_rows.h"
#include "support/headless_transfer.h"
#include "support/libreoffice_csv.h"

using namespace kpx;

namespace {

using test::HeadlessTransfer;

std::string shown(test::ScopedRecordingSink& sink) { return test::shownBoxes(sink); }

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// A table, a second one that must not be taken, and cells a browser would tidy up.
const char* const kPage =
    "<html><body><p>Price list</p>\n"
    "<table><tr><th>Code</th><th>Item</th><th>Price</th></tr>\n"
    "<tr><td>1</td><td>Red &amp; white   mug</td><td>4.5</td></tr>\n"
    "<tr><td>2</td><td>Plate</td><td>12</td></tr>\n"
    "<tr><td>3</td><td>Bowl</td><td>7.25</td></tr></table>\n"
    "<table><tr><th>Other</th></tr><tr><td>x</td></tr></table></body></html>\n";

class HeadlessSources : public HeadlessTransfer {
 protected:
  // A new SQLite database whose destination table is created from the source's columns.
  std::shared_ptr<clsConnection> newTableIn(const std::string& name) {
    const std::string db = path(name);
    modDatabase::CreaDataBase(db);
    auto destination = database(db, "");
    destination->setCreatedDestinationTable(true);
    return destination;
  }

  // BuildColumns, Mapping and Execute, as a host runs a transfer into a new table; returns
  // the CREATE TABLE text the column builder generated.
  std::string transferIntoNewTable(test::ScopedRecordingSink& sink) {
    EXPECT_EQ(wizard->BuildColumns(wizard->Source(), wizard->Destination()), 1) << shown(sink);
    std::string created = modDatabase::GenerateScriptCreate(modDatabase::state().arrDestinationStructure);
    EXPECT_TRUE(wizard->Mapping());
    EXPECT_TRUE(wizard->Execute()) << shown(sink);
    return created;
  }

  std::string storedCreate(const std::string& db, const std::string& table) {
    return sqlite(db, "SELECT sql FROM sqlite_master WHERE name='" + table + "';");
  }
};

TEST_F(HeadlessSources, FixedWidthTextIntoANewTable) {
  test::ScopedRecordingSink sink;
  const std::string file = path("people.txt");
  writeFile(file,
            "Id   Name                Age\r\n"
            "1    Anna Rossi          34 \r\n"
            "2    Bruno Bianchi       7  \r\n"
            "300  Carla               101\r\n");
  auto source = csvSource(file);
  source->setFormatFile(kpxFixedFile);
  source->setColumnLengths("5,20,3");
  source->setColumnNames("Id,Name,Age");
  wizard->setSource(source);
  auto destination = newTableIn("people.db");
  wizard->setDestination(destination);
  const std::string created = transferIntoNewTable(sink);
  const std::string db = path("people.db");
  const std::string table = destination->TableName();
  EXPECT_EQ(storedCreate(db, table), created + "\n");
  EXPECT_EQ(sqlite(db, "SELECT Id, '[' || Name || ']', Age FROM \"" + table + "\" ORDER BY 1;"),
            "1|[Anna Rossi]|34\n2|[Bruno Bianchi]|7\n300|[Carla]|101\n");
  EXPECT_EQ(events->log, "start:TrasformationStep_Execute;finish:TrasformationStep_Execute;");
}

// A LibreOffice workbook of each kind: its sheet arrives row for row; a column of numbers is a
// Double column, as Excel's own driver describes it.
class WorkbookSource : public HeadlessSources, public ::testing::WithParamInterface<const char*> {};

TEST_P(WorkbookSource, SheetIntoANewTable) {
  test::ScopedRecordingSink sink;
  const std::string csv = path("Items.csv");
  writeFile(csv, "Code,Label,Price\r\n1,uno,1.5\r\n2,\"due, tre\",2.25\r\n3,quattro,-7\r\n");
  const std::string book = test::libreOfficeWorkbook(csv, GetParam(), path("lo"));
  if (book.empty()) GTEST_SKIP() << "LibreOffice is not installed";
  wizard->setSource(database(book, "Items$", CONN_EXCEL));
  auto destination = newTableIn("items.db");
  wizard->setDestination(destination);
  const std::string created = transferIntoNewTable(sink);
  const std::string db = path("items.db");
  EXPECT_EQ(storedCreate(db, destination->TableName()), created + "\n");
  EXPECT_EQ(sqlite(db, "SELECT Code, Label, Price, typeof(Price) FROM \"" + destination->TableName() +
                           "\" ORDER BY Code;"),
            "1.0|uno|1.5|real\n2.0|due, tre|2.25|real\n3.0|quattro|-7.0|real\n");
}

INSTANTIATE_TEST_SUITE_P(LibreOffice, WorkbookSource, ::testing::Values("xls", "xlsx"));

TEST_F(HeadlessSources, HtmlTableIntoANewTable) {
  test::ScopedRecordingSink sink;
  const std::string page = path("prices.html");
  writeFile(page, kPage);
  wizard->setSource(database(page, "Table1", CONN_HTML_SOURCE));
  auto destination = newTableIn("prices.db");
  wizard->setDestination(destination);
  transferIntoNewTable(sink);
  // Only the first table is read; numbers are Doubles there too.
  EXPECT_EQ(sqlite(path("prices.db"), "SELECT * FROM \"" + destination->TableName() + "\" ORDER BY Code;"),
            "1.0|Red & white mug|4.5\n2.0|Plate|12.0\n3.0|Bowl|7.25\n");
}

TEST_F(HeadlessSources, WorkbookIntoAnExistingTableAfterDeletingItsRows) {
  test::ScopedRecordingSink sink;
  const std::string csv = path("Stock.csv");
  writeFile(csv, "Code,Label\r\n10,bolt\r\n11,nut\r\n");
  const std::string book = test::libreOfficeWorkbook(csv, "xlsx", path("lo"));
  if (book.empty()) GTEST_SKIP() << "LibreOffice is not installed";
  const std::string db = path("stock.db");
  sqlite(db, "CREATE TABLE Stock(Code Long, Label VarChar(20));"
             "INSERT INTO Stock VALUES(1,'old'),(2,'older');");
  wizard->setSource(database(book, "Stock$", CONN_EXCEL));
  wizard->setDestination(database(db, "Stock"));
  ASSERT_EQ(wizard->BuildColumns(wizard->Source(), wizard->Destination()), 1) << shown(sink);
  ASSERT_TRUE(wizard->Mapping());
  ASSERT_TRUE(DeleteDestinationRows(*wizard)) << shown(sink);
  EXPECT_EQ(sqlite(db, "SELECT count(*) FROM Stock;"), "0\n");  // at once, before any execution
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  EXPECT_EQ(sqlite(db, "SELECT * FROM Stock ORDER BY Code;"), "10|bolt\n11|nut\n");
  // Appending the same sheet again keeps what is there.
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  EXPECT_EQ(sqlite(db, "SELECT group_concat(Code) FROM Stock;"), "10,11,10,11\n");
}

}  // namespace
