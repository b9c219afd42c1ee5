// Writing text files through the "DTSFlatFile" provider: the exact bytes, read back by the
// provider itself (Python's csv module reads what the program writes), and refused rows.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>

#include "data/providers/provider.h"
#include "support/data_error.h"
#include "support/rows_as_text.h"
#include "support/scratch.h"

using namespace kpx::data;

namespace {

using Props = std::map<std::string, std::string>;
using Rows = std::vector<std::vector<std::string>>;

// The names in `folder`, to show that no temporary file is left behind.
std::vector<std::string> entries(const kpx::test::ScratchFolder& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder.dir()))
    names.push_back(e.path().filename().string());
  return names;
}

std::unique_ptr<DataSource> openText(const std::string& path, const Props& properties) {
  ConnectionProperties p;
  p.set("Provider", "DTSFlatFile");
  p.set("Data Source", path);
  for (const auto& [k, v] : properties) p.set(k, v);
  return openDataSource(p);
}

std::string tableOf(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

Rows readBack(const std::string& path, const Props& properties) {
  return kpx::test::readRowsAsText(*openText(path, properties)->openTable(tableOf(path)));
}

const Props kCsv = {{"Row Delimiter", "\r\n"}, {"Column Delimiter", ","},
                    {"Text Qualifier", "\""},  {"First Row Column Name", "True"},
                    {"File Format", "1"},      {"Mode", "3"}};
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
  kpx::test::ScratchFolder folder;
  std::string path = folder.path("out.txt");
  auto writer = openText(path, c.properties)->openWriter("out.txt", c.columns);
  for (const auto& row : c.rows) writer->writeRow(row.data(), row.size());
  writer->commit();
  EXPECT_EQ(kpx::test::readFile(path), c.file);
  EXPECT_EQ(readBack(path, c.properties), c.readBack);
  EXPECT_EQ(entries(folder), std::vector<std::string>{"out.txt"}) << "no temporary file is left";
}

const WriteCase kWrites[] = {
    {"QualifiedTextAndPlainNumbers",
     kCsv,
     {"Id", "Name", "Price", "When", "Ok"},
     {{Value::fromInt(1), Value::fromString("Anna"), Value::fromDouble(2.5),
       Value::fromDate(45292.5), Value::fromBool(true)},
      {Value::fromInt(-2), Value::fromString("say \"hi\", ok"), Value::fromCurrency(12345),
       Value::null(), Value::fromBool(false)}},
     "\"Id\",\"Name\",\"Price\",\"When\",\"Ok\"\r\n1,\"Anna\",2.5,2024-01-01 12:00:00,1\r\n"
     "-2,\"say \"\"hi\"\", ok\",1.2345,,0\r\n",
     {{"1", "Anna", "2.5", "2024-01-01 12:00:00", "1"},
      {"-2", "say \"hi\", ok", "1.2345", "<null>", "0"}}},
    {"NoQualifierNoHeaderSemicolonRows",
     with(with(with(kCsv, "Text Qualifier", ""), "First Row Column Name", "False"), "Row Delimiter",
          ";"),
     {"a", "b"},
     {{Value::fromString("x"), Value::fromInt(1)}, {Value::null(), Value::fromString("y")}},
     "x,1;,y;",
     {{"x", "1"}, {"<null>", "y"}}},
};

INSTANTIATE_TEST_SUITE_P(Files, TextWrite, ::testing::ValuesIn(kWrites),
                         [](const auto& info) { return std::string(info.param.name); });

// Rows go to the file in batches, formatted on a thread of their own: every row arrives, in
// order, the last partial batch too; a rollback, even with batches under way, keeps the old file,
// and so does a write that fails on the writing thread (past the process's file size limit),
// which reaches the caller as the file's error.
TEST(TextWriteMany, EveryRowArrivesInOrderAndARollbackOrFailureKeepsTheOldFile) {
  kpx::test::ScratchFolder folder;
  const std::string path = folder.path("out.txt");
  rlimit unlimited{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &unlimited), 0);
  std::signal(SIGXFSZ, SIG_IGN);
  for (const std::string ending : {"commit", "rollback", "failure"}) {
    SCOPED_TRACE(ending);
    folder.write("out.txt", "old\r\n");
    auto writer = openText(path, kCsv)->openWriter("out.txt", {"n", "s"});
    rlimit limited = unlimited;
    limited.rlim_cur = 50 * 1024;
    if (ending == "failure") ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string expected = "\"n\",\"s\"\r\n";
    const std::string what = kpx::test::dataErrorOf([&] {
      for (int i = 0; i < 10007; ++i) {
        const std::string text = "r" + std::to_string(i);
        const Value row[] = {Value::fromInt(i), Value::fromString(text)};
        writer->writeRow(row, 2);
        expected += std::to_string(i) + ",\"r" + std::to_string(i) + "\"\r\n";
      }
      ending == "rollback" ? writer->rollback() : writer->commit();
    });
    if (ending == "failure") {
      EXPECT_NE(what.find("Cannot write the text file"), std::string::npos) << what;
      writer->rollback();
      setrlimit(RLIMIT_FSIZE, &unlimited);
    }
    EXPECT_EQ(what.empty(), ending != "failure") << what;
    EXPECT_EQ(kpx::test::readFile(path), ending == "commit" ? expected : "old\r\n");
    EXPECT_EQ(entries(folder), std::vector<std::string>{"out.txt"});
  }
}

TEST(TextWriteRowErrors, BadRowIsRefusedWholeAndTheWriterGoesOn) {
  kpx::test::ScratchFolder folder;
  struct Bad {
    Props properties;
    std::vector<Value> values;
    std::string reason;
  };
  const Props fixed = {{"File Format", "2"}, {"Column Lengths", "3,3"}, {"Column Names", "a,b"}};
  const std::vector<Bad> cases = {
      {fixed, {Value::fromString("ok"), Value::fromString("toolong")}, "7 characters long"},
      {fixed, {Value::fromString("x"), Value::fromString("a\nb")}, "line break"},
      {with(kCsv, "Text Qualifier", ""),
       {Value::fromString("ok"), Value::fromString("a,b")},
       "column delimiter"},
      {with(kCsv, "Text Qualifier", ""),
       {Value::fromString("ok"), Value::fromString("a\nb")},
       "row delimiter"},
  };
  for (const Bad& bad : cases) {
    std::string path = folder.path("bad.txt");
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

}  // namespace
