#include <gtest/gtest.h>

#include "data/providers/memory/memory_provider.h"

using namespace kpx::data;

namespace {

class MemoryProviderTest : public testing::Test {
 protected:
  void SetUp() override {
    db = std::make_shared<MemoryDatabase>();
    db->addTable("People", {{"Name", adVarWChar, 10, adColNullable},
                            {"Age", adSmallInt, 0, 0},
                            {"Born", adDate, 0, adColNullable}});
  }
  std::vector<std::string> readAll(DataSource& source) {
    std::vector<std::string> rows;
    auto reader = source.openTable("people");
    while (reader->next()) {
      std::string row;
      for (size_t i = 0; i < reader->columns().size(); ++i) {
        if (i) row += "|";
        appendText(reader->field(i), row);
      }
      rows.push_back(row);
    }
    return rows;
  }
  std::shared_ptr<MemoryDatabase> db;
};

TEST_F(MemoryProviderTest, WriterConvertsCommitsAndSkipsBadRows) {
  MemoryDataSource source(db);
  auto writer = source.openWriter("PEOPLE", {"Born", "Name", "Age"});
  Value good[] = {Value::fromString("2001-02-03T04:05:06"), Value::fromString("Ann"), Value::fromString("41")};
  writer->writeRow(good, 3);
  Value badAge[] = {Value::null(), Value::fromString("Bob"), Value::fromString("forty")};
  EXPECT_THROW(writer->writeRow(badAge, 3), RowError);
  Value nullAge[] = {Value::null(), Value::fromString("Cy"), Value::null()};
  try {
    writer->writeRow(nullAge, 3);
    FAIL();
  } catch (const RowError& e) {
    EXPECT_EQ(e.column(), "Age");
  }
  Value tooLong[] = {Value::null(), Value::fromString("Bartholomew"), Value::fromInt(3)};
  EXPECT_THROW(writer->writeRow(tooLong, 3), RowError);
  Value last[] = {Value::null(), Value::fromString("Dee"), Value::fromDouble(7)};
  writer->writeRow(last, 3);
  EXPECT_TRUE(readAll(source).empty()) << "rows are not visible before commit";
  writer->commit();
  EXPECT_EQ(readAll(source), (std::vector<std::string>{"Ann|41|2001-02-03 04:05:06", "Dee|7|"}));
  EXPECT_THROW(writer->writeRow(last, 3), DataError);
}

TEST_F(MemoryProviderTest, RollbackAndDestructionLeaveTheTable) {
  MemoryDataSource source(db);
  Value row[] = {Value::fromString("Ann"), Value::fromInt(1)};
  {
    auto writer = source.openWriter("People", {"Name", "Age"});
    writer->writeRow(row, 2);
    writer->rollback();
  }
  {
    auto writer = source.openWriter("People", {"Name", "Age"});
    writer->writeRow(row, 2);
  }
  EXPECT_TRUE(readAll(source).empty());
}

TEST_F(MemoryProviderTest, ReportsMissingTablesAndColumns) {
  MemoryDataSource source(db);
  EXPECT_THROW(source.columns("Nobody"), DataError);
  EXPECT_THROW(source.openWriter("People", {"Height"}), DataError);
  source.execute("DELETE FROM `People`");
  EXPECT_EQ(db->executed, std::vector<std::string>{"DELETE FROM `People`"});
}

TEST_F(MemoryProviderTest, ReaderReportsProgressAgainstRowCount) {
  db->findTable("people")->rows.assign(3, {StoredValue(Value::fromString("x")), StoredValue(Value::fromInt(1)), StoredValue()});
  MemoryDataSource source(db);
  auto reader = source.openTable("People");
  ASSERT_TRUE(reader->next());
  EXPECT_EQ(reader->progress().done, 1);
  EXPECT_EQ(reader->progress().total, 3);
  while (reader->next()) {
  }
  EXPECT_EQ(reader->progress().done, 3);
}

}  // namespace
