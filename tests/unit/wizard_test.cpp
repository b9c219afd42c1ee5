// The sources and destinations the wizard takes or refuses, and the schema reader under it:
// tables and columns found whatever their case, a query's columns in sorted select order. Its
// yes/no questions answer "no" when the data source reports a failure of its own, and let every
// other failure through to the caller's report.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
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
namespace fs = std::filesystem;

namespace {

class WizardTest : public ::testing::Test {
 public:
  void SetUp() override {
    wizard = cKPXWizard::create();
    test::sqliteOutput(
        db,
        "CREATE TABLE Customers(Id Long NOT NULL, Name VarChar(50), Balance Currency);"
        "CREATE TABLE Orders(x);");
  }
  void TearDown() override {
    wizard->CloseWizard();
    test::resetSharedState();
  }

  std::shared_ptr<clsConnection> access(const std::string& path, const std::string& table,
                                        int32_t type = kpxTypeTable) {
    return test::tableConnection(CONN_ACCESS, path, table, type);
  }
  // A table or query of `db` as a source, its connection string made as the wizard makes it.
  clsConnection source(const std::string& table, int32_t type = kpxTypeTable) {
    auto c = access(db, table, type);
    c->setMode(kpxSource);
    c->CreateConnectionString();
    return *c;
  }
  // A delimited text source whose first row holds the names.
  std::shared_ptr<clsConnection> text(const std::string& bytes, int32_t rowDelimiter = kpxCRLF) {
    auto c = test::textConnection(scratch.write("in.csv", bytes), kpxDelimitedFile, rowDelimiter);
    c->setFirstRow(-1);
    return c;
  }

  void expectError(auto&& call, int32_t number, const std::string& description) {
    try {
      call();
      FAIL() << "no error";
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.number(), number);
      EXPECT_EQ(e.source(), wizard->AppName());
      EXPECT_EQ(e.description(), description);
    }
  }

  test::ScratchFolder scratch;
  const fs::path& dir = scratch.dir();
  const std::string db = scratch.path("a.db");
  std::shared_ptr<cKPXWizard> wizard;
};

struct RejectCase {
  const char* name;
  std::function<std::shared_ptr<clsConnection>(WizardTest&)> source;
  std::string message;  // what the box shown says
  int32_t style = vbExclamation;
};

class SourceRejected : public WizardTest, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(SourceRejected, ShowsTheMessageAndEmptiesSource) {
  test::ScopedRecordingSink sink;
  auto c = GetParam().source(*this);
  expectError([&] { wizard->setSource(c); }, -2147221503, "Parametri Connessione Non Corretti");
  EXPECT_EQ(wizard->Source(), nullptr);
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_NE(sink->boxes[0].text.find(GetParam().message), std::string::npos) << sink->boxes[0].text;
  EXPECT_EQ(sink->boxes[0].style, GetParam().style);
  EXPECT_EQ(c->Mode(), kpxSource);
}

std::shared_ptr<clsConnection> missingFile(int32_t kind) {
  auto c = std::make_shared<clsConnection>();
  c->setProvider(kind);
  c->setDatabase("/nonexistent-kpx-dir/missing.db");
  return c;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SourceRejected,
    ::testing::Values(
        RejectCase{"Dbase", [](auto&) { return missingFile(CONN_dBASE); },
                   "Attention: the format is not recognized !"},
        RejectCase{"AccessWithoutTable", [](auto&) { return missingFile(CONN_ACCESS); },
                   GetResText(536, kpxLanguageEnglish)},
        RejectCase{"TextFileMissing",
                   [](auto&) { return test::textConnection("/nonexistent-kpx-dir/in.csv"); },
                   "File not found: '/nonexistent-kpx-dir/in.csv'", vbCritical},
        RejectCase{"TableMissing", [](WizardTest& t) { return t.access(t.db, "Missing"); },
                   "Table name doesn't present into the database"},
        RejectCase{
            "QueryFieldMissing",
            [](WizardTest& t) { return t.access(t.db, "SELECT C FROM Customers", kpxTypeQuery); },
            "Attention: field table doesn't exist !"},
        RejectCase{"RowDelimiterNotInTheFile",
                   [](WizardTest& t) { return t.text("Id,Name\r\n1,Anna\r\n", kpxSemicolon); },
                   "Row delimitator is not present! "}),
    [](const auto& info) { return info.param.name; });

TEST_F(WizardTest, SameDatabaseOnBothSidesIsRefusedAfterAssignment) {
  wizard->setSource(access(db, "Customers"));
  auto destination = access(db, "Orders");
  expectError([&] { wizard->setDestination(destination); }, -2147221502,
              "Attenzione:connessioni uguali !");
  EXPECT_EQ(wizard->Destination(), destination);
  EXPECT_EQ(destination->id(), 2);
  EXPECT_EQ(destination->ModeText(), 3);
}

TEST_F(WizardTest, NewDestinationTableNeedsASourceAndTakesItsName) {
  auto target = access((dir / "new.db").string(), "");
  target->setCreatedDestinationTable(true);
  expectError(
      [&] { wizard->setDestination(target); }, -2147221501,
      "Attenzione: per creare una nuova tabella la connessione di origine deve essere settata");
  EXPECT_EQ(wizard->Destination(), nullptr);

  wizard->setSource(access(db, "Customers"));
  wizard->setDestination(target);
  EXPECT_EQ(target->TableName(), "Customers");
  EXPECT_FALSE(fs::exists(dir / "new.db"));  // a table to be created is not opened

  auto fromQuery = access((dir / "other.db").string(), "");
  fromQuery->setCreatedDestinationTable(true);
  wizard->setSource(access(db, "SELECT Id FROM Customers", kpxTypeQuery));
  wizard->setDestination(fromQuery);
  EXPECT_EQ(fromQuery->TableName(), "Risultati");
}

using SchemaReader = WizardTest;

TEST_F(SchemaReader, TablesAndColumnsAreFoundWhateverTheirCase) {
  auto c = source("Customers");
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  EXPECT_TRUE(modDatabase::HasTables());
  EXPECT_TRUE(modDatabase::TableExists("  customers "));
  EXPECT_FALSE(modDatabase::TableExists("Missing"));
  EXPECT_TRUE(modDatabase::ColumnExists("NAME", "customers"));
  EXPECT_FALSE(modDatabase::ColumnExists("Email", "Customers"));
  EXPECT_FALSE(modDatabase::ColumnExists("Name", "Missing"));
}

TEST_F(SchemaReader, QueryColumnsComeInSortedSelectOrder) {
  auto c = source("SELECT Name, Balance, Nope FROM Customers WHERE Id > 1", kpxTypeQuery);
  ASSERT_FALSE(modMain::ExtractNameFields(c.TableName()).empty());
  ASSERT_TRUE(modDatabase::OpenDatabase(c));
  c.setNumberColumns(42);
  ASSERT_TRUE(modDatabase::CreateSetColumn(c));
  EXPECT_EQ(test::columnsAsText(c), "Balance:6/0n Name:202/50n ");
  EXPECT_EQ(c.NumberColumns(), 42);
}

TEST_F(SchemaReader, QueryOnMissingTableShowsMessageAndClearsTheName) {
  test::ScopedRecordingSink sink;
  auto c = source("SELECT A FROM Missing", kpxTypeQuery);
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
        Failure{"LogicError", [] { throw std::logic_error("a fault of ours"); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
