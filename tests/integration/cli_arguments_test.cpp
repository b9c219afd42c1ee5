// The kpxwizard program's answers to help requests and to command lines it cannot carry out:
// the exit status and a message that names the file or option at fault and what to do.
#include <gtest/gtest.h>

#include "support/program_folder.h"

namespace {

struct HelpCase {
  const char* name;
  const char* arguments;
  const char* mentions;
};

class HelpText : public kpx::test::ProgramFolder, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(HelpText, IsPrintedWithExamplesAndExitStatusZero) {
  auto run = kpxwizard(GetParam().arguments);
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
                                           HelpCase{"CopyShortFlag", "copy -h",
                                                    "--save CONFIG.ini"},
                                           HelpCase{"Inspect", "inspect --help", "\"nullable\""}),
                         [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
  const char* name;
  const char* arguments;
  const char* message;  // a part of standard error
};

class RefusedCommandLine : public kpx::test::ProgramFolder,
                           public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedCommandLine, ExitsWithStatusTwoAndSaysWhy) {
  scratch.write("mystery.bin", std::string("\x01\x02\x00\x03", 4));
  scratch.write("page.html", "<table><tr><th>A</th></tr><tr><td>1</td></tr></table>");
  sql("two.db", "CREATE TABLE A(x Long); CREATE TABLE B(y Long);");
  auto run = kpxwizard(GetParam().arguments);
  EXPECT_EQ(run.status, 2) << run.out << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, RefusedCommandLine,
    ::testing::Values(
        RefusedCase{"NoCommand", "", "Usage: kpxwizard COMMAND"},
        RefusedCase{"UnknownCommand", "export x", "unknown command 'export'"},
        RefusedCase{"OptionWithoutValue", "copy people.csv out.csv --to-table",
                    "--to-table needs a value"},
        RefusedCase{"CopyNeedsTwoFiles", "copy people.csv", "give a source and a destination"},
        RefusedCase{"MissingConfiguration", "run nothing.ini", "'nothing.ini' does not exist"},
        RefusedCase{"TwoConfigurationsForTheWizard", "wizard a.ini b.ini",
                    "at most one configuration"},
        RefusedCase{"MissingSource", "copy nothing.csv out.csv",
                    "the source file 'nothing.csv' does not exist"},
        RefusedCase{"UnknownKind", "inspect mystery.bin", "cannot tell what kind of file"},
        RefusedCase{"HtmlDestination", "copy people.csv page.html",
                    "an HTML page can only be read"},
        RefusedCase{"DestinationWithoutCreate", "copy people.csv new.db", "add --create"},
        RefusedCase{"SeveralSourceTables", "copy two.db out.csv",
                    "several tables (A, B); choose one with --from-table"},
        RefusedCase{"NoSuchSourceTable", "copy two.db out.csv --from-table C",
                    "has no table 'C'; its tables are: A, B"},
        RefusedCase{"BadWidths", "copy people.csv out.txt --fixed 5,x",
                    "the width 'x' in --fixed 5,x"},
        RefusedCase{"NegativeWait", "copy people.csv out.csv --busy-timeout -1", "--busy-timeout"},
        RefusedCase{"FractionalWait", "copy people.csv out.csv --busy-timeout 1.5",
                    "--busy-timeout"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
