// The kpxwizard program's answers to help requests and to command lines it cannot carry out:
// the exit status and a message that names the file or option at fault and what to do.
#include <gtest/gtest.h>

#include "support/program_folder.h"

namespace {

struct Answer {
  const char* name;
  const char* arguments;
  int status;
  const char* says;  // a part of standard output when the status is 0, else of standard error
};

class CommandLine : public kpx::test::ProgramFolder,
                    public ::testing::WithParamInterface<Answer> {};

TEST_P(CommandLine, ExitsWithItsStatusAndSaysWhy) {
  scratch.write("mystery.bin", std::string("\x01\x02\x00\x03", 4));
  scratch.write("page.html", "<table><tr><th>A</th></tr><tr><td>1</td></tr></table>");
  scratch.write("broken.db", "this is not a database");
  sql("two.db", "CREATE TABLE A(x Long); CREATE TABLE B(y Long);");
  auto run = kpxwizard(GetParam().arguments);
  EXPECT_EQ(run.status, GetParam().status) << run.out << run.err;
  const std::string& said = GetParam().status == 0 ? run.out : run.err;
  EXPECT_NE(said.find(GetParam().says), std::string::npos) << said;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CommandLine,
    ::testing::Values(
        Answer{"Help", "--help", 0, "inspect PATH|CONFIG.ini"},
        Answer{"CopyHelpShortFlag", "copy -h", 0, "--save CONFIG.ini"},
        Answer{"NoCommand", "", 2, "Usage: kpxwizard COMMAND"},
        Answer{"UnknownCommand", "export x", 2, "unknown command 'export'"},
        Answer{"OptionWithoutValue", "copy people.csv out.csv --to-table", 2,
               "--to-table needs a value"},
        Answer{"CopyNeedsTwoFiles", "copy people.csv", 2, "give a source and a destination"},
        Answer{"MissingConfiguration", "run nothing.ini", 2, "'nothing.ini' does not exist"},
        Answer{"MissingSource", "copy nothing.csv out.csv", 2,
               "the source file 'nothing.csv' does not exist"},
        Answer{"UnknownKind", "inspect mystery.bin", 2, "cannot tell what kind of file"},
        Answer{"HtmlDestination", "copy people.csv page.html", 2, "an HTML page can only be read"},
        Answer{"DestinationWithoutCreate", "copy people.csv new.db", 2, "add --create"},
        Answer{"SeveralSourceTables", "copy two.db out.csv", 2,
               "several tables (A, B); choose one with --from-table"},
        Answer{"NoSuchSourceTable", "copy two.db out.csv --from-table C", 2,
               "has no table 'C'; its tables are: A, B"},
        Answer{"BadWidths", "copy people.csv out.txt --fixed 5,x", 2,
               "the width 'x' in --fixed 5,x"},
        // Plain text with a database's name is read as what its name says; it does not open.
        Answer{"DatabaseThatWillNotOpen", "inspect broken.db", 2,
               "cannot open 'broken.db' as SQLite database"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
