// Saving and loading wizard configurations with real data sources: SQLite databases made by
// the sqlite3 program and CSV files. Saved
// files are compared byte for byte with the golden files in tests/data/config, where @DIR@
// stands for the folder holding the data files.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "component/configuration_file.h"
#include "component/module_state.h"
#include "config/mod_ini_api.h"
#include "data/mod_database.h"
#include "kpxwizard/wizard.h"
#include "support/connections.h"
#include "support/recording_sink.h"
#include "support/scratch.h"
#include "support/shared_state.h"

using namespace kpx;

namespace {

class ConfigurationFile : public ::testing::Test {
 public:
  void SetUp() override {
    wizard = cKPXWizard::create();
    shop = sqlite("shop.db",
                  "CREATE TABLE Customers(Id Long NOT NULL, Name VarChar(50), City VarChar(30));"
                  "INSERT INTO Customers VALUES (1, 'Anna', 'Roma');");
    target = sqlite("target.db",
                    "CREATE TABLE Clients(Code Long, FullName VarChar(50), Town VarChar(30));");
    file = scratch.path("wizard.ini");
  }
  void TearDown() override {
    if (oWizard()) oWizard()->CloseWizard();
    test::resetSharedState();
  }

  std::string sqlite(const std::string& name, const std::string& sql) {
    test::sqliteOutput(scratch.path(name), sql);
    return scratch.path(name);
  }
  // A file of tests/data/config with @DIR@ replaced by this run's data folder.
  std::string golden(const std::string& name) {
    return std::regex_replace(test::readFile(KPX_TEST_DATA "/config/" + name), std::regex("@DIR@"),
                              scratch.dir().string());
  }

  // Both sides on the two SQLite databases, as most tests here want them.
  void accessPair() {
    wizard->setSource(test::tableConnection(CONN_ACCESS, shop, "Customers"));
    wizard->setDestination(test::tableConnection(CONN_ACCESS, target, "Clients"));
  }

  static std::shared_ptr<clsColumn> column(clsConnection& c, const std::string& name) {
    if (c.Columns()->ExistItem(name)) return c.Columns()->Item(name);
    auto col = c.Columns()->Add(name);
    col->setName(name);
    return col;
  }
  void addCopy(const std::string& name, const std::string& from, const std::string& to) {
    auto t = wizard->Transformations()->Add(name);
    t->setTransformationType(kpxCopyColumn);
    t->SourceFields()->AddColumn(column(*wizard->Source(), from));
    t->DestinationFields()->AddColumn(column(*wizard->Destination(), to));
  }
  void addConstant(const std::string& name, const std::string& value, const std::string& to) {
    auto t = wizard->Transformations()->Add(name);
    t->setTransformationType(kpxConstantColumn);
    t->setConstantValue(value);
    t->DestinationFields()->AddColumn(column(*wizard->Destination(), to));
  }

  test::ScopedRecordingSink sink;
  test::ScratchFolder scratch;
  std::shared_ptr<cKPXWizard> wizard;
  std::string shop, target, file;
};

// --- One saved file per kind of connection ---

struct Scenario {
  const char* golden;
  void (*setUp)(ConfigurationFile&);
};

class SavedConfiguration : public ConfigurationFile,
                           public ::testing::WithParamInterface<Scenario> {};

const Scenario kScenarios[] = {
    {"access.ini",
     [](ConfigurationFile& f) {
       auto src = test::tableConnection(CONN_ACCESS, f.shop, "Customers");
       src->setUser("admin");
       src->setPassword("s3cret=[x] ");
       f.wizard->setSource(src);
       f.wizard->setDestination(test::tableConnection(CONN_ACCESS, f.target, "Clients"));
       f.wizard->setLanguage(kpxLanguageItalian);
       f.wizard->setAskCloseConfirmation(true);
       f.wizard->setLockSource(true);
       f.wizard->setLockDestination(true);
       f.addCopy("Code", "Id", "Code");
       f.addCopy("Full name", "Name", "FullName");
       f.addConstant("Town", "Città = Roma; 100%", "Town");
     }},
    {"sqlserver.ini",
     [](ConfigurationFile& f) {
       f.wizard->setSource(test::tableConnection(
           CONN_ACCESS, f.shop, "SELECT Name, Id FROM Customers WHERE Id > 1", kpxTypeQuery));
       auto dest = test::tableConnection(CONN_SQLServer, "Sales", "Copia");
       dest->setServer("DBSRV01");
       dest->setUser("sa");
       dest->setPassword("p@ss w0rd");
       dest->setCreatedDestinationTable(true);
       f.wizard->setDestination(dest);
       f.wizard->setAutoCloseWizard(true);
       f.addCopy("Id", "Id", "Id");
       f.addCopy("Name", "Name", "Name");
     }},
    {"delimited.ini",
     [](ConfigurationFile& f) {
       auto src =
           test::textConnection(f.scratch.write("people.csv", "\"Id\";\"Name\"\r\n1;\"Anna\"\r\n"),
                                kpxDelimitedFile, kpxCRLF, ";");
       src->setFirstRow(-1);
       src->setTextQualifier("\"");
       f.wizard->setSource(src);
       auto dest =
           test::textConnection(f.scratch.write("out.txt", ""), kpxDelimitedFile, kpxLF, "tab");
       dest->setSkipRows(2);
       f.wizard->setDestination(dest);
       f.addCopy("Id", "Id", "Id");
       f.addConstant("Fixed", "it's \"quoted\"", "Name");
     }},
};

TEST_P(SavedConfiguration, WritesTheExpectedFile) {
  GetParam().setUp(*this);
  ASSERT_TRUE(wizard->SaveIntoINIFile(file));
  EXPECT_EQ(test::readFile(file), golden(GetParam().golden));
}

INSTANTIATE_TEST_SUITE_P(EveryKind, SavedConfiguration, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) {
                           std::string name = info.param.golden;
                           return name.substr(0, name.find('.'));
                         });

// --- Rules of the saved layout ---

struct Refusal {
  const char* label;
  int32_t type;
  const char* constant;
  const char* from;
  const char* to;
  int32_t message;
};

class SeparatorRefusal : public ConfigurationFile, public ::testing::WithParamInterface<Refusal> {};

TEST_P(SeparatorRefusal, KeepsTheOldTransformationsAndSaysWhy) {
  const Refusal& r = GetParam();
  accessPair();
  addCopy("Old", "Id", "Code");
  ASSERT_TRUE(wizard->SaveIntoINIFile(file));
  wizard->setLanguage(kpxLanguageItalian);
  if (r.type == kpxCopyColumn) {
    addCopy("A", r.from, r.to);
  } else {
    addConstant("A", r.constant, r.to);
  }
  EXPECT_FALSE(wizard->SaveIntoINIFile(file));
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_EQ(sink->boxes[0].text, GetResText(r.message));
  EXPECT_EQ(modINIApi::ReadINIKey(file, "LANGUAGE", "Language", ""),
            "1");  // written before the check
  EXPECT_EQ(modINIApi::ReadINISectionKeys(file, "TRANSFORMATIONS"),
            std::string("TRANSFORMATION1\0", 16));
}

INSTANTIATE_TEST_SUITE_P(
    InNamesOrConstants, SeparatorRefusal,
    ::testing::Values(Refusal{"CopySource", kpxCopyColumn, "", "Na§me", "FullName", 544},
                      Refusal{"ConstantValue", kpxConstantColumn, "a§b", "", "Town", 543}),
    [](const auto& info) { return std::string(info.param.label); });

// --- Loading ---

TEST_F(ConfigurationFile, MissingDestinationFileEndsTheLoad) {
  accessPair();
  ASSERT_TRUE(wizard->SaveIntoINIFile(file));

  std::filesystem::rename(target, target + ".moved");
  EXPECT_FALSE(cKPXWizard::create()->LoadFromINIFile(file));
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_EQ(sink->boxes[0].text, GetResText(542));
  EXPECT_EQ(oWizard()->Destination()->ConType(), -1);
  EXPECT_EQ(oWizard()->Source()->Database(), shop);
}

// A file as the original component wrote it: Windows-1252, CR LF, keys in their order.
TEST_F(ConfigurationFile, LoadsAFileInTheOriginalLayout) {
  scratch.write("wizard.ini", golden("original_layout.ini"));
  scratch.write("people.txt", "\"Id\"\t\"Nome\"\r\n1\t\"Anna\"\r\n");
  ASSERT_TRUE(wizard->LoadFromINIFile(file));
  EXPECT_EQ(wizard->Language(), kpxLanguageItalian);
  EXPECT_TRUE(wizard->AskCloseConfirmation());
  EXPECT_FALSE(wizard->AutoCloseWizard());
  EXPECT_TRUE(wizard->LockSource());
  // The source's kind, delimiter, qualifier and header row are shown right below, where its
  // columns are read from people.txt.
  auto src = wizard->Source();
  EXPECT_EQ(src->RowDelimiter(), kpxCRLF);
  EXPECT_EQ(src->TableName(), src->Database());
  auto dest = wizard->Destination();
  EXPECT_EQ(dest->TableName(), "Clients");
  EXPECT_EQ(dest->id(), 2);
  EXPECT_EQ(dest->ModeText(), 3);

  // The columns come from the data sources, as column building reads them.
  ASSERT_TRUE(modDatabase::OpenDatabase(*dest));
  ASSERT_TRUE(modDatabase::CreateSetColumn(*dest));
  ASSERT_TRUE(modDatabase::OpenDatabase(*src));
  wizard->Transformations()->Reset();
  const size_t boxesBefore = sink->boxes.size();
  ASSERT_TRUE(config::loadTransformations(*wizard, file));
  EXPECT_EQ(sink->boxes.size(), boxesBefore);
  auto& t = *wizard->Transformations();
  ASSERT_EQ(t.Count(), 3);  // the five-field value is skipped without a message
  EXPECT_EQ(t.Item(1)->Name(), "Codice");
  EXPECT_EQ(t.Item(1)->SourceFields()->Item(1), src->Columns()->Item("Id"));
  EXPECT_EQ(t.Item(1)->DestinationFields()->Item(1), dest->Columns()->Item("Code"));
  EXPECT_EQ(t.Item(3)->TransformationType(), kpxConstantColumn);
  EXPECT_EQ(t.Item(3)->ConstantValue(), "Città");
  EXPECT_EQ(t.Item(3)->SourceFields()->Count(), 0);
}

TEST_F(ConfigurationFile, ATransformationOnAMissingColumnDiscardsThemAll) {
  accessPair();
  addCopy("Code", "Id", "Code");
  addCopy("Gone", "Name", "Removed");
  ASSERT_TRUE(wizard->SaveIntoINIFile(file));
  wizard->Transformations()->Reset();
  modDatabase::ClearColumns(*wizard->Destination());
  column(*wizard->Destination(), "Code");
  EXPECT_FALSE(config::loadTransformations(*wizard, file));
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_EQ(sink->boxes[0].text, GetResText(547));
}

}  // namespace
