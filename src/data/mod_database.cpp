#include "data/mod_database.h"

#include <sqlite3.h>

#include <filesystem>

#include "data/mod_main.h"
#include "data/providers/provider.h"
#include "kpxwizard/keyed_collection.h"
#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"

namespace kpx::modDatabase {
namespace {

constexpr const char* kModule = "modDatabase";

std::string trimBlanks(std::string_view s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return std::string(s.substr(b, e - b + 1));
}

data::DataSource& catalog() {
  if (!state().oCatalog)
    throw data::DataError("No data source is open: OpenDatabase must succeed first");
  return *state().oCatalog;
}

// The catalog entry whose name equals `name` without regard to case.
const data::TableInfo* findTable(const std::vector<data::TableInfo>& tables, std::string_view name) {
  std::string wanted = foldCase(name);
  for (const auto& t : tables)
    if (foldCase(t.name) == wanted) return &t;
  return nullptr;
}

void showExclamation(int32_t message) { ShowMessage(GetResText(message), vbExclamation); }

// Adds one column; false (after message 550) when the name is already there.
bool addColumn(clsConnection& conn, const data::ColumnInfo& info) {
  if (conn.Columns()->ExistItem(info.name)) {
    ShowMessage(GetResText(550), vbInformation);
    return false;
  }
  auto column = conn.Columns()->Add(info.name);
  column->setName(info.name);
  column->setDataType(info.type);
  column->setSize(info.size);
  column->setNullable(AttributesToNullable(info.attributes));
  return true;
}

}  // namespace

State& state() {
  static State s;
  return s;
}

void resetState() { state() = State(); }

void CreaDataBase(const std::string& path) {
  try {
    // The connection text the catalog was created from; the Jet provider makes the file.
    std::string text = "Provider= Microsoft.Jet.OLEDB.4.0;Data source=" + path;
    auto properties = data::ConnectionProperties::parse(text);
    if (std::filesystem::exists(path))
      throw data::DataError("Cannot create the database " + path + ": the file already exists");
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(properties.value("Data Source").c_str(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string error = rc == SQLITE_OK ? "" : sqlite3_errmsg(db);
    // An empty SQLite file has no header until something is written; write its schema page.
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "PRAGMA user_version=0; VACUUM;", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && error.empty()) error = sqlite3_errmsg(db);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw data::DataError("Cannot create the database " + path + ": " + error);
  } catch (...) {
    ShowProcedureError(kModule, "CreaDataBase");
  }
}

bool OpenDatabase(clsConnection& conn) {
  try {
    state().nConnectionType = conn.ConType();
    std::string text;
    switch (conn.ConType()) {
      case CONN_ACCESS:
      case CONN_EXCEL:
      case CONN_HTML_SOURCE:
      case CONN_EXCEL3:
      case CONN_EXCEL4:
      case CONN_EXCEL5:
        text = conn.ConnectionString() + "Provider=Microsoft.jet.OLEDB.4.0;";
        break;
      case CONN_SQLServer:
        text = conn.ConnectionString() + "Provider=SQLOLEDB.1;";
        break;
      case CONN_TEXTFILE:
        return BuildADODBConnectionTextFile(conn);
      default:
        return false;
    }
    state().oCatalog.reset();
    state().oCatalog = data::openDataSource(data::ConnectionProperties::parse(text));
    return true;
  } catch (...) {
    ShowProcedureError(kModule, "OpenDatabase");
    return false;
  }
}

void ShowTables(ListControl& list) {
  try {
    bool views = false;
    switch (state().nConnectionType) {
      case CONN_ACCESS:
      case CONN_SQLServer:
      case CONN_HTML_SOURCE:
        views = true;
        break;
      case CONN_EXCEL:
      case CONN_EXCEL3:
      case CONN_EXCEL4:
      case CONN_EXCEL5:
        break;
      default:
        return;
    }
    for (const auto& table : catalog().tables()) {
      std::string type = foldCase(table.type);
      if (type == "TABLE" || (views && type == "VIEW")) list.AddItem(table.name);
    }
  } catch (...) {
    ShowProcedureError(kModule, "ShowTables");
  }
}

void ShowTables(std::vector<std::string>& list) {
  struct VectorList : ListControl {
    std::vector<std::string>& items;
    explicit VectorList(std::vector<std::string>& v) : items(v) {}
    void AddItem(const std::string& item) override { items.push_back(item); }
  } adapter(list);
  ShowTables(adapter);
}

bool HasTables() {
  try {
    for (const auto& table : catalog().tables())
      if (foldCase(table.type) == "TABLE") return true;
  } catch (...) {
  }
  return false;
}

bool TableExists(std::string_view tableName) {
  try {
    return findTable(catalog().tables(), trimBlanks(tableName)) != nullptr;
  } catch (...) {
    return false;
  }
}

bool ColumnExists(std::string_view column, std::string_view table) {
  try {
    auto tables = catalog().tables();
    const data::TableInfo* found = findTable(tables, table);
    if (!found) return false;
    std::string wanted = foldCase(column);
    for (const auto& c : catalog().columns(found->name))
      if (foldCase(c.name) == wanted) return true;
  } catch (...) {
  }
  return false;
}

bool CreateSetColumn(clsConnection& conn) {
  try {
    std::vector<data::ColumnInfo> columns;
    bool setCount = true;
    if (conn.TableType() != kpxTypeTable && conn.Mode() != kpxDestination) {
      std::string table = foldCase(modMain::ExtractTableName(conn.TableName()));
      const data::TableInfo* found = nullptr;
      auto tables = catalog().tables();
      for (const auto& t : tables) {
        std::string name = foldCase(t.name);
        if (name == table || name == table + "$") {
          found = &t;
          break;
        }
      }
      if (!found) {
        showExclamation(502);
        conn.setTableName("");
        return false;
      }
      state().oTable = found->name;
      auto all = catalog().columns(found->name);
      const auto& selected = modMain::state().colSelectedFields;
      if (selected.size() == 1 && selected[0] == "*") {
        columns = std::move(all);
      } else {
        setCount = false;
        for (const auto& entry : selected)
          for (const auto& c : all)
            if (foldCase(c.name) == entry) columns.push_back(c);
      }
      if (setCount) conn.setNumberColumns(static_cast<int32_t>(columns.size()));
    } else {
      std::string name = conn.TableName();
      auto tables = catalog().tables();
      const data::TableInfo* found = findTable(tables, trimBlanks(name));
      if (!found) found = findTable(tables, trimBlanks(name + "$"));
      if (!found) {
        showExclamation(533);
        return false;
      }
      state().oTable = found->name;
      columns = catalog().columns(found->name);
      conn.setNumberColumns(static_cast<int32_t>(columns.size()));
    }
    for (const auto& c : columns)
      if (!addColumn(conn, c)) return false;
    if (conn.Columns()->Count() > 0) return true;
    showExclamation(503);
    conn.setTableName("");
    conn.setTableType(-1);
    return false;
  } catch (...) {
    ShowProcedureError(kModule, "CreateSetColumn");
    return false;
  }
}

bool BuildADODBConnectionTextFile(clsConnection& conn) {
  try {
    std::string path = conn.Database();
    auto source = data::openDataSource(
        data::ConnectionProperties::parse(conn.ConnectionString() + "Provider=DTSFlatFile.1;"));
    std::string directory, file;
    GetDirectoryANDFile(path, directory, file);
    size_t dot = file.find('.');
    if (dot == std::string::npos)
      throw data::DataError("The text file name " + file + " has no extension");
    std::string base = file.substr(0, dot);
    std::string extension;
    GetFileExtension(file, extension);
    auto reader = source->openQuery("SELECT * FROM [" + base + "." + extension + "]");
    ClearColumns(conn);
    const auto& fields = reader->columns();
    for (const auto& field : fields) {
      std::string name = field.name;
      const std::string& qualifier = conn.TextQualifier();
      if (conn.FirstRow() == -1 && !qualifier.empty() && CountOccurrences(name, qualifier) == 2)
        name = ExtractTextQualifier(name, qualifier);
      auto column = conn.Columns()->Add(name);
      column->setDataType(field.type);
      column->setSize(field.size);
      column->setNullable(field.attributes != 0);
    }
    conn.setNumberColumns(static_cast<int32_t>(fields.size()));
    return true;
  } catch (...) {
    ShowProcedureError(kModule, "BuildADODBConnectionTextFile");
    return false;
  }
}

bool GetDirectoryANDFile(const std::string& path, std::string& directory, std::string& file) {
  size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) {
    directory.clear();
    file = path;
  } else {
    directory = path.substr(0, cut + 1);
    file = path.substr(cut + 1);
  }
  return true;
}

bool GetFileExtension(const std::string& fileName, std::string& extension) {
  size_t dot = fileName.find('.');
  extension = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
  return true;
}

int16_t CountOccurrences(std::string_view text, std::string_view part) {
  if (part.empty()) return 0;
  int16_t count = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size()))
    ++count;
  return count;
}

std::string ExtractTextQualifier(std::string_view name, std::string_view qualifier) {
  // Character counts, not bytes: the qualifier and the name may hold any Unicode letter.
  auto codePoints = [](std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
  };
  auto byteOffset = [](std::string_view s, size_t chars) {
    size_t i = 0;
    for (size_t seen = 0; i < s.size(); ++i) {
      if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
        if (seen == chars) break;
        ++seen;
      }
    }
    return i;
  };
  size_t q = codePoints(qualifier);
  std::string_view rest = name.substr(byteOffset(name, q));
  size_t keep = codePoints(rest) >= q ? codePoints(rest) - q : 0;
  std::string out(rest.substr(0, byteOffset(rest, keep)));
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

bool AttributesToNullable(int32_t attributes) { return !(attributes == 0 || attributes == 1); }

bool AttributesToNullable(std::string_view attributes) {
  if (attributes == "0" || attributes == "1" || attributes == "NOT NULL") return false;
  return true;
}

void ClearColumns(clsConnection& conn) {
  auto columns = conn.Columns();
  while (columns->Count() > 0) columns->Remove(1);
}

void ClearSourceColumns() {
  if (auto wizard = oWizard(); wizard && wizard->Source()) ClearColumns(*wizard->Source());
}

void ClearDestinationColumns() {
  if (auto wizard = oWizard(); wizard && wizard->Destination()) ClearColumns(*wizard->Destination());
}

}  // namespace kpx::modDatabase
