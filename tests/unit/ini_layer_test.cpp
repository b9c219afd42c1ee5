#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "config/ini_file.h"
#include "config/mod_ini_api.h"
#include "kpxwizard/wizard.h"
#include "support/recording_sink.h"

using namespace kpx;
using namespace kpx::modINIApi;
namespace fs = std::filesystem;

namespace {

class IniLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    wizard = cKPXWizard::create();
    dir = fs::temp_directory_path() /
          ("kpx_ini_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    file = (dir / "config.ini").string();
  }
  void TearDown() override {
    wizard->CloseWizard();
    fs::remove_all(dir);
  }
  void writeFile(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
  std::string readFile() const {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::shared_ptr<cKPXWizard> wizard;
  fs::path dir;
  std::string file;
};

std::string repeated(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct ReadCase {
  const char* name;
  const char* key;
  const char* defaultValue;
  std::string expected;
};

class ReadKey : public IniLayer, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadKey, TrimmedCutOrDefault) {
  writeFile("[Source]\n"
            "one=x\n"
            "spaced =   x   \n"
            "empty=\n"
            "blank=    \n"
            "inner=a  b\n"
            "long=" + std::string(600, 'v') + "\n"
            "longAccented=" + repeated("é", 600) + "\n"
            "cutAtBlank=" + std::string(478, 'v') + " w\n"
            "noequals\n"
            "; comment=not a key\n"
            "[Other]\n"
            "one=other\n");
  const ReadCase& c = GetParam();
  EXPECT_EQ(ReadINIKey(file, "Source", c.key, c.defaultValue), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ReadKey,
    ::testing::Values(ReadCase{"OneCharacter", "one", "d", "x"},
                      ReadCase{"KeyNameWithoutRegardToCase", "ONE", "d", "x"},
                      ReadCase{"ValueTrimmed", "spaced", "d", "x"},
                      ReadCase{"InnerBlanksKept", "inner", "d", "a  b"},
                      ReadCase{"EmptyGivesDefault", "empty", "d", "d"},
                      ReadCase{"BlankGivesDefault", "blank", "d", "d"},
                      ReadCase{"MissingGivesDefault", "absent", "def", "def"},
                      ReadCase{"MissingGivesEmptyDefault", "absent", "", ""},
                      ReadCase{"DefaultTrimmedWhenUsed", "absent", "  d  ", "d"},
                      ReadCase{"LineWithoutEqualsHasNoValue", "noequals", "d", "d"},
                      ReadCase{"CommentIsNoKey", "; comment", "d", "d"},
                      ReadCase{"SixHundredCutTo479", "long", "", std::string(479, 'v')},
                      ReadCase{"CutCountsCharacters", "longAccented", "", repeated("é", 479)},
                      ReadCase{"CutValueKeepsItsLastBlank", "cutAtBlank", "",
                               std::string(478, 'v') + " "}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST_F(IniLayer, SectionNamesWithoutRegardToCaseAndBlanks) {
  writeFile("[ source ]\nUser = bob\n");
  EXPECT_EQ(ReadINIKey(file, "SOURCE", "user", ""), "bob");
  EXPECT_EQ(ReadINIKey(file, "Destination", "User", "none"), "none");
  EXPECT_EQ(ReadINIKey((dir / "missing.ini").string(), "SOURCE", "User", "none"), "none");
}

TEST_F(IniLayer, WriteCreatesFileSectionAndKey) {
  WriteINIKey(file, "LANGUAGE", "Language", "1");
  WriteINIKey(file, "EXIT", "AskCloseConfirmation", "True");
  WriteINIKey(file, "EXIT", "AutoCloseWizard", "False");
  EXPECT_EQ(readFile(),
            "[LANGUAGE]\nLanguage=1\n[EXIT]\nAskCloseConfirmation=True\nAutoCloseWizard=False\n");
  WriteINIKey(file, "exit", "autoclosewizard", "True");
  EXPECT_EQ(ReadINIKey(file, "EXIT", "AutoCloseWizard", ""), "True");
  EXPECT_EQ(readFile(),
            "[LANGUAGE]\nLanguage=1\n[EXIT]\nAskCloseConfirmation=True\nAutoCloseWizard=True\n");
}

TEST_F(IniLayer, WriteChangesOnlyItsOwnLine) {
  writeFile("; saved by hand\n"
            "\n"
            "[SOURCE]\n"
            "  Database = /data/a.db\n"
            "; the user\n"
            "User=bob\n"
            "\n"
            "[DESTINATION]\n"
            "User=eve\n");
  WriteINIKey(file, "source", "USER", "alice");
  WriteINIKey(file, "SOURCE", "Server", "srv");
  WriteINIKey(file, "DESTINATION", "Mode", "3");
  EXPECT_EQ(readFile(),
            "; saved by hand\n"
            "\n"
            "[SOURCE]\n"
            "  Database = /data/a.db\n"
            "; the user\n"
            "User=alice\n"
            "Server=srv\n"
            "\n"
            "[DESTINATION]\n"
            "User=eve\n"
            "Mode=3\n");
}

TEST_F(IniLayer, CrLfFileIsReadAndStaysCrLf) {
  writeFile("[SOURCE]\r\nUser=bob\r\nServer=s1\r\n\r\n[EXIT]\r\nAutoCloseWizard=True\r\n");
  EXPECT_EQ(ReadINIKey(file, "SOURCE", "User", ""), "bob");
  EXPECT_EQ(ReadINISectionKeys(file, "SOURCE"), std::string("User\0Server\0", 12));
  EXPECT_TRUE(SectionExists(file, "EXIT"));
  WriteINIKey(file, "SOURCE", "User", "ann");
  EXPECT_EQ(readFile(), "[SOURCE]\r\nUser=ann\r\nServer=s1\r\n\r\n[EXIT]\r\nAutoCloseWizard=True\r\n");
}

TEST_F(IniLayer, Windows1252FileIsReadAndRewrittenAsUtf8) {
  writeFile("[TRANSFORMATIONS]\r\nTRANSFORMATION1=1\xA7" "Caff\xE8\xA7\xA7" "0\xA7" "A\xA7" "B\r\n");
  EXPECT_EQ(ReadINIKey(file, "TRANSFORMATIONS", "TRANSFORMATION1", ""), "1§Caffè§§0§A§B");
  WriteINIKey(file, "TRANSFORMATIONS", "TRANSFORMATION2", "2§Tè§§0§C§D");
  EXPECT_EQ(readFile(), "[TRANSFORMATIONS]\r\nTRANSFORMATION1=1§Caffè§§0§A§B\r\n"
                        "TRANSFORMATION2=2§Tè§§0§C§D\r\n");
}

TEST_F(IniLayer, Utf8ByteOrderMarkIsKept) {
  writeFile("\xEF\xBB\xBF[SOURCE]\nUser=zoë\n");
  EXPECT_EQ(ReadINIKey(file, "SOURCE", "User", ""), "zoë");
  EXPECT_TRUE(SectionExists(file, "SOURCE"));
  WriteINIKey(file, "SOURCE", "User", "zoé");
  EXPECT_EQ(readFile(), "\xEF\xBB\xBF[SOURCE]\nUser=zoé\n");
}

TEST_F(IniLayer, ValueIsStoredUpToItsFirstLineBreak) {
  WriteINIKey(file, "SOURCE", "Database", "a.db\n[EVIL]\nx=1");
  EXPECT_EQ(ReadINIKey(file, "SOURCE", "Database", ""), "a.db");
  EXPECT_FALSE(SectionExists(file, "EVIL"));
}

TEST_F(IniLayer, SectionKeysEachFollowedByNul) {
  writeFile("[T]\nTRANSFORMATION1=a\n;c=d\nTRANSFORMATION2=\n=nameless\n[U]\nx=1\n");
  EXPECT_EQ(ReadINISectionKeys(file, "t"), std::string("TRANSFORMATION1\0TRANSFORMATION2\0", 32));
  EXPECT_EQ(ReadINISectionKeys(file, "absent"), "");
  EXPECT_EQ(ReadINISectionKeys((dir / "missing.ini").string(), "T"), "");
}

TEST_F(IniLayer, SectionKeysCutToTheBuffer) {
  std::string text = "[T]\n";
  for (int i = 1; i <= 80; ++i) text += "TRANSFORMATION" + std::to_string(i) + "=x\n";
  writeFile(text);
  std::string keys = ReadINISectionKeys(file, "T");
  ASSERT_EQ(keys.size(), 998u);
  EXPECT_EQ(keys.substr(0, 16), std::string("TRANSFORMATION1\0", 16));
}

TEST_F(IniLayer, DeleteSectionRemovesHeaderAndKeysOnly) {
  writeFile("[SOURCE]\nUser=bob\n[TRANSFORMATIONS]\nTRANSFORMATION1=x\n; note\n\n"
            "[transformations]\nTRANSFORMATION2=y\n[EXIT]\nAutoCloseWizard=True\n");
  test::ScopedRecordingSink sink;
  DeleteSection(file, "TRANSFORMATIONS");
  EXPECT_EQ(readFile(), "[SOURCE]\nUser=bob\n[EXIT]\nAutoCloseWizard=True\n");
  EXPECT_FALSE(SectionExists(file, "TRANSFORMATIONS"));
  EXPECT_TRUE(sink->boxes.empty());
}

TEST_F(IniLayer, DeleteSectionOnMissingFileShowsItsBox) {
  test::ScopedRecordingSink sink;
  const std::string missing = (dir / "missing.ini").string();
  DeleteSection(missing, "TRANSFORMATIONS");
  EXPECT_FALSE(fs::exists(missing));
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_EQ(sink->boxes[0].title, "INI File Not Found");
  EXPECT_EQ(sink->boxes[0].style, 48);
  EXPECT_EQ(sink->boxes[0].text, "File Not Found: " + missing +
                                     "\r\nPlease refer To code in Function 'DeleteSection'");
}

TEST_F(IniLayer, SectionExistsComparesTheWholeLineExactly) {
  writeFile("[SOURCE]\n [EXIT]\n[Transformations]\n");
  test::ScopedRecordingSink sink;
  EXPECT_TRUE(SectionExists(file, "SOURCE"));
  EXPECT_FALSE(SectionExists(file, "source"));
  EXPECT_FALSE(SectionExists(file, "EXIT"));
  EXPECT_FALSE(SectionExists(file, "TRANSFORMATIONS"));
  EXPECT_TRUE(sink->boxes.empty());
}

TEST_F(IniLayer, SectionExistsOnMissingFileShowsItsBox) {
  test::ScopedRecordingSink sink;
  wizard->setLanguage(kpxLanguageItalian);  // the box is English whatever the language
  const std::string missing = (dir / "missing.ini").string();
  EXPECT_FALSE(SectionExists(missing, "TRANSFORMATIONS"));
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_EQ(sink->boxes[0].title, "File Not Found");
  EXPECT_EQ(sink->boxes[0].style, 16);
  EXPECT_EQ(sink->boxes[0].text, missing + " not found.");
}

TEST_F(IniLayer, PasswordsRoundTripThroughAnIniValue) {
  const std::string passwords[] = {"",       "x",   "secret", "§",      "=",         ";",
                                   "[",      "]",   "a=b;c",  "  lead", "trail  ",   "  ",
                                   "pässwörd €𝄞", "\t", "\"quoted\"", "ÿ\xFF" "raw", "TAB"};
  int i = 0;
  for (const std::string& password : passwords) {
    std::string key = "Password" + std::to_string(++i);
    std::string stored = EncodePassword(password);
    EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos) << stored;
    if (!password.empty()) EXPECT_NE(stored, password);
    WriteINIKey(file, "SOURCE", key, stored);
    EXPECT_EQ(DecodePassword(ReadINIKey(file, "SOURCE", key, "")), password) << password;
  }
  EXPECT_NE(EncodePassword("aaaa").substr(0, 2), EncodePassword("aaaa").substr(2, 2));
}

TEST_F(IniLayer, DecodeLeavesTextThatIsNoStoredFormAlone) {
  EXPECT_EQ(DecodePassword("plain"), "plain");
  EXPECT_EQ(DecodePassword("ABC"), "ABC");
  EXPECT_EQ(DecodePassword("zz"), "zz");
}

TEST(IniFileEngine, NewKeyGoesAfterTheLastEntryOfItsSection) {
  IniFile ini = IniFile::parse("[A]\nx=1\n\n; about B\n[B]\ny=2");
  ini.setValue("a", "z", "3");
  ini.setValue("C", "w", " 4 ");
  EXPECT_EQ(ini.text(), "[A]\nx=1\nz=3\n\n; about B\n[B]\ny=2\n[C]\nw= 4 ");
  EXPECT_EQ(ini.value("C", "W"), "4");
  EXPECT_EQ(ini.keys("A"), (std::vector<std::string>{"x", "z"}));
}

TEST(IniFileEngine, FirstOfRepeatedKeysWins) {
  IniFile ini = IniFile::parse("[A]\nk=first\nK=second\n");
  EXPECT_EQ(ini.value("A", "k"), "first");
  ini.setValue("A", "K", "new");
  EXPECT_EQ(ini.text(), "[A]\nk=new\nK=second\n");
}

TEST(IniFileEngine, LinesBeforeAnySectionAreKeptButBelongToNone) {
  IniFile ini = IniFile::parse("stray=1\n[A]\n");
  EXPECT_FALSE(ini.value("", "stray"));
  ini.setValue("A", "k", "v");
  EXPECT_EQ(ini.text(), "stray=1\n[A]\nk=v\n");
}

// The launcher tests start nothing: an injected launcher answers instead of xdg-open.
class ShellOpen : public IniLayer {
 protected:
  void TearDown() override {
    setShellLauncher(nullptr);
    IniLayer::TearDown();
  }
};

TEST_F(ShellOpen, MissingFileIsFileNotFoundWithoutLaunching) {
  test::ScopedRecordingSink sink;
  int launches = 0;
  setShellLauncher([&](const std::string&, int16_t) { return ++launches, 42; });
  wizard->setAppName("My Host");
  OpenWithShell(0, (dir / "KPXWIZARD_ERROR.txt").string(), 1);
  EXPECT_EQ(launches, 0);
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_EQ(sink->boxes[0].text, "File not found.");
  EXPECT_EQ(sink->boxes[0].style, 16);
  EXPECT_EQ(sink->boxes[0].title, "My Host");
}

TEST_F(ShellOpen, AnswersAboveThirtyTwoShowNothing) {
  writeFile("log");
  test::ScopedRecordingSink sink;
  std::string launched;
  setShellLauncher([&](const std::string& path, int16_t) { return launched = path, 33; });
  OpenWithShell(0, file, 1);
  EXPECT_EQ(launched, file);
  EXPECT_TRUE(sink->boxes.empty());
}

TEST_F(ShellOpen, ErrorAnswersShowTheirTexts) {
  writeFile("log");
  const std::pair<int32_t, const char*> answers[] = {
      {2, "File not found."},
      {3, "Path not found."},
      {5, "Access denied."},
      {8, "Out of memory."},
      {11, "Invalid EXE file or error in EXE image."},
      {26, "A sharing violation occurred."},
      {27, "Incomplete or invalid file association."},
      {28, "DDE Time out."},
      {29, "DDE transaction failed."},
      {30, "DDE busy."},
      {31, "No association for file extension."},
      {32, "DLL not found."},
      {0, "Unknown error."},
      {12, "Unknown error."}};
  for (auto [answer, text] : answers) {
    test::ScopedRecordingSink sink;
    setShellLauncher([answer = answer](const std::string&, int16_t) { return answer; });
    OpenWithShell(0, file, 1);
    ASSERT_EQ(sink->boxes.size(), 1u) << answer;
    EXPECT_EQ(sink->boxes[0].text, text);
  }
}

// The real launcher, with a stand-in xdg-open first on PATH that only exits with a status.
TEST_F(ShellOpen, XdgOpenExitStatusMapsToAnswers) {
  writeFile("log");
  fs::path bin = dir / "bin";
  fs::create_directories(bin);
  std::ofstream(bin / "xdg-open") << "#!/bin/sh\necho \"$1\" > \"" << (dir / "opened").string()
                                  << "\"\nexit $(cat \"" << (dir / "status").string() << "\")\n";
  fs::permissions(bin / "xdg-open", fs::perms::owner_all);
  std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (bin.string() + ":" + oldPath).c_str(), 1);

  const std::pair<int, const char*> statuses[] = {
      {0, nullptr}, {2, "File not found."}, {3, "No association for file extension."},
      {4, "No association for file extension."}, {1, "Unknown error."}};
  for (auto [status, text] : statuses) {
    std::ofstream(dir / "status") << status;
    test::ScopedRecordingSink sink;
    OpenWithShell(0, file, 1);
    if (text) {
      ASSERT_EQ(sink->boxes.size(), 1u) << status;
      EXPECT_EQ(sink->boxes[0].text, text);
    } else {
      EXPECT_TRUE(sink->boxes.empty());
    }
    std::ifstream opened(dir / "opened");
    std::string line;
    std::getline(opened, line);
    EXPECT_EQ(line, file);
  }
  setenv("PATH", oldPath.c_str(), 1);
}

TEST_F(ShellOpen, UnreadableFileIsAccessDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  writeFile("log");
  fs::permissions(file, fs::perms::none);
  test::ScopedRecordingSink sink;
  setShellLauncher([](const std::string&, int16_t) { return 33; });
  OpenWithShell(0, file, 1);
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_EQ(sink->boxes[0].text, "Access denied.");
}

}  // namespace
