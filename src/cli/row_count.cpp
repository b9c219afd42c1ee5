#include "cli/row_count.h"

#include "data/providers/provider.h"
#include "kpxwizard/keyed_collection.h"

namespace kpx::cli {
namespace {

// What OpenDatabase appends to a connection string to choose the provider.
std::string providerSuffix(int32_t kind) {
  switch (kind) {
    case CONN_SQLServer: return "Provider=SQLOLEDB.1;";
    case CONN_TEXTFILE: return "Provider=DTSFlatFile.1;";
    default: return "Provider=Microsoft.jet.OLEDB.4.0;";
  }
}

}  // namespace

int64_t countRows(const clsConnection& connection) {
  try {
    clsConnection copy = connection;
    auto source = data::openDataSource(
        data::ConnectionProperties::parse(copy.CreateConnectionString() + providerSuffix(connection.ConType())));
    auto tables = source->tables();
    std::string table;
    const std::string wanted = foldCase(connection.TableName());
    for (const auto& t : tables) {
      const std::string name = foldCase(t.name);
      if (connection.ConType() == CONN_TEXTFILE || name == wanted || name == wanted + "$") {
        table = t.name;
        break;
      }
    }
    if (table.empty()) return 0;
    auto reader = source->openTable(table);
    int64_t rows = 0;
    for (;;) {
      try {
        if (!reader->next()) break;
      } catch (const data::RowError&) {
        // A row that does not read is still a row of the table.
      }
      ++rows;
    }
    return rows;
  } catch (const data::DataError&) {
    return -1;
  }
}

}  // namespace kpx::cli
