// The kpxwizard program's answers to help requests and to command lines it cannot carry out:
// the exit status and a message that names the file or option at fault and what to do.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/kpxwizard_program.h"

namespace fs = std::filesystem;
using kpx::test::runKpxwizard;

namespace {

class ProgramArguments : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = fs::temp_directory_path() / ("kpx_cli_args_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "people.csv") << "Id,Name\n1,Anna\n";
    std::ofstream(dir / "mystery.bin") << std::string("\x01\x02\x00\x03", 4);
    std::ofstream(dir / "page.html") << "<html><body><table><tr><th>A</th></tr><tr><td>1</td></tr></table></body></html>";
    std::ofstream(dir / "old.mdb") << "";
    ASSERT_EQ(std::system(("sqlite3 " + (dir / "two.db").string() +
                           " 'CREATE TABLE A(x Long); CREATE TABLE B(y Long);'").c_str()), 0);
  }
  static void TearDownTestSuite() { fs::remove_all(dir); }
  static fs::path dir;
};
fs::path ProgramArguments::dir;

struct HelpCase {
  const char* name;
  const char* arguments;
  const char* mentions;
};

class HelpText : public ::testing::TestWithParam<HelpCase> {};

TEST_P(HelpText, IsPrintedWithExamplesAndExitStatusZero) {
  auto run = runKpxwizard(GetParam().arguments);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Usage: kpxwizard"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Examples:"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(GetParam().mentions), std::string::npos) << run.out;
  EXPECT_EQ(run.err, "");
}

INSTANTIATE_TEST_SUITE_P(EachCommand, HelpText,
                         ::testing::Values(HelpCase{"Program", "--help", "inspect PATH|CONFIG.ini"},
                                           HelpCase{"Run", "run --help", "--log-dir DIR"},
                                           HelpCase{"Copy", "copy --help", "--by-name"},
                                           HelpCase{"CopyShortFlag", "copy -h", "--save CONFIG.ini"},
                                           HelpCase{"Inspect", "inspect --help", "\"nullable\""}),
                         [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
  const char* name;
  const char* arguments;  // @ stands for the test folder
  const char* message;    // a part of standard error
};

class RefusedCommandLine : public ProgramArguments, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedCommandLine, ExitsWithStatusTwoAndSaysWhy) {
  const auto inFolder = [](std::string text) {
    for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, dir.string());
    return text;
  };
  auto run = runKpxwizard(inFolder(GetParam().arguments));
  EXPECT_EQ(run.status, 2) << run.out << run.err;
  EXPECT_NE(run.err.find(inFolder(GetParam().message)), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, RefusedCommandLine,
    ::testing::Values(
        RefusedCase{"NoCommand", "", "Usage: kpxwizard COMMAND"},
        RefusedCase{"UnknownCommand", "export x", "unknown command 'export'"},
        RefusedCase{"UnknownOption", "copy @/people.csv @/out.csv --colour", "unknown option --colour"},
        RefusedCase{"OptionWithoutValue", "copy @/people.csv @/out.csv --to-table", "--to-table needs a value"},
        RefusedCase{"OptionTwice", "copy @/people.csv @/o.csv --delimiter , --delimiter ';'", "--delimiter is given twice"},
        RefusedCase{"FlagWithValue", "copy @/people.csv @/o.db --create=yes", "--create takes no value"},
        RefusedCase{"CopyNeedsTwoFiles", "copy @/people.csv", "give a source and a destination"},
        RefusedCase{"RunNeedsOneFile", "run", "give one configuration file"},
        RefusedCase{"MissingConfiguration", "run @/nothing.ini", "'@/nothing.ini' does not exist"},
        RefusedCase{"MissingSource", "copy @/nothing.csv @/out.csv", "the source file '@/nothing.csv' does not exist"},
        RefusedCase{"MissingInspected", "inspect @/nothing.db", "the file '@/nothing.db' does not exist"},
        RefusedCase{"UnknownKind", "inspect @/mystery.bin", "cannot tell what kind of file"},
        RefusedCase{"UnknownDestinationKind", "copy @/people.csv @/out.bin", "give it one of the endings"},
        RefusedCase{"HtmlDestination", "copy @/people.csv @/page.html", "an HTML page can only be read"},
        RefusedCase{"AccessDestination", "copy @/people.csv @/old.mdb --create", "Access files are read-only here"},
        RefusedCase{"DestinationWithoutCreate", "copy @/people.csv @/new.db", "add --create"},
        RefusedCase{"SeveralSourceTables", "copy @/two.db @/out.csv", "several tables (A, B); choose one with --from-table"},
        RefusedCase{"NoSuchSourceTable", "copy @/two.db @/out.csv --from-table C", "has no table 'C'; its tables are: A, B"},
        RefusedCase{"TableAndQuery", "copy @/two.db @/out.csv --from-table A --query 'SELECT * FROM A'", "either --from-table or --query"},
        RefusedCase{"QueryOnTextFile", "copy @/people.csv @/out.db --query 'SELECT * FROM x'", "is read whole"},
        RefusedCase{"LongDelimiter", "copy @/people.csv @/out.csv --delimiter ab", "the delimiter 'ab' is not one character"},
        RefusedCase{"BadWidths", "copy @/people.csv @/out.txt --fixed 5,x", "the width 'x' in --fixed 5,x"},
        RefusedCase{"HeaderBothWays", "copy @/people.csv @/out.csv --header --no-header", "either --header or --no-header"},
        RefusedCase{"YesAndNo", "run @/people.csv --yes --no", "either --yes or --no"},
        RefusedCase{"UnknownLanguage", "copy @/people.csv @/out.csv --lang fr", "unknown language 'fr'"},
        RefusedCase{"MissingLogFolder", "copy @/people.csv @/out.csv --log-dir @/no/such", "the log folder '@/no/such' does not exist"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
