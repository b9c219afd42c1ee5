// kpxwizard copy between real files, checked with the sqlite3 program and Python's csv module.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/command_output.h"
#include "support/program_folder.h"

namespace fs = std::filesystem;
using kpx::test::shellQuote;

namespace {

using Copy = kpx::test::ProgramFolder;

// The lines of the error log that name a refused row ("Row 3: …|values"), without its header.
std::string refusedRows(const std::string& log) {
  std::string rows;
  for (size_t at = log.find("Row "); at != std::string::npos; at = log.find("\nRow ", at + 1)) {
    const size_t start = log[at] == '\n' ? at + 1 : at;
    rows += log.substr(start, log.find('\n', start) - start + 1);
  }
  return rows;
}

TEST_F(Copy, DryRunRefusesWhatARunRefusesAndWritesNothing) {
  sql("shop.db",
      "CREATE TABLE People(Id Long NOT NULL, Name VarChar(30), City VarChar(30));"
      "INSERT INTO People VALUES(9,'Zoe','Como');");
  scratch.write("bad.csv", "Id,Name,City\n1,Anna,Milano\nabc,Bruno,Roma\n3,Carla,Bari\n,Dino,\n");
  const std::string logFile = path("logs/KPXWIZARD_ERROR.txt");
  struct Rehearsal {
    const char* arguments;
    const char* destination;  // left byte-identical, or absent when it was
    int status;
    const char* says;
  };
  const Rehearsal rehearsals[] = {
      {"bad.csv shop.db --to-table People", "shop.db", 1, "Rows to write: 2\nRows rejected: 2\n"},
      {"bad.csv shop.db --to-table People --replace", "shop.db", 1, "Rows to write: 2\n"},
      {"bad.csv shop.db --create --to-table Fresh", "shop.db", 0, "Rows to write: 4\n"},
      {"bad.csv new.db --create", "new.db", 0, "nothing was written to new.db"},
      {"bad.csv new.xlsx --create", "new.xlsx", 0, "Rows to write: 4\n"},
      {"bad.csv out.csv", "out.csv", 0, "Rows to write: 4\n"},
  };
  std::string dryRefused;
  for (const Rehearsal& r : rehearsals) {
    SCOPED_TRACE(r.arguments);
    const fs::path destination = dir / r.destination;
    const bool existed = fs::exists(destination);
    const std::string before = kpx::test::readFile(destination.string());
    const auto filesBefore = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    auto run = copy(std::string(r.arguments) + " --dry-run");
    EXPECT_EQ(run.status, r.status) << run.out << run.err;
    EXPECT_NE(run.out.find(r.says), std::string::npos) << run.out;
    EXPECT_EQ(fs::exists(destination), existed);
    EXPECT_TRUE(kpx::test::readFile(destination.string()) == before) << "its bytes changed";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), filesBefore);
    if (dryRefused.empty()) dryRefused = refusedRows(errorLog());
  }
  fs::remove(logFile);
  auto real = copy("bad.csv shop.db --to-table People");
  EXPECT_EQ(real.status, 1) << real.out << real.err;
  EXPECT_NE(real.out.find("Rows written:  2\nRows rejected: 2\n"), std::string::npos) << real.out;
  EXPECT_NE(dryRefused.find("abc"), std::string::npos) << dryRefused;
  EXPECT_EQ(refusedRows(errorLog()), dryRefused);
  EXPECT_EQ(sql("shop.db", "SELECT Id FROM People ORDER BY Id"), "1\n3\n9\n");
}

TEST_F(Copy, RejectsFileCorrectedAndLoadedAgainCompletesTheTable) {
  sql("shop.db", "CREATE TABLE People(Id Long NOT NULL, Name VarChar(30), City VarChar(30));");
  scratch.write(
      "semi.txt",
      "Id;Name;City\n1;Anna;Milano\nabc;Bruno;\"Roma; centro\"\n3;Carla;Bari\nx4;Dino;\n");
  auto first = copy("semi.txt shop.db --delimiter ';' --rejects fix.txt");
  EXPECT_EQ(first.status, 1) << first.out << first.err;
  // A user's edit, made by a reader that knows nothing of this program: the ids corrected.
  const std::string edit =
      "import csv,sys; p=sys.argv[1]; rows=list(csv.reader(open(p,newline='',encoding='utf-8'),"
      "delimiter=';')); print([r[:3] for r in rows], all(r[3] for r in rows)); "
      "fixed={'abc':'2','x4':'4'}; w=csv.writer(open(p,'w',newline='',encoding='utf-8'),"
      "delimiter=';'); w.writerows([[fixed.get(r[0],r[0])]+r[1:] for r in rows])";
  EXPECT_EQ(
      kpx::test::commandOutput("python3 -c " + shellQuote(edit) + " " +
                               shellQuote(path("fix.txt"))),
      "[['Id', 'Name', 'City'], ['abc', 'Bruno', 'Roma; centro'], ['x4', 'Dino', '']] True\n");
  auto again = copy("fix.txt shop.db --delimiter ';' --rejects fix.txt");
  EXPECT_EQ(again.status, 0) << again.out << again.err;
  EXPECT_EQ(sql("shop.db", "SELECT Id, Name, City FROM People ORDER BY Id"),
            "1|Anna|Milano\n2|Bruno|Roma; centro\n3|Carla|Bari\n4|Dino|\n");
  EXPECT_EQ(csvRows("fix.txt", ";"), "[['Id', 'Name', 'City', 'Rejected because']]\n");
  // A Windows-1252 source gets its refused rows back in Windows-1252.
  scratch.write("latin.txt", "Id;City\nx;Z\xFCrich\n");
  EXPECT_EQ(copy("latin.txt shop.db --delimiter ';' --rejects latin-fix.txt").status, 1);
  EXPECT_NE(kpx::test::readFile(path("latin-fix.txt")).find("\"Z\xFCrich\""), std::string::npos);
}

TEST_F(Copy, InferredTypesMakeTheNewTable) {
  scratch.write("typed.csv",
                "Qty,Price,Flag,Day,Note,Dmy,Mdy\n-3,1.50,1,2020-01-31,a,31/01/2020,01/31/2020 "
                "10:30\n98211,2.00,0,,bb,1.2.2021,12/25/2020\n,3.25,1,2021-12-01,ccc,,\n"
                "4,1.00,1,,d,1/1/2020,1/1/2020,extra\n");
  auto run = copy("typed.csv typed.db --create --infer-types");
  ASSERT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(errorLog().find("Row 4: "), std::string::npos) << errorLog();
  EXPECT_EQ(sql("typed.db", "SELECT Dmy, Mdy FROM typed ORDER BY rowid"),
            "2020-01-31|2020-01-31 10:30:00\n2021-02-01|2020-12-25\n|\n");
  // A saved transfer reads the file again without the order, so its dates stay text.
  EXPECT_EQ(copy("typed.csv saved.db --create --infer-types --save again.ini").status, 1);
  EXPECT_EQ(kpxwizard("run again.ini --log-dir logs").status, 1);
  EXPECT_EQ(sql("saved.db", "SELECT count(*) FROM typed WHERE Mdy LIKE '%/%'"), "4\n");
  EXPECT_EQ(sql("typed.db", "SELECT group_concat(type, ' ') FROM pragma_table_info('typed')"),
            "Long Currency Bit Datetime VarChar (3) Datetime Datetime\n");
  EXPECT_EQ(sql("typed.db", "SELECT typeof(Qty), Price * 2 FROM typed ORDER BY rowid LIMIT 1"),
            "integer|3.0\n");
}

// What a copy says and does, each checked by sqlite3, Python's csv module or the file's bytes.
struct Telling {
  const char* name;
  const char* arguments;
  int status;
  const char* says;   // in standard output or standard error
  const char* check;  // "sql:DB:STATEMENT", "csv:FILE:DELIMITER" or "file:FILE"; "" for none
  const char* result;
};

TEST_F(Copy, SaysExactlyWhatItDid) {
  scratch.write("semi.csv", "Id;Name\n1;Anna\n2;Bruno\n");
  scratch.write("multi.csv", "Id,\"Note\nmore\"\n1,\"a\nb\"\n2,\"c\r\nd\"\n3,e\n");
  scratch.write("header.csv", "Id,Name\n");
  std::string bad = "Id\n";
  for (int i = 1; i <= 501; ++i) bad += (i <= 400 ? std::to_string(i) : "x") + "\n";
  scratch.write("bad.csv", bad);
  std::string many = "Id,Name\n";
  for (int i = 1; i <= 2500; ++i) many += std::to_string(i) + ",name" + std::to_string(i) + "\n";
  scratch.write("many.csv", many);
  sql("customers.db",
      "CREATE TABLE Customers(Id Long, Name VarChar(50), Balance Double);"
      "INSERT INTO Customers VALUES(1,'Anna',10.5),(2,'Bruno \"B\", Jr',-3),"
      "(3,'Carla' || char(13, 10) || 'Città',NULL);");
  sql("byname.db",
      "CREATE TABLE People(city VarChar(30), ID Long, Extra VarChar(5), NAME VarChar(30));");
  sql("shop.db",
      "CREATE TABLE Narrow(Id Long, Name VarChar(30)); CREATE TABLE Strict(Id Long NOT NULL);"
      "CREATE TABLE Wide(Id Long, Name VarChar(30), City VarChar(30), Extra VarChar(5));");
  const Telling cases[] = {
      {"ByNamePairsColumnsWhateverTheirOrder", "people.csv byname.db --by-name", 0,
       "Rows rejected: 0\n", "sql:byname.db:SELECT ID, NAME, city, Extra IS NULL FROM People",
       "1|Anna|Milano|1\n2|Bruno, Jr|Zürich|1\n3|Carla||1\n"},
      {"ProgressAsPlainLinesOffATerminal", "many.csv m.db --create", 0, "Rows written:  2500\n",
       "sql:m.db:SELECT COUNT(*), MAX(CAST(Id AS INTEGER)) FROM many", "2500|2500\n"},
      {"PlainOptionsDescribeBothTextFiles", "semi.csv semi.txt --delimiter ';'", 0, "",
       "csv:semi.txt:;", "[['Id', 'Name'], ['1', 'Anna'], ['2', 'Bruno']]\n"},
      {"ToOptionsDescribeTheDestination", "people.csv tabs.txt --to-delimiter tab --to-no-header",
       0, "", "csv:tabs.txt:\t",
       "[['1', 'Anna', 'Milano'], ['2', 'Bruno, Jr', 'Zürich'], ['3', 'Carla', '']]\n"},
      // Widths count characters, not bytes.
      {"ToFixedWritesFixedWidth", "people.csv fixed.txt --to-fixed 2,10,7 --to-no-header", 0, "",
       "file:fixed.txt", "1 Anna      Milano \r\n2 Bruno, Jr Zürich \r\n3 Carla            \r\n"},
      {"FixedWidthSourceIntoCsv", "fixed.txt back.csv --fixed 2,10,7 --no-header --to-delimiter ,",
       0, "", "csv:back.csv:,",
       "[['1', 'Anna', 'Milano'], ['2', 'Bruno, Jr', 'Zürich'], ['3', 'Carla', '']]\n"},
      {"TextTableNamedAsInspectListsIt", "people.csv a.db --create --from-table people.csv", 0, "",
       "sql:a.db:SELECT COUNT(*) FROM people", "3\n"},
      {"QualifierThatIsTheDelimiter", "people.csv c.db --create --qualifier ,", 2,
       "the text qualifier ',' is also the column delimiter", "", ""},
      {"SqliteTableIntoACsvFile", "customers.db customers.csv", 0, "", "csv:customers.csv:,",
       "[['Id', 'Name', 'Balance'], ['1', 'Anna', '10.5'], ['2', 'Bruno \"B\", Jr', '-3'], "
       "['3', 'Carla\\r\\nCittà', '']]\n"},
      {"RecordsAreCountedNotLines", "multi.csv d.db --create", 0, "Rows read:     3\n",
       "sql:d.db:SELECT Id, hex(\"Note\nmore\") FROM multi ORDER BY Id",
       "1|610A62\n2|630D0A64\n3|65\n"},
      {"TooManyBadRowsCountAllRead", "bad.csv shop.db --to-table Strict", 2,
       "Rows read:     501\nRows written:  0\nRows rejected: 101\n",
       "sql:shop.db:SELECT COUNT(*) FROM Strict", "0\n"},
      {"LeftOutSourceColumnsNamed", "people.csv shop.db --to-table Narrow", 0,
       "Source columns left out (no destination column in their place): City\n",
       "sql:shop.db:SELECT COUNT(*) FROM Narrow", "3\n"},
      {"EmptyDestinationColumnsNamed", "people.csv shop.db --to-table Wide", 0,
       "Destination columns left empty (no source column in their place): Extra\n",
       "sql:shop.db:SELECT COUNT(*) FROM Wide WHERE Extra IS NULL", "3\n"},
      {"ItalianSummary", "people.csv e.db --create --lang it", 0,
       "Righe scritte:    3\nRighe scartate:   0\n", "", ""},
      {"ExistingTableNamesTheCauseInItalian",
       "people.csv shop.db --create --to-table Narrow --lang it", 2,
       "colonne della nuova tabella 'Narrow' in 'shop.db': The statement failed on 'shop.db': "
       "table `Narrow` already exists; the statement: CREATE TABLE",
       "sql:shop.db:SELECT COUNT(*) FROM Narrow", "3\n"},
      {"DirectoryIsNotAFile", "logs f.db --create", 2, "'logs' is a directory, not a file", "", ""},
      {"HeaderOnlyCopiesNoRows", "header.csv g.db --create", 0, "Rows read:     0\n",
       "sql:g.db:SELECT COUNT(*) FROM header", "0\n"},
      {"QueryThatChangesData", "shop.db q.csv --query 'DELETE FROM Wide'", 2,
       "--query takes a single SELECT statement; 'DELETE FROM Wide' does not start with SELECT",
       "sql:shop.db:SELECT COUNT(*) FROM Wide", "3\n"},
      {"QueryOfTwoStatements", "shop.db q.csv --query 'SELECT * FROM Wide; DELETE FROM Wide'", 2,
       "holds more than one statement", "", ""},
  };
  for (const Telling& c : cases) {
    SCOPED_TRACE(c.name);
    auto run = copy(c.arguments);
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
    EXPECT_EQ(run.out.find('\r'), std::string::npos) << "progress redrawn off a terminal";
    const std::string check = c.check;
    const size_t colon = check.find(':'), second = check.find(':', colon + 1);
    const std::string file = check.substr(colon + 1, second - colon - 1);
    const std::string rest = second == std::string::npos ? "" : check.substr(second + 1);
    if (check.rfind("sql:", 0) == 0) {
      EXPECT_EQ(sql(file, rest), c.result);
    }
    if (check.rfind("csv:", 0) == 0) {
      EXPECT_EQ(csvRows(file, rest), c.result);
    }
    if (check.rfind("file:", 0) == 0) {
      EXPECT_EQ(kpx::test::readFile(path(file)), c.result);
    }
  }
}

}  // namespace
