// The routines behind a text file's connection: the preview of its first lines, delimiters
// by name or code, digits-only fields and a table named after its file.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "data/mod_main.h"
#include "kpxwizard/automation_error.h"
#include "kpxwizard/wizard.h"
#include "support/recording_sink.h"
#include "support/scratch.h"

using namespace kpx;
using Rows = std::array<std::string, 5>;
namespace fs = std::filesystem;

namespace {

struct PreviewCase {
  const char* name;
  std::string bytes;
  const char* delimiter;
  int16_t flag;
  int16_t result;
  Rows rows;  // after ClearPreview and CreatePreview
};

class Preview : public ::testing::TestWithParam<PreviewCase> {
 protected:
  void SetUp() override { modMain::resetState(); }
  test::ScratchFolder scratch;
};

TEST_P(Preview, RowsAndResult) {
  const PreviewCase& c = GetParam();
  fs::path path = scratch.write(std::string(c.name) + ".txt", c.bytes);
  modMain::ClearPreview();
  EXPECT_EQ(modMain::CreatePreview(path.string(), c.delimiter, c.flag), c.result);
  EXPECT_EQ(modMain::state().arrPreviewRows, c.rows);
}

const std::string kSevenLines = "1\n2\n3\n4\n5\n6\n7\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, Preview, ::testing::Values(
    PreviewCase{"CrLfFile", "h1,h2\r\na,b\r\nc,d\r\n", "{CR}{LF}", 0, 1, {"h1,h2", "a,b", "c,d", "", ""}},
    PreviewCase{"CrLfFileWithHeader", "h1,h2\r\na,b\r\nc,d\r\n", "{CR}{LF}", -1, 1, {"a,b", "c,d", "", "", ""}},
    PreviewCase{"LfFileReadByLines", "h\na\nb\n", "{CR}{LF}", 0, 1, {"h", "a", "b", "", ""}},
    PreviewCase{"LfSplitsJoinedText", "h\na\nb\n", "{LF}", 0, 1, {"h\r", "a\r", "b", "", ""}},
    PreviewCase{"AtMostFiveLinesRead", kSevenLines, "{CR}{LF}", 0, 1, {"1", "2", "3", "4", "5"}},
    PreviewCase{"FlagTwoSkipsTwoPieces", kSevenLines, "6", 2, 1, {"3\r", "4\r", "5", "", ""}},
    PreviewCase{"CommaRows", "a,b,c\nd,e\n", "Virgola", 0, 1, {"a", "b", "c\r\nd", "e", ""}},
    PreviewCase{"VerticalBarRows", "a|b|c|d|e|f|g", "4", 0, 1, {"a", "b", "c", "d", "e"}},
    PreviewCase{"DelimiterMissing", "a,b\nc,d\n", "2", 0, -2, {"", "", "", "", ""}},
    PreviewCase{"EmptyFile", "", "{CR}{LF}", 0, -2, {"", "", "", "", ""}},
    PreviewCase{"Utf8WithBom", "\xEF\xBB\xBF" "città\r\nperché\r\n", "{CR}{LF}", 0, 1, {"città", "perché", "", "", ""}},
    PreviewCase{"Utf16LittleEndian", std::string("\xFF\xFE" "a\0\xFC\0\r\0\n\0b\0\n\0c\0", 16), "{CR}{LF}", 0, 1, {"aü", "b", "c", "", ""}}),
    [](const ::testing::TestParamInfo<PreviewCase>& info) { return std::string(info.param.name); });
// clang-format on

class PreviewFile : public ::testing::Test {
 protected:
  void SetUp() override { modMain::resetState(); }
  test::ScratchFolder scratch;
};

TEST_F(PreviewFile, MissingFileIsError53NamingTheFile) {
  const std::string path = "/nonexistent-kpx-dir/orders.txt";
  try {
    modMain::CreatePreview(path, "{CR}{LF}", 0);
    FAIL() << "no error for a missing file";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 53);
    EXPECT_NE(e.description().find(path), std::string::npos);
  }
}

TEST_F(PreviewFile, HugeFileReadsOnlyItsFirstLines) {
  // 64 GiB, almost all of it a hole: reading past the first lines would never finish.
  fs::path path = scratch.write("huge.txt", "h1;h2\r\n1;2\r\n3;4\r\n5;6\r\n7;8\r\n9;10\r\n");
  fs::resize_file(path, uint64_t{64} << 30);
  EXPECT_EQ(modMain::CreatePreview(path.string(), "{CR}{LF}", -1), 1);
  EXPECT_EQ(modMain::state().arrPreviewRows, (Rows{"1;2", "3;4", "5;6", "7;8", ""}));
  fs::remove(path);
}

struct DelimiterCase {
  const char* value;
  const char* characters;
};

class DelimiterLookup : public ::testing::TestWithParam<DelimiterCase> {};

TEST_P(DelimiterLookup, ByNameOrCode) {
  EXPECT_EQ(modMain::DelimiterText(GetParam().value), GetParam().characters);
}

INSTANTIATE_TEST_SUITE_P(
    Delimiters, DelimiterLookup,
    // Names are matched exactly; codes run from 0 to 6.
    ::testing::Values(DelimiterCase{"{CR}{LF}", "\r\n"}, DelimiterCase{"0", "\r\n"},
                      DelimiterCase{"Punto e Virgola", ";"}, DelimiterCase{"3", "\t"},
                      DelimiterCase{"6", "\n"}, DelimiterCase{"Punto e virgola", ""},
                      DelimiterCase{"7", ""}, DelimiterCase{"-1", ""}, DelimiterCase{"3x", ""}));

TEST(Lookups, IsDigitsOnly) {
  EXPECT_TRUE(modMain::IsDigitsOnly(""));
  EXPECT_TRUE(modMain::IsDigitsOnly("0123456789"));
  EXPECT_FALSE(modMain::IsDigitsOnly("-1"));
  EXPECT_FALSE(modMain::IsDigitsOnly("١٢"));  // Arabic-Indic digits sort above "9"
}

TEST(Lookups, TakeNameTableStripsFoldersAndExtension) {
  EXPECT_EQ(modMain::TakeNameTable("C:\\data\\Orders.2024.txt"), "Orders");
  EXPECT_EQ(modMain::TakeNameTable("mixed/dir\\città.txt"), "città");
  EXPECT_EQ(modMain::TakeNameTable(".hidden"), "");
}

TEST(Lookups, TakeNameTableReportsANameWithoutExtension) {
  auto wizard = cKPXWizard::create();
  test::ScopedRecordingSink sink;
  EXPECT_EQ(modMain::TakeNameTable("/data.d/README"), "");
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_NE(sink->boxes[0].text.find("Located in : TakeNameTable [modMain] "), std::string::npos);
  wizard->CloseWizard();
}

}  // namespace
