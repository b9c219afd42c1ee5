#include "cli/catalog_tables.h"
#include "cli/program_text.h"

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
    throw CliError(
        said(Said::CannotOpenAs, connection.Database(), describeKind(kind),
             said(kind.conType == CONN_SQLServer ? Said::CheckTheServer : Said::CheckTheFile)));
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
    if (tables.empty()) throw CliError(said(Said::HoldsNoTable, path));
    throw CliError(said(Said::HoldsSeveralTables, path, namesOf(tables), option));
  }
  const std::string folded = foldCase(wanted);
  for (const auto& t : tables)
    if (foldCase(t.name) == folded) return t.name;
  for (const auto& t : tables)
    if (foldCase(t.name) == folded + "$") return t.name;
  throw CliError(said(Said::HasNoTable, path, wanted,
                      tables.empty() ? std::string(said(Said::NoTables)) : namesOf(tables)));
}

}  // namespace kpx::cli
