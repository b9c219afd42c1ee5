// Reading delimited and fixed-width text files through the "DTSFlatFile" provider, and the
// types inferred for their columns.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>

#include "data/providers/provider.h"
#include "data/providers/text/text_provider.h"
#include "data/providers/text/text_reader.h"
#include "data/text/column_type_inference.h"
#include "data/text/text_decoding.h"

using namespace kpx::data;

namespace {

const char* const kNull = "<null>";

struct ReadCase {
  const char* name;
  std::string bytes;                              // the file
  std::map<std::string, std::string> properties;  // besides Data Source and Provider
  std::string columns;                            // expected names, "|" between them
  std::string rows;        // expected rows, one a line, "|" between values, kNull for null
  std::string error = "";  // expected part of an error, "" for none
};

std::string writeFile(const std::string& name, const std::string& bytes) {
  std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::unique_ptr<DataSource> openText(const std::string& path,
                                     const std::map<std::string, std::string>& properties) {
  ConnectionProperties p;
  p.set("Provider", "DTSFlatFile.1");
  p.set("Data Source", path);
  for (const auto& [k, v] : properties) p.set(k, v);
  return openDataSource(p);
}

// Every row as a line of "|"-separated texts; a row error is a line "!|" and its message.
std::string readAll(RowReader& reader) {
  std::string rows;
  while (true) {
    try {
      if (!reader.next()) break;
    } catch (const RowError& e) {
      std::string message = e.what();
      if (message.rfind(::testing::TempDir(), 0) == 0)
        message.erase(0, ::testing::TempDir().size());
      rows += "!|" + message + "\n";
      continue;
    }
    for (size_t i = 0; i < reader.columns().size(); ++i) {
      Value v = reader.field(i);
      rows += (i ? "|" : "") + (v.isNull() ? std::string(kNull) : toText(v));
    }
    rows += "\n";
  }
  return rows;
}

class TextRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TextRead, GivesColumnsAndRows) {
  const ReadCase& c = GetParam();
  std::string path = writeFile(std::string(c.name) + ".txt", c.bytes);
  auto source = openText(path, c.properties);
  std::string table = std::string(c.name) + ".txt";
  try {
    auto reader = source->openTable(table);
    std::string names;
    for (const ColumnInfo& column : reader->columns())
      names += (names.empty() ? "" : "|") + column.name;
    EXPECT_EQ(names, c.columns);
    auto rows = readAll(*reader);
    EXPECT_TRUE(c.error.empty()) << "expected the error " << c.error;
    EXPECT_EQ(rows, c.rows);
  } catch (const DataError& e) {
    EXPECT_FALSE(c.error.empty()) << e.what();
    EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos)
        << "names the file: " << e.what();
  }
  // The same file read a few bytes at a time, so rows, qualified fields, delimiters and
  // characters are cut at every place by the end of the buffer.
  if (c.error.empty()) {
    ConnectionProperties p;
    p.set("Data Source", path);
    for (const auto& [k, v] : c.properties) p.set(k, v);
    for (size_t readSize : {1, 2, 3, 7}) {
      TextRowReader reader(TextFormat::fromProperties(p), readSize);
      EXPECT_EQ(readAll(reader), c.rows) << "read " << readSize << " bytes at a time";
    }
  }
  std::remove(path.c_str());
}

using Props = std::map<std::string, std::string>;
const Props kCsvHeader = {{"Row Delimiter", "\r\n"},
                          {"Column Delimiter", ","},
                          {"Text Qualifier", "\""},
                          {"First Row Column Name", "True"},
                          {"File Format", "1"}};
Props with(Props p, const std::string& k, const std::string& v) {
  p[k] = v;
  return p;
}
const Props kFixed = {{"File Format", "2"},
                      {"Column Lengths", "3,5,2"},
                      {"Column Names", "Id,Name,Age"},
                      {"Row Delimiter", "\r\n"}};

const ReadCase kCases[] = {
    {"CrLfDelimiterAcceptsBareLf", "Id,Name\n1,Anna\n2,Bruno", kCsvHeader, "Id|Name",
     "1|Anna\n2|Bruno\n"},
    {"DelimiterNamesInBraces", "a\tb\r\n1\t2\r\n",
     with(with(kCsvHeader, "Row Delimiter", "{CR}{LF}"), "Column Delimiter", "{TAB}"), "a|b",
     "1|2\n"},
    {"QualifiedFieldsHoldDelimitersAndBreaks",
     "\"Id\",Note\r\n1,\"a, b\"\r\n2,\"say "
     "\"\"hi\"\"\"\r\n3,\"two\r\nlines\"\r\n4,\"\"\r\n5,\r\n6,\"x "
     "\"\", y\"\r\n",
     kCsvHeader, "Id|Note", "1|a, b\n2|say \"hi\"\n3|two\r\nlines\n4|\n5|<null>\n6|x \", y\n"},
    {"ApostropheQualifier", "a,b\r\n'x,y','it''s'\r\n", with(kCsvHeader, "Text Qualifier", "'"),
     "a|b", "x,y|it's\n"},
    {"QualifierInsideUnquotedFieldIsText", "a,b\r\n5\" disk,x\r\n", kCsvHeader, "a|b",
     "5\" disk|x\n"},
    {"NoHeaderGivesDefaultNames", "1,2,3\r\n4,5,6\r\n",
     with(kCsvHeader, "First Row Column Name", "False"), "Col001|Col002|Col003", "1|2|3\n4|5|6\n"},
    {"SkipRowsBeforeHeader", "Report \"2024\r\n\r\nId,Name\r\n1,Anna\r\n",
     with(kCsvHeader, "Skip Rows", "2"), "Id|Name", "1|Anna\n"},
    {"ShortRowsGiveNulls", "a,b,c\r\n1\r\n1,2\r\n", kCsvHeader, "a|b|c",
     "1|<null>|<null>\n1|2|<null>\n"},
    {"LongRowIsARowErrorNamingTheLine", "a,b\r\n1,2\r\n1,2,3\r\n4,5\r\n", kCsvHeader, "a|b",
     "1|2\n!|LongRowIsARowErrorNamingTheLine.txt: line 3: 3 fields where the file has 2 "
     "columns.\n4|5\n"},
    {"Utf8Bom", "\xEF\xBB\xBFNome;Citt\xC3\xA0\r\nRen\xC3\xA9;K\xC3\xB6ln\r\n",
     with(kCsvHeader, "Column Delimiter", ";"), "Nome|Citt\xC3\xA0", "Ren\xC3\xA9|K\xC3\xB6ln\n"},
    {"Utf16LittleEndian",
     std::string("\xFF\xFE"
                 "a\0,\0b\0\r\0\n\0\xE9\0,\0"
                 "1\0",
                 18),
     kCsvHeader, "a|b", "\xC3\xA9|1\n"},
    {"Windows1252", "Nome,Citt\xE0\r\nRen\xE9,\x80 5\r\n", kCsvHeader, "Nome|Citt\xC3\xA0",
     "Ren\xC3\xA9|\xE2\x82\xAC 5\n"},
    {"UnterminatedQuoteNamesItsLine", "a,b\r\n1,2\r\n3,\"open\r\nmore\r\n", kCsvHeader, "a|b", "",
     "line 3: unterminated quoted field"},
    {"FixedWidthWithNames", "  1Anna 30\r\n 22Bo   7\r\n333     \r\n", kFixed, "Id|Name|Age",
     "1|Anna|30\n22|Bo|7\n333|<null>|<null>\n"},
    {"FixedWidthCountsCharactersNotBytes",
     "\xC3\xA8\xC3\xA8\xC3\xA8\xC3\xA0"
     "b   12\n",
     kFixed, "Id|Name|Age",
     "\xC3\xA8\xC3\xA8\xC3\xA8|\xC3\xA0"
     "b|12\n"},
    {"FixedWidthLongRowIsARowError", "  1Anna 30XYZ\r\n  2Bo   40   \r\n", kFixed, "Id|Name|Age",
     "!|FixedWidthLongRowIsARowError.txt: line 1: the row is longer than the 10 characters its "
     "column lengths add up to.\n2|Bo|40\n"},
};

INSTANTIATE_TEST_SUITE_P(Files, TextRead, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The file is the one table a query names, in any of the forms Jet accepts.
TEST(TextSource, QueriesNameTheFileAsTheirTable) {
  std::string path = writeFile("people.csv", "a\r\n1\r\n");
  auto source = openText(path, kCsvHeader);
  for (const char* sql :
       {"SELECT * FROM [people.csv]", "select *  from people.csv;", "SELECT * FROM `people#csv`"}) {
    auto reader = source->openQuery(sql);
    EXPECT_EQ(readAll(*reader), "1\n") << sql;
  }
  auto filtered = source->openQuery("SELECT a FROM [people.csv] WHERE a > 5");
  EXPECT_TRUE(readAll(*filtered).empty());
  std::remove(path.c_str());
}

TEST(TextProgress, ReachesTheFileSize) {
  std::string bytes = "a,b\r\n";
  for (int i = 0; i < 50000; ++i) bytes += std::to_string(i) + ",row\r\n";
  std::string path = writeFile("progress.csv", bytes);
  auto reader = openText(path, kCsvHeader)->openTable("progress.csv");
  int64_t rows = 0, last = 0;
  while (reader->next()) {
    ++rows;
    ReadProgress p = reader->progress();
    EXPECT_GE(p.done, last);
    EXPECT_LE(p.done, p.total);
    last = p.done;
  }
  EXPECT_EQ(rows, 50000);
  EXPECT_EQ(reader->progress().done, static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(reader->progress().total, static_cast<int64_t>(bytes.size()));
  std::remove(path.c_str());
}

}  // namespace

// A file rewritten at once keeps its size and, often, its times: its columns are read anew.
TEST(TextSource, ColumnsOfAFileRewrittenWithTheSameSizeAreReadAgain) {
  const std::string text(300, 'x');
  for (const auto& [bytes, type] :
       {std::pair{"a,b\r\n" + text + ",\r\n", adLongVarChar},
        std::pair{"a,b\r\n" + text.substr(100) + "," + text.substr(200) + "\r\n", adVarChar}}) {
    const std::string path = writeFile("rewritten.csv", bytes);
    EXPECT_EQ(openText(path, kCsvHeader)->columns("rewritten.csv")[0].type, type);
  }
}

// The line named by the warning about a file that is not UTF-8: a stray byte anywhere in a
// word of ASCII, after valid multi-byte characters, or none at all.
TEST(TextEncodingCheck, NamesTheLineOfTheFirstByteThatIsNotUtf8) {
  const std::string ascii = "0123456789abcdef,ghijklmnopqrstu\n";
  const std::pair<std::string, int64_t> cases[] = {
      {ascii + ascii + "caf\xc3\xa9\n", 0},
      {"\xe9" + ascii, 1},
      {ascii + "\n\n\xc3\xa9\xc3\xa9 \n1234567\xff", 5},
      {std::string(70000, 'x') + "\n\n\xc3\xa9\xe9", 3},
  };
  for (const auto& [bytes, line] : cases) {
    EXPECT_EQ(firstNonUtf8Line(writeFile("encoding_check.csv", bytes)), line) << bytes.size();
  }
}

// The type chosen for a column of text values, and the reason given for it.
struct Column {
  const char* name;
  std::vector<const char*> values;  // one per row from row 1; "" is an empty field
  const char* type;
  const char* reason;  // the whole reason
};

TEST(ColumnTypeInference, ChoosesTheNarrowestTypeAndNamesTheFirstCounterExample) {
  const Column columns[] = {
      {"Flags", {"1", "0", "True", "", "false"}, "Bit", "4 values, all 0/1 or true/false"},
      {"BeyondLong",
       {"1", "3000000000"},
       "BigInt",
       "2 values, all whole, from 1 to 3,000,000,000, beyond Long"},
      {"Measures",
       {"12.50", "3", "2.125", "1e3"},
       "Double",
       "4 values, all numbers; 3 of 4 values are not whole: row 1 '12.50'"},
      {"DayFirst",
       {"01/02/2020", "25/12/2020", "3.4.2021"},
       "Datetime",
       "3 values, all day-first dates, as row 2 '25/12/2020' shows"},
      {"AmbiguousDates",
       {"01/02/2020", "03/04/2020"},
       "VarChar (10)",
       "2 values are dates, but none tells day from month (row 1 '01/02/2020'); write them "
       "year-month-day"},
      {"BadDay",
       {"25/12/2020", "31/02/2020", "01/01/2021", "x"},
       "VarChar (10)",
       "2 of 4 values are not dates: row 2 '31/02/2020'"},
      {"LeadingZeros", {"007", "12"}, "VarChar (3)", "1 of 2 values are not numbers: row 1 '007'"},
      {"Words", {"Anna", "Zürich"}, "VarChar (6)", "2 values of text, the longest 6 characters"},
      {"Empty", {"", "  ", ""}, "VarChar (255)", "every field is empty, so the column stays text"},
  };
  for (const Column& c : columns) {
    SCOPED_TRACE(c.name);
    ColumnTypeInference inference;
    for (size_t i = 0; i < c.values.size(); ++i) inference.add(int64_t(i + 1), c.values[i]);
    const auto result = inference.result();
    EXPECT_EQ(kpx::data::inferredTypeName(result), c.type);
    EXPECT_EQ(result.reason, c.reason);
  }
  ColumnTypeInference longText;
  longText.add(1, std::string(300, 'x'));
  EXPECT_EQ(kpx::data::inferredTypeName(longText.result()), "LongText");
}
