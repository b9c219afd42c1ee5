#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "data/mod_main.h"
#include "kpxwizard/automation_error.h"

using namespace kpx;
using Rows = std::array<std::string, 5>;
namespace fs = std::filesystem;

namespace {

fs::path scratchFile(const std::string& name, const std::string& bytes) {
  fs::path dir = fs::temp_directory_path() / ("kpx_preview_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::path path = dir / name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

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
};

TEST_P(Preview, RowsAndResult) {
  const PreviewCase& c = GetParam();
  fs::path path = scratchFile(std::string(c.name) + ".txt", c.bytes);
  modMain::ClearPreview();
  EXPECT_EQ(modMain::CreatePreview(path.string(), c.delimiter, c.flag), c.result);
  EXPECT_EQ(modMain::state().arrPreviewRows, c.rows);
}

const std::string kSevenLines = "1\n2\n3\n4\n5\n6\n7\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, Preview, ::testing::Values(
    PreviewCase{"CrLfFile", "h1,h2\r\na,b\r\nc,d\r\n", "{CR}{LF}", 0, 1, {"h1,h2", "a,b", "c,d", "", ""}},
    PreviewCase{"CrLfFileWithHeader", "h1,h2\r\na,b\r\nc,d\r\n", "{CR}{LF}", -1, 1, {"a,b", "c,d", "", "", ""}},
    PreviewCase{"CodeZeroIsCrLf", "h\r\na\r\n", "0", 0, 1, {"h", "a", "", "", ""}},
    PreviewCase{"LfFileReadByLines", "h\na\nb\n", "{CR}{LF}", 0, 1, {"h", "a", "b", "", ""}},
    PreviewCase{"CrFileReadByLines", "h\ra\rb", "{CR}{LF}", 0, 1, {"h", "a", "b", "", ""}},
    PreviewCase{"MixedLineEnds", "h\r\na\rb\nc", "{CR}{LF}", 0, 1, {"h", "a", "b", "c", ""}},
    PreviewCase{"EmptyLinesKept", "h\n\n\nb\n", "{CR}{LF}", 0, 1, {"h", "", "", "b", ""}},
    PreviewCase{"LfSplitsJoinedText", "h\na\nb\n", "{LF}", 0, 1, {"h\r", "a\r", "b", "", ""}},
    PreviewCase{"CrSplitsJoinedText", "h\r\na\r\nb", "5", 0, 1, {"h", "\na", "\nb", "", ""}},
    PreviewCase{"AtMostFiveLinesRead", kSevenLines, "{CR}{LF}", 0, 1, {"1", "2", "3", "4", "5"}},
    PreviewCase{"FiveLinesLessTheHeader", kSevenLines, "{CR}{LF}", -1, 1, {"2", "3", "4", "5", ""}},
    PreviewCase{"FlagTwoSkipsTwoPieces", kSevenLines, "6", 2, 1, {"3\r", "4\r", "5", "", ""}},
    PreviewCase{"CommaRows", "a,b,c\nd,e\n", "Virgola", 0, 1, {"a", "b", "c\r\nd", "e", ""}},
    PreviewCase{"SemicolonRows", "a;b;c", "2", 0, 1, {"a", "b", "c", "", ""}},
    PreviewCase{"TabRows", "a\tb\tc", "Tabulazione", -1, 1, {"b", "c", "", "", ""}},
    PreviewCase{"VerticalBarRows", "a|b|c|d|e|f|g", "4", 0, 1, {"a", "b", "c", "d", "e"}},
    PreviewCase{"VerticalBarByName", "a|b", "Barra Verticale", 0, 1, {"a", "b", "", "", ""}},
    PreviewCase{"DelimiterMissing", "a,b\nc,d\n", "2", 0, -2, {"", "", "", "", ""}},
    PreviewCase{"OneLineHasNoLineBreak", "abc\n", "{CR}{LF}", 0, -2, {"", "", "", "", ""}},
    PreviewCase{"EmptyFile", "", "{CR}{LF}", 0, -2, {"", "", "", "", ""}},
    PreviewCase{"EmptyFileUnknownDelimiter", "", "Comma", 0, -2, {"", "", "", "", ""}},
    PreviewCase{"UnknownDelimiterTakesWholeText", "a\nb", "Comma", 0, 1, {"a\r\nb", "", "", "", ""}},
    PreviewCase{"Utf8WithBom", "\xEF\xBB\xBF" "città\r\nperché\r\n", "{CR}{LF}", 0, 1, {"città", "perché", "", "", ""}},
    PreviewCase{"Utf8WithoutBom", "città\nperché", "{CR}{LF}", 0, 1, {"città", "perché", "", "", ""}},
    PreviewCase{"Windows1252", "caf\xE9\r\nna\xEFve\r\n\x80uro", "{CR}{LF}", 0, 1, {"café", "naïve", "€uro", "", ""}},
    PreviewCase{"Utf16LittleEndian", std::string("\xFF\xFE" "a\0\xFC\0\r\0\n\0b\0\n\0c\0", 16), "{CR}{LF}", 0, 1, {"aü", "b", "c", "", ""}},
    PreviewCase{"Utf16BigEndian", std::string("\xFE\xFF\0a\0\r\0b\x20\xAC", 10), "{CR}{LF}", 0, 1, {"a", "b€", "", "", ""}},
    PreviewCase{"Utf16WithCommas", std::string("\xFF\xFE" "x\0,\0y\0", 8), "1", 0, 1, {"x", "y", "", "", ""}}),
    [](const ::testing::TestParamInfo<PreviewCase>& info) { return std::string(info.param.name); });
// clang-format on

class PreviewFile : public ::testing::Test {
 protected:
  void SetUp() override { modMain::resetState(); }
};

TEST_F(PreviewFile, RowsTheFileDoesNotSupplyAreLeftAlone) {
  fs::path path = scratchFile("short.txt", "a\r\nb\r\n");
  modMain::state().arrPreviewRows = {"old0", "old1", "old2", "old3", "old4"};
  EXPECT_EQ(modMain::CreatePreview(path.string(), "{CR}{LF}", 0), 1);
  EXPECT_EQ(modMain::state().arrPreviewRows, (Rows{"a", "b", "old2", "old3", "old4"}));
  modMain::ClearPreview();
  EXPECT_EQ(modMain::state().arrPreviewRows, Rows{});
}

TEST_F(PreviewFile, EmptyPathIsDoneWithoutRows) {
  modMain::state().arrPreviewRows[0] = "kept";
  EXPECT_EQ(modMain::CreatePreview("", "{CR}{LF}", 0), 1);
  EXPECT_EQ(modMain::state().arrPreviewRows[0], "kept");
}

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
  fs::path path = scratchFile("huge.txt", "h1;h2\r\n1;2\r\n3;4\r\n5;6\r\n7;8\r\n9;10\r\n");
  fs::resize_file(path, uint64_t{64} << 30);
  EXPECT_EQ(modMain::CreatePreview(path.string(), "{CR}{LF}", -1), 1);
  EXPECT_EQ(modMain::state().arrPreviewRows, (Rows{"1;2", "3;4", "5;6", "7;8", ""}));
  fs::remove(path);
}

TEST_F(PreviewFile, HugeSingleLineWithoutBreakGivesMissingDelimiter) {
  fs::path path = scratchFile("one_line.txt", std::string(3 * 4096 + 17, 'x'));
  EXPECT_EQ(modMain::CreatePreview(path.string(), "{CR}{LF}", 0), -2);
}

}  // namespace
