// Creating a destination table: the structure read from a real source, the CREATE TABLE text
// run by the sqlite3 program, and the new table read back.
#include <gtest/gtest.h>

#include "data/mod_database.h"
#include "data/mod_main.h"
#include "kpxwizard/wizard.h"
#include "model/main_window_state.h"
#include "support/columns_as_text.h"
#include "support/connections.h"
#include "support/recording_sink.h"
#include "support/scratch.h"
#include "support/shared_state.h"
#include "support/sql_text.h"

using namespace kpx;
using kpx::test::hexOf;

namespace {

class TableCreation : public ::testing::Test {
 protected:
  void SetUp() override {
    wizard = cKPXWizard::create();
    source =
        sqlite("shop.db",
               "CREATE TABLE Customers(Id Long NOT NULL, Name VarChar(50), Notes LongText, "
               "Wide VarChar(300) NOT NULL, Balance Currency, Born Datetime, Active Bit, "
               "Ratio Double, Small Short, Tiny Byte, Code GUID, Amount Decimal, Photo LongBinary);"
               "CREATE TABLE Existing(A Long);");
    modDatabase::CreaDataBase(destination);
  }
  void TearDown() override {
    wizard->CloseWizard();
    test::resetSharedState();
  }

  // A database made by the sqlite3 program.
  std::string sqlite(const std::string& name, const std::string& sql) {
    test::sqliteOutput(scratch.path(name), sql);
    return scratch.path(name);
  }

  std::shared_ptr<clsConnection> sourceConnection(const std::string& table,
                                                  int32_t type = kpxTypeTable) {
    auto c = test::tableConnection(CONN_ACCESS, source, table, type);
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
    test::sqliteOutput(destination, script);
    return test::sqliteOutput(destination,
                              "SELECT hex(sql) FROM sqlite_master WHERE name = '" + table + "'");
  }

  test::ScratchFolder scratch;
  std::shared_ptr<cKPXWizard> wizard;
  std::string source;
  std::string destination = scratch.path("target.db");
};

// A new table without a name takes the source table's; SQLite takes its text, and the table
// reads back with the source's types.
TEST_F(TableCreation, NewTableTakesTheSourcesNameAndReadsBackWithItsTypes) {
  auto src = sourceConnection("Customers");
  auto dest = newTableDestination(CONN_ACCESS, "");
  dest->setTableName("");  // named by the table creation, not by the wizard's check
  const modMain::PreparedTable prepared = modMain::ProcessCreate(*src, *dest);
  ASSERT_TRUE(prepared);
  EXPECT_FALSE(prepared.alreadyExists);
  EXPECT_EQ(dest->TableName(), "Customers");
  EXPECT_EQ(dest->TableType(), kpxTypeTable);
  storedDefinition(modDatabase::GenerateScriptCreate(modDatabase::state().arrDestinationStructure),
                   "Customers");

  clsConnection created;
  created.setProvider(CONN_ACCESS);
  created.setDatabase(destination);
  created.setTableName("Customers");
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

TEST_F(TableCreation, AnExistingTableOfThatNameIsRecorded) {
  destination = sqlite("other.db", "CREATE TABLE Customers(X Long);");
  auto src = sourceConnection("Customers");
  auto dest = newTableDestination(CONN_ACCESS, "");
  const modMain::PreparedTable prepared = modMain::ProcessCreate(*src, *dest);
  ASSERT_TRUE(prepared);
  EXPECT_TRUE(prepared.alreadyExists);
}

// Every Jet type name in every column form: SQLite stores the text exactly as written.
TEST_F(TableCreation, SqliteAcceptsEveryJetColumnForm) {
  modDatabase::StructureArray rows;
  int n = 0;
  for (int32_t code :
       {2, 3, 4, 5, 6, 7, 11, 12, 16, 20, 72, 128, 129, 131, 201, 203, 204, 205, 999}) {
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
