// The Jet provider on SQLite databases made and checked by the sqlite3 program.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "data/providers/jet/jet_provider.h"
#include "data/providers/provider.h"
#include "data/providers/sqlite/sqlite_data_source.h"
#include "support/data_error.h"
#include "support/rows_as_text.h"
#include "support/scratch.h"

using namespace kpx::data;
namespace fs = std::filesystem;

namespace {

class SqliteProvider : public testing::Test {
 protected:
  std::string sqlite3(const std::string& sql) {
    return kpx::test::sqliteOutput(path, sql, "-batch");
  }
  std::unique_ptr<DataSource> open(const std::string& mode = "3") {
    return openDataSource(ConnectionProperties::parse(
        "Persist Security Info=True;Data Source=" + path + ";Mode=" + mode +
        ";User ID=Provider=Microsoft.jet.OLEDB.4.0;"));
  }
  kpx::test::ScratchFolder scratch;
  std::string path = scratch.path("test.db");
};

TEST_F(SqliteProvider, ReadsValuesTypedByTheirColumns) {
  sqlite3(
      "CREATE TABLE \"t \"\"q\"\"\" (\"a\"\"\" VarChar(10), b Long, c Double, d Currency, e "
      "Datetime, f Bit, g Decimal, h LongBinary, i GUID);"
      "INSERT INTO \"t \"\"q\"\"\" VALUES ('x;y', 42, 0.1, 12.5, '2020-02-29 13:14:15', 1, "
      "'12.3400', x'00FF', '{6B29FC40-CA47-1067-B31D-00DD010662DA}');"
      "INSERT INTO \"t \"\"q\"\"\" VALUES (NULL, NULL, NULL, NULL, '2020-01-01', 0, 7, NULL, "
      "NULL);");
  auto source = open("1");
  // The table named in another case.
  EXPECT_EQ(kpx::test::readRowsAsText(*source->openTable("T \"q\""), true),
            (kpx::test::TextRows{{"x;y", "i:42", "d:0.1", "c:12.5", "t:2020-02-29 13:14:15", "b:1",
                                  "n:12.34", "?:00FF", "g:{6B29FC40-CA47-1067-B31D-00DD010662DA}"},
                                 {"<null>", "<null>", "<null>", "<null>", "t:2020-01-01", "b:0",
                                  "n:7", "<null>", "<null>"}}));
  auto query = source->openQuery("SELECT b * 2 AS twice FROM \"t \"\"q\"\"\" WHERE b IS NOT NULL");
  EXPECT_EQ(query->columns().at(0).name, "twice");
  EXPECT_EQ(kpx::test::readRowsAsText(*query), (kpx::test::TextRows{{"84"}}));
}

TEST_F(SqliteProvider, WriterStoresConvertedValuesThatSqlite3ReadsBack) {
  sqlite3(
      "CREATE TABLE `Dest` (`Name` VarChar (5) NOT NULL, `N` Long NULL, `D` Double NULL, `M` "
      "Currency NULL,"
      " `W` Datetime NULL, `B` Bit NULL, `X` Decimal NULL, `Bin` LongBinary NULL)");
  auto source = open();
  auto writer = source->openWriter("dest", {"name", "N", "D", "M", "W", "B", "X", "Bin"});
  // Eight values: the texts given, then nulls.
  const auto texts = [](std::initializer_list<const char*> given) {
    std::vector<Value> row(8, Value::null());
    std::transform(given.begin(), given.end(), row.begin(), Value::fromString);
    return row;
  };
  writer->writeRow(
      texts({"Ann", "12", "2.5", "19.99", "2021-03-04T05:06:07", "True", "1.50"}).data(), 8);
  try {
    writer->writeRow(texts({"Bob", "twelve"}).data(), 8);
    FAIL();
  } catch (const RowError& e) {
    EXPECT_EQ(e.column(), "N");
    EXPECT_EQ(e.value(), "twelve");
  }
  try {
    writer->writeRow(texts({}).data(), 8);
    FAIL();
  } catch (const RowError& e) {
    EXPECT_EQ(e.column(), "Name");
    EXPECT_NE(std::string(e.what()).find("Dest"), std::string::npos);
  }
  Value row2[] = {
      Value::fromString("Cy"),        Value::fromDouble(3),         Value::fromInt(-1),
      Value::fromCurrency(5),         Value::fromDate(0.5),         Value::fromBool(false),
      Value::fromString("1234.5678"), Value::fromBinary("\x01\x02")};
  writer->writeRow(row2, 8);
  writer->commit();
  EXPECT_EQ(
      sqlite3(
          "SELECT Name, N, typeof(N), D, typeof(D), M, typeof(M), W, B, typeof(B), X, typeof(X),"
          " hex(Bin) FROM Dest ORDER BY rowid"),
      "Ann|12|integer|2.5|real|19.99|real|2021-03-04 05:06:07|1|integer|1.5|real|\n"
      "Cy|3|integer|-1.0|real|0.0005|real|1899-12-30 12:00:00|0|integer|1234.5678|real|0102\n");
}

// Rows go to a table without constraints in groups: whatever their number, and whichever of
// them fail to convert, the others arrive whole and in order, also when the reader reuses
// the memory its values point into.
TEST_F(SqliteProvider, WriterKeepsEveryRowInOrderAcrossGroups) {
  for (int rows : {1, 49, 50, 51, 123, 1000, 1001, 7123}) {
    SCOPED_TRACE(rows);
    fs::remove(path);
    sqlite3("CREATE TABLE t (n Long, label VarChar(20), day Datetime)");
    auto source = open();
    auto writer = source->openWriter("t", {"n", "label", "day"});
    std::string number, label;  // one buffer per column, rewritten for every row
    std::string expected;
    for (int i = 1; i <= rows; ++i) {
      const bool bad = i % 7 == 0;
      number = bad ? "x" + std::to_string(i) : std::to_string(i);
      label = "label number " + std::to_string(i);
      Value row[] = {Value::fromString(number), Value::fromString(label),
                     Value::fromDate(45000 + i)};
      if (bad) {
        EXPECT_THROW(writer->writeRow(row, 3), RowError);
        continue;
      }
      writer->writeRow(row, 3);
      expected += std::to_string(i) + "|label number " + std::to_string(i) + "|" +
                  toText(Value::fromDate(45000 + i)) + "\n";
    }
    writer->commit();
    EXPECT_EQ(sqlite3("SELECT n, label, day FROM t ORDER BY rowid"), expected);
  }
}

// Rows are inserted by a second thread while later ones are converted: a failure there, or a
// run given up with batches still queued, leaves the file as it was.
TEST_F(SqliteProvider, WriterGivenUpWithRowsInFlightLeavesTheFileAsItWas) {
  for (const bool fillsTheFile : {false, true}) {
    SCOPED_TRACE(fillsTheFile);
    fs::remove(path);
    sqlite3("CREATE TABLE t (n Long, label VarChar(200)); INSERT INTO t VALUES (1, 'kept')");
    const std::string before = kpx::test::readFile(path);
    auto source = open();
    if (fillsTheFile) source->execute("PRAGMA max_page_count = 30");
    auto writer = source->openWriter("t", {"n", "label"});
    const std::string label(150, 'x');
    bool failed = false;
    for (int i = 0; i < 20000 && !failed; ++i) {
      Value row[] = {Value::fromInt(i), Value::fromString(label)};
      try {
        writer->writeRow(row, 2);
      } catch (const DataError&) {
        failed = true;
      }
    }
    EXPECT_EQ(failed, fillsTheFile);
    writer->rollback();
    writer.reset();
    source.reset();
    EXPECT_EQ(kpx::test::readFile(path), before);
  }
}

// A day written as YYYY-MM-DD goes into a date column as it stands, in groups and row by row;
// one that names no real day is refused.
TEST_F(SqliteProvider, DayTextIntoADateColumn) {
  for (const char* create :
       {"CREATE TABLE t (d Datetime)", "CREATE TABLE t (d Datetime NOT NULL)"}) {
    SCOPED_TRACE(create);
    fs::remove(path);
    sqlite3(create);
    auto source = open();
    auto writer = source->openWriter("t", {"d"});
    for (const char* day : {"2024-02-29", "2000-02-29", "1600-02-29"}) {
      Value v = Value::fromString(day);
      writer->writeRow(&v, 1);
    }
    for (const char* wrong :
         {"2023-02-29", "1900-02-29", "2100-02-29", "2024-04-31", "2024-13-01", "0099-01-01"}) {
      Value v = Value::fromString(wrong);
      EXPECT_THROW(writer->writeRow(&v, 1), RowError) << wrong;
    }
    writer->commit();
    EXPECT_EQ(sqlite3("SELECT d, typeof(d) FROM t ORDER BY rowid"),
              "2024-02-29|text\n2000-02-29|text\n1600-02-29|text\n");
  }
}

// A table that can refuse a row is written row by row: the refusal comes from the row at
// fault and the rows around it stay.
TEST_F(SqliteProvider, EachKindOfConstraintRefusesItsOwnRow) {
  struct Case {
    const char* name;
    const char* create;
    bool nullAt55;  // else row 55 repeats row 54's value
  };
  const Case cases[] = {
      {"not null", "CREATE TABLE t (a Long NOT NULL)", true},
      {"primary key", "CREATE TABLE t (a INTEGER PRIMARY KEY)", false},
      {"unique index", "CREATE TABLE t (a Long); CREATE UNIQUE INDEX u ON t(a)", false},
      {"check", "CREATE TABLE t (a Long CHECK (a IS NOT NULL))", true},
      {"trigger",
       "CREATE TABLE t (a Long); CREATE TRIGGER no_null BEFORE INSERT ON t WHEN NEW.a IS NULL "
       "BEGIN SELECT RAISE(ABORT, 'no empty a'); END",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(path);
    sqlite3(c.create);
    auto source = open();
    auto writer = source->openWriter("t", {"a"});
    for (int i = 1; i <= 60; ++i) {
      Value v = i != 55 ? Value::fromInt(i) : c.nullAt55 ? Value::null() : Value::fromInt(54);
      if (i == 55) {
        EXPECT_THROW(writer->writeRow(&v, 1), RowError);
      } else {
        writer->writeRow(&v, 1);
      }
    }
    writer->commit();
    EXPECT_EQ(sqlite3("SELECT count(*), sum(a) FROM t"), "59|1775\n");
  }
}

TEST_F(SqliteProvider, MissingFileGivesDataErrorAndStaysMissing) {
  const std::string what = kpx::test::dataErrorOf([&] { open(); });
  EXPECT_NE(what.find(path), std::string::npos) << what;
  EXPECT_FALSE(fs::exists(path)) << "opening must not create the file";
}

}  // namespace
