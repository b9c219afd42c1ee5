#include <gtest/gtest.h>

#include <tuple>

#include "data/mod_database.h"
#include "kpxwizard/wizard.h"
#include "support/recording_sink.h"

using namespace kpx;
using namespace kpx::modDatabase;

namespace {

class CreateTableText : public ::testing::Test {
 protected:
  void SetUp() override {
    wizard = cKPXWizard::create();
    wizard->Destination()->setTableName("Orders");
  }
  void TearDown() override {
    wizard->CloseWizard();
    resetState();
  }
  std::string scriptFor(int32_t kind, const StructureArray& rows) {
    wizard->Destination()->setConType(kind);
    return GenerateScriptCreate(rows);
  }
  const StructureArray rows{{"Code", "VarChar", "50", "NULL"},
                            {"Notes", "VarChar", "300", "-1"},
                            {"Paid", "Bit", "0", "0"},
                            {"Total", "Currency", "0", ""}};
  std::shared_ptr<cKPXWizard> wizard;
};

TEST_F(CreateTableText, EachKindQuotesNamesItsOwnWay) {
  for (auto [kind, open, close] : {std::tuple{CONN_ACCESS, "`", "`"}, {CONN_SQLServer, "[", "]"}}) {
    const auto q = [open, close](const std::string& name) { return open + name + close; };
    EXPECT_EQ(scriptFor(kind, rows), "CREATE TABLE " + q("Orders") + " (\r\n" + q("Code") +
                                         " VarChar (50) NULL,\r\n" + q("Notes") +
                                         " VarChar (255) NULL,\r\n" + q("Paid") +
                                         " Bit NOT NULL,\r\n" + q("Total") + " Currency \r\n)");
  }
}

TEST_F(CreateTableText, BadSizeIsReportedAndKeepsTheLinesBuiltSoFar) {
  test::ScopedRecordingSink sink;
  std::string text =
      scriptFor(CONN_ACCESS, {{"A", "Long", "0", "NULL"}, {"B", "VarChar", "x", "NULL"}});
  EXPECT_EQ(text, "CREATE TABLE `Orders` (\r\n`A` Long NULL,\r\n");
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_NE(sink->boxes[0].text.find("Located in : GenerateScriptCreate [modDatabase] "),
            std::string::npos);
}

class StructureArrays : public CreateTableText {
 protected:
  void addSourceColumn(const std::string& name, int32_t type, int32_t size, bool nullable) {
    auto c = wizard->Source()->Columns()->Add(name);
    c->setName(name);
    c->setDataType(type);
    c->setSize(size);
    c->setNullable(nullable);
  }
};

TEST_F(StructureArrays, DatabaseDestinationTakesTheNamesOfItsKind) {
  addSourceColumn("Id", 3, 4, false);
  addSourceColumn("Flag", 11, 2, true);
  addSourceColumn("Memo", 203, 536870910, true);
  addSourceColumn("Ratio", 5, 8, true);
  clsConnection dest;
  dest.setConType(CONN_SQLServer);
  GenerateStructureArray(dest);
  EXPECT_EQ(state().arrDestinationStructure,
            (StructureArray{{"Id", "int", "4", "NOT NULL"},
                            {"Flag", "Bit", "0", "NULL"},
                            {"Memo", "VarChar", "536870910", "NULL"},
                            {"Ratio", "float", "8", "NULL"}}));
  dest.setConType(CONN_EXCEL);
  GenerateStructureArray(dest);
  EXPECT_EQ(state().arrDestinationStructure,
            (StructureArray{{"Id", "Long", "4", "NOT NULL"},
                            {"Flag", "Bit", "0", "NULL"},
                            {"Memo", "LongText", "536870910", "NULL"},
                            {"Ratio", "Double", "8", "NULL"}}));
}

}  // namespace
