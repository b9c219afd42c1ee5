#include <gtest/gtest.h>

#include <string>

#include "config/mod_ini_api.h"
#include "kpxwizard/wizard.h"
#include "support/recording_sink.h"
#include "support/scratch.h"

using namespace kpx;
using namespace kpx::modINIApi;

namespace {

class IniLayer : public ::testing::Test {
 protected:
  void SetUp() override { wizard = cKPXWizard::create(); }
  void TearDown() override { wizard->CloseWizard(); }
  void writeFile(const std::string& bytes) { scratch.write("config.ini", bytes); }
  std::string readFile() const { return test::readFile(file); }

  test::ScratchFolder scratch;
  std::string file = scratch.path("config.ini");
  std::shared_ptr<cKPXWizard> wizard;
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
  writeFile(
      "[ source ]\n"
      "one=x\n"
      "spaced =   x   \n"
      "tabbed\t=\tx\t\n"
      "empty=\n"
      "blank=    \n"
      "long=" +
      std::string(600, 'v') +
      "\n"
      "longAccented=" +
      repeated("é", 600) +
      "\n"
      "cutAtBlank=" +
      std::string(478, 'v') +
      " w\n"
      "noequals\n"
      "; comment=not a key\n"
      "[Other]\n"
      "one=other\n");
  const ReadCase& c = GetParam();
  EXPECT_EQ(ReadINIKey(file, "Source", c.key, c.defaultValue), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ReadKey,
    ::testing::Values(ReadCase{"KeyNameWithoutRegardToCase", "ONE", "d", "x"},
                      ReadCase{"ValueTrimmed", "spaced", "d", "x"},
                      ReadCase{"TabsTrimmedAroundKeyAndValue", "tabbed", "d", "x"},
                      ReadCase{"BlankGivesDefault", "blank", "d", "d"},
                      ReadCase{"MissingGivesDefault", "absent", "def", "def"},
                      ReadCase{"DefaultTrimmedWhenUsed", "absent", "  d  ", "d"},
                      ReadCase{"LineWithoutEqualsHasNoValue", "noequals", "d", "d"},
                      ReadCase{"CommentIsNoKey", "; comment", "d", "d"},
                      ReadCase{"SixHundredCutTo479", "long", "", std::string(479, 'v')},
                      ReadCase{"CutCountsCharacters", "longAccented", "", repeated("é", 479)},
                      ReadCase{"CutValueKeepsItsLastBlank", "cutAtBlank", "",
                               std::string(478, 'v') + " "}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST_F(IniLayer, WriteChangesOnlyItsOwnLine) {
  writeFile(
      "; saved by hand\n"
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
            "User=eve\n");
}

TEST_F(IniLayer, DeleteSectionRemovesHeaderAndKeysOnly) {
  writeFile(
      "[SOURCE]\nUser=bob\n[TRANSFORMATIONS]\nTRANSFORMATION1=x\n; note\n\n"
      "[transformations]\nTRANSFORMATION2=y\n[EXIT]\nAutoCloseWizard=True\n");
  test::ScopedRecordingSink sink;
  DeleteSection(file, "TRANSFORMATIONS");
  EXPECT_EQ(readFile(), "[SOURCE]\nUser=bob\n[EXIT]\nAutoCloseWizard=True\n");
  EXPECT_FALSE(SectionExists(file, "TRANSFORMATIONS"));
  EXPECT_TRUE(sink->boxes.empty());
}

TEST_F(IniLayer, PasswordsRoundTripThroughAnIniValue) {
  const std::string passwords[] = {
      "",       "x",       "secret", "§",           "=",  ";",          "[",        "]",  "a=b;c",
      "  lead", "trail  ", "  ",     "pässwörd €𝄞", "\t", "\"quoted\"", "ÿ\xFFraw", "TAB"};
  int i = 0;
  for (const std::string& password : passwords) {
    std::string key = "Password" + std::to_string(++i);
    std::string stored = EncodePassword(password);
    EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos) << stored;
    if (!password.empty()) {
      EXPECT_NE(stored, password);
    }
    WriteINIKey(file, "SOURCE", key, stored);
    EXPECT_EQ(DecodePassword(ReadINIKey(file, "SOURCE", key, "")), password) << password;
  }
  EXPECT_NE(EncodePassword("aaaa").substr(0, 2), EncodePassword("aaaa").substr(2, 2));
}

}  // namespace
