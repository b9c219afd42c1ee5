#include "data/providers/provider.h"

#include "data/providers/statement_excerpt.h"
#include "data/providers/text_compare.h"

namespace kpx::data {

std::unique_ptr<RowReader> DataSource::openQuery(const std::string& sql) {
  throw DataError("This data source does not support queries: " + statementExcerpt(sql));
}

void DataSource::execute(const std::string& sql) {
  throw DataError("This data source does not support SQL statements: " + statementExcerpt(sql));
}

std::unique_ptr<RowWriter> DataSource::openWriter(const std::string& table,
                                                  const std::vector<std::string>&) {
  throw DataError("This data source does not support writing rows (table '" + table + "')");
}

std::string DataSource::catalogSpelling(const std::string& table) {
  const std::string wanted = tableKey(table);
  for (const auto& info : tables()) {
    if (equalsIgnoringCase(tableKey(info.name), wanted)) return info.name;
  }
  return {};
}

std::string DataSource::existingTable(const std::string& table) {
  std::string name = catalogSpelling(table);
  if (name.empty())
    throw DataError("The table \"" + table + "\" does not exist in " + describe() + ".");
  return name;
}

bool DataSource::hasTable(const std::string& table) {
  return !catalogSpelling(table).empty();
}

std::vector<ColumnInfo> DataSource::columns(const std::string& table) {
  return catalogColumns(existingTable(table));
}

std::unique_ptr<RowReader> DataSource::openTable(const std::string& table) {
  return openCatalogTable(existingTable(table));
}

}  // namespace kpx::data
