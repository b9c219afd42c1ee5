// Creating a destination table: the structure read from a real source, the CREATE TABLE text
// run by the sqlite3 program, and the new table read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "component/module_state.h"
#include "data/mod_database.h"
#include "data/mod_main.h"
#include "kpxwizard/wizard.h"
#include "support/command_output.h"
#include "support/columns_as_text.h"
#include "support/recording_sink.h"
#include "support/sql_text.h"

using namespace kpx;
using kpx::test::commandOutput;
using kpx::test::shellQuote;
using kpx::test::hexOf;
namespace fs = std::filesystem;

namespace {

class TableCreation : public ::testing::Test {
 protected:
  void SetUp() override {
    wizard = cKPXWizard::create();
    dir = fs::temp_directory_path() / ("kpx_create_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    source = sqlite("shop.db",
                    "CREATE TABLE Customers(Id Long NOT NULL, Name VarChar(50), Notes LongText, "
                    "Wide VarChar(300) NOT NULL, Balance Currency, Born Datetime, Active Bit, "
                    "Ratio Double, Small Short, Tiny Byte, Code GUID, Amount Decimal, Photo LongBinary);"
                    "CREATE TABLE Existing(A Long);");
    destination = (dir / "target.db").string();
    modDatabase::CreaDataBase(destination);
  }
  void TearDown() override {
    resetModuleState();
    fs::remove_all(dir);
  }

  // A database made by the sqlite3 program.
  std::string sqlite(const std::string& name, const std::string& sql) {
    std::string path = (dir / name).string();
    int rc = 0;
    commandOutput("sqlite3 " + shellQuote(path) + " " + shellQuote(sql), &rc);
    EXPECT_EQ(rc, 0) << sql;
    return path;
  }

  std::shared_ptr<clsConnection> sourceConnection(const std::string& table, int32_t type = kpxTypeTable) {
    auto c = std::make_shared<clsConnection>();
    c->setProvider(CONN_ACCESS);
    c->setDatabase(source);
    c->setTableName(table);
    c->setTableType(type);
    wizard->setSource(c);
    return c;
  }

  std::shared_ptr<clsConnection> newTableDestination(int32_t kind, const std::string& table) {
    auto c = std::make_shared<clsConnection>();
    c->setProvider(kind);
    c->setDatabase(destination);
    c->setTableName(table);
    c->setCreatedDestinationTable(true);
    wizard->setDestination(c);
    return c;
  }

  // Runs `script` with the sqlite3 program and returns the text SQLite stored for `table`.
  std::string storedDefinition(const std::string& script, const std::string& table) {
    int rc = 0;
    std::string out = commandOutput("sqlite3 " + shellQuote(destination) + " " + shellQuote(script) + " 2>&1", &rc);
    EXPECT_EQ(rc, 0) << out;
    return commandOutput("sqlite3 " + shellQuote(destination) + " " +
                         shellQuote("SELECT hex(sql) FROM sqlite_master WHERE name = '" + table + "'"));
  }


  std::shared_ptr<cKPXWizard> wizard;
  fs::path dir;
  std::string source;
  std::string destination;
};

TEST_F(TableCreation, TableSourceNamesTheNewTableAfterItselfAndSqliteAcceptsTheText) {
  auto src = sourceConnection("Customers");
  auto dest = newTableDestination(CONN_ACCESS, "");
  EXPECT_EQ(dest->TableName(), "Customers");  // the wizard's check names it after the source
  dest->setTableName("");
  const modMain::PreparedTable prepared = modMain::ProcessCreate(*src, *dest);
  ASSERT_TRUE(prepared);
  EXPECT_EQ(dest->TableName(), "Customers");
  EXPECT_EQ(dest->TableType(), kpxTypeTable);
  EXPECT_FALSE(prepared.alreadyExists);

  const auto& structure = modDatabase::state().arrDestinationStructure;
  ASSERT_EQ(structure.size(), 13u);
  EXPECT_EQ(structure[0], (modDatabase::StructureRow{"Id", "Long", "0", "NOT NULL"}));
  EXPECT_EQ(structure[3], (modDatabase::StructureRow{"Wide", "VarChar", "300", "NOT NULL"}));
  EXPECT_EQ(structure[6], (modDatabase::StructureRow{"Active", "Bit", "0", "NULL"}));

  std::string script = modDatabase::GenerateScriptCreate(structure);
  const std::string opening = "CREATE TABLE `Customers` (\r\n`Id` Long NOT NULL,\r\n`Name` VarChar (50) NULL,\r\n";
  EXPECT_EQ(script.substr(0, opening.size()), opening);
  EXPECT_EQ(script.substr(script.size() - 26), "`Photo` LongBinary NULL\r\n)");
  EXPECT_EQ(storedDefinition(script, "Customers"), hexOf(script) + "\n");
}

TEST_F(TableCreation, NewTableReadsBackWithTheSourceTypes) {
  auto src = sourceConnection("Customers");
  auto dest = newTableDestination(CONN_ACCESS, "Copy");
  ASSERT_TRUE(modMain::ProcessCreate(*src, *dest));
  storedDefinition(modDatabase::GenerateScriptCreate(modDatabase::state().arrDestinationStructure), "Copy");

  clsConnection created;
  created.setProvider(CONN_ACCESS);
  created.setDatabase(destination);
  created.setTableName("Copy");
  created.setTableType(kpxTypeTable);
  created.setMode(kpxDestination);
  created.CreateConnectionString();
  ASSERT_TRUE(modDatabase::OpenDatabase(created));
  ASSERT_TRUE(modDatabase::CreateSetColumn(created));
  std::string expected = test::columnsAsText(*src);
  // Only the width of the 300-character column changes: a new text column holds 255 at most.
  expected.replace(expected.find("Wide:202/300"), 12, "Wide:202/255");
  EXPECT_EQ(test::columnsAsText(created), expected);
}

TEST_F(TableCreation, QuerySourceWithoutDestinationNameCreatesRisultati) {
  auto src = sourceConnection("SELECT Name, Id FROM Customers WHERE Id > 2", kpxTypeQuery);
  auto dest = newTableDestination(CONN_ACCESS, "");
  dest->setTableName("");
  ASSERT_TRUE(modMain::ProcessCreate(*src, *dest));
  EXPECT_EQ(dest->TableName(), "Risultati");
  EXPECT_EQ(modDatabase::state().arrDestinationStructure,
            (modDatabase::StructureArray{{"Id", "Long", "0", "NOT NULL"}, {"Name", "VarChar", "50", "NULL"}}));
}

TEST_F(TableCreation, AnExistingTableOfThatNameIsRecorded) {
  destination = sqlite("other.db", "CREATE TABLE Customers(X Long);");
  auto src = sourceConnection("Customers");
  auto dest = newTableDestination(CONN_ACCESS, "");
  const modMain::PreparedTable prepared = modMain::ProcessCreate(*src, *dest);
  ASSERT_TRUE(prepared);
  EXPECT_TRUE(prepared.alreadyExists);
}

TEST_F(TableCreation, SqlServerDestinationGetsSqlServerNames) {
  auto src = sourceConnection("Customers");
  clsConnection dest;
  dest.setProvider(CONN_SQLServer);
  dest.setTableName("Copy");
  modDatabase::GenerateStructureArray(dest);
  const auto& s = modDatabase::state().arrDestinationStructure;
  ASSERT_EQ(s.size(), 0u);  // the source's columns have not been read yet
  modDatabase::OpenDatabase(*src);
  ASSERT_TRUE(modDatabase::CreateSetColumn(*src));
  modDatabase::GenerateStructureArray(dest);
  ASSERT_EQ(s.size(), 13u);
  EXPECT_EQ(s[2], (modDatabase::StructureRow{"Notes", "VarChar", "0", "NULL"}));
  EXPECT_EQ(s[12], (modDatabase::StructureRow{"Photo", "nvarchar", "0", "NULL"}));
}

TEST_F(TableCreation, TextFileSourceNamesTheTableAfterTheFile) {
  std::string csv = (dir / "people.2024.csv").string();
  std::ofstream(csv, std::ios::binary) << "Id,Name\r\n1,Anna\r\n";
  auto src = std::make_shared<clsConnection>();
  src->setProvider(CONN_TEXTFILE);
  src->setDatabase(csv);
  src->setFormatFile(kpxDelimitedFile);
  src->setRowDelimiter(kpxCRLF);
  src->setColumnDelimiter(",");
  src->setFirstRow(-1);
  wizard->setSource(src);
  auto dest = newTableDestination(CONN_ACCESS, "");
  dest->setTableName("");
  ASSERT_TRUE(modMain::ProcessCreate(*src, *dest));
  EXPECT_EQ(dest->TableName(), "people");
  EXPECT_EQ(modDatabase::state().arrDestinationStructure,
            (modDatabase::StructureArray{{"Id", "VarChar", "255", "NULL"}, {"Name", "VarChar", "255", "NULL"}}));
}

TEST_F(TableCreation, UnreadableSourceTableGivesFalse) {
  auto src = sourceConnection("Customers");
  src->setTableName("Gone");
  auto dest = newTableDestination(CONN_ACCESS, "Copy");
  test::ScopedRecordingSink sink;
  EXPECT_FALSE(modMain::ProcessCreate(*src, *dest));
  EXPECT_EQ(sink->boxes.at(0).text, GetResText(533));
  EXPECT_EQ(dest->TableName(), "Copy");
}

// Every Jet type name in every column form: SQLite stores the text exactly as written.
TEST_F(TableCreation, SqliteAcceptsEveryJetColumnForm) {
  modDatabase::StructureArray rows;
  int n = 0;
  for (int32_t code : {2, 3, 4, 5, 6, 7, 11, 12, 16, 20, 72, 128, 129, 131, 201, 203, 204, 205, 999}) {
    for (const char* size : {"0", "40", "300"})
      for (const char* null : {"NULL", "NOT NULL", "-1", "0", ""})
        rows.push_back({"C" + std::to_string(++n) + " " + modDatabase::JetTypeName(code),
                        modDatabase::JetTypeName(code), size, null});
  }
  wizard->Destination()->setConType(CONN_ACCESS);
  wizard->Destination()->setTableName("All Forms");
  std::string script = modDatabase::GenerateScriptCreate(rows);
  EXPECT_EQ(storedDefinition(script, "All Forms"), hexOf(script) + "\n");
}

}  // namespace
