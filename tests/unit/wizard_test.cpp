#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

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
 public:
  void SetUp() override {
    wizard = cKPXWizard::create();
    test::sqliteOutput(db,
                       "CREATE TABLE Customers(Id INTEGER, Name TEXT); CREATE TABLE Orders(x);");
  }
  void TearDown() override {
    wizard->CloseWizard();
    test::resetSharedState();
  }

  std::shared_ptr<clsConnection> access(const std::string& path, const std::string& table,
                                        int32_t type = kpxTypeTable) {
    return test::tableConnection(CONN_ACCESS, path, table, type);
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
        RejectCase{"NoKind", [](auto&) { return missingFile(0); },
                   "Attention: the format is not recognized !"},
        RejectCase{"AccessWithoutTable", [](auto&) { return missingFile(CONN_ACCESS); },
                   GetResText(536, kpxLanguageEnglish)},
        RejectCase{"TextWithoutLayout", [](auto&) { return missingFile(CONN_TEXTFILE); },
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

// Names are found whatever their case; a text file stands for its own table, even with no rows.
TEST_F(WizardTest, UsableSourcesAreKept) {
  test::ScopedRecordingSink sink;
  wizard->setSource(access(db, "customers"));
  EXPECT_EQ(wizard->Source()->ConnectionString(),
            "Persist Security Info=True;Data Source=" + db + ";User ID=");
  wizard->setSource(access(db, "SELECT name, ID FROM Customers", kpxTypeQuery));
  EXPECT_EQ(modMain::state().colSelectedFields, (std::vector<std::string>{"ID", "NAME"}));
  for (const char* bytes : {"Id,Name\r\n1,Anna\r\n", "Id,Name\r\n"}) {
    auto c = text(bytes);
    wizard->setSource(c);
    EXPECT_EQ(c->TableName(), c->Database());
    EXPECT_EQ(c->TableType(), kpxTypeTable);
  }
  EXPECT_TRUE(sink->boxes.empty());
}

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

}  // namespace
