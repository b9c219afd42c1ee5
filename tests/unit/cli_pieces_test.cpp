// The kpxwizard program's own pieces: reading the command line and telling a file's kind.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/arguments.h"
#include "cli/file_connection.h"
#include "cli/file_kind.h"
#include "cli/progress_display.h"
#include "kpxwizard/enums.h"
#include "support/scratch.h"

using namespace kpx;
using namespace kpx::cli;

namespace {

TEST(CommandLine, OptionsTakeTheirValueFromTheNextWordOrAfterEquals) {
  AcceptedOptions accepted{{"--to-table", "--delimiter"}, {"--create"}};
  auto parsed =
      parseArguments({"a.csv", "--to-table", "T", "--delimiter=;", "--create", "--", "--odd.db"},
                     accepted, "copy");
  EXPECT_EQ(parsed.positional, (std::vector<std::string>{"a.csv", "--odd.db"}));
  EXPECT_EQ(parsed.value("--delimiter"), ";");
  EXPECT_TRUE(parsed.has("--create"));
  // A lone "-" is a positional argument (standard input by convention), not an option.
  EXPECT_EQ(parseArguments({"-"}, accepted, "copy").positional, std::vector<std::string>{"-"});
}

TEST(CommandLine, WidthsDelimitersAndQualifiers) {
  EXPECT_EQ(parseWidths("5, 20,3"), (std::vector<int>{5, 20, 3}));
  for (const char* bad : {"", "5,,3", "0", "5;3", "9999999"})
    EXPECT_THROW(parseWidths(bad), CliError) << bad;
  EXPECT_EQ(parseDelimiter("\\t"), "\t");
  EXPECT_EQ(parseQualifier("none"), "");
  EXPECT_EQ(parseQualifier("'"), "'");
  EXPECT_THROW(parseQualifier("''"), CliError);
}

TEST(Progress, PlainLineOnlyOnceATenthAndTenSecondsHavePassed) {
  std::ostringstream out;
  int seconds = 0;
  ProgressDisplay display(out, false, [&] {
    return std::chrono::steady_clock::time_point(std::chrono::seconds(seconds));
  });
  struct Event {
    int seconds, percent;
    bool line;
  };
  // Percent 0: the share done is unknown, so ten seconds alone decide.
  for (const Event& e :
       {Event{5, 50, false}, Event{11, 55, true}, Event{13, 70, false}, Event{30, 64, false},
        Event{31, 65, true}, Event{35, 0, false}, Event{41, 0, true}}) {
    seconds = e.seconds;
    const size_t before = out.str().size();
    display.OnProgress("step", "", e.percent, 1000, 0);
    EXPECT_EQ(out.str().size() > before, e.line) << e.seconds << " s, " << e.percent << "%";
  }
}

struct KindCase {
  const char* name;
  const char* fileName;
  std::string content;  // empty: the file is not made
  int32_t conType;
  bool sqlite;
};

class FileKindDetection : public ::testing::TestWithParam<KindCase> {};

TEST_P(FileKindDetection, ComesFromContentThenName) {
  test::ScratchFolder scratch;
  const std::string path = scratch.path(GetParam().fileName);
  if (!GetParam().content.empty()) scratch.write(GetParam().fileName, GetParam().content);
  const FileKind kind = detectFileKind(path);
  EXPECT_EQ(kind.conType, GetParam().conType);
  EXPECT_EQ(kind.sqlite, GetParam().sqlite);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileKindDetection,
    ::testing::Values(
        KindCase{"SqliteWithTextName", "data.txt", std::string("SQLite format 3\0rest", 20),
                 CONN_ACCESS, true},
        KindCase{"CompoundFileWithoutName", "book",
                 std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "x", CONN_EXCEL, false},
        KindCase{"ZipIsXlsx", "book.bin", std::string("PK\x03\x04", 4) + "zz", CONN_EXCEL, false},
        KindCase{"Biff2Record", "old.dat", std::string("\x09\x00\x04\x00", 4), CONN_EXCEL, false},
        KindCase{"HtmlMarkup", "page", "<!DOCTYPE html><table></table>", CONN_HTML_SOURCE, false},
        KindCase{"CsvMentioningTablesStaysText", "notes.csv", "a,b\n<table>,1\n", CONN_TEXTFILE,
                 false},
        KindCase{"AccessHeader", "legacy", std::string("\x00\x01\x00\x00Standard Jet DB", 19),
                 CONN_ACCESS, false},
        KindCase{"BinaryWithoutName", "blob", std::string("\x01\x00\x02", 3), 0, false},
        KindCase{"NewWorkbookByName", "new.XLSX", "", CONN_EXCEL, false},
        KindCase{"NewTsvByName", "new.tsv", "", CONN_TEXTFILE, false},
        KindCase{"NewFileWithoutName", "new", "", 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
