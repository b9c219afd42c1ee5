#include "data/mod_database.h"

#include <algorithm>

#include "data/mod_main.h"
#include "data/providers/jet/jet_provider.h"
#include "data/providers/provider.h"
#include "data/providers/text/text_provider.h"
#include "kpxwizard/keyed_collection.h"
#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"
#include "model/vb_strings.h"

namespace kpx::modDatabase {
namespace {

constexpr const char* kModule = "modDatabase";

data::DataSource& catalog() {
  if (!state().oCatalog)
    throw data::DataError("No data source is open: OpenDatabase must succeed first");
  return *state().oCatalog;
}

// The catalog entry whose name equals `name` without regard to case.
const data::TableInfo* findTable(const std::vector<data::TableInfo>& tables,
                                 std::string_view name) {
  std::string wanted = foldCase(name);
  for (const auto& t : tables)
    if (foldCase(t.name) == wanted) return &t;
  return nullptr;
}

void showExclamation(int32_t message) {
  ShowMessage(GetResText(message), vbExclamation);
}

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

void resetState() {
  state() = State();
}

void CreaDataBase(const std::string& path) {
  try {
    // The connection text the catalog was created from; the Jet provider makes the file.
    auto properties =
        data::ConnectionProperties::parse("Provider= Microsoft.Jet.OLEDB.4.0;Data source=" + path);
    data::createJetDatabase(properties.value("Data Source"));
  } catch (...) {
    ShowProcedureError(kModule, "CreaDataBase");
  }
}

bool OpenDatabase(clsConnection& conn) {
  try {
    state().nConnectionType = conn.ConType();
    std::string text;
    if (isJetKind(conn.ConType()))
      text = conn.ConnectionString() + "Provider=Microsoft.jet.OLEDB.4.0;";
    else if (conn.ConType() == CONN_SQLServer)
      text = conn.ConnectionString() + "Provider=SQLOLEDB.1;";
    else if (conn.ConType() == CONN_TEXTFILE)
      return BuildADODBConnectionTextFile(conn);
    else
      return false;
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

// A data source that cannot list its tables has none to offer; any other failure (memory, a
// fault of ours) goes on to the caller's report instead of reading as "no such table".
bool HasTables() {
  try {
    for (const auto& table : catalog().tables())
      if (foldCase(table.type) == "TABLE") return true;
  } catch (const data::DataError&) {
  }
  return false;
}

bool TableExists(std::string_view tableName) {
  try {
    return findTable(catalog().tables(), vb::Trim(tableName)) != nullptr;
  } catch (const data::DataError&) {
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
  } catch (const data::DataError&) {
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
      const data::TableInfo* found = findTable(tables, vb::Trim(name));
      if (!found) found = findTable(tables, vb::Trim(name + "$"));
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
    auto properties =
        data::ConnectionProperties::parse(conn.ConnectionString() + "Provider=DTSFlatFile.1;");
    // The qualifier decides where records end: a quoted header field may hold a line break,
    // and the columns after it belong to the same record.
    if (conn.FormatFile() == kpxDelimitedFile && !conn.TextQualifier().empty())
      properties.set("Text Qualifier", conn.TextQualifier());
    auto source = data::openDataSource(properties);
    std::string directory, file;
    GetDirectoryANDFile(path, directory, file);
    size_t dot = file.find('.');
    if (dot == std::string::npos)
      throw data::DataError("The text file name " + file + " has no extension");
    std::string base = file.substr(0, dot);
    std::string extension;
    GetFileExtension(file, extension);
    // The catalog's columns are those of SELECT * FROM [base.extension], typed by a scan of
    // the whole file unless the first record's names are all that is asked for.
    const auto* text = dynamic_cast<const data::TextDataSource*>(source.get());
    const auto fields = conn.ColumnsFromHeader() && text ? text->headerColumns()
                                                         : source->columns(base + "." + extension);
    ClearColumns(conn);
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
  for (size_t at = text.find(part); at != std::string_view::npos;
       at = text.find(part, at + part.size()))
    ++count;
  return count;
}

std::string ExtractTextQualifier(std::string_view name, std::string_view qualifier) {
  int64_t q = vb::Len(qualifier);
  std::string rest = vb::Mid(name, q + 1);
  return vb::RTrim(vb::Left(rest, std::max<int64_t>(vb::Len(rest) - q, 0)));
}

bool AttributesToNullable(int32_t attributes) {
  return !(attributes == 0 || attributes == 1);
}

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
  if (auto wizard = oWizard(); wizard && wizard->Destination())
    ClearColumns(*wizard->Destination());
}

}  // namespace kpx::modDatabase
