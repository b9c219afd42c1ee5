#include <gtest/gtest.h>

#include "data/mod_database.h"
#include "kpxwizard/wizard.h"
#include "support/recording_sink.h"

using namespace kpx;
using namespace kpx::modDatabase;

namespace {

struct TypeRow {
  int32_t code;
  const char* jet;
  const char* sqlServer;
  const char* text;
  int32_t width;  // for a column of size 77
};

class TypeNames : public ::testing::TestWithParam<TypeRow> {};

TEST_P(TypeNames, MapToJetSqlServerAndTextNames) {
  const TypeRow& r = GetParam();
  EXPECT_EQ(JetTypeName(r.code), r.jet);
  EXPECT_EQ(SqlServerTypeName(r.code), r.sqlServer);
  EXPECT_EQ(TextTypeName(r.code), r.text);
  EXPECT_EQ(TextTypeSize(r.code, 77), r.width);
}

INSTANTIATE_TEST_SUITE_P(
    EveryAdoCode, TypeNames,
    ::testing::Values(
        TypeRow{2, "Short", "smallint", "int", 2}, TypeRow{3, "Long", "int", "int", 12},
        TypeRow{4, "Single", "real", "int", 9}, TypeRow{5, "Double", "float", "int", 17},
        TypeRow{6, "Currency", "money", "int", 21}, TypeRow{7, "Datetime", "Datetime", "int", 8},
        TypeRow{11, "Bit", "Bit", "int", 5}, TypeRow{12, "BigBinary", "sql_variant", "Binary", 50},
        TypeRow{16, "Byte", "tinyint", "int", 12}, TypeRow{17, "Byte", "tinyint", "int", 12},
        TypeRow{18, "Short", "smallint", "int", 2}, TypeRow{19, "Long", "int", "int", 12},
        TypeRow{20, "Decimal", "bigint", "int", 20}, TypeRow{21, "Long", "int", "int", 12},
        TypeRow{72, "GUID", "uniqueidentifier", "int", 16},
        TypeRow{128, "VarBinary", "Binary", "Binary", 50},
        TypeRow{129, "VarChar", "char", "VarChar", 77}, TypeRow{130, "VarChar", "nchar", "VarChar", 77},
        TypeRow{131, "Decimal", "numeric", "int", 20}, TypeRow{133, "Datetime", "Datetime", "int", 8},
        TypeRow{135, "Datetime", "Datetime", "int", 8}, TypeRow{200, "VarChar", "VarChar", "VarChar", 77},
        TypeRow{201, "LongText", "VarChar", "VarChar", 77},
        TypeRow{202, "VarChar", "nvarchar", "VarChar", 77},
        TypeRow{203, "LongText", "VarChar", "VarChar", 77},
        TypeRow{204, "VarBinary", "VarBinary", "Binary", 50},
        TypeRow{205, "LongBinary", "nvarchar", "Binary", 50},
        // Codes outside the table take the last row.
        TypeRow{0, "VarChar", "nvarchar", "VarChar", 77}, TypeRow{8, "VarChar", "nvarchar", "VarChar", 77},
        TypeRow{132, "VarChar", "nvarchar", "VarChar", 77}),
    [](const auto& info) { return "Code" + std::to_string(info.param.code); });

TEST(TypeCodeFromName, KnowsFourNamesExactly) {
  EXPECT_EQ(TypeCodeFromName("VarChar"), 202);
  EXPECT_EQ(TypeCodeFromName("char"), 129);
  EXPECT_EQ(TypeCodeFromName("integer"), 3);
  EXPECT_EQ(TypeCodeFromName("Binary"), 128);
  for (const char* other : {"int", "varchar", "CHAR", "Long", ""}) EXPECT_EQ(TypeCodeFromName(other), 0) << other;
}

TEST(ColumnClauses, NullTextAcceptsGridAndClauseForms) {
  EXPECT_EQ(NullClause(true), "NULL");
  EXPECT_EQ(NullClause(false), "NOT NULL");
  EXPECT_EQ(NullText("-1"), "NULL");
  EXPECT_EQ(NullText("NULL"), "NULL");
  EXPECT_EQ(NullText("0"), "NOT NULL");
  EXPECT_EQ(NullText("NOT NULL"), "NOT NULL");
  EXPECT_EQ(NullText(""), "");
  EXPECT_EQ(NullText("null"), "");
  EXPECT_TRUE(IsNullText("NULL"));
  EXPECT_FALSE(IsNullText("NOT NULL"));
}

TEST(ColumnClauses, SizeClauseCapsAt255AndKeepsTheWrittenForm) {
  EXPECT_EQ(SizeClause(""), " ");
  EXPECT_EQ(SizeClause("0"), " ");
  EXPECT_EQ(SizeClause("50"), " (50) ");
  EXPECT_EQ(SizeClause("050"), " (050) ");
  EXPECT_EQ(SizeClause("255"), " (255) ");
  EXPECT_EQ(SizeClause("300"), " (255) ");
  try {
    SizeClause("wide");
    FAIL() << "no error";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 13);
    EXPECT_NE(e.description().find("\"wide\""), std::string::npos);
  }
}

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

TEST_F(CreateTableText, AccessFormQuotesNamesWithBackQuotes) {
  EXPECT_EQ(scriptFor(CONN_ACCESS, rows),
            "CREATE TABLE `Orders` (\r\n"
            "`Code` VarChar (50) NULL,\r\n"
            "`Notes` VarChar (255) NULL,\r\n"
            "`Paid` Bit NOT NULL,\r\n"
            "`Total` Currency \r\n"
            ")");
}

TEST_F(CreateTableText, SqlServerFormUsesSquareBrackets) {
  EXPECT_EQ(scriptFor(CONN_SQLServer, rows),
            "CREATE TABLE [Orders] (\r\n"
            "[Code] VarChar (50) NULL,\r\n"
            "[Notes] VarChar (255) NULL,\r\n"
            "[Paid] Bit NOT NULL,\r\n"
            "[Total] Currency \r\n"
            ")");
}

TEST_F(CreateTableText, ExcelFormsHaveNoNullClauses) {
  for (int32_t kind : {int32_t(CONN_EXCEL), int32_t(CONN_EXCEL3), int32_t(CONN_EXCEL4), int32_t(CONN_EXCEL5)})
    EXPECT_EQ(scriptFor(kind, rows),
              "CREATE TABLE `Orders` (\r\n"
              "`Code` VarChar (50) ,\r\n"
              "`Notes` VarChar (255) ,\r\n"
              "`Paid` Bit ,\r\n"
              "`Total` Currency \r\n"
              ")")
        << kind;
}

TEST_F(CreateTableText, OtherKindsTakeTheAccessForm) {
  EXPECT_EQ(scriptFor(CONN_HTML_SOURCE, {{"A", "Long", "0", "NOT NULL"}}),
            "CREATE TABLE `Orders` (\r\n`A` Long NOT NULL\r\n)");
  EXPECT_EQ(scriptFor(CONN_TEXTFILE, {{"A", "Long", "0", "NULL"}}),
            "CREATE TABLE `Orders` (\r\n`A` Long NULL\r\n)");
}

TEST_F(CreateTableText, NoRowsGivesTheOpeningLineAlone) {
  EXPECT_EQ(scriptFor(CONN_ACCESS, {}), "CREATE TABLE `Orders` (\r\n");
  EXPECT_EQ(scriptFor(CONN_SQLServer, {}), "CREATE TABLE [Orders] (\r\n");
}

TEST_F(CreateTableText, BadSizeIsReportedAndKeepsTheLinesBuiltSoFar) {
  test::ScopedRecordingSink sink;
  std::string text = scriptFor(CONN_ACCESS, {{"A", "Long", "0", "NULL"}, {"B", "VarChar", "x", "NULL"}});
  EXPECT_EQ(text, "CREATE TABLE `Orders` (\r\n`A` Long NULL,\r\n");
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_NE(sink->boxes[0].text.find("Located in : GenerateScriptCreate [modDatabase] "), std::string::npos);
}

TEST_F(CreateTableText, RefusedDestinationIsReportedNotDereferenced) {
  test::ScopedRecordingSink sink;
  auto dBase = std::make_shared<clsConnection>();
  dBase->setProvider(CONN_dBASE);
  EXPECT_THROW(wizard->setDestination(dBase), AutomationError);
  ASSERT_EQ(wizard->Destination(), nullptr);
  EXPECT_EQ(GenerateScriptCreate(rows), "");
  ASSERT_EQ(sink->boxes.size(), 2u);  // message 538, then the report
  EXPECT_NE(sink->boxes[1].text.find("the wizard has no Destination connection"), std::string::npos);
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
  clsConnection dest;
  dest.setConType(CONN_SQLServer);
  GenerateStructureArray(dest);
  EXPECT_EQ(state().arrDestinationStructure,
            (StructureArray{{"Id", "int", "4", "NOT NULL"}, {"Flag", "Bit", "0", "NULL"}, {"Memo", "VarChar", "536870910", "NULL"}}));
  dest.setConType(CONN_EXCEL);
  GenerateStructureArray(dest);
  EXPECT_EQ(state().arrDestinationStructure,
            (StructureArray{{"Id", "Long", "4", "NOT NULL"}, {"Flag", "Bit", "0", "NULL"}, {"Memo", "LongText", "536870910", "NULL"}}));
}

TEST_F(StructureArrays, TextFileTermsAndTheWidthOverflow) {
  addSourceColumn("Id", 3, 4, false);
  addSourceColumn("Name", 129, 30, false);
  EXPECT_EQ(GenerateStructureArrayTextFile(*wizard->Source()),
            (StructureArray{{"Id", "int", "12", "NULL"}, {"Name", "VarChar", "30", "NULL"}}));

  test::ScopedRecordingSink sink;
  addSourceColumn("Memo", 203, 40000, true);
  addSourceColumn("After", 3, 4, true);
  StructureArray partial = GenerateStructureArrayTextFile(*wizard->Source());
  ASSERT_EQ(partial.size(), 4u);
  EXPECT_EQ(partial[1][0], "Name");
  EXPECT_EQ(partial[2], (StructureRow{"Memo", "VarChar", "", ""}));
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_NE(sink->boxes[0].text.find("Error Number : 6"), std::string::npos);
  EXPECT_NE(sink->boxes[0].text.find("Memo"), std::string::npos);
}

TEST_F(StructureArrays, FillTextDestinationColumnsFromGridRows) {
  auto dest = wizard->Destination();
  dest->Columns()->Add("Old");
  dest->setFormatFile(kpxDelimitedFile);
  StructureArray grid{{"Id", "int", "12", "0"}, {"Name", "VarChar", "", "NULL"}, {"Raw", "Binary", "50", "2"}};
  EXPECT_EQ(FillTextDestinationColumns(grid, *dest), 1);
  ASSERT_EQ(dest->Columns()->Count(), 3);
  auto id = dest->Columns()->Item("Id");
  EXPECT_EQ(id->DataType(), 0);
  EXPECT_EQ(id->Size(), 12);
  EXPECT_FALSE(id->Nullable());
  EXPECT_EQ(dest->Columns()->Item("Name")->DataType(), 202);
  EXPECT_EQ(dest->Columns()->Item("Name")->Size(), 0);
  EXPECT_TRUE(dest->Columns()->Item("Raw")->Nullable());
  EXPECT_EQ(dest->Columns()->Item("Raw")->DataType(), 128);

  dest->setFormatFile(kpxFixedFile);
  EXPECT_EQ(FillTextDestinationColumns(grid, *dest), 2);
  EXPECT_EQ(dest->Columns()->Count(), 0);

  test::ScopedRecordingSink sink;
  EXPECT_EQ(FillTextDestinationColumns({{"A", "VarChar", "ten", "NULL"}}, *dest), 0);
  EXPECT_NE(sink->boxes.at(0).text.find("FillTextDestinationColumns [modDatabase]"), std::string::npos);
}

}  // namespace
