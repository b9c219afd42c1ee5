// Table and column names with accented capitals reach every kind of data source when spelled
// in another case: "città" opens "CITTÀ", "età" writes "ETÀ", "école" reads "ÉCOLE". The
// rows written to SQLite are read back by sqlite3.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "data/providers/excel/excel_source.h"
#include "data/providers/provider.h"
#include "support/data_error.h"
#include "support/rows_as_text.h"
#include "support/scratch.h"

namespace kpx::data {
namespace {

namespace fs = std::filesystem;

struct Source {
  std::unique_ptr<DataSource> data;
  std::string table;  // as the catalog spells it
};

struct NameCase {
  const char* name;
  // Makes a data source holding table CITTÀ (ETÀ integer, ÉCOLE text) with the row 30, "Liceo".
  std::function<Source(const fs::path& dir)> make;
  // The table as the caller spells it: another case, the catalog's decoration kept.
  const char* otherCase;
  // Rows written later land in the table's own columns, found by name. (A text destination
  // is rewritten whole with the writer's columns instead.)
  bool appendsByName;
  // Every row of the table as an outside reader sees it, "|" between values; empty when no
  // outside reader is at hand.
  std::function<std::string(const fs::path& dir)> outsideRows;
};

Source sqliteSource(const fs::path& dir) {
  const std::string db = (dir / "cities.db").string();
  if (!fs::exists(db))
    test::sqliteOutput(db,
                       "CREATE TABLE \"CITTÀ\"(\"ETÀ\" Long, \"ÉCOLE\" VarChar(20));"
                       "INSERT INTO \"CITTÀ\" VALUES (30, 'Liceo');");
  return {openDataSource(
              ConnectionProperties::parse("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db)),
          "CITTÀ"};
}

std::function<Source(const fs::path&)> workbookSource(const std::string& extension) {
  return [extension](const fs::path& dir) {
    const std::string path = (dir / ("cities" + extension)).string();
    auto open = [&] {
      return excel::openExcelWorkbook(
          ConnectionProperties::parse("Data Source=" + path + ";Extended Properties=Excel 8.0;"));
    };
    if (!fs::exists(path)) {
      auto book = open();
      book->execute("CREATE TABLE `CITTÀ` (`ETÀ` Long, `ÉCOLE` VarChar (20))");
      auto writer = book->openWriter("CITTÀ$", {"ETÀ", "ÉCOLE"});
      const Value row[] = {Value::fromInt(30), Value::fromString("Liceo")};
      writer->writeRow(row, 2);
      writer->commit();
    }
    return Source{open(), "CITTÀ$"};
  };
}

Source htmlSource(const fs::path& dir) {
  const fs::path page = dir / "cities.html";
  std::ofstream(page, std::ios::binary)
      << "<html><head><meta charset=\"utf-8\"></head><body><table><caption>CITTÀ</caption>"
         "<tr><th>ETÀ</th><th>ÉCOLE</th></tr><tr><td>30</td><td>Liceo</td></tr></table></body></"
         "html>";
  return {openDataSource(ConnectionProperties::parse(
              "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + page.string() +
              ";Extended Properties=HTML Import")),
          "CITTÀ"};
}

Source textSource(const fs::path& dir) {
  const fs::path file = dir / "CITTÀ.csv";
  std::ofstream(file, std::ios::binary) << "ETÀ,ÉCOLE\r\n30,Liceo\r\n";
  ConnectionProperties p;
  p.set("Provider", "DTSFlatFile");
  p.set("Data Source", file.string());
  p.set("Row Delimiter", "\r\n");
  p.set("Column Delimiter", ",");
  p.set("Text Qualifier", "\"");
  p.set("First Row Column Name", "True");
  p.set("File Format", "1");
  p.set("Mode", "3");
  return {openDataSource(p), "CITTÀ.csv"};
}

class NonAsciiNames : public ::testing::TestWithParam<NameCase> {
 protected:
  test::ScratchFolder scratch;
  const fs::path& dir = scratch.dir();
};

TEST_P(NonAsciiNames, TableAndColumnsAnswerToAnotherCaseButNotWithoutTheirAccents) {
  Source source = GetParam().make(dir);
  DataSource& data = *source.data;
  const std::string table = GetParam().otherCase;

  EXPECT_TRUE(data.hasTable(table));
  auto columns = data.columns(table);
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_EQ(columns[0].name, "ETÀ");
  EXPECT_EQ(columns[1].name, "ÉCOLE");
  auto reader = data.openTable(table);
  EXPECT_EQ(test::readRowsAsText(*reader), (test::TextRows{{"30", "Liceo"}}));
  // Without its accent the table is missing, and every kind says so the same way.
  EXPECT_FALSE(data.hasTable("CITTA"));
  for (const std::string& what : {test::dataErrorOf([&] { data.openTable("CITTA"); }),
                                  test::dataErrorOf([&] { data.columns("CITTA"); })})
    EXPECT_NE(what.find("The table \"CITTA\" does not exist in "), std::string::npos) << what;
}

TEST_P(NonAsciiNames, RowsAreWrittenThroughColumnsInAnotherCase) {
  if (!GetParam().appendsByName)
    GTEST_SKIP() << GetParam().name << " takes no rows into columns it has";
  {
    Source source = GetParam().make(dir);
    auto writer = source.data->openWriter(GetParam().otherCase, {"école", "età"});
    const Value row[] = {Value::fromString("Scuola"), Value::fromInt(41)};
    writer->writeRow(row, 2);
    writer->commit();
  }
  if (GetParam().outsideRows) {
    EXPECT_EQ(GetParam().outsideRows(dir), "30|Liceo\n41|Scuola\n");
  } else {
    Source again = GetParam().make(dir);
    auto reader = again.data->openTable(again.table);
    EXPECT_EQ(test::readRowsAsText(*reader), (test::TextRows{{"30", "Liceo"}, {"41", "Scuola"}}));
  }
}

std::string sqliteRows(const fs::path& dir) {
  return test::sqliteOutput((dir / "cities.db").string(), "SELECT * FROM \"CITTÀ\"");
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, NonAsciiNames,
    ::testing::Values(NameCase{"SQLite", sqliteSource, "città", true, sqliteRows},
                      NameCase{"Xls", workbookSource(".xls"), "città$", true, nullptr},
                      NameCase{"Xlsx", workbookSource(".xlsx"), "città$", true, nullptr},
                      NameCase{"Html", htmlSource, "città", false, nullptr},
                      NameCase{"Text", textSource, "città.csv", false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kpx::data
