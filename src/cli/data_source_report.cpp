#include "cli/data_source_report.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "cli/arguments.h"
#include "cli/catalog_tables.h"
#include "cli/json_text.h"
#include "data/mod_database.h"

namespace kpx::cli {
namespace {

std::vector<ColumnReport> columnsOf(const clsConnection& connection) {
  std::vector<ColumnReport> columns;
  for (const auto& c : *connection.Columns())
    columns.push_back({c->Name(), c->DataType(), modDatabase::JetTypeName(c->DataType()), c->Size(),
                       c->Nullable()});
  return columns;
}

std::string fileName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

DataSourceReport inspectConnection(clsConnection& connection, const FileKind& kind) {
  DataSourceReport report{connection.Database(), kind, {}};
  connection.setMode(kpxSource);
  connection.CreateConnectionString();
  if (kind.conType == CONN_TEXTFILE) {
    modDatabase::ClearColumns(connection);
    if (!modDatabase::OpenDatabase(connection))
      throw CliError("kpxwizard inspect: cannot read the text file '" + connection.Database() +
                     "' (see the message above)");
    report.tables.push_back({fileName(connection.Database()), "TABLE", columnsOf(connection)});
    return report;
  }
  for (const auto& table : listTables(connection, kind)) {
    clsConnection fresh;
    fresh.setProvider(connection.ConType());
    fresh.setDatabase(connection.Database());
    fresh.setUser(connection.User());
    fresh.setPassword(connection.Password());
    fresh.setServer(connection.Server());
    fresh.setMode(kpxSource);
    fresh.setTableName(table.name);
    fresh.setTableType(kpxTypeTable);
    // A table whose columns cannot all be read is listed with those that could.
    modDatabase::CreateSetColumn(fresh);
    report.tables.push_back({table.name, table.type, columnsOf(fresh)});
  }
  return report;
}

std::string reportJson(const DataSourceReport& report) {
  std::string json = "{\"kind\": " + jsonString(describeKind(report.kind)) +
                     ", \"connectionType\": " + std::to_string(report.kind.conType) +
                     ", \"path\": " + jsonString(report.path) + ", \"tables\": [";
  for (size_t t = 0; t < report.tables.size(); ++t) {
    const auto& table = report.tables[t];
    json += (t ? ", " : "") + std::string("{\"name\": ") + jsonString(table.name) +
            ", \"type\": " + jsonString(table.type) + ", \"columns\": [";
    for (size_t c = 0; c < table.columns.size(); ++c) {
      const auto& col = table.columns[c];
      json += (c ? ", " : "") + std::string("{\"name\": ") + jsonString(col.name) +
              ", \"type\": " + std::to_string(col.type) +
              ", \"typeName\": " + jsonString(col.typeName) +
              ", \"size\": " + std::to_string(col.size) +
              ", \"nullable\": " + (col.nullable ? "true" : "false") + "}";
    }
    json += "]}";
  }
  return json + "]}";
}

void printReport(std::ostream& out, const DataSourceReport& report) {
  out << report.path << ": " << describeKind(report.kind) << ", " << report.tables.size()
      << (report.tables.size() == 1 ? " table" : " tables") << "\n";
  for (const auto& table : report.tables) {
    out << "\n" << table.type << " " << table.name << "\n";
    size_t width = 6;
    for (const auto& c : table.columns) width = std::max(width, c.name.size());
    char line[64];
    out << "  " << std::string("Column") << std::string(width - 6 + 2, ' ')
        << "Code  Type         Size  Nulls\n";
    for (const auto& c : table.columns) {
      std::snprintf(line, sizeof line, "%4d  %-11s %5d  %s", c.type, c.typeName.c_str(), c.size,
                    c.nullable ? "yes" : "no");
      out << "  " << c.name << std::string(width - c.name.size() + 2, ' ') << line << "\n";
    }
  }
  out.flush();
}

}  // namespace kpx::cli
