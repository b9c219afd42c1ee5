#include "data/providers/memory/memory_provider.h"

#include <map>

#include "data/providers/text_compare.h"
#include "data/providers/value_conversion.h"
#include "kpxwizard/keyed_collection.h"

namespace kpx::data {
namespace {

class MemoryReader : public RowReader {
 public:
  explicit MemoryReader(const MemoryTable& table) : m_table(table) {}
  const std::vector<ColumnInfo>& columns() const override { return m_table.columns; }
  bool next() override {
    if (m_row + 1 >= static_cast<int64_t>(m_table.rows.size())) {
      m_row = static_cast<int64_t>(m_table.rows.size());
      return false;
    }
    ++m_row;
    return true;
  }
  Value field(size_t i) const override {
    const auto& row = m_table.rows[static_cast<size_t>(m_row)];
    return i < row.size() ? row[i].view() : Value::null();
  }
  ReadProgress progress() const override {
    const auto total = static_cast<int64_t>(m_table.rows.size());
    return {m_row < 0 ? 0 : std::min(m_row + 1, total), total};
  }

 private:
  const MemoryTable& m_table;
  int64_t m_row = -1;
};

class MemoryWriter : public RowWriter {
 public:
  MemoryWriter(MemoryTable& table, std::vector<size_t> targets)
      : m_table(table), m_targets(std::move(targets)), m_scratch(m_targets.size()) {}

  void writeRow(const Value* values, size_t count) override {
    if (m_finished) throw DataError("The writer on table '" + m_table.name + "' is finished");
    std::vector<StoredValue> row(m_table.columns.size());
    for (size_t i = 0; i < m_targets.size(); ++i) {
      const ColumnInfo& column = m_table.columns[m_targets[i]];
      const Value in = i < count ? values[i] : Value::null();
      row[m_targets[i]].assign(convertForColumn(in, column, m_scratch[i]));
    }
    for (size_t c = 0; c < row.size(); ++c) {
      const ColumnInfo& column = m_table.columns[c];
      if (row[c].view().isNull() && !(column.attributes & adColNullable)) {
        throw RowError("Column '" + column.name + "' of table '" + m_table.name +
                           "' does not accept empty values",
                       column.name);
      }
    }
    m_pending.push_back(std::move(row));
  }
  void commit() override {
    for (auto& row : m_pending) m_table.rows.push_back(std::move(row));
    finish();
  }
  void rollback() override { finish(); }

 private:
  void finish() {
    m_pending.clear();
    m_finished = true;
  }
  MemoryTable& m_table;
  std::vector<size_t> m_targets;
  std::vector<std::string> m_scratch;
  std::vector<std::vector<StoredValue>> m_pending;
  bool m_finished = false;
};

std::map<std::string, std::shared_ptr<MemoryDatabase>>& sharedDatabases() {
  static std::map<std::string, std::shared_ptr<MemoryDatabase>> databases;
  return databases;
}

}  // namespace

MemoryTable& MemoryDatabase::addTable(const std::string& name, std::vector<ColumnInfo> columns) {
  MemoryTable* table = findTable(name);
  if (!table) table = &m_tables.emplace_back();
  *table = MemoryTable{name, "TABLE", std::move(columns), {}};
  return *table;
}

MemoryTable* MemoryDatabase::findTable(const std::string& name) {
  for (auto& table : m_tables) {
    if (equalsIgnoringCase(table.name, name)) return &table;
  }
  return nullptr;
}

std::vector<TableInfo> MemoryDataSource::tables() {
  std::vector<TableInfo> out;
  for (const auto& table : m_db->tables()) out.push_back({table.name, table.type});
  return out;
}

MemoryTable& MemoryDataSource::table(const std::string& name) {
  MemoryTable* found = m_db->findTable(name);
  if (!found) throw DataError("The table '" + name + "' does not exist");
  return *found;
}

std::vector<ColumnInfo> MemoryDataSource::catalogColumns(const std::string& name) {
  return table(name).columns;
}

std::unique_ptr<RowReader> MemoryDataSource::openCatalogTable(const std::string& name) {
  return std::make_unique<MemoryReader>(table(name));
}

void MemoryDataSource::execute(const std::string& sql) {
  m_db->executed.push_back(sql);
  if (m_db->onExecute) m_db->onExecute(sql);
}

std::unique_ptr<RowWriter> MemoryDataSource::openWriter(const std::string& name,
                                                        const std::vector<std::string>& columns) {
  MemoryTable& target = table(name);
  std::vector<size_t> targets;
  for (const auto& column : columns) {
    size_t i = 0;
    while (i < target.columns.size() && !equalsIgnoringCase(target.columns[i].name, column)) ++i;
    if (i == target.columns.size()) {
      throw DataError("The table '" + name + "' has no column '" + column + "'");
    }
    targets.push_back(i);
  }
  return std::make_unique<MemoryWriter>(target, std::move(targets));
}

std::unique_ptr<DataSource> MemoryProvider::open(const ConnectionProperties& properties) {
  const std::string name = properties.value("Data Source");
  auto& databases = sharedDatabases();
  auto it = databases.find(kpx::foldCase(name));
  if (it == databases.end()) throw DataError("There is no in-memory database '" + name + "'");
  return std::make_unique<MemoryDataSource>(it->second);
}

std::shared_ptr<MemoryDatabase> MemoryProvider::database(const std::string& name) {
  auto& slot = sharedDatabases()[kpx::foldCase(name)];
  if (!slot) slot = std::make_shared<MemoryDatabase>();
  return slot;
}

void MemoryProvider::reset() {
  sharedDatabases().clear();
}

}  // namespace kpx::data
