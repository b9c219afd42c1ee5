#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"
#include "support/recording_sink.h"

using namespace kpx;

namespace {

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override { wizard = cKPXWizard::create(); }
  void TearDown() override { wizard->CloseWizard(); }
  std::shared_ptr<cKPXWizard> wizard;
};

struct LanguageCase {
  int32_t language;
  int32_t number;
  const char* text;
};

class TextLookup : public MessagesTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(TextLookup, FollowsTheWizardLanguage) {
  wizard->setLanguage(GetParam().language);
  EXPECT_EQ(GetResText(GetParam().number), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextLookup,
    ::testing::Values(LanguageCase{1, 504, "Operazione eseguita correttamente !"},
                      LanguageCase{0, 504, "Procedure is executed successfully !"},
                      LanguageCase{2, 504, "Procedure is executed successfully !"},
                      LanguageCase{-1, 504, "Procedure is executed successfully !"},
                      LanguageCase{1, 18, "Avanti"}, LanguageCase{0, 18, "Go"},
                      LanguageCase{0, 34, " Windows Authentication"},
                      LanguageCase{1, 516, "Attenzione: il  campo della tabella è inesistente!"},
                      LanguageCase{0, 512,
                                   "Attention: it's not possible to fill double field's "
                                   "names!\nPlease, control insert grid."},
                      LanguageCase{0, 539,
                                   "Attention: the source table has not been selected, the "
                                   "property \".TableName\" \nis not set !"},
                      LanguageCase{0, 549, "N° ^ Errors are occured ! \nIt's not possible to "},
                      LanguageCase{0, 501, ""}, LanguageCase{1, 72, ""},
                      LanguageCase{0, 0, ""}));

TEST_F(MessagesTest, LanguageChangeAppliesToTheNextLookup) {
  EXPECT_EQ(GetResText(17), "Exit");
  wizard->setLanguage(kpxLanguageItalian);
  EXPECT_EQ(GetResText(17), "Esci");
}

TEST(MessagesWithoutWizard, LookupYieldsEmptyText) {
  ASSERT_EQ(oWizard(), nullptr);
  EXPECT_EQ(GetResText(504), "");
  EXPECT_EQ(GetResText(504, kpxLanguageItalian), "Operazione eseguita correttamente !");
}

TEST(TextTable, HoldsEveryLabelAndMessageInBothLanguages) {
  int labels = 0, messages = 0;
  for (int n = 1; n <= 600; ++n) {
    bool it = !GetResText(n, kpxLanguageItalian).empty();
    bool en = !GetResText(n, kpxLanguageEnglish).empty();
    EXPECT_EQ(it, en) << "text " << n;
    if (it && n <= 71) ++labels;
    if (it && n >= 502) ++messages;
  }
  EXPECT_EQ(labels, 71);
  EXPECT_EQ(messages, 49);
  EXPECT_EQ(GetResText(501, kpxLanguageEnglish), "");
}

// Every text number the code asks for must exist in both languages.
TEST(TextTable, EveryNumberTheCodeUsesExists) {
  std::regex call(R"(GetResText\((\d+))");
  std::set<int> used;
  for (auto& entry : std::filesystem::recursive_directory_iterator(KPX_SOURCE_DIR "/src")) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path());
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string code = buffer.str();
    for (std::sregex_iterator it(code.begin(), code.end(), call), end; it != end; ++it)
      used.insert(std::stoi((*it)[1]));
  }
  EXPECT_FALSE(used.empty());
  for (int n : used) {
    EXPECT_NE(GetResText(n, kpxLanguageItalian), "") << "Italian text " << n;
    EXPECT_NE(GetResText(n, kpxLanguageEnglish), "") << "English text " << n;
  }
}

struct SubstitutionCase {
  const char* name;
  int32_t number;
  std::vector<std::string> values;
  const char* expected;
};

class Substitution : public MessagesTest,
                     public ::testing::WithParamInterface<SubstitutionCase> {};

TEST_P(Substitution, ReplacesCaretsInOrder) {
  wizard->setLanguage(kpxLanguageItalian);
  EXPECT_EQ(GetResText(GetParam().number, GetParam().values), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Substitution,
    ::testing::Values(
        SubstitutionCase{"OneValue", 549, {"3"}, "Si sono vericati n° 3 Errori !"},
        SubstitutionCase{"ValueTrimmed", 549, {"  7  "}, "Si sono vericati n° 7 Errori !"},
        SubstitutionCase{"NoValues", 549, {}, "Si sono vericati n° ^ Errori !"},
        SubstitutionCase{"EmptyValue", 545, {""},
                         "Attenzione: il campo '' deve contenere un valore numerico !"},
        SubstitutionCase{"TextWithoutCaret", 504, {"x"}, "Operazione eseguita correttamente !"},
        SubstitutionCase{"ExtraValuesIgnored", 546, {"Lunghezza", "more"},
                         "Attenzione ! Non è possibile proseguire: impostare la lunghezza dei "
                         "campi\ntramite l'apposito pulsante Lunghezza."}),
    [](const auto& info) { return info.param.name; });

TEST(CaretSubstitution, MissingValuesLeaveLaterCaretsEmpty) {
  EXPECT_EQ(substituteCarets("a^b^c", {" 1 "}), "a1bc");
  EXPECT_EQ(substituteCarets("^^", {"x", "y"}), "xy");
  EXPECT_EQ(substituteCarets("no caret", {"x"}), "no caret");
  EXPECT_EQ(substituteCarets("a^b", {}), "a^b");
}

TEST_F(MessagesTest, ShowMessageUsesAppNameAndResetsTheCursor) {
  test::ScopedRecordingSink sink({vbYes});
  wizard->setAppName("Host App");
  SetBusyCursor();
  EXPECT_TRUE(sink->busy);
  EXPECT_EQ(ShowMessage("Proceed?", vbQuestionYesNo), vbYes);
  EXPECT_FALSE(sink->busy);
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_EQ(sink->boxes[0].title, "Host App");
  EXPECT_EQ(sink->boxes[0].style, 36);
  EXPECT_EQ(ShowMessage("Again?", vbQuestionYesNo, std::string("Other")), vbNo);
  EXPECT_EQ(sink->boxes[1].title, "Other");
}

TEST_F(MessagesTest, SecondWizardBecomesTheTitleOfEveryBox) {
  test::ScopedRecordingSink sink;
  wizard->CloseWizard();
  auto second = cKPXWizard::create();
  second->setAppName("Second");
  ShowMessage("x", vbExclamation);
  EXPECT_EQ(sink->boxes.at(0).title, "Second");
  second->CloseWizard();
}

ckpx_Error makeError(int32_t number, std::string source, std::string description) {
  ckpx_Error e;
  e.setNumber(number);
  e.setSource(std::move(source));
  e.setDescription(std::move(description));
  return e;
}

TEST(ErrorReport, NamesTheProcedureAndClass) {
  auto e = makeError(-2147221503, "clsColumns", "Item <ID> not found !");
  EXPECT_EQ(FormatErrorReport("clsTransformations", "Clone", e),
            "Error Number : -2147221503\r\nGenerated by : clsColumns\r\n"
            "Located in : Clone [clsTransformations] \r\n\r\nItem <ID> not found !");
}

TEST(ErrorReport, WithoutClassHasNoLocationLine) {
  auto e = makeError(13, "VBA", "Type mismatch");
  EXPECT_EQ(FormatErrorReport("", "Clone", e),
            "Error Number : 13\r\nGenerated by : VBA\r\n\r\nType mismatch");
}

TEST_F(MessagesTest, ProcedureErrorShowsTheReportForTheCaughtException) {
  test::ScopedRecordingSink sink;
  try {
    throw AutomationError(kErrItemNotFound, "clsColumns", "Item <9> not found !");
  } catch (...) {
    ShowProcedureError("modDatabase", "OpenDatabase");
  }
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_EQ(sink->boxes[0].style, vbCritical);
  EXPECT_EQ(sink->boxes[0].title, "KPX WIZARD IO");
  EXPECT_EQ(sink->boxes[0].text,
            "Error Number : -2147221503\r\nGenerated by : clsColumns\r\n"
            "Located in : OpenDatabase [modDatabase] \r\n\r\nItem <9> not found !");
}

TEST_F(MessagesTest, ProcedureErrorWithoutPendingErrorShowsNothing) {
  test::ScopedRecordingSink sink;
  ShowProcedureError("modMain", "BuildQuerySpace");
  ShowProcedureError("modMain", "BuildQuerySpace", ckpx_Error());
  EXPECT_TRUE(sink->boxes.empty());
}

TEST(ErrorImport, CopiesNativeErrorOnlyForServerErrors) {
  auto source = makeError(5, "src", "desc");
  source.setNativeError(2627);
  ckpx_Error kind0, kind3;
  EXPECT_TRUE(kind0.Import(source, 0));
  EXPECT_TRUE(kind3.Import(source, 3));
  EXPECT_EQ(kind0.NativeError(), 0);
  EXPECT_EQ(kind3.NativeError(), 2627);
  EXPECT_EQ(kind0.Description(), "desc");
}

TEST(ErrorImport, OtherExceptionsGetTheUnspecifiedNumber) {
  auto e = ckpx_Error::fromException(std::make_exception_ptr(std::runtime_error("disk full")));
  EXPECT_EQ(e.Number(), kErrUnspecified);
  EXPECT_EQ(e.Description(), "disk full");
}

}  // namespace
