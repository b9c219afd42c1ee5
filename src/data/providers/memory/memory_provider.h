// An in-memory data source: tables of typed columns and rows held in memory. It implements
// every hook of the provider contract except SQL, and is the source and destination that
// tests of the package engine use. Databases are shared by name, so a test fills one and a
// connection "Provider=KPX.Memory;Data Source=<name>" opens it.
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/providers/provider.h"

namespace kpx::data {

struct MemoryTable {
  std::string name;
  std::string type = "TABLE";  // "TABLE" or "VIEW"
  std::vector<ColumnInfo> columns;
  std::vector<std::vector<StoredValue>> rows;
};

class MemoryDatabase {
 public:
  // Adds an empty table (replacing one of the same name) and returns it.
  MemoryTable& addTable(const std::string& name, std::vector<ColumnInfo> columns);
  // The table named so (case ignored), or nullptr.
  MemoryTable* findTable(const std::string& name);
  // Tables in the order added; references stay valid while tables are added.
  std::deque<MemoryTable>& tables() { return m_tables; }

  // Statements passed to execute(), in order; a test may also install `onExecute` to act
  // on them (it may throw DataError to simulate a failing statement).
  std::vector<std::string> executed;
  std::function<void(const std::string& sql)> onExecute;

 private:
  std::deque<MemoryTable> m_tables;
};

class MemoryDataSource : public DataSource {
 public:
  explicit MemoryDataSource(std::shared_ptr<MemoryDatabase> db) : m_db(std::move(db)) {}
  std::vector<TableInfo> tables() override;
  std::vector<ColumnInfo> catalogColumns(const std::string& table) override;
  std::unique_ptr<RowReader> openCatalogTable(const std::string& table) override;
  // Records the statement and hands it to the database's onExecute when one is set.
  void execute(const std::string& sql) override;
  // Rows are converted to the column types and become visible at commit().
  std::unique_ptr<RowWriter> openWriter(const std::string& table,
                                        const std::vector<std::string>& columns) override;
  MemoryDatabase& database() { return *m_db; }

 private:
  MemoryTable& table(const std::string& name);
  std::shared_ptr<MemoryDatabase> m_db;
};

class MemoryProvider : public Provider {
 public:
  static constexpr const char* kName = "KPX.Memory";
  std::string name() const override { return kName; }
  // Opens the shared database named by "Data Source"; DataError when none was made.
  std::unique_ptr<DataSource> open(const ConnectionProperties& properties) override;
  // The shared database of that name, created empty on first use.
  static std::shared_ptr<MemoryDatabase> database(const std::string& name);
  // Forgets every shared database.
  static void reset();
};

}  // namespace kpx::data
