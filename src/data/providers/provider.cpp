#include "data/providers/provider.h"

#include "data/providers/text_compare.h"

namespace kpx::data {

std::unique_ptr<RowReader> DataSource::openQuery(const std::string& sql) {
  throw DataError("This data source does not support queries: " + sql);
}

void DataSource::execute(const std::string& sql) {
  throw DataError("This data source does not support SQL statements: " + sql);
}

std::unique_ptr<RowWriter> DataSource::openWriter(const std::string& table,
                                                  const std::vector<std::string>&) {
  throw DataError("This data source does not support writing rows (table '" + table + "')");
}

bool DataSource::hasTable(const std::string& table) {
  for (const auto& info : tables()) {
    if (equalsIgnoringCase(info.name, table)) return true;
  }
  return false;
}

}  // namespace kpx::data
