#include "cli/catalog_tables.h"

#include "cli/arguments.h"
#include "data/mod_database.h"
#include "data/providers/provider.h"
#include "kpxwizard/keyed_collection.h"

namespace kpx::cli {
namespace {

std::string namesOf(const std::vector<CatalogTable>& tables) {
  std::string list;
  for (const auto& t : tables) list += (list.empty() ? "" : ", ") + t.name;
  return list;
}

}  // namespace

std::vector<CatalogTable> listTables(clsConnection& connection, const FileKind& kind) {
  connection.CreateConnectionString();
  if (!modDatabase::OpenDatabase(connection))
    throw CliError("kpxwizard: cannot open '" + connection.Database() + "' as " +
                   describeKind(kind) + " (see the message above); " +
                   (kind.conType == CONN_SQLServer
                        ? "check the server, the database, the user and the password"
                        : "check that the file is one"));
  std::vector<std::string> shown;
  modDatabase::ShowTables(shown);
  std::vector<CatalogTable> tables;
  const auto catalog = modDatabase::state().oCatalog->tables();
  for (const auto& name : shown) {
    std::string type = "TABLE";
    for (const auto& t : catalog)
      if (t.name == name) type = foldCase(t.type);
    tables.push_back({name, type});
  }
  return tables;
}

std::string chooseTable(const std::vector<CatalogTable>& tables, const std::string& wanted,
                        const std::string& path, const std::string& option) {
  if (wanted.empty()) {
    if (tables.size() == 1) return tables[0].name;
    if (tables.empty()) throw CliError("kpxwizard: '" + path + "' holds no table");
    throw CliError("kpxwizard: '" + path + "' holds several tables (" + namesOf(tables) +
                   "); choose one with " + option + " NAME");
  }
  const std::string folded = foldCase(wanted);
  for (const auto& t : tables)
    if (foldCase(t.name) == folded) return t.name;
  for (const auto& t : tables)
    if (foldCase(t.name) == folded + "$") return t.name;
  throw CliError("kpxwizard: '" + path + "' has no table '" + wanted +
                 "'; its tables are: " + (tables.empty() ? std::string("none") : namesOf(tables)));
}

}  // namespace kpx::cli
