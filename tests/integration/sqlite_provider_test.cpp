// The Jet provider on SQLite databases made and checked by the sqlite3 program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/providers/jet/jet_provider.h"
#include "data/providers/provider.h"
#include "data/providers/sqlite/sqlite_data_source.h"
#include "support/command_output.h"

using namespace kpx::data;
using kpx::test::commandOutput;
using kpx::test::shellQuote;
namespace fs = std::filesystem;

namespace {

class SqliteProvider : public testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("kpx_sqlite_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    path = (dir / "test.db").string();
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs SQL through the sqlite3 program and returns what it prints.
  std::string sqlite3(const std::string& sql) {
    int rc = 0;
    std::string out = commandOutput("sqlite3 -batch " + shellQuote(path) + " " + shellQuote(sql) + " 2>&1", &rc);
    EXPECT_EQ(rc, 0) << out;
    return out;
  }
  std::unique_ptr<DataSource> open(const std::string& mode = "3") {
    return openDataSource(ConnectionProperties::parse(
        "Persist Security Info=True;Data Source=" + path + ";Mode=" + mode +
        ";User ID=Provider=Microsoft.jet.OLEDB.4.0;"));
  }
  static std::string readRows(RowReader& reader) {
    std::string out;
    while (reader.next()) {
      for (size_t i = 0; i < reader.columns().size(); ++i) {
        if (i) out += "|";
        appendText(reader.field(i), out);
      }
      out += "\n";
    }
    return out;
  }
  static std::string fileBytes(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path dir;
  std::string path;
};

struct DeclaredCase {
  const char* declared;
  int32_t type;
  int32_t size;
};

class DeclaredType : public testing::TestWithParam<DeclaredCase> {};

TEST_P(DeclaredType, MapsToTheAdoCode) {
  ColumnInfo info = columnInfoFromDeclaredType("c", GetParam().declared, false);
  EXPECT_EQ(info.type, GetParam().type) << GetParam().declared;
  EXPECT_EQ(info.size, GetParam().size) << GetParam().declared;
}

INSTANTIATE_TEST_SUITE_P(
    JetAndSqliteNames, DeclaredType,
    testing::Values(DeclaredCase{"VarChar (50)", 202, 50}, DeclaredCase{"varchar(10)", 202, 10},
                    DeclaredCase{"VarChar", 202, 255}, DeclaredCase{"LongText", 203, 0},
                    DeclaredCase{"Memo", 203, 0}, DeclaredCase{"Long", 3, 0}, DeclaredCase{"Short", 2, 0},
                    DeclaredCase{"Byte", 17, 0}, DeclaredCase{"Single", 4, 0}, DeclaredCase{"Double", 5, 0},
                    DeclaredCase{"Currency", 6, 0}, DeclaredCase{"Datetime", 7, 0}, DeclaredCase{"Bit", 11, 0},
                    DeclaredCase{"GUID", 72, 0}, DeclaredCase{"Decimal (20)", 131, 0},
                    DeclaredCase{"VarBinary (50)", 204, 50}, DeclaredCase{"LongBinary", 205, 0},
                    DeclaredCase{"INTEGER", 3, 0}, DeclaredCase{"BIGINT", 20, 0}, DeclaredCase{"REAL", 5, 0},
                    DeclaredCase{"TEXT", 203, 0}, DeclaredCase{"BLOB", 205, 0}, DeclaredCase{"", 203, 0},
                    DeclaredCase{"NUMERIC", 131, 0}, DeclaredCase{"UNSIGNED BIG INT", 3, 0},
                    DeclaredCase{"NATIVE CHARACTER(70)", 202, 70}, DeclaredCase{"BOOLEANISH", 5, 0}));

TEST_F(SqliteProvider, ListsTablesAndViewsInCatalogOrderWithTheirColumns) {
  sqlite3("CREATE TABLE Zeta (id INTEGER PRIMARY KEY AUTOINCREMENT, name VarChar(20) NOT NULL, amount Currency);"
          "CREATE VIEW Alpha AS SELECT name FROM Zeta;"
          "CREATE TABLE beta (flag Bit, at Datetime, g GUID);"
          "CREATE INDEX ix ON beta(flag);");
  auto source = open();
  auto tables = source->tables();
  ASSERT_EQ(tables.size(), 3u) << "sqlite_sequence must not be listed";
  EXPECT_EQ(tables[0].name, "Zeta");
  EXPECT_EQ(tables[0].type, "TABLE");
  EXPECT_EQ(tables[1].name, "Alpha");
  EXPECT_EQ(tables[1].type, "VIEW");
  EXPECT_EQ(tables[2].name, "beta");
  auto columns = source->columns("ZETA");
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_EQ(columns[1].name, "name");
  EXPECT_EQ(columns[1].type, adVarWChar);
  EXPECT_EQ(columns[1].size, 20);
  EXPECT_EQ(columns[1].attributes, 0);
  EXPECT_EQ(columns[2].type, adCurrency);
  EXPECT_EQ(columns[2].attributes, adColNullable);
  EXPECT_EQ(source->columns("alpha").at(0).name, "name");
  EXPECT_THROW(source->columns("gamma"), DataError);
}

TEST_F(SqliteProvider, ReadsValuesTypedByTheirColumns) {
  sqlite3("CREATE TABLE t (a VarChar(10), b Long, c Double, d Currency, e Datetime, f Bit, g Decimal, h LongBinary, i GUID);"
          "INSERT INTO t VALUES ('x;y', 42, 0.1, 12.5, '2020-02-29 13:14:15', 1, '12.3400', x'00FF', '{6B29FC40-CA47-1067-B31D-00DD010662DA}');"
          "INSERT INTO t VALUES (NULL, NULL, NULL, NULL, '2020-01-01', 0, 7, NULL, NULL);");
  auto source = open("1");
  auto reader = source->openTable("T");
  ASSERT_TRUE(reader->next());
  EXPECT_EQ(reader->field(3).kind, ValueKind::Currency);
  EXPECT_EQ(reader->field(4).kind, ValueKind::Date);
  EXPECT_EQ(reader->field(5).kind, ValueKind::Boolean);
  EXPECT_EQ(reader->field(6).kind, ValueKind::Decimal);
  EXPECT_EQ(reader->field(8).kind, ValueKind::Guid);
  EXPECT_EQ(reader->progress().done, 1);
  EXPECT_EQ(reader->progress().total, 0);
  auto rest = source->openTable("t");
  EXPECT_EQ(readRows(*rest),
            "x;y|42|0.1|12.5|2020-02-29 13:14:15|1|12.34|00FF|{6B29FC40-CA47-1067-B31D-00DD010662DA}\n"
            "||||2020-01-01|0|7||\n");
  auto query = source->openQuery("SELECT b * 2 AS twice FROM t WHERE b IS NOT NULL");
  EXPECT_EQ(query->columns().at(0).name, "twice");
  EXPECT_EQ(readRows(*query), "84\n");
}

TEST_F(SqliteProvider, RunsJetCreateTableAndDeleteTextsVerbatim) {
  createJetDatabase(path);
  EXPECT_EQ(fileBytes(path).substr(0, 16), std::string("SQLite format 3\0", 16));
  EXPECT_THROW(createJetDatabase(path), DataError);
  auto source = open();
  source->execute("CREATE TABLE `New Table` (\r\n`Code` VarChar (50) NULL,\r\n`Amount` Currency NULL,\r\n"
                  "`When` Datetime NULL,\r\n`Ok` Bit  NOT NULL\r\n)");
  auto columns = source->columns("new table");
  ASSERT_EQ(columns.size(), 4u);
  EXPECT_EQ(columns[0].type, adVarWChar);
  EXPECT_EQ(columns[0].size, 50);
  EXPECT_EQ(columns[3].type, adBoolean);
  EXPECT_EQ(columns[3].attributes, 0);
  sqlite3("INSERT INTO `New Table` VALUES ('a', 1, NULL, 1)");
  source->execute("delete from `New Table`");
  EXPECT_EQ(sqlite3("SELECT count(*) FROM `New Table`"), "0\n");
  try {
    source->execute("CREATE TABLE broken (");
    FAIL();
  } catch (const DataError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
  }
}

TEST_F(SqliteProvider, WriterStoresConvertedValuesThatSqlite3ReadsBack) {
  sqlite3("CREATE TABLE `Dest` (`Name` VarChar (5) NOT NULL, `N` Long NULL, `D` Double NULL, `M` Currency NULL,"
          " `W` Datetime NULL, `B` Bit NULL, `X` Decimal NULL, `Bin` LongBinary NULL)");
  auto source = open();
  auto writer = source->openWriter("dest", {"name", "N", "D", "M", "W", "B", "X", "Bin"});
  Value row1[] = {Value::fromString("Ann"), Value::fromString("12"), Value::fromString("2.5"),
                  Value::fromString("19.99"), Value::fromString("2021-03-04T05:06:07"),
                  Value::fromString("True"), Value::fromString("1.50"), Value::fromBinary("\x01\x02")};
  writer->writeRow(row1, 8);
  Value badNumber[] = {Value::fromString("Bob"), Value::fromString("twelve"), Value::null(), Value::null(),
                       Value::null(), Value::null(), Value::null(), Value::null()};
  try {
    writer->writeRow(badNumber, 8);
    FAIL();
  } catch (const RowError& e) {
    EXPECT_EQ(e.column(), "N");
    EXPECT_EQ(e.value(), "twelve");
  }
  Value missingName[] = {Value::null(), Value::fromInt(1), Value::null(), Value::null(),
                         Value::null(), Value::null(), Value::null(), Value::null()};
  try {
    writer->writeRow(missingName, 8);
    FAIL();
  } catch (const RowError& e) {
    EXPECT_EQ(e.column(), "Name");
    EXPECT_NE(std::string(e.what()).find("Dest"), std::string::npos);
  }
  Value row2[] = {Value::fromString("Cy"), Value::fromDouble(3), Value::fromInt(-1), Value::fromCurrency(5),
                  Value::fromDate(0.5), Value::fromBool(false), Value::fromString("1234.5678"),
                  Value::null()};
  writer->writeRow(row2, 8);
  writer->commit();
  EXPECT_EQ(sqlite3("SELECT Name, N, typeof(N), D, typeof(D), M, typeof(M), W, B, typeof(B), X, typeof(X),"
                    " hex(Bin) FROM Dest ORDER BY rowid"),
            "Ann|12|integer|2.5|real|19.99|real|2021-03-04 05:06:07|1|integer|1.5|real|0102\n"
            "Cy|3|integer|-1.0|real|0.0005|real|1899-12-30 12:00:00|0|integer|1234.5678|real|\n");
}

TEST_F(SqliteProvider, RollbackAndAbandonedWriterLeaveTheFileUnchanged) {
  sqlite3("CREATE TABLE t (a Long); INSERT INTO t VALUES (1);");
  const std::string before = fileBytes(path);
  {
    auto source = open();
    auto writer = source->openWriter("t", {"a"});
    Value v = Value::fromInt(2);
    writer->writeRow(&v, 1);
    writer->rollback();
    EXPECT_THROW(writer->writeRow(&v, 1), DataError);
    auto abandoned = source->openWriter("t", {"a"});
    abandoned->writeRow(&v, 1);
  }
  EXPECT_EQ(fileBytes(path), before);
  EXPECT_EQ(sqlite3("SELECT group_concat(a) FROM t"), "1\n");
}

// Rows go to a table without constraints in groups: whatever their number, and whichever of
// them fail to convert, the others arrive whole and in order, also when the reader reuses
// the memory its values point into.
TEST_F(SqliteProvider, WriterKeepsEveryRowInOrderAcrossGroups) {
  for (int rows : {1, 49, 50, 51, 123}) {
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
      Value row[] = {Value::fromString(number), Value::fromString(label), Value::fromDate(45000 + i)};
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

// A day written as YYYY-MM-DD goes into a date column as it stands, in groups and row by row;
// one that names no real day is refused.
TEST_F(SqliteProvider, DayTextIntoADateColumn) {
  for (const char* create : {"CREATE TABLE t (d Datetime)", "CREATE TABLE t (d Datetime NOT NULL)"}) {
    SCOPED_TRACE(create);
    fs::remove(path);
    sqlite3(create);
    auto source = open();
    auto writer = source->openWriter("t", {"d"});
    for (const char* day : {"2024-02-29", "1900-03-01"}) {
      Value v = Value::fromString(day);
      writer->writeRow(&v, 1);
    }
    for (const char* wrong : {"2023-02-29", "2024-04-31", "2024-13-01", "0099-01-01"}) {
      Value v = Value::fromString(wrong);
      EXPECT_THROW(writer->writeRow(&v, 1), RowError) << wrong;
    }
    writer->commit();
    EXPECT_EQ(sqlite3("SELECT d, typeof(d) FROM t ORDER BY rowid"), "2024-02-29|text\n1900-03-01|text\n");
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
      {"trigger", "CREATE TABLE t (a Long); CREATE TRIGGER no_null BEFORE INSERT ON t WHEN NEW.a IS NULL "
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

TEST_F(SqliteProvider, ReadOnlyModeRefusesWriting) {
  sqlite3("CREATE TABLE t (a Long);");
  auto source = open("1");
  EXPECT_THROW(source->execute("DELETE FROM t"), DataError);
}

TEST_F(SqliteProvider, MissingDamagedAndForeignFilesGiveDataError) {
  try {
    open();
    FAIL();
  } catch (const DataError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(path)) << "opening must not create the file";

  sqlite3("CREATE TABLE t (a VarChar(200)); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
          " INSERT INTO t SELECT printf('%0150d', i) FROM n;");
  const std::string whole = fileBytes(path);
  for (size_t keep : {size_t{100}, size_t{4096}, whole.size() / 2}) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(whole.data(), static_cast<std::streamsize>(keep));
    EXPECT_THROW(
        {
          auto source = open("1");
          auto reader = source->openTable("t");
          while (reader->next()) {
          }
        },
        DataError)
        << "kept " << keep << " bytes";
  }
  std::string garbled = whole;
  for (size_t i = 100; i < garbled.size(); i += 7) garbled[i] = static_cast<char>(garbled[i] ^ 0x5A);
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(garbled.data(), static_cast<std::streamsize>(garbled.size()));
  EXPECT_THROW(
      {
        auto source = open("1");
        for (const auto& t : source->tables()) {
          auto reader = source->openTable(t.name);
          while (reader->next()) {
          }
        }
      },
      DataError);

  std::ofstream(path, std::ios::binary | std::ios::trunc) << "just some text, not a database";
  EXPECT_THROW(open(), DataError);
}

TEST_F(SqliteProvider, ExcelAndHtmlConnectionsNeedTheirReaders) {
  JetProvider jet;
  EXPECT_THROW(jet.open(ConnectionProperties::parse("Data Source=/x.xls;Extended Properties=Excel 8.0")), DataError);
  EXPECT_THROW(jet.open(ConnectionProperties::parse("Data Source=/x.htm;Extended Properties=HTML Import")), DataError);
  std::string seen;
  jet.setHtmlOpener([&](const ConnectionProperties& p) -> std::unique_ptr<DataSource> {
    seen = p.value("Data Source");
    throw DataError("stub");
  });
  EXPECT_THROW(jet.open(ConnectionProperties::parse("Data Source=/x.htm;Extended Properties=HTML Import")), DataError);
  EXPECT_EQ(seen, "/x.htm");
}

}  // namespace
