// The schema reader's yes/no questions answer "no" when the data source reports a failure of
// its own, and let every other failure through to the caller's report.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "component/module_state.h"
#include "data/mod_database.h"
#include "data/providers/provider.h"

namespace kpx {
namespace {

// A data source whose catalog fails with the given exception.
class FailingCatalog : public data::DataSource {
 public:
  explicit FailingCatalog(std::function<void()> fail) : m_fail(std::move(fail)) {}
  std::vector<data::TableInfo> tables() override {
    m_fail();
    return {{"Customers", "TABLE"}};
  }

 protected:
  std::vector<data::ColumnInfo> catalogColumns(const std::string&) override {
    m_fail();
    return {{"Name"}};
  }
  std::unique_ptr<data::RowReader> openCatalogTable(const std::string&) override { return nullptr; }

 private:
  std::function<void()> m_fail;
};

struct Failure {
  const char* name;
  std::function<void()> fail;
  bool answersNo;  // else the exception reaches the caller
};

class SchemaQuestions : public ::testing::TestWithParam<Failure> {
 protected:
  void SetUp() override {
    modDatabase::state().oCatalog = std::make_unique<FailingCatalog>(GetParam().fail);
  }
  void TearDown() override { resetModuleState(); }
};

TEST_P(SchemaQuestions, OnlyTheDataSourcesOwnFailureReadsAsNo) {
  const std::vector<std::pair<const char*, std::function<bool()>>> questions = {
      {"HasTables", [] { return modDatabase::HasTables(); }},
      {"TableExists", [] { return modDatabase::TableExists("Customers"); }},
      {"ColumnExists", [] { return modDatabase::ColumnExists("Name", "Customers"); }},
  };
  for (const auto& [question, ask] : questions) {
    if (GetParam().answersNo) {
      EXPECT_FALSE(ask()) << question;
    } else {
      EXPECT_ANY_THROW(ask()) << question;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, SchemaQuestions,
    ::testing::Values(
        Failure{"UnreadableSource", [] { throw data::DataError("cannot read 'x.db'"); }, true},
        Failure{"OutOfMemory", [] { throw std::bad_alloc(); }, false},
        Failure{"LogicError", [] { throw std::logic_error("a fault of ours"); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kpx
