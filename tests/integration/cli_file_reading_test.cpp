// kpxwizard copy over files with the odd shapes real files have, each made here and the result
// checked with sqlite3, Python's csv module or LibreOffice.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/command_output.h"
#include "support/libreoffice_csv.h"
#include "support/program_folder.h"

using kpx::test::CsvRows;
using kpx::test::shellQuote;

namespace {

class FileReading : public kpx::test::ProgramFolder {
 protected:
  // Runs kpxwizard copy and fails the test, showing the program's output, unless it succeeds.
  void copies(const std::string& arguments) {
    auto run = copy(arguments);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
  }
};

// SQLite stores what a column's affinity allows, whatever its declared name says.
TEST_F(FileReading, SqliteColumnsTakeTheirAffinitysValues) {
  const std::string table = "(Id INTEGER, Big int8, Code STRING, Doc JSON, Tag UUID, R REAL);";
  sql("a.db", "CREATE TABLE T" + table +
                  "INSERT INTO T VALUES (9999999999, 9007199254740993, 'x-1', '{\"a\":1}', "
                  "'6b29fc40-ca47', 0.1);");
  sql("b.db", "CREATE TABLE T" + table);
  copies("a.db b.db --from-table T --to-table T");
  EXPECT_EQ(sql("b.db", "SELECT Id, typeof(Id), Big, Code, Doc, Tag, R FROM T"),
            "9999999999|integer|9007199254740993|x-1|{\"a\":1}|6b29fc40-ca47|0.1\n");
}

// Sheet "years" names its columns by the numbers 2020 and 2021.5 and by a date; "empty" is empty.
TEST_F(FileReading, NumberHeadersTakeRowsAndAnEmptySheetCopies) {
  scratch.copyFixture("excel/headers_and_empty.xlsx", "book.xlsx");
  copies("book.xlsx out.csv --from-table empty");
  EXPECT_EQ(csvRows("out.csv"), "[['F1']]\n");
  scratch.write("more.csv",
                "2020,2021.5,1/1/2020,Name\n7,8,9,cow\n");  // named as the sheet shows it
  copies("more.csv book.xlsx --to-table years --by-name");
  if (!kpx::test::haveLibreOffice()) return;
  const CsvRows rows = kpx::test::libreOfficeSheets(path("book.xlsx"), path("lo"))["years"];
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[3], (std::vector<std::string>{"7", "8", "9", "cow"}));
}

TEST_F(FileReading, TextLongerThanAColumnSaysSoAndCreatesLongText) {
  scratch.write("long.csv", "id,note\n1,short\n2," + std::string(300, 'w') + "\n");
  copies("long.csv long.db --create --to-table L");
  EXPECT_EQ(sql("long.db",
                "SELECT type FROM pragma_table_info('L') WHERE name = 'note';"
                "SELECT length(note) FROM L ORDER BY id"),
            "LongText\n5\n300\n");
  // An existing table takes the file's columns from its header: the long value is refused
  // where it is converted, in its own row, and the row before it is kept.
  sql("narrow.db", "CREATE TABLE L (id Long, note VarChar (255));");
  EXPECT_EQ(copy("long.csv narrow.db --to-table L").status, 1);
  EXPECT_NE(errorLog().find("Row 2: The value '" + std::string(50, 'w') +
                            "…' has 300 characters: too long for column 'note' of 255 characters"),
            std::string::npos);
  EXPECT_EQ(sql("narrow.db", "SELECT id, note FROM L"), "1|short\n");
}

// Two header rows in <thead>: a heading over two columns names both with the row below it.
TEST_F(FileReading, SpanningCellsAreLaidOutAsABrowserShowsThem) {
  scratch.write("sales.html",
                "<table><thead><tr><th rowspan=2>Region</th><th colspan=2>Sales</th></tr>"
                "<tr><th>Q1</th><th>Q2</th></tr></thead><tbody><tr><td>North</td><td>1</td>"
                "<td>2</td></tr><tr><td colspan=2>South</td><td>3</td></tr></tbody></table>");
  copies("sales.html sales.csv");
  EXPECT_EQ(csvRows("sales.csv"),
            "[['Region', 'Sales Q1', 'Sales Q2'], ['North', '1', '2'], ['South', '', '3']]\n");
  if (!kpx::test::haveLibreOffice()) return;
  auto page = kpx::test::libreOfficeSheets(path("sales.html"), path("lo"), "HTML (StarCalc)");
  ASSERT_EQ(page.size(), 1u);
  EXPECT_EQ(CsvRows(page.begin()->second.begin() + 2, page.begin()->second.end()),
            (CsvRows{{"North", "1", "2"}, {"South", "", "3"}}));
}

// 0.1 + 0.2 is 0.30000000000000004; 16 significant digits would make it 0.3. Adding a sheet
// writes the others again; M's thousands of such numbers span many reads, ending in its last cell.
TEST_F(FileReading, WorkbookNumbersAndTimesKeepEveryDigit) {
  sql("src.db",
      "CREATE TABLE T (n Double, w Datetime);"
      "INSERT INTO T VALUES (0.1 + 0.2, '2024-05-06 12:34:56.789'), (1e300, NULL);"
      "CREATE TABLE M (a Double, b Long, c Double); CREATE TABLE N (n Double);"
      "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 10000) "
      "INSERT INTO M SELECT 1 + i / 3e4, i, 1 + i / 7e3 FROM k;"
      "INSERT INTO M VALUES (1, 2, 0.1 + 0.2); INSERT INTO N VALUES (0.5), (2);");
  for (const char* table : {"T", "M", "N"})
    copies("src.db out.xlsx --create --from-table " + std::string(table));
  const std::string compare = R"py(import re, sqlite3, sys, zipfile, xml.etree.ElementTree as xml
book, db = zipfile.ZipFile(sys.argv[1]), sqlite3.connect(sys.argv[2])
for i, name in enumerate(re.findall(r'<sheet name="(\w+)"', book.read('xl/workbook.xml').decode())[1:]):
  cells = xml.fromstring(book.read(f'xl/worksheets/sheet{i + 2}.xml')).iter()
  got = [float(v.text) for v in cells if v.tag.endswith('}v')]
  print(name, len(got), got == [v for r in db.execute(f'SELECT * FROM {name}') for v in r]))py";
  EXPECT_EQ(
      kpx::test::commandOutput("python3 -c " + shellQuote(compare) + " " +
                               shellQuote(path("out.xlsx")) + " " + shellQuote(path("src.db"))),
      "M 30003 True\nN 2 True\n");
  const std::string readNumbers =
      "import re,sys,zipfile; x = zipfile.ZipFile(sys.argv[1]).read('xl/worksheets/sheet1.xml'); "
      "print([float(v) for v in re.findall(rb'<c r=\"A\\d\"(?: s=\"\\d+\")?><v>([^<]*)</v>', x)])";
  EXPECT_EQ(kpx::test::commandOutput("python3 -c " + shellQuote(readNumbers) + " " +
                                     shellQuote(path("out.xlsx"))),
            "[0.30000000000000004, 1e+300]\n");
  copies("src.db out.csv --from-table T");
  EXPECT_NE(csvRows("out.csv").find("'2024-05-06 12:34:56.789'"), std::string::npos);
  if (!kpx::test::haveLibreOffice()) return;
  EXPECT_EQ(kpx::test::libreOfficeSheets(path("out.xlsx"), path("lo"))["T"].at(1).at(1),
            "2024-05-06 12:34:56.789");
}

struct EncodingCase {
  const char* name;
  std::string bytes;
  const char* option;
  const char* rows;     // as Python's csv module reads the copy
  const char* warning;  // on standard error, "" for none
};

class EncodingReading : public FileReading, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(EncodingReading, DecodesAsNamedAndWarnsWhenGuessing) {
  scratch.write("in.csv", GetParam().bytes);
  auto run = copy(std::string("in.csv out.csv ") + GetParam().option);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(csvRows("out.csv"), GetParam().rows);
  EXPECT_EQ(run.err.find(*GetParam().warning ? GetParam().warning : "warning") != std::string::npos,
            *GetParam().warning != 0)
      << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Text, EncodingReading,
    ::testing::Values(
        // The guess reads the valid "é" of line 2 as two characters too: hence the warning.
        EncodingCase{"Guessed", "n\ncaf\xC3\xA9\ncaf\xE9\n", "", "[['n'], ['cafÃ©'], ['café']]\n",
                     "line 3 of 'in.csv' holds a byte"},
        EncodingCase{"Utf8", "n\ncaf\xC3\xA9\ncaf\xE9\n", "--encoding utf-8",
                     "[['n'], ['café'], ['caf\xEF\xBF\xBD']]\n", ""},
        EncodingCase{"Latin1", "n\n\x80\xE9\n", "--encoding latin-1", "[['n'], ['\\x80é']]\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
