// Writing text files through the "DTSFlatFile" provider, read back by the provider itself and
// by Python's csv module, and the all-or-nothing replacement of the file.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "data/providers/provider.h"

using namespace kpx::data;

namespace {

using Props = std::map<std::string, std::string>;
using Rows = std::vector<std::vector<std::string>>;

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = ::testing::TempDir() + "kpx_text_XXXXXX";
    m_path = ::mkdtemp(pattern.data());
  }
  ~TempFolder() { std::system(("rm -rf '" + m_path + "'").c_str()); }
  std::string file(const std::string& name) const { return m_path + "/" + name; }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    DIR* dir = ::opendir(m_path.c_str());
    while (dirent* e = ::readdir(dir)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(dir);
    return names;
  }

 private:
  std::string m_path;
};

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::unique_ptr<DataSource> openText(const std::string& path, const Props& properties) {
  ConnectionProperties p;
  p.set("Provider", "DTSFlatFile");
  p.set("Data Source", path);
  for (const auto& [k, v] : properties) p.set(k, v);
  return openDataSource(p);
}

std::string tableOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

Rows readBack(const std::string& path, const Props& properties) {
  auto reader = openText(path, properties)->openTable(tableOf(path));
  Rows rows;
  while (reader->next()) {
    std::vector<std::string> row;
    for (size_t i = 0; i < reader->columns().size(); ++i) {
      Value v = reader->field(i);
      row.push_back(v.isNull() ? "<null>" : std::string(v.text));
    }
    rows.push_back(row);
  }
  return rows;
}

const Props kCsv = {{"Row Delimiter", "\r\n"}, {"Column Delimiter", ","}, {"Text Qualifier", "\""},
                    {"First Row Column Name", "True"}, {"File Format", "1"}, {"Mode", "3"}};
Props with(Props p, const std::string& k, const std::string& v) {
  p[k] = v;
  return p;
}

struct WriteCase {
  const char* name;
  Props properties;
  std::vector<std::string> columns;
  std::vector<std::vector<Value>> rows;
  std::string file;  // the exact bytes written
  Rows readBack;     // the values the provider reads from it
};

class TextWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(TextWrite, WritesTheFileAndReadsItBack) {
  const WriteCase& c = GetParam();
  TempFolder folder;
  std::string path = folder.file("out.txt");
  auto writer = openText(path, c.properties)->openWriter("out.txt", c.columns);
  for (const auto& row : c.rows) writer->writeRow(row.data(), row.size());
  writer->commit();
  EXPECT_EQ(slurp(path), c.file);
  EXPECT_EQ(readBack(path, c.properties), c.readBack);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"out.txt"}) << "no temporary file is left";
}

const WriteCase kWrites[] = {
    {"QualifiedTextAndPlainNumbers", kCsv, {"Id", "Name", "Price", "When", "Ok"},
     {{Value::fromInt(1), Value::fromString("Anna"), Value::fromDouble(2.5),
       Value::fromDate(45292.5), Value::fromBool(true)},
      {Value::fromInt(-2), Value::fromString("say \"hi\", ok"), Value::fromCurrency(12345),
       Value::null(), Value::fromBool(false)}},
     "\"Id\",\"Name\",\"Price\",\"When\",\"Ok\"\r\n1,\"Anna\",2.5,2024-01-01 12:00:00,1\r\n"
     "-2,\"say \"\"hi\"\", ok\",1.2345,,0\r\n",
     {{"1", "Anna", "2.5", "2024-01-01 12:00:00", "1"}, {"-2", "say \"hi\", ok", "1.2345", "<null>", "0"}}},
    {"LineBreakInsideQualifiedText", kCsv, {"Note"}, {{Value::fromString("two\r\nlines")}, {Value::fromString("")}},
     "\"Note\"\r\n\"two\r\nlines\"\r\n\"\"\r\n", {{"two\r\nlines"}, {""}}},
    {"NoQualifierNoHeaderSemicolonRows",
     with(with(with(kCsv, "Text Qualifier", ""), "First Row Column Name", "False"), "Row Delimiter", ";"),
     {"a", "b"}, {{Value::fromString("x"), Value::fromInt(1)}, {Value::null(), Value::fromString("y")}},
     "x,1;,y;", {{"x", "1"}, {"<null>", "y"}}},
    {"TabColumnsLfRows", with(with(kCsv, "Column Delimiter", "\t"), "Row Delimiter", "\n"), {"a", "b"},
     {{Value::fromString("1,5"), Value::fromDecimal("3.10")}}, "\"a\"\t\"b\"\n\"1,5\"\t3.1\n",
     {{"1,5", "3.1"}}},
    {"FixedWidthPadsToWidth",
     {{"File Format", "2"}, {"Column Lengths", "3,6,3"}, {"Column Names", "Id,Name,Age"},
      {"First Row Column Name", "True"}, {"Row Delimiter", "\r\n"}},
     {"Id", "Name", "Age"},
     {{Value::fromInt(7), Value::fromString("Ren\xC3\xA9"), Value::fromInt(30)},
      {Value::fromInt(100), Value::null(), Value::fromInt(5)}},
     "Id Name  Age\r\n7  Ren\xC3\xA9  30 \r\n100      5  \r\n",
     {{"7", "Ren\xC3\xA9", "30"}, {"100", "<null>", "5"}}},
    {"FixedWidthKeepsTheLayoutOfColumnNames",
     {{"File Format", "2"}, {"Column Lengths", "4,2,3"}, {"Column Names", "Long,Sh,Unset"}},
     {"SH", "LONG"}, {{Value::fromString("ab"), Value::fromString("abcd")}}, "abcdab   \r\n",
     {{"abcd", "ab", "<null>"}}},
};

INSTANTIATE_TEST_SUITE_P(Files, TextWrite, ::testing::ValuesIn(kWrites),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextWriteCheckedByPython, CsvModuleReadsWhatWasWritten) {
  TempFolder folder;
  std::string path = folder.file("check.csv");
  const std::vector<std::string> values = {"plain", "with, comma", "with \"quotes\"", "two\r\nlines",
                                           "\xC3\xA0 accent", "", "'apostrophe'"};
  auto writer = openText(path, kCsv)->openWriter("check.csv", {"n", "v"});
  for (size_t i = 0; i < values.size(); ++i) {
    Value row[] = {Value::fromInt(static_cast<int64_t>(i)), Value::fromString(values[i])};
    writer->writeRow(row, 2);
  }
  writer->commit();

  std::string script = folder.file("dump.py");
  std::ofstream(script) << "import csv, sys\n"
                           "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                           "    for row in csv.reader(f):\n"
                           "        print('|'.join(row).replace('\\r', '<CR>').replace('\\n', '<LF>'))\n";
  std::string out = folder.file("dump.txt");
  ASSERT_EQ(std::system(("python3 '" + script + "' '" + path + "' > '" + out + "'").c_str()), 0);
  std::string expected = "n|v\n";
  for (size_t i = 0; i < values.size(); ++i) {
    std::string v = values[i];
    for (size_t at; (at = v.find("\r\n")) != std::string::npos;) v.replace(at, 2, "<CR><LF>");
    expected += std::to_string(i) + "|" + v + "\n";
  }
  EXPECT_EQ(slurp(out), expected);
}

TEST(TextWriteTransaction, RollbackAndDroppedWriterLeaveTheOldFile) {
  TempFolder folder;
  std::string path = folder.file("keep.csv");
  std::ofstream(path, std::ios::binary) << "\"a\"\r\nold\r\n";
  auto source = openText(path, kCsv);
  Value row[] = {Value::fromString("new")};
  {
    auto writer = source->openWriter("keep.csv", {"a"});
    writer->writeRow(row, 1);
    writer->rollback();
  }
  EXPECT_EQ(slurp(path), "\"a\"\r\nold\r\n");
  {
    auto writer = source->openWriter("keep.csv", {"a"});
    writer->writeRow(row, 1);
  }
  EXPECT_EQ(slurp(path), "\"a\"\r\nold\r\n");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"keep.csv"});

  auto writer = source->openWriter("keep.csv", {"a"});
  writer->writeRow(row, 1);
  EXPECT_EQ(slurp(path), "\"a\"\r\nold\r\n") << "nothing shows before commit";
  writer->commit();
  EXPECT_EQ(slurp(path), "\"a\"\r\n\"new\"\r\n") << "a run replaces the rows";
  EXPECT_THROW(writer->writeRow(row, 1), DataError);
}

TEST(TextWriteRowErrors, BadRowIsRefusedWholeAndTheWriterGoesOn) {
  TempFolder folder;
  struct Bad {
    Props properties;
    std::vector<Value> values;
    std::string reason;
  };
  const Props fixed = {{"File Format", "2"}, {"Column Lengths", "3,3"}, {"Column Names", "a,b"}};
  const std::vector<Bad> cases = {
      {fixed, {Value::fromString("ok"), Value::fromString("toolong")}, "7 characters long"},
      {fixed, {Value::fromString("x"), Value::fromString("a\nb")}, "line break"},
      {with(kCsv, "Text Qualifier", ""), {Value::fromString("ok"), Value::fromString("a,b")}, "column delimiter"},
      {with(kCsv, "Text Qualifier", ""), {Value::fromString("ok"), Value::fromString("a\nb")}, "row delimiter"},
  };
  for (const Bad& bad : cases) {
    std::string path = folder.file("bad.txt");
    std::remove(path.c_str());
    auto writer = openText(path, bad.properties)->openWriter("bad.txt", {"a", "b"});
    try {
      writer->writeRow(bad.values.data(), 2);
      ADD_FAILURE() << "accepted " << bad.reason;
    } catch (const RowError& e) {
      EXPECT_NE(std::string(e.what()).find(bad.reason), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("row 1"), std::string::npos) << e.what();
      EXPECT_EQ(e.column(), "b");
    }
    Value good[] = {Value::fromString("1"), Value::fromString("2")};
    writer->writeRow(good, 2);
    writer->commit();
    EXPECT_EQ(readBack(path, bad.properties), (Rows{{"1", "2"}}));
  }
}

TEST(TextWriteRefusals, ReadOnlyConnectionAndHeaderThatDoesNotFit) {
  TempFolder folder;
  std::string path = folder.file("r.csv");
  std::ofstream(path) << "a\r\n1\r\n";
  EXPECT_THROW(openText(path, with(kCsv, "Mode", "1"))->openWriter("r.csv", {"a"}), DataError);
  Props fixed = {{"File Format", "2"}, {"Column Lengths", "2"}, {"First Row Column Name", "True"}};
  EXPECT_THROW(openText(path, fixed)->openWriter("r.csv", {"LongName"}), DataError);
  EXPECT_THROW(openText(path, fixed)->openWriter("r.csv", {"a", "b"}), DataError) << "no width for b";
  EXPECT_EQ(slurp(path), "a\r\n1\r\n");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"r.csv"});
}

TEST(TextDeleteRows, KeepsOnlyTheHeader) {
  TempFolder folder;
  std::string path = folder.file("d.csv");
  std::ofstream(path, std::ios::binary) << "\"a\",\"b\"\r\n1,2\r\n3,4\r\n";
  auto source = openText(path, kCsv);
  source->execute("DELETE FROM [d.csv]");
  EXPECT_EQ(slurp(path), "\"a\",\"b\"\r\n");
  source->execute("delete from ");
  EXPECT_EQ(slurp(path), "\"a\",\"b\"\r\n");
  EXPECT_THROW(source->execute("CREATE TABLE x (a int)"), DataError);
}

TEST(TextWriteCheckedBySqlite, ImportGivesTheSameRows) {
  TempFolder folder;
  std::string path = folder.file("s.csv");
  auto writer = openText(path, kCsv)->openWriter("s.csv", {"id", "name"});
  for (int i = 0; i < 1000; ++i) {
    std::string name = "name \"" + std::to_string(i) + "\", x";
    Value row[] = {Value::fromInt(i), Value::fromString(name)};
    writer->writeRow(row, 2);
  }
  writer->commit();
  std::string out = folder.file("out.txt");
  std::string command = "sqlite3 :memory: -cmd '.mode csv' -cmd \".import '" + path +
                        "' t\" \"SELECT count(*), sum(id), max(name) FROM t\" > '" + out + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(slurp(out), "1000,499500,\"name \"\"999\"\", x\"\n");
}

}  // namespace
