#include "data/query/source_tables.h"

#include <cstdlib>
#include <set>

#include "data/providers/sqlite/sqlite_statement.h"
#include "kpxwizard/keyed_collection.h"

namespace kpx::data {
namespace {

// SQLite allocates nothing for a virtual table or cursor: these are created here, handed to
// SQLite as the base pointers and deleted again in xDisconnect / xClose.
struct RowsTable : sqlite3_vtab {
  SourceTables* tables = nullptr;
  const BoundTable* bound = nullptr;
};

struct RowsCursor : sqlite3_vtab_cursor {
  std::unique_ptr<RowReader> reader;
  bool eof = true;
  sqlite3_int64 row = 0;  // 1-based number of the current row
  std::string scratch;    // text of the current value when it had to be written out
};

// The SQLite column type that gives a source column the comparisons it needs.
std::string declaredType(int32_t adoType) {
  switch (adoType) {
    case adSmallInt:
    case adInteger:
    case adTinyInt:
    case adUnsignedTinyInt:
    case adUnsignedSmallInt:
    case adUnsignedInt:
    case adBigInt:
    case adUnsignedBigInt:
    case adBoolean:
      return "INTEGER";
    case adSingle:
    case adDouble:
    case adCurrency:
    case adNumeric:
      return "REAL";
    case adDate:
    case adDBDate:
    case adDBTimeStamp:
      return "TEXT";  // ISO text: sorts in time order and compares with '2024-01-31'
    case adBinary:
    case adVarBinary:
    case adLongVarBinary:
      return "BLOB";
    default:
      return std::string("TEXT COLLATE ") + kNoCaseCollation;
  }
}

int setError(sqlite3_vtab* vtab, const std::string& text) {
  sqlite3_free(vtab->zErrMsg);
  vtab->zErrMsg = sqlite3_mprintf("%s", text.c_str());
  return SQLITE_ERROR;
}

int advance(RowsCursor& cursor) {
  auto& table = *static_cast<RowsTable*>(cursor.pVtab);
  try {
    cursor.eof = !cursor.reader->next();
    ++cursor.row;
    return SQLITE_OK;
  } catch (const RowError& e) {
    return setError(cursor.pVtab, "Row " + std::to_string(cursor.row + 1) + " of table \"" +
                                      table.bound->sourceName + "\" cannot be read: " + e.what());
  } catch (const std::exception& e) {
    return setError(cursor.pVtab, e.what());
  }
}

int xConnect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out,
             char** error) {
  auto* tables = static_cast<SourceTables*>(aux);
  const size_t index = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : tables->size();
  if (index >= tables->size()) {
    *error = sqlite3_mprintf("kpx_rows: no bound table");
    return SQLITE_ERROR;
  }
  const BoundTable& bound = tables->at(index);
  std::string schema = "CREATE TABLE x(";
  for (size_t i = 0; i < bound.columns.size(); ++i) {
    if (i) schema += ", ";
    schema += quoteName(bound.sqlColumns[i]) + " " + declaredType(bound.columns[i].type);
  }
  schema += ")";
  if (int rc = sqlite3_declare_vtab(db, schema.c_str()); rc != SQLITE_OK) {
    *error = sqlite3_mprintf("%s", sqlite3_errmsg(db));
    return rc;
  }
  auto table = std::make_unique<RowsTable>();
  table->tables = tables;
  table->bound = &bound;
  *out = table.release();
  return SQLITE_OK;
}

int xDisconnect(sqlite3_vtab* vtab) {
  std::unique_ptr<RowsTable>(static_cast<RowsTable*>(vtab));
  return SQLITE_OK;
}

// Every scan reads the whole table: the source has no index to offer.
int xBestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
  info->estimatedCost = 1e6;
  info->estimatedRows = 1000000;
  return SQLITE_OK;
}

int xOpen(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
  *out = std::make_unique<RowsCursor>().release();
  return SQLITE_OK;
}

int xClose(sqlite3_vtab_cursor* cursor) {
  std::unique_ptr<RowsCursor>(static_cast<RowsCursor*>(cursor));
  return SQLITE_OK;
}

int xFilter(sqlite3_vtab_cursor* base, int, const char*, int, sqlite3_value**) {
  auto& cursor = *static_cast<RowsCursor*>(base);
  auto& table = *static_cast<RowsTable*>(base->pVtab);
  try {
    cursor.reader.reset();
    cursor.reader = table.tables->source().openTable(table.bound->sourceName);
    cursor.row = 0;
  } catch (const std::exception& e) {
    return setError(base->pVtab, e.what());
  }
  return advance(cursor);
}

int xNext(sqlite3_vtab_cursor* base) {
  return advance(*static_cast<RowsCursor*>(base));
}

int xEof(sqlite3_vtab_cursor* base) {
  return static_cast<RowsCursor*>(base)->eof;
}

void resultText(sqlite3_context* ctx, std::string_view text) {
  sqlite3_result_text64(ctx, text.empty() ? "" : text.data(), text.size(), SQLITE_TRANSIENT,
                        SQLITE_UTF8);
}

int xColumn(sqlite3_vtab_cursor* base, sqlite3_context* ctx, int i) {
  auto& cursor = *static_cast<RowsCursor*>(base);
  try {
    const Value v = cursor.reader->field(static_cast<size_t>(i));
    switch (v.kind) {
      case ValueKind::Null:
        sqlite3_result_null(ctx);
        break;
      case ValueKind::Boolean:
        sqlite3_result_int(ctx, v.boolean ? 1 : 0);
        break;
      case ValueKind::Integer:
        sqlite3_result_int64(ctx, v.integer);
        break;
      case ValueKind::Double:
        sqlite3_result_double(ctx, v.real);
        break;
      case ValueKind::Currency:
        sqlite3_result_double(ctx, static_cast<double>(v.currency) / 10000.0);
        break;
      case ValueKind::Decimal: {
        int64_t whole = 0;
        double real = 0;
        if (parseInteger(v.text, whole))
          sqlite3_result_int64(ctx, whole);
        else if (parseDouble(v.text, real))
          sqlite3_result_double(ctx, real);
        else
          resultText(ctx, v.text);
        break;
      }
      case ValueKind::Date:
        cursor.scratch.clear();
        appendText(v, cursor.scratch);
        resultText(ctx, cursor.scratch);
        break;
      case ValueKind::String:
      case ValueKind::Guid:
        resultText(ctx, v.text);
        break;
      case ValueKind::Binary:
        sqlite3_result_blob64(ctx, v.text.empty() ? "" : v.text.data(), v.text.size(),
                              SQLITE_TRANSIENT);
        break;
    }
    return SQLITE_OK;
  } catch (const std::exception& e) {
    return setError(base->pVtab, e.what());
  }
}

int xRowid(sqlite3_vtab_cursor* base, sqlite3_int64* rowid) {
  *rowid = static_cast<RowsCursor*>(base)->row;
  return SQLITE_OK;
}

// Compares as Jet does, without regard to case; plain ASCII text, the common case, is
// compared in place without folding copies.
int noCaseCompare(void*, int n1, const void* s1, int n2, const void* s2) {
  const std::string_view a(static_cast<const char*>(s1), static_cast<size_t>(n1));
  const std::string_view b(static_cast<const char*>(s2), static_cast<size_t>(n2));
  for (size_t i = 0;; ++i) {
    if (i == a.size() || i == b.size()) return a.size() == b.size() ? 0 : i == a.size() ? -1 : 1;
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 0x80 || y >= 0x80) break;
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return x < y ? -1 : 1;
  }
  return kpx::foldCase(a).compare(kpx::foldCase(b));
}

sqlite3_module makeModule() {
  sqlite3_module m{};
  m.iVersion = 1;
  m.xCreate = xConnect;
  m.xConnect = xConnect;
  m.xBestIndex = xBestIndex;
  m.xDisconnect = xDisconnect;
  m.xDestroy = xDisconnect;
  m.xOpen = xOpen;
  m.xClose = xClose;
  m.xFilter = xFilter;
  m.xNext = xNext;
  m.xEof = xEof;
  m.xColumn = xColumn;
  m.xRowid = xRowid;
  return m;  // no xUpdate: the tables are read-only
}

const sqlite3_module kRowsModule = makeModule();

// Column names as SQLite will accept them: unique without regard to ASCII case.
std::vector<std::string> uniqueNames(const std::vector<ColumnInfo>& columns) {
  std::set<std::string> used;
  std::vector<std::string> names;
  auto key = [](std::string s) {
    for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return s;
  };
  for (size_t i = 0; i < columns.size(); ++i) {
    std::string name = columns[i].name;
    for (int k = 2; used.count(key(name)); ++k) name = columns[i].name + "_" + std::to_string(k);
    used.insert(key(name));
    names.push_back(name);
  }
  return names;
}

}  // namespace

void SourceTables::install(sqlite3* db) {
  if (sqlite3_create_module(db, "kpx_rows", &kRowsModule, this) != SQLITE_OK ||
      sqlite3_create_collation(db, kNoCaseCollation, SQLITE_UTF8, nullptr, noCaseCompare) !=
          SQLITE_OK)
    throw DataError(std::string("The query engine cannot start: ") + sqlite3_errmsg(db));
}

void SourceTables::bind(sqlite3* db, const std::string& sqlName, const std::string& sourceName) {
  auto bound = std::make_unique<BoundTable>();
  bound->sqlName = sqlName;
  bound->sourceName = sourceName;
  bound->columns = m_source.columns(sourceName);
  if (bound->columns.empty())
    throw DataError("The table \"" + sourceName + "\" has no columns to query.");
  bound->sqlColumns = uniqueNames(bound->columns);
  m_tables.push_back(std::move(bound));
  const std::string sql = "CREATE VIRTUAL TABLE " + quoteName(sqlName) + " USING kpx_rows(" +
                          std::to_string(m_tables.size() - 1) + ")";
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string text = error ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    m_tables.pop_back();
    throw DataError("The table \"" + sourceName + "\" cannot be queried: " + text);
  }
}

const BoundTable* SourceTables::find(const std::string& sqlName) const {
  for (const auto& t : m_tables)
    if (t->sqlName == sqlName) return t.get();
  return nullptr;
}

}  // namespace kpx::data
