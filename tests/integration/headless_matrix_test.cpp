// Every kind of source into every writable kind of destination through the public object
// model. Each source holds the same three items (the SQLite one as a query that leaves out a
// fourth); each destination is read back by another program (sqlite3, LibreOffice, Python's csv
// module) and must hold them too. Fixed-width files go through the same package settings from
// the command line (tests/integration/cli_copy_test.cpp).
#include <gtest/gtest.h>

#include "data/mod_database.h"
#include "support/headless_transfer.h"
#include "support/libreoffice_csv.h"
#include "support/scratch.h"

using namespace kpx;
using test::CsvRows;

namespace {

enum class From { Delimited, Sqlite, Xls, Xlsx, Html };
enum class Into { ExistingTable, NewTable, Delimited, Xls, Xlsx };

const CsvRows kItems = {{"1", "uno", "1.5"}, {"2", "due, tre", "2.25"}, {"3", "quattro", "-7"}};
const std::vector<std::string> kNames = {"Code", "Label", "Price"};

const char* const kFromNames[] = {"Delimited", "Sqlite", "Xls", "Xlsx", "Html"};
const char* const kIntoNames[] = {"ExistingTable", "NewTable", "Delimited", "Xls", "Xlsx"};

class TransferMatrix : public test::HeadlessTransfer,
                       public ::testing::WithParamInterface<std::tuple<From, Into>> {
 protected:
  std::shared_ptr<clsConnection> makeSource(From from) {
    switch (from) {
      case From::Delimited: {
        auto c = csvSource(scratch.write(
            "items.csv",
            "Code,Label,Price\r\n1,uno,1.5\r\n2,\"due, tre\",2.25\r\n3,quattro,-7\r\n"));
        c->setTextQualifier("\"");
        return c;
      }
      case From::Sqlite: {
        // A query, which leaves out the row it does not select.
        const std::string db = path("source.db");
        sqlite(db,
               "CREATE TABLE Items(Code INTEGER, Label TEXT, Price REAL);"
               "INSERT INTO Items VALUES(1,'uno',1.5),(2,'due, tre',2.25),(3,'quattro',-7),"
               "(4,'left out',0);");
        auto c = database(db, "SELECT Code, Label, Price FROM Items WHERE Code < 4");
        c->setTableType(kpxTypeQuery);
        return c;
      }
      case From::Xls:
        return database(std::string(KPX_TEST_DATA) + "/excel/items_97.xls", "items$", CONN_EXCEL);
      case From::Xlsx:
        return database(std::string(KPX_TEST_DATA) + "/excel/items_2007.xlsx", "items$",
                        CONN_EXCEL);
      case From::Html:
        return database(scratch.write("items.html",
                                      "<html><body><table>\n"
                                      "<tr><th>Code</th><th>Label</th><th>Price</th></tr>\n"
                                      "<tr><td>1</td><td>uno</td><td>1.5</td></tr>\n"
                                      "<tr><td>2</td><td>due, tre</td><td>2.25</td></tr>\n"
                                      "<tr><td>3</td><td>quattro</td><td>-7</td></tr>\n"
                                      "</table></body></html>\n"),
                        "Table1", CONN_HTML_SOURCE);
    }
    return nullptr;
  }

  // A destination and whether the column builder describes it (a new table) or the host pairs
  // the columns by name (an existing table, a text file).
  std::pair<std::shared_ptr<clsConnection>, bool> makeDestination(Into into) {
    switch (into) {
      case Into::ExistingTable:
        sqlite(path("out.db"),
               "CREATE TABLE Items(Code Long, Label VarChar(20), Price Double);"
               "INSERT INTO Items VALUES(0,'old',0);");
        return {database(path("out.db"), "Items"), false};
      case Into::NewTable:
        modDatabase::CreaDataBase(path("out.db"));
        return {newTable(path("out.db"), CONN_ACCESS), true};
      case Into::Delimited: {
        auto c = csvSource(path("out.csv"));
        c->setTextQualifier("\"");
        return {c, false};
      }
      case Into::Xls:
        return {newTable(path("out.xls"), CONN_EXCEL), true};
      case Into::Xlsx:
        return {newTable(path("out.xlsx"), CONN_EXCEL), true};
    }
    return {};
  }

  std::shared_ptr<clsConnection> newTable(const std::string& file, int32_t kind) {
    auto c = database(file, "Items", kind);
    c->setCreatedDestinationTable(true);
    return c;
  }

  // The destination's rows as another program reads them, the header row left out; empty
  // with `skipped` set when LibreOffice is missing.
  CsvRows readBack(Into into, bool& skipped) {
    switch (into) {
      case Into::ExistingTable:
      case Into::NewTable:
        return test::parseCsv(test::sqliteOutput(
            path("out.db"), "SELECT Code, Label, Price FROM Items ORDER BY Code;", "-csv"));
      case Into::Delimited:
        return withoutHeader(test::readCsvFile(path("out.csv")));
      case Into::Xls:
      case Into::Xlsx: {
        skipped = !test::haveLibreOffice();
        if (skipped) return {};
        return withoutHeader(test::libreOfficeSheets(
            path(into == Into::Xls ? "out.xls" : "out.xlsx"), path("lo"))["Items"]);
      }
    }
    return {};
  }

  CsvRows withoutHeader(CsvRows rows) {
    EXPECT_FALSE(rows.empty());
    if (rows.empty()) return rows;
    EXPECT_EQ(rows.front(), kNames);
    rows.erase(rows.begin());
    return rows;
  }
};

TEST_P(TransferMatrix, CopiesEveryRow) {
  const auto [from, into] = GetParam();
  test::ScopedRecordingSink sink;
  wizard->setSource(makeSource(from));
  auto [destination, described] = makeDestination(into);
  wizard->setDestination(destination);
  std::string created;
  if (described) {
    ASSERT_EQ(wizard->BuildColumns(wizard->Source(), wizard->Destination()), 1)
        << test::shownBoxes(sink);
    created = modDatabase::GenerateScriptCreate(modDatabase::state().arrDestinationStructure);
    ASSERT_TRUE(wizard->Mapping());
  } else {
    pairColumns(kNames);
  }
  ASSERT_TRUE(wizard->Execute()) << test::shownBoxes(sink);
  EXPECT_EQ(wizard->CountCorrectImport(), 1);

  bool skipped = false;
  CsvRows rows = readBack(into, skipped);
  if (skipped) GTEST_SKIP() << "LibreOffice is not installed";
  CsvRows expected = kItems;
  if (into == Into::ExistingTable) expected.insert(expected.begin(), {"0", "old", "0"});
  EXPECT_EQ(test::canonicalNumbers(rows), test::canonicalNumbers(expected));
  if (into == Into::NewTable) {
    EXPECT_EQ(sqlite(path("out.db"), "SELECT sql FROM sqlite_master WHERE name='Items';"),
              created + "\n");
    // The new table's columns take the source's types: text files give text; a database keeps
    // its integers; workbooks and pages hold their numbers as doubles.
    const char* types = from == From::Delimited ? "text|text|text\n"
                        : from == From::Sqlite  ? "integer|text|real\n"
                                                : "real|text|real\n";
    EXPECT_EQ(sqlite(path("out.db"),
                     "SELECT DISTINCT typeof(Code), typeof(Label), typeof(Price) FROM Items;"),
              types);
  }
}

INSTANTIATE_TEST_SUITE_P(Headless, TransferMatrix,
                         ::testing::Combine(::testing::Values(From::Delimited, From::Sqlite,
                                                              From::Xls, From::Xlsx, From::Html),
                                            ::testing::Values(Into::ExistingTable, Into::NewTable,
                                                              Into::Delimited, Into::Xls,
                                                              Into::Xlsx)),
                         [](const auto& info) {
                           return std::string(kFromNames[int(std::get<0>(info.param))]) + "Into" +
                                  kIntoNames[int(std::get<1>(info.param))];
                         });

}  // namespace
