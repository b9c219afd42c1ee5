// The schema reader: the tables, views and columns of a database, with the types the wizard
// knows them by. Its yes/no questions answer "no" when the data source reports a failure of
// its own, and let every other failure through to the caller's report.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "component/module_state.h"
#include "data/mod_database.h"
#include "data/mod_main.h"
#include "data/providers/provider.h"
#include "kpxwizard/wizard.h"
#include "support/columns_as_text.h"
#include "support/connections.h"
#include "support/recording_sink.h"
#include "support/scratch.h"
#include "support/shared_state.h"

using namespace kpx;

namespace {

class SchemaReader : public ::testing::Test {
 protected:
  void SetUp() override {
    wizard = cKPXWizard::create();
    test::sqliteOutput(db,
                       "CREATE TABLE Customers(Id Long NOT NULL, Name VarChar(50), Notes LongText, "
                       "Balance Currency, Born Datetime, Active Bit);"
                       "CREATE VIEW Rich AS SELECT Id, Name FROM Customers WHERE Balance > 100;");
  }
  void TearDown() override {
    wizard->CloseWizard();
    test::resetSharedState();
  }

  // `c` as a source, its connection string made as the wizard makes it.
  clsConnection source(std::shared_ptr<clsConnection> c) {
    c->setMode(kpxSource);
    c->CreateConnectionString();
    return *c;
  }
  clsConnection connection(const std::string& table, int32_t type = kpxTypeTable) {
    return source(test::tableConnection(CONN_ACCESS, db, table, type));
  }

  test::ScratchFolder scratch;
  std::string db = scratch.path("shop.db");
  std::shared_ptr<cKPXWizard> wizard;
};

TEST_F(SchemaReader, ListsTablesAndViewsOfAnAccessKindDatabase) {
  auto c = connection("Customers");
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
  auto c = connection("customers");
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  ASSERT_TRUE(modDatabase::CreateSetColumn(c));
  EXPECT_EQ(test::columnsAsText(c),
            "Id:3/0 Name:202/50n Notes:203/0n Balance:6/0n Born:7/0n Active:11/0n ");
  EXPECT_EQ(c.NumberColumns(), 6);
}

TEST_F(SchemaReader, QueryColumnsComeInSortedSelectOrder) {
  auto c = connection("SELECT Name, Balance, Nope FROM Customers WHERE Id > 1", kpxTypeQuery);
  ASSERT_FALSE(modMain::ExtractNameFields(c.TableName()).empty());
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  c.setNumberColumns(42);
  ASSERT_TRUE(modDatabase::CreateSetColumn(c));
  EXPECT_EQ(test::columnsAsText(c), "Balance:6/0n Name:202/50n ");
  EXPECT_EQ(c.NumberColumns(), 42);
}

TEST_F(SchemaReader, QueryOnMissingTableShowsMessageAndClearsTheName) {
  test::ScopedRecordingSink sink;
  auto c = connection("SELECT A FROM Orders", kpxTypeQuery);
  modMain::ExtractNameFields(c.TableName());
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  EXPECT_FALSE(modDatabase::CreateSetColumn(c));
  EXPECT_EQ(sink->boxes.at(0).text, "Table name doesn't present into the database");
  EXPECT_EQ(c.TableName(), "");
}

// A data source whose catalog fails with the given exception.
class FailingCatalog : public data::DataSource {
 public:
  explicit FailingCatalog(std::function<void()> fail) : m_fail(std::move(fail)) {}
  std::vector<data::TableInfo> tables() override {
    m_fail();
    return {{"Customers", "TABLE"}};
  }

 protected:
  std::vector<data::ColumnInfo> catalogColumns(const std::string&) override {
    m_fail();
    return {{"Name"}};
  }
  std::unique_ptr<data::RowReader> openCatalogTable(const std::string&) override { return nullptr; }

 private:
  std::function<void()> m_fail;
};

struct Failure {
  const char* name;
  std::function<void()> fail;
  bool answersNo;  // else the exception reaches the caller
};

class SchemaQuestions : public ::testing::TestWithParam<Failure> {
 protected:
  void SetUp() override {
    modDatabase::state().oCatalog = std::make_unique<FailingCatalog>(GetParam().fail);
  }
  void TearDown() override { resetModuleState(); }
};

TEST_P(SchemaQuestions, OnlyTheDataSourcesOwnFailureReadsAsNo) {
  const std::vector<std::pair<const char*, std::function<bool()>>> questions = {
      {"HasTables", [] { return modDatabase::HasTables(); }},
      {"TableExists", [] { return modDatabase::TableExists("Customers"); }},
      {"ColumnExists", [] { return modDatabase::ColumnExists("Name", "Customers"); }},
  };
  for (const auto& [question, ask] : questions) {
    if (GetParam().answersNo) {
      EXPECT_FALSE(ask()) << question;
    } else {
      EXPECT_ANY_THROW(ask()) << question;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, SchemaQuestions,
    ::testing::Values(
        Failure{"UnreadableSource", [] { throw data::DataError("cannot read 'x.db'"); }, true},
        Failure{"OutOfMemory", [] { throw std::bad_alloc(); }, false},
        Failure{"LogicError", [] { throw std::logic_error("a fault of ours"); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
