#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "component/module_state.h"
#include "data/mod_database.h"
#include "data/mod_main.h"
#include "kpxwizard/wizard.h"
#include "support/columns_as_text.h"
#include "support/recording_sink.h"

using namespace kpx;
namespace fs = std::filesystem;

namespace {

class SchemaReader : public ::testing::Test {
 protected:
  void SetUp() override {
    wizard = cKPXWizard::create();
    dir = fs::temp_directory_path() / ("kpx_schema_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    db = (dir / "shop.db").string();
    std::string sql =
        "CREATE TABLE Customers(Id Long NOT NULL, Name VarChar(50), Notes LongText, "
        "Balance Currency, Born Datetime, Active Bit);"
        "CREATE VIEW Rich AS SELECT Id, Name FROM Customers WHERE Balance > 100;";
    EXPECT_EQ(std::system(("sqlite3 '" + db + "' \"" + sql + "\"").c_str()), 0);
  }
  void TearDown() override {
    resetModuleState();
    fs::remove_all(dir);
  }

  clsConnection connection(int32_t kind, const std::string& table, int32_t type = kpxTypeTable) {
    clsConnection c;
    c.setProvider(kind);
    c.setDatabase(db);
    c.setTableName(table);
    c.setTableType(type);
    c.setMode(kpxSource);
    c.CreateConnectionString();
    return c;
  }


  std::shared_ptr<cKPXWizard> wizard;
  fs::path dir;
  std::string db;
};

TEST_F(SchemaReader, ListsTablesAndViewsOfAnAccessKindDatabase) {
  auto c = connection(CONN_ACCESS, "Customers");
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  std::vector<std::string> tables;
  modDatabase::ShowTables(tables);
  EXPECT_EQ(tables, (std::vector<std::string>{"Customers", "Rich"}));
  EXPECT_TRUE(modDatabase::HasTables());
  EXPECT_TRUE(modDatabase::TableExists("  customers "));
  EXPECT_FALSE(modDatabase::TableExists("Orders"));
  EXPECT_TRUE(modDatabase::ColumnExists("NAME", "customers"));
  EXPECT_FALSE(modDatabase::ColumnExists("Email", "Customers"));
  EXPECT_FALSE(modDatabase::ColumnExists("Name", "Orders"));
}

TEST_F(SchemaReader, TableColumnsCarryJetTypeCodes) {
  auto c = connection(CONN_ACCESS, "customers");
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  ASSERT_TRUE(modDatabase::CreateSetColumn(c));
  EXPECT_EQ(test::columnsAsText(c), "Id:3/0 Name:202/50n Notes:203/0n Balance:6/0n Born:7/0n Active:11/0n ");
  EXPECT_EQ(c.NumberColumns(), 6);
}

TEST_F(SchemaReader, QueryColumnsComeInSortedSelectOrder) {
  auto c = connection(CONN_ACCESS, "SELECT Name, Balance, Nope FROM Customers WHERE Id > 1", kpxTypeQuery);
  ASSERT_FALSE(modMain::ExtractNameFields(c.TableName()).empty());
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  c.setNumberColumns(42);
  ASSERT_TRUE(modDatabase::CreateSetColumn(c));
  EXPECT_EQ(test::columnsAsText(c), "Balance:6/0n Name:202/50n ");
  EXPECT_EQ(c.NumberColumns(), 42);
}

TEST_F(SchemaReader, QueryWithStarTakesEveryColumn) {
  auto c = connection(CONN_ACCESS, "SELECT * FROM Rich", kpxTypeQuery);
  modMain::ExtractNameFields(c.TableName());
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  ASSERT_TRUE(modDatabase::CreateSetColumn(c));
  EXPECT_EQ(c.Columns()->Count(), 2);
  EXPECT_EQ(c.NumberColumns(), 2);
}

TEST_F(SchemaReader, QueryOnMissingTableShowsMessageAndClearsTheName) {
  test::ScopedRecordingSink sink;
  auto c = connection(CONN_ACCESS, "SELECT A FROM Orders", kpxTypeQuery);
  modMain::ExtractNameFields(c.TableName());
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  EXPECT_FALSE(modDatabase::CreateSetColumn(c));
  EXPECT_EQ(sink->boxes.at(0).text, "Table name doesn't present into the database");
  EXPECT_EQ(c.TableName(), "");
}

TEST_F(SchemaReader, QueryMatchingNoColumnGivesMessage503) {
  test::ScopedRecordingSink sink;
  auto c = connection(CONN_ACCESS, "SELECT Zip FROM Customers", kpxTypeQuery);
  modMain::ExtractNameFields(c.TableName());
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  EXPECT_FALSE(modDatabase::CreateSetColumn(c));
  EXPECT_EQ(sink->boxes.at(0).text, "Column names don't present into the table");
  EXPECT_EQ(c.TableName(), "");
  EXPECT_EQ(c.TableType(), -1);
}

TEST_F(SchemaReader, MissingTableOfATableConnectionGivesMessage533) {
  test::ScopedRecordingSink sink;
  auto c = connection(CONN_ACCESS, "Orders");
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  EXPECT_FALSE(modDatabase::CreateSetColumn(c));
  EXPECT_EQ(sink->boxes.at(0).text, GetResText(533));
  EXPECT_EQ(c.TableName(), "Orders");
}

TEST_F(SchemaReader, UnsupportedKindsDoNotOpen) {
  for (int32_t kind : {int32_t(CONN_dBASE), int32_t(CONN_PARADOX), 0, 42}) {
    auto c = connection(kind, "Customers");
    EXPECT_FALSE(modDatabase::OpenDatabase(c)) << kind;
  }
}

TEST_F(SchemaReader, CreatedDatabaseIsAnEmptySqliteFile) {
  std::string path = (dir / "new.mdb").string();
  modDatabase::CreaDataBase(path);
  ASSERT_TRUE(fs::exists(path));
  std::ifstream in(path, std::ios::binary);
  std::string header(16, '\0');
  in.read(header.data(), 16);
  EXPECT_EQ(header, std::string("SQLite format 3\0", 16));
  auto c = connection(CONN_ACCESS, "");
  c.setDatabase(path);
  c.CreateConnectionString();
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  EXPECT_FALSE(modDatabase::HasTables());
}

TEST_F(SchemaReader, CreatingOverAnExistingFileIsReported) {
  test::ScopedRecordingSink sink;
  modDatabase::CreaDataBase(db);
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_NE(sink->boxes[0].text.find("Located in : CreaDataBase [modDatabase] "), std::string::npos);
}

class TextFileColumns : public SchemaReader {
 protected:
  clsConnection textFile(const std::string& content, int16_t firstRow, const std::string& qualifier) {
    std::string path = (dir / "people.csv").string();
    std::ofstream(path, std::ios::binary) << content;
    clsConnection c;
    c.setProvider(CONN_TEXTFILE);
    c.setDatabase(path);
    c.setMode(kpxSource);
    c.setFormatFile(kpxDelimitedFile);
    c.setRowDelimiter(kpxCRLF);
    c.setColumnDelimiter(",");
    c.setFirstRow(firstRow);
    c.setTextQualifier(qualifier);
    c.CreateConnectionString();
    return c;
  }
};

TEST_F(TextFileColumns, QualifiersAroundHeaderNamesAreStripped) {
  auto c = textFile("\"Id\",\"Full Name\",Age\r\n1,\"Anna\",30\r\n", -1, "\"");
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  EXPECT_EQ(test::columnsAsText(c), "Id:200/255n Full Name:200/255n Age:200/255n ");
  EXPECT_EQ(c.NumberColumns(), 3);
}

TEST_F(TextFileColumns, WithoutNamesInTheFirstRowColumnsAreNumbered) {
  auto c = textFile("1,Anna\r\n2,Bruno\r\n", 0, "");
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  EXPECT_EQ(test::columnsAsText(c), "Col001:200/255n Col002:200/255n ");
}

TEST(SchemaReaderHelpers, AttributesToNullable) {
  EXPECT_FALSE(modDatabase::AttributesToNullable(0));
  EXPECT_FALSE(modDatabase::AttributesToNullable(1));
  EXPECT_TRUE(modDatabase::AttributesToNullable(2));
  EXPECT_TRUE(modDatabase::AttributesToNullable(3));
  EXPECT_TRUE(modDatabase::AttributesToNullable("NULL"));
  EXPECT_FALSE(modDatabase::AttributesToNullable("NOT NULL"));
  EXPECT_TRUE(modDatabase::AttributesToNullable("other"));
}

TEST(SchemaReaderHelpers, QualifierCountsAndStripping) {
  EXPECT_EQ(modDatabase::CountOccurrences("\"a\"", "\""), 2);
  EXPECT_EQ(modDatabase::CountOccurrences("\"a", "\""), 1);
  EXPECT_EQ(modDatabase::CountOccurrences("abab", "ab"), 2);
  EXPECT_EQ(modDatabase::ExtractTextQualifier("\"Name\"", "\""), "Name");
  EXPECT_EQ(modDatabase::ExtractTextQualifier("'Città  '", "'"), "Città");
  EXPECT_EQ(modDatabase::ExtractTextQualifier("«Nome»", "«"), "Nome");
}

TEST(SchemaReaderHelpers, SplitsPathsOfEitherStyle) {
  std::string folder, file, extension;
  modDatabase::GetDirectoryANDFile("C:\\data\\in.txt", folder, file);
  EXPECT_EQ(folder, "C:\\data\\");
  EXPECT_EQ(file, "in.txt");
  modDatabase::GetDirectoryANDFile("/srv/in.2024.csv", folder, file);
  EXPECT_EQ(folder, "/srv/");
  modDatabase::GetFileExtension(file, extension);
  EXPECT_EQ(extension, "2024.csv");
  modDatabase::GetDirectoryANDFile("plain", folder, file);
  EXPECT_EQ(folder, "");
  EXPECT_EQ(file, "plain");
}

}  // namespace
