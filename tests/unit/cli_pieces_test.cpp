// The kpxwizard program's own pieces: reading the command line, telling a file's kind, the
// progress text and the JSON strings.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "cli/arguments.h"
#include "cli/file_connection.h"
#include "cli/file_kind.h"
#include "cli/json_text.h"
#include "cli/progress_display.h"
#include "kpxwizard/enums.h"

namespace fs = std::filesystem;
using namespace kpx;
using namespace kpx::cli;

namespace {

TEST(CommandLine, OptionsTakeTheirValueFromTheNextWordOrAfterEquals) {
  AcceptedOptions accepted{{"--to-table", "--delimiter"}, {"--create"}};
  auto parsed = parseArguments({"a.csv", "--to-table", "T", "--delimiter=;", "--create", "--", "--odd.db"}, accepted, "copy");
  EXPECT_EQ(parsed.positional, (std::vector<std::string>{"a.csv", "--odd.db"}));
  EXPECT_EQ(parsed.value("--to-table"), "T");
  EXPECT_EQ(parsed.value("--delimiter"), ";");
  EXPECT_TRUE(parsed.has("--create"));
  EXPECT_FALSE(parsed.has("--replace"));
  // A lone "-" is a positional argument (standard input by convention), not an option.
  EXPECT_EQ(parseArguments({"-"}, accepted, "copy").positional, std::vector<std::string>{"-"});
}

TEST(CommandLine, WidthsDelimitersAndQualifiers) {
  EXPECT_EQ(parseWidths("5, 20,3"), (std::vector<int>{5, 20, 3}));
  for (const char* bad : {"", "5,,3", "0", "-1", "5;3", "9999999"})
    EXPECT_THROW(parseWidths(bad), CliError) << bad;
  EXPECT_EQ(parseDelimiter("TAB"), "\t");
  EXPECT_EQ(parseDelimiter("\\t"), "\t");
  EXPECT_EQ(parseDelimiter(";"), ";");
  EXPECT_EQ(parseQualifier("none"), "");
  EXPECT_EQ(parseQualifier("'"), "'");
  EXPECT_THROW(parseQualifier("''"), CliError);
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
  const fs::path dir = fs::temp_directory_path() / ("kpx_kind_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string path = (dir / GetParam().fileName).string();
  if (!GetParam().content.empty()) std::ofstream(path, std::ios::binary) << GetParam().content;
  const FileKind kind = detectFileKind(path);
  fs::remove_all(dir);
  EXPECT_EQ(kind.conType, GetParam().conType);
  EXPECT_EQ(kind.sqlite, GetParam().sqlite);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileKindDetection,
    ::testing::Values(
        KindCase{"SqliteWithTextName", "data.txt", std::string("SQLite format 3\0rest", 20), CONN_ACCESS, true},
        KindCase{"CompoundFileWithoutName", "book", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "x", CONN_EXCEL, false},
        KindCase{"ZipIsXlsx", "book.bin", std::string("PK\x03\x04", 4) + "zz", CONN_EXCEL, false},
        KindCase{"Biff2Record", "old.dat", std::string("\x09\x00\x04\x00", 4), CONN_EXCEL, false},
        KindCase{"HtmlMarkup", "page", "<!DOCTYPE html><table></table>", CONN_HTML_SOURCE, false},
        KindCase{"CsvMentioningTablesStaysText", "notes.csv", "a,b\n<table>,1\n", CONN_TEXTFILE, false},
        KindCase{"AccessHeader", "legacy", std::string("\x00\x01\x00\x00Standard Jet DB", 19), CONN_ACCESS, false},
        KindCase{"PlainTextWithoutName", "readme", "a;b\n1;2\n", CONN_TEXTFILE, false},
        KindCase{"BinaryWithoutName", "blob", std::string("\x01\x00\x02", 3), 0, false},
        KindCase{"NewSqliteByName", "new.sqlite3", "", CONN_ACCESS, true},
        KindCase{"NewWorkbookByName", "new.XLSX", "", CONN_EXCEL, false},
        KindCase{"NewTsvByName", "new.tsv", "", CONN_TEXTFILE, false},
        KindCase{"NewFileWithoutName", "new", "", 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileConnection, TextLayoutIsReadFromTheFile) {
  const fs::path dir = fs::temp_directory_path() / ("kpx_layout_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "semi.txt", std::ios::binary) << "Id;Name;City\n1;Anna;Roma\n";
  std::ofstream(dir / "fixed.txt", std::ios::binary) << "Id   Name      \r\n1    Anna      \r\n";
  FileKind text{CONN_TEXTFILE};
  auto semi = makeFileConnection((dir / "semi.txt").string(), text, kpxSource, {});
  EXPECT_EQ(semi->ColumnDelimiter(), ";");
  EXPECT_EQ(semi->RowDelimiter(), kpxLF);
  EXPECT_EQ(semi->FirstRow(), -1);
  TextLayout fixedLayout;
  fixedLayout.widths = {5, 10, 4};
  auto fixed = makeFileConnection((dir / "fixed.txt").string(), text, kpxSource, fixedLayout);
  EXPECT_EQ(fixed->FormatFile(), kpxFixedFile);
  EXPECT_EQ(fixed->RowDelimiter(), kpxCRLF);
  EXPECT_EQ(fixed->ColumnLengths(), "5,10,4");
  EXPECT_EQ(fixed->ColumnNames(), "Id,Name,Col003");
  fs::remove_all(dir);
}

TEST(Progress, TextShowsRowsRateAndElapsedTime) {
  EXPECT_EQ(ProgressDisplay::progressText(3000, 0, 2.0, false), "3000 rows copied, 1500 rows/s, 00:02 elapsed");
  EXPECT_EQ(ProgressDisplay::progressText(1000, 50, 0.5, true),
            "[###############---------------] 50%  1000 rows copied, 2000 rows/s, 00:00 elapsed");
  EXPECT_EQ(ProgressDisplay::progressText(5, 0, 0.0, false), "5 rows copied, 0 rows/s, 00:00 elapsed");
  EXPECT_EQ(ProgressDisplay::formatElapsed(125.9), "02:05");
  EXPECT_EQ(ProgressDisplay::formatElapsed(3723), "1:02:03");
}

TEST(Progress, TerminalRedrawsOneLineAndPipesGetOneLinePerReport) {
  auto now = std::chrono::steady_clock::now();
  auto clock = [&now] { return now; };
  std::ostringstream terminal, pipe;
  ProgressDisplay onTerminal(terminal, true, clock), onPipe(pipe, false, clock);
  for (auto* display : {&onTerminal, &onPipe}) display->OnStart("Step");
  now += std::chrono::seconds(1);
  for (auto* display : {&onTerminal, &onPipe}) {
    display->OnProgress("Step", "", 0, 1000, 0);
    display->OnProgress("Step", "", 0, 2000, 0);
    display->OnFinish("Step");
  }
  EXPECT_EQ(terminal.str(),
            "\r\033[K[------------------------------] 1000 rows copied, 1000 rows/s, 00:01 elapsed"
            "\r\033[K[------------------------------] 2000 rows copied, 2000 rows/s, 00:01 elapsed\n");
  EXPECT_EQ(pipe.str(),
            "Started Step\n1000 rows copied, 1000 rows/s, 00:01 elapsed\n2000 rows copied, 2000 rows/s, 00:01 elapsed\n"
            "Finished Step\n");
  // Counts above 32 bits arrive in two halves.
  onPipe.OnProgress("Step", "", 0, 5, 1);
  EXPECT_EQ(onPipe.rowsReported(), (int64_t{1} << 32) + 5);
}

TEST(Json, StringsAreEscapedAndAlwaysValidUtf8) {
  EXPECT_EQ(jsonString("plain"), "\"plain\"");
  EXPECT_EQ(jsonString("say \"hi\"\\"), "\"say \\\"hi\\\"\\\\\"");
  EXPECT_EQ(jsonString("a\nb\tc\r\x01"), "\"a\\nb\\tc\\r\\u0001\"");
  EXPECT_EQ(jsonString("città €"), "\"città €\"");
  EXPECT_EQ(jsonString("bad \xE8 byte"), "\"bad \xEF\xBF\xBD byte\"");
  EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");  // a UTF-16 surrogate
  EXPECT_EQ(jsonString("\xF0\x9F\x98"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");  // cut short
}

}  // namespace
