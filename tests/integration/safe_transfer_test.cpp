// Transfers driven through the object model with hostile names, which stay names, and a
// delete of the destination rows, which goes only to the table it was asked for.
#include <gtest/gtest.h>

#include "data/mod_database.h"
#include "package/destination_rows.h"
#include "package/execution_state.h"
#include "support/headless_transfer.h"
#include "support/sql_text.h"

using namespace kpx;

namespace {

using test::HeadlessTransfer;
using test::hexOf;
using test::sqlIdentifier;
using test::sqlLiteral;

std::string shown(test::ScopedRecordingSink& sink) {
  return test::shownBoxes(sink);
}

struct HostileName {
  const char* label;
  std::string name;
};

const HostileName kHostileNames[] = {
    {"backquote", "a`b"},
    {"closing_the_create", "b` TEXT); DROP TABLE keep; CREATE TABLE pwn(`z"},
    {"double_quote", "c\"d"},
    {"double_quote_closing_the_insert", "e\"); DROP TABLE keep; --"},
    {"semicolon", "f;g"},
    {"line_break", "h\ni"},
    {"closing_bracket", "j]k"},
};

class HostileNames : public HeadlessTransfer, public ::testing::WithParamInterface<HostileName> {};

TEST_P(HostileNames, ColumnAndTableNamesRoundTripIntoANewTable) {
  test::ScopedRecordingSink sink;
  const std::string name = GetParam().name;
  const std::string src = path("src.db");
  const std::string dst = path("dst.db");
  sqlite(src, "CREATE TABLE Items(Id Long, " + sqlIdentifier(name) +
                  " VarChar(20));"
                  "INSERT INTO Items VALUES(1,'one'),(2,'two');");
  sqlite(dst, "CREATE TABLE keep(x); INSERT INTO keep VALUES(42);");
  wizard->setSource(database(src, "Items"));
  auto destination = database(dst, name);
  destination->setCreatedDestinationTable(true);
  wizard->setDestination(destination);
  ASSERT_EQ(wizard->BuildColumns(wizard->Source(), wizard->Destination()), 1) << shown(sink);
  ASSERT_TRUE(wizard->Mapping()) << shown(sink);
  ASSERT_TRUE(wizard->Execute()) << shown(sink);

  EXPECT_EQ(sqlite(dst, "SELECT hex(name) FROM sqlite_master ORDER BY name;"),
            hexOf(std::min(name, std::string("keep"))) + "\n" +
                hexOf(std::max(name, std::string("keep"))) + "\n");
  EXPECT_EQ(sqlite(dst, "SELECT hex(name) FROM pragma_table_info(" + sqlLiteral(name) + ");"),
            hexOf("Id") + "\n" + hexOf(name) + "\n");
  EXPECT_EQ(sqlite(dst, "SELECT Id, " + sqlIdentifier(name) + " FROM " + sqlIdentifier(name) +
                            " ORDER BY Id;"),
            "1|one\n2|two\n");
  EXPECT_EQ(sqlite(dst, "SELECT x FROM keep;"), "42\n");
}

INSTANTIATE_TEST_SUITE_P(Names, HostileNames, ::testing::ValuesIn(kHostileNames),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(HeadlessTransfer, DeleteAskedForOneTableIsForgottenWhenTheTransferGoesToAnother) {
  test::ScopedRecordingSink sink;
  const std::string db = path("two.db");
  sqlite(
      db,
      "CREATE TABLE A(Id Long, Name VarChar(20), Amount Double); INSERT INTO A VALUES(100,'a',1);"
      "CREATE TABLE B(Id Long, Name VarChar(20), Amount Double);");
  wizard->setSource(csvSource(writeCsv("in.csv", 2)));
  wizard->setDestination(database(db, "A"));
  ASSERT_TRUE(DeleteDestinationRows(*wizard)) << shown(sink);
  wizard->setDestination(database(db, "B"));
  ASSERT_EQ(wizard->BuildColumns(wizard->Source(), wizard->Destination()), 1) << shown(sink);
  pairColumns({"Id", "Name", "Amount"});
  ASSERT_TRUE(wizard->Execute()) << shown(sink);
  EXPECT_EQ(
      sqlite(db, "SELECT (SELECT group_concat(Id) FROM A), (SELECT group_concat(Id) FROM B);"),
      "100|1,2\n");
  EXPECT_FALSE(executionState().pendingDelete.has_value());
}

}  // namespace
