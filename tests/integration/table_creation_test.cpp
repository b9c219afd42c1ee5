// Creating a destination table: the structure read from a real source, the CREATE TABLE text
// run by the sqlite3 program, and the new table read back.
#include <gtest/gtest.h>

#include "data/mod_database.h"
#include "data/mod_main.h"
#include "kpxwizard/wizard.h"
#include "model/main_window_state.h"
#include "support/columns_as_text.h"
#include "support/connections.h"
#include "support/headless_transfer.h"

using namespace kpx;

namespace {

class TableCreation : public test::HeadlessTransfer {
 protected:
  void SetUp() override {
    HeadlessTransfer::SetUp();
    sqlite(source,
           "CREATE TABLE Customers(Id Long NOT NULL, Name VarChar(50), Notes LongText, "
           "Wide VarChar(300) NOT NULL, Balance Currency, Born Datetime, Active Bit, "
           "Ratio Double, Small Short, Tiny Byte, Code GUID, Amount Decimal, Photo LongBinary);"
           "CREATE TABLE Existing(A Long);");
    modDatabase::CreaDataBase(destination);
    wizard->setSource(database(source, "Customers"));
    auto c = database(destination, "");  // named by the table creation
    c->setCreatedDestinationTable(true);
    wizard->setDestination(c);
  }

  std::string source = path("shop.db");
  std::string destination = path("target.db");
};

// A new table without a name takes the source table's; SQLite takes its text, the table reads
// back with the source's types, and the next preparation finds it there.
TEST_F(TableCreation, NewTableTakesTheSourcesNameAndReadsBackWithItsTypes) {
  auto src = wizard->Source();
  auto dest = wizard->Destination();
  const modMain::PreparedTable prepared = modMain::ProcessCreate(*src, *dest);
  ASSERT_TRUE(prepared);
  EXPECT_FALSE(prepared.alreadyExists);
  EXPECT_EQ(dest->TableName(), "Customers");
  EXPECT_EQ(dest->TableType(), kpxTypeTable);
  sqlite(destination,
         modDatabase::GenerateScriptCreate(modDatabase::state().arrDestinationStructure));

  auto created = test::tableConnection(CONN_ACCESS, destination, "Customers");
  created->setMode(kpxDestination);
  created->CreateConnectionString();
  ASSERT_TRUE(modDatabase::OpenDatabase(*created));
  ASSERT_TRUE(modDatabase::CreateSetColumn(*created));
  std::string expected = test::columnsAsText(*src);
  // Only the width of the 300-character column changes: a new text column holds 255 at most.
  expected.replace(expected.find("Wide:202/300"), 12, "Wide:202/255");
  EXPECT_EQ(test::columnsAsText(*created), expected);
  // Prepared again, the table is there already.
  dest->setTableName("");
  const modMain::PreparedTable again = modMain::ProcessCreate(*src, *dest);
  ASSERT_TRUE(again);
  EXPECT_TRUE(again.alreadyExists);
}

}  // namespace
