// kpxwizard copy with hostile names and unlucky runs: every destination is left byte for byte as
// it was when a run fails, is stopped or is killed, checked by its bytes and the sqlite3 program.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "support/command_output.h"
#include "support/hostile_names.h"
#include "support/program_folder.h"
#include "support/sql_text.h"

namespace fs = std::filesystem;
using kpx::test::commandOutput;
using kpx::test::hexOf;
using kpx::test::kpxwizardPath;
using kpx::test::readFile;
using kpx::test::shellQuote;
using kpx::test::sqlIdentifier;
using kpx::test::sqlLiteral;

namespace {

const auto byLabel = [](const auto& info) { return std::string(info.param.label); };

class Safety : public kpx::test::ProgramFolder {
 protected:
  void TearDown() override {
    if (!mounted.empty()) ::umount2(mounted.c_str(), MNT_DETACH);
  }

  void write(const std::string& name, const std::string& text) { scratch.write(name, text); }
  bool same(const std::string& a, const std::string& b) {
    return readFile(path(a)) == readFile(path(b));
  }
  void keepCopy(const std::string& name) { fs::copy_file(path(name), path(name + ".before")); }
  // Temporary files of replacements anywhere below the test's folder.
  std::vector<std::string> temporaryFiles() const {
    std::vector<std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      const std::string name = entry.path().filename().string();
      if (name.find(".kpxtmp-") != std::string::npos || name.ends_with("-journal"))
        out.push_back(name);
    }
    return out;
  }
  mode_t modeOf(const std::string& name) const {
    struct stat st {};
    EXPECT_EQ(::stat(path(name).c_str(), &st), 0) << name;
    return st.st_mode & 07777;
  }
  // "Id,Name,Amount" and `rows` rows of about 40 bytes.
  void writeBigCsv(const std::string& name, int rows) {
    std::ofstream out(path(name), std::ios::binary);
    out << "Id,Name,Amount\r\n";
    for (int i = 1; i <= rows; ++i)
      out << i << ",Name number " << i << " of the big file," << i << ".25\r\n";
  }
  // A text file, or a workbook or database holding table People made by the program itself.
  void prepare(const std::string& name) {
    if (name.ends_with(".csv")) return write(name, "Id,Name,City\r\n9,Old,\r\n");
    auto run = copy("people.csv " + name + " --create --to-table People");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
  }

  // Starts `kpxwizard copy ARGUMENTS…` in the test's folder without waiting for it.
  pid_t start(const std::vector<std::string>& arguments) {
    const pid_t child = ::fork();
    if (child == 0) {
      if (::chdir(dir.c_str()) != 0) ::_exit(127);
      std::freopen("/dev/null", "r", stdin);
      std::freopen(path("run.out").c_str(), "w", stdout);
      std::freopen(path("run.err").c_str(), "w", stderr);
      const std::string program = kpxwizardPath();
      std::vector<std::string> all = {program, "copy"};
      all.insert(all.end(), arguments.begin(), arguments.end());
      all.insert(all.end(), {"--log-dir", "logs"});
      std::vector<char*> argv;
      for (auto& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    return child;
  }
  static int waitFor(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
  }

  std::string mounted;
};

// ---- Names ----------------------------------------------------------------------------------

class CliNames : public Safety, public ::testing::WithParamInterface<kpx::test::HostileName> {};

// The name is the header of a column and, from the command line, the name of the table.
TEST_P(CliNames, TableAndColumnNamesStayNames) {
  const std::string name = GetParam().name;
  // A line break stands in a header field only when quoted; a double quote only when not.
  const bool lineBreak = name.find('\n') != std::string::npos;
  write("in.tsv", "Id\t" + (lineBreak ? "\"" + name + "\"" : name) + "\r\n1\tone\r\n2\ttwo\r\n");
  sql("shop.db", "CREATE TABLE keep(x); INSERT INTO keep VALUES(42);");
  const std::string into =
      "in.tsv shop.db --to-table " + shellQuote(name) + (lineBreak ? "" : " --qualifier none");
  auto run = copy(into + " --create");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(sql("shop.db", "SELECT hex(name) FROM sqlite_master ORDER BY name = 'keep'"),
            hexOf(name) + "\n" + hexOf("keep") + "\n");
  EXPECT_EQ(sql("shop.db", "SELECT hex(name) FROM pragma_table_info(" + sqlLiteral(name) + ")"),
            hexOf("Id") + "\n" + hexOf(name) + "\n");
  // Replacing its rows deletes them and nothing else.
  run = copy(into + " --replace");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(sql("shop.db", "SELECT Id, " + sqlIdentifier(name) + " FROM " + sqlIdentifier(name)),
            "1|one\n2|two\n");
  EXPECT_EQ(sql("shop.db", "SELECT x FROM keep"), "42\n");
}

INSTANTIATE_TEST_SUITE_P(Hostile, CliNames, ::testing::ValuesIn(kpx::test::kHostileNames), byLabel);

// ---- A failed run leaves its destination as it was, or absent ------------------------------

TEST_F(Safety, FailedRunLeavesTheDestinationAsItWas) {
  struct Case {
    const char* label;
    std::string arguments;
    std::string destination;
    const char* says;
  };
  std::string wide = "C1";
  for (int i = 2; i <= 10000; ++i) wide += ",C" + std::to_string(i);
  write("wide.csv", wide + "\r\n");
  std::string garbage;
  std::mt19937 bytes(7);
  for (int i = 0; i < 20000; ++i) garbage += static_cast<char>(bytes() & 0xff);
  write("garbage.csv", garbage);
  write("broken.csv", "Id,Amount\r\n1,2\r\n2,\"3\r\n4,5\r\n");
  std::string manyBadRows = "Id,Amount\r\n";
  for (int i = 1; i <= 150; ++i) manyBadRows += std::to_string(i) + ",n/a\r\n";
  write("bad.csv", manyBadRows);
  write("nul.csv", std::string("Id,a\0b\r\n1,2\r\n", 14));
  write("out.csv", "old,content\r\n");
  sql("shop.db",
      "CREATE TABLE T(Id Long, Amount Double); INSERT INTO T VALUES(100, 1.5), (200, 2.5);");
  sql("typed.db", "CREATE TABLE S(Id Long, Amount Long);");
  std::string bad = "BEGIN;";
  for (int i = 1; i <= 150; ++i) bad += "INSERT INTO S VALUES(" + std::to_string(i) + ", 'n/a');";
  sql("typed.db", bad + "COMMIT;");
  const Case cases[] = {
      {"unterminated quote in place of the rows", "broken.csv shop.db --to-table T --replace",
       "shop.db", "Rows written:  0\n"},
      {"bad rows in place of the rows", "bad.csv shop.db --to-table T --replace", "shop.db",
       "Rows written:  0\n"},
      {"NUL in a column name", "nul.csv shop.db --create --to-table N", "shop.db", "NUL character"},
      {"text file without --replace", "people.csv out.csv", "out.csv",
       "'out.csv' exists and would be replaced; add --replace"},
      {"binary garbage into a database", "garbage.csv new.db --create", "new.db", ""},
      {"binary garbage into an xlsx workbook", "garbage.csv new.xlsx --create", "new.xlsx", ""},
      {"unterminated quote into an xls workbook", "broken.csv new.xls --create", "new.xls", ""},
      {"ten thousand columns into a database", "wide.csv new.db --create", "new.db", ""},
      {"bad rows into a database", "typed.db new.db --create", "new.db", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const bool existed = fs::exists(path(c.destination));
    const std::string before = readFile(path(c.destination));
    auto run = copy(c.arguments);
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
    EXPECT_EQ(fs::exists(path(c.destination)), existed);
    EXPECT_TRUE(readFile(path(c.destination)) == before) << "its bytes changed";
    // A new file is made under a temporary name; what the program says names the file given.
    EXPECT_EQ((run.out + run.err).find(".kpxtmp-"), std::string::npos) << run.out << run.err;
  }
  EXPECT_EQ(sql("shop.db", "PRAGMA integrity_check; SELECT group_concat(Id) FROM T"),
            "ok\n100,200\n");
  EXPECT_TRUE(temporaryFiles().empty());
}

// ---- Modes, links and files that may not be written ------------------------------------------

struct DestinationKind {
  const char* label;
  std::string file;
  std::string arguments;  // after "people.csv FILE"
};

const DestinationKind kRewritten[] = {
    {"csv", "out.csv", "--replace"},
    {"xlsx", "book.xlsx", "--to-table People"},
    {"xls", "book.xls", "--to-table People"},
    {"sqlite", "shop.db", "--to-table People --replace"},
};

class Rewritten : public Safety, public ::testing::WithParamInterface<DestinationKind> {};

TEST_P(Rewritten, KeepsItsModeRefusesReadOnlyAndStaysWhenTheDiskIsFull) {
  const auto& kind = GetParam();
  for (mode_t mode : {0600, 0640, 0664}) {
    SCOPED_TRACE(mode);
    fs::remove(path(kind.file));
    prepare(kind.file);
    ::chmod(path(kind.file).c_str(), mode);
    auto run = copy("people.csv " + kind.file + " " + kind.arguments);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(modeOf(kind.file), mode);
  }
  for (const char* mask : {"027", "077"}) {
    SCOPED_TRACE(mask);
    fs::remove(path(kind.file));
    auto run = copy("people.csv " + kind.file + " --create --to-table People",
                    std::string("umask ") + mask + " &&");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(modeOf(kind.file), 0666 & ~std::stoi(mask, nullptr, 8));
  }
  // A read-only file is refused before any work.
  ::chmod(path(kind.file).c_str(), 0444);
  keepCopy(kind.file);
  auto run = copy("people.csv " + kind.file + " " + kind.arguments);
  EXPECT_EQ(run.status, 2) << run.out << run.err;
  EXPECT_NE(run.err.find(kind.file + "' cannot be written"), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("Rows"), std::string::npos) << run.out;
  EXPECT_TRUE(same(kind.file, kind.file + ".before"));
  EXPECT_EQ(modeOf(kind.file), 0444);
  EXPECT_TRUE(temporaryFiles().empty());

  // A write that fills the file system fails and leaves the file as it was.
  fs::create_directories(dir / "full");
  if (::geteuid() != 0 || ::mount("tmpfs", path("full").c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "a small file system can be mounted only by the superuser";
  mounted = path("full");
  writeBigCsv("big.csv", 30000);
  const std::string file = "full/" + kind.file;
  prepare(file);
  fs::copy_file(path(file), path("kept"));
  run = copy("big.csv " + file + " " + kind.arguments);
  EXPECT_EQ(run.status, 2) << run.out << run.err;
  EXPECT_TRUE(same(file, "kept")) << run.err;
  EXPECT_TRUE(temporaryFiles().empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, Rewritten, ::testing::ValuesIn(kRewritten), byLabel);

// ---- Stopped and killed runs ----------------------------------------------------------------

TEST_F(Safety, StoppedTextRunLeavesNoTemporaryFileAndTheFileAsItWas) {
  writeBigCsv("big.csv", 300000);
  write("out.csv", "old,content\r\n");
  keepCopy("out.csv");
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    const pid_t child = start({"big.csv", "out.csv", "--replace"});
    // Signalled once the run has begun writing beside the file.
    for (int i = 0; i < 3000 && temporaryFiles().empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_FALSE(temporaryFiles().empty()) << "the run never started writing";
    ::kill(child, signal);
    const int status = waitFor(child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
    EXPECT_TRUE(temporaryFiles().empty());
    EXPECT_TRUE(same("out.csv", "out.csv.before"));
    EXPECT_NE(commandOutput("cat " + shellQuote(path("run.err"))).find("left as it was"),
              std::string::npos);
  }
}

// A destination kind for the kill test: how it is made, copied into and compared.
struct KillCase {
  const char* label;
  std::string file;
  int rows;
  std::vector<std::string> arguments;  // of the copy
};

const KillCase kKillCases[] = {
    {"sqlite", "shop.db", 200000, {"big.csv", "shop.db", "--to-table", "People", "--replace"}},
    {"csv", "out.csv", 200000, {"big.csv", "out.csv", "--replace"}},
    {"xlsx", "book.xlsx", 20000, {"big.csv", "book.xlsx", "--to-table", "People"}},
    {"xls", "book.xls", 20000, {"big.csv", "book.xls", "--to-table", "People"}},
    {"new_sqlite", "new.db", 200000, {"big.csv", "new.db", "--to-table", "People", "--create"}},
    {"new_xlsx", "new.xlsx", 20000, {"big.csv", "new.xlsx", "--to-table", "People", "--create"}},
};

class KilledRuns : public Safety, public ::testing::WithParamInterface<KillCase> {
 protected:
  // The big source, and the destination as the runs find it unless they make it.
  void prepareKilledRun() {
    writeBigCsv("big.csv", GetParam().rows);
    if (GetParam().file.starts_with("new.")) return;
    prepare(GetParam().file);
    keepCopy(GetParam().file);
  }
  // Whether the file is byte for byte its kept copy, or still absent when there was none.
  bool asBefore(const std::string& file) {
    return fs::exists(path(file + ".before")) ? same(file, file + ".before")
                                              : !fs::exists(path(file));
  }
  // Puts the file back as it was before the runs: its kept copy, or no file.
  void restore(const std::string& file) {
    if (fs::exists(path(file + ".before")))
      fs::copy_file(path(file + ".before"), path(file), fs::copy_options::overwrite_existing);
    else
      fs::remove(path(file));
  }
  // What a run leaves, in terms that do not change from run to run: a database's rows after
  // SQLite's own check, an xlsx workbook's rows after Python's zip check (the file itself
  // carries the time it was written), other files' checksum and size.
  std::string content(const std::string& file) {
    if (!fs::exists(path(file))) return "no file";
    if (file.ends_with(".db"))
      return sql(file, "PRAGMA integrity_check; SELECT count(*), sum(Id) FROM People");
    if (file.ends_with(".xlsx")) {
      const std::string script =
          "import sys, zipfile\n"
          "z = zipfile.ZipFile(sys.argv[1])\n"
          "print(z.testzip(), sum(z.read(n).count(b'<row ') for n in z.namelist() if "
          "n.startswith('xl/worksheets/')))\n";
      return commandOutput("python3 -c " + shellQuote(script) + " " + shellQuote(path(file)) +
                           " 2>&1");
    }
    return commandOutput("cksum < " + shellQuote(path(file)));
  }
};

TEST_P(KilledRuns, LeaveTheDestinationAsItWasOrComplete) {
  const auto& c = GetParam();
  prepareKilledRun();
  const std::string before = content(c.file);
  // One whole run gives the finished content and how long a run takes here.
  const auto started = std::chrono::steady_clock::now();
  int status = waitFor(start(c.arguments));
  const auto whole = std::chrono::steady_clock::now() - started;
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << commandOutput("cat " + shellQuote(path("run.err")));
  const std::string finished = content(c.file);
  ASSERT_NE(finished, before);
  // A workbook whose archive Python reads whole (testzip finds no bad entry).
  if (c.file.ends_with(".xlsx")) {
    ASSERT_EQ(finished.rfind("None ", 0), 0u) << finished;
  }

  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<long> delay(
      0, std::chrono::duration_cast<std::chrono::microseconds>(whole).count());
  int unchanged = 0;
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    restore(c.file);
    const pid_t child = start(c.arguments);
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ::kill(child, SIGKILL);
    waitFor(child);
    if (c.file.ends_with(".db")) {
      // The sqlite3 program rolls a killed transaction back from its journal.
      const std::string now = content(c.file);
      EXPECT_TRUE(now == before || now == finished) << now;
      unchanged += now == before;
    } else if (asBefore(c.file)) {
      ++unchanged;
    } else {
      // Killed after the rename: the whole new content, never a part of it.
      EXPECT_EQ(content(c.file), finished);
    }
  }
  EXPECT_GT(unchanged, 0) << "no kill landed inside a run";
  // The next run removes what killed runs left beside the file.
  restore(c.file);
  status = waitFor(start(c.arguments));
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << commandOutput("cat " + shellQuote(path("run.err")));
  EXPECT_TRUE(temporaryFiles().empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, KilledRuns, ::testing::ValuesIn(kKillCases), byLabel);

// ---- Locked databases and the error log ------------------------------------------------------

struct LockCase {
  const char* label;
  double holdSeconds;
  int timeout;
  bool completes;
};

const LockCase kLocks[] = {
    {"held_past_the_wait", 3, 1, false},
    {"released_within_the_wait", 2.5, 30, true},
};

class LockedDatabase : public Safety, public ::testing::WithParamInterface<LockCase> {};

TEST_P(LockedDatabase, WaitIsShownAndBounded) {
  const auto& c = GetParam();
  sql("shop.db",
      "CREATE TABLE People(Id Long, Name Text, City Text); INSERT INTO People "
      "VALUES(9,'Old','x');");
  // The sqlite3 program holds the lock, marks that it does, and lets go after a while.
  const pid_t holder = ::fork();
  if (holder == 0) {
    const std::string db = path("shop.db"), mark = ".shell touch " + path("locked"),
                      sleep = ".shell sleep " + std::to_string(c.holdSeconds);
    ::execlp("sqlite3", "sqlite3", db.c_str(), "BEGIN EXCLUSIVE;", mark.c_str(), sleep.c_str(),
             "COMMIT;", nullptr);
    ::_exit(127);
  }
  for (int i = 0; i < 2000 && !fs::exists(path("locked")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(fs::exists(path("locked")));
  auto run =
      copy("people.csv shop.db --to-table People --busy-timeout " + std::to_string(c.timeout));
  waitFor(holder);
  EXPECT_NE(run.err.find("waiting for the database"), std::string::npos) << run.err;
  if (c.completes) {
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Rows written:  3\n"), std::string::npos) << run.out;
    EXPECT_EQ(sql("shop.db", "SELECT count(*) FROM People"), "4\n");
  } else {
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_NE(run.err.find("shop.db' stayed locked"), std::string::npos) << run.err;
    EXPECT_EQ(sql("shop.db", "SELECT count(*) FROM People"), "1\n");
  }
}

INSTANTIATE_TEST_SUITE_P(Locks, LockedDatabase, ::testing::ValuesIn(kLocks), byLabel);

TEST_F(Safety, ErrorLogMovesToTheStateFolderAndTheRunSaysSo) {
  write("bad.csv", "Id,Amount\r\n1,2\r\n2,n/a\r\n");
  sql("shop.db", "CREATE TABLE T(Id Long, Amount Double);");
  // A folder where no file can be made, whoever runs the test.
  auto run = copy("bad.csv shop.db --to-table T --log-dir /proc",
                  "XDG_STATE_HOME=" + shellQuote(path("state")));
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  const std::string log = path("state") + "/kpxwizard/KPXWIZARD_ERROR.txt";
  EXPECT_NE(run.err.find("rejected rows go to " + log), std::string::npos) << run.err;
  EXPECT_NE(commandOutput("cat " + shellQuote(log)).find("Row 2: "), std::string::npos);
  EXPECT_EQ(sql("shop.db", "SELECT group_concat(Id) FROM T"), "1\n");
}

}  // namespace
