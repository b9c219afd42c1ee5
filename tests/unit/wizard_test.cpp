#include <gtest/gtest.h>

#include <filesystem>

#include "component/module_state.h"
#include "data/mod_database.h"
#include "data/mod_main.h"
#include "kpxwizard/wizard.h"
#include "support/connections.h"
#include "support/recording_sink.h"
#include "support/scratch.h"
#include "support/shared_state.h"

using namespace kpx;
namespace fs = std::filesystem;

namespace {

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override { wizard = cKPXWizard::create(); }
  void TearDown() override {
    wizard->CloseWizard();
    test::resetSharedState();
  }

  // A SQLite database made by the sqlite3 program.
  std::string makeDatabase(const std::string& name, const std::string& sql) {
    test::sqliteOutput(scratch.path(name), sql);
    return scratch.path(name);
  }

  std::shared_ptr<clsConnection> access(const std::string& path, const std::string& table,
                                        int32_t type = kpxTypeTable) {
    return test::tableConnection(CONN_ACCESS, path, table, type);
  }

  std::string writeFile(const std::string& name, const std::string& content) {
    return scratch.write(name, content);
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
  std::shared_ptr<cKPXWizard> wizard;
};

struct RejectCase {
  const char* name;
  int32_t kind;
  int32_t message;
};

class SourceRejected : public WizardTest, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(SourceRejected, ShowsTheMessageAndEmptiesSource) {
  test::ScopedRecordingSink sink;
  auto c = std::make_shared<clsConnection>();
  c->setProvider(GetParam().kind);
  c->setDatabase((dir / "missing.db").string());
  expectError([&] { wizard->setSource(c); }, -2147221503, "Parametri Connessione Non Corretti");
  EXPECT_EQ(wizard->Source(), nullptr);
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_EQ(sink->boxes[0].text, GetResText(GetParam().message));
  EXPECT_EQ(sink->boxes[0].style, 48);
  EXPECT_EQ(c->Mode(), kpxSource);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SourceRejected,
                         ::testing::Values(RejectCase{"Dbase", CONN_dBASE, 538},
                                           RejectCase{"NoKind", 0, 538},
                                           RejectCase{"AccessWithoutTable", CONN_ACCESS, 536},
                                           RejectCase{"TextWithoutLayout", CONN_TEXTFILE, 536}),
                         [](const auto& info) { return info.param.name; });

// A text source that cannot be read says why; one holding only its header row is a table of
// no rows.
TEST_F(WizardTest, TextSourceIsMissingOrHeaderOnly) {
  test::ScopedRecordingSink sink;
  const std::string missing = (dir / "missing.csv").string();
  expectError([&] { wizard->setSource(test::textConnection(missing)); }, -2147221503,
              "Parametri Connessione Non Corretti");
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_NE(sink->boxes[0].text.find("File not found: '" + missing + "'"), std::string::npos)
      << sink->boxes[0].text;
  auto header = test::textConnection(writeFile("header.csv", "Id,Name\r\n"));
  header->setFirstRow(-1);
  wizard->setSource(header);
  EXPECT_EQ(sink->boxes.size(), 1u);
}

TEST_F(WizardTest, SourceTableMustExist) {
  test::ScopedRecordingSink sink;
  auto db = makeDatabase("a.db", "CREATE TABLE Customers(Id INTEGER, Name TEXT);");
  expectError([&] { wizard->setSource(access(db, "Orders")); }, -2147221503,
              "Parametri Connessione Non Corretti");
  EXPECT_EQ(sink->boxes.at(0).text, "Table name doesn't present into the database");
  wizard->setSource(access(db, "customers"));
  EXPECT_EQ(wizard->Source()->TableName(), "customers");
  EXPECT_EQ(wizard->Source()->ConnectionString(),
            "Persist Security Info=True;Data Source=" + db + ";User ID=");
}

TEST_F(WizardTest, QueryFieldsMustExistInTheTable) {
  test::ScopedRecordingSink sink;
  auto db = makeDatabase("q.db", "CREATE TABLE T(A INTEGER, B TEXT);");
  wizard->setSource(access(db, "SELECT B, A FROM T", kpxTypeQuery));
  EXPECT_EQ(modMain::state().colSelectedFields, (std::vector<std::string>{"A", "B"}));
  expectError([&] { wizard->setSource(access(db, "SELECT C FROM T", kpxTypeQuery)); }, -2147221503,
              "Parametri Connessione Non Corretti");
  EXPECT_EQ(sink->boxes.back().text, "Attention: field table doesn't exist !");
}

TEST_F(WizardTest, SameDatabaseOnBothSidesIsRefusedAfterAssignment) {
  auto db = makeDatabase("s.db", "CREATE TABLE A(x INTEGER); CREATE TABLE B(x INTEGER);");
  wizard->setSource(access(db, "A"));
  auto destination = access(db, "B");
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

  auto db = makeDatabase("src.db", "CREATE TABLE Customers(Id INTEGER);");
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

std::shared_ptr<clsConnection> textSource(const std::string& path, int32_t rowDelimiter) {
  auto c = test::textConnection(path, kpxDelimitedFile, rowDelimiter);
  c->setFirstRow(-1);
  return c;
}

TEST_F(WizardTest, TextSourceNeedsItsRowDelimiterInTheFile) {
  test::ScopedRecordingSink sink;
  auto path = writeFile("in.csv", "Id,Name\r\n1,Anna\r\n");
  expectError([&] { wizard->setSource(textSource(path, kpxSemicolon)); }, -2147221503,
              "Parametri Connessione Non Corretti");
  EXPECT_EQ(sink->boxes.back().text, "Row delimitator is not present! ");
  auto ok = textSource(path, kpxCRLF);
  wizard->setSource(ok);
  EXPECT_EQ(ok->TableName(), path);
  EXPECT_EQ(ok->TableType(), kpxTypeTable);
}

}  // namespace
