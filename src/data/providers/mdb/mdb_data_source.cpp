#include "data/providers/mdb/mdb_data_source.h"

#include <mdbtools.h>
#include <sys/stat.h>

#include <charconv>
#include <cstdio>
#include <cstring>

#include "data/providers/text_compare.h"
#include "data/query/query_engine.h"

namespace kpx::data {
namespace {

const char* const kReadOnly =
    "Microsoft Access files are read-only here; create a new database with New…";

// Room for one text or memo value once converted to UTF-8; mdbtools cuts longer values.
constexpr size_t kBindSize = 4 * 1024 * 1024;
// The buffer mdbtools copies one OLE chunk (at most a page) into.
constexpr size_t kOleChunk = 64 * 1024;

struct MdbCloser {
  void operator()(MdbHandle* h) const { mdb_close(h); }
};
using MdbPtr = std::unique_ptr<MdbHandle, MdbCloser>;

struct TableCloser {
  void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableCloser>;

// Checks what mdbtools takes on trust: the signature, the version byte and whole pages, so
// that a damaged or truncated file is refused before the library reads past its end.
void validateHeader(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0)
    throw DataError("The database file '" + path + "' does not exist");
  unsigned char head[32] = {};
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw DataError("Cannot open the database file '" + path + "'");
  const size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  const bool signature =
      got == sizeof head && (std::memcmp(head + 4, "Standard Jet DB\0", 16) == 0 ||
                             std::memcmp(head + 4, "Standard ACE DB\0", 16) == 0);
  const unsigned version = head[0x14];
  if (!signature || version > MDB_VER_ACCDB_2019) {
    throw DataError("The file '" + path + "' is not a Microsoft Access database");
  }
  const off_t page = version == MDB_VER_JET3 ? 2048 : 4096;
  if (st.st_size < 3 * page || st.st_size % page != 0) {
    throw DataError("The Microsoft Access database '" + path + "' is damaged or truncated");
  }
}

MdbPtr openHandle(const std::string& path) {
  validateHeader(path);
  MdbPtr mdb(mdb_open(path.c_str(), MDB_NOFLAGS));
  if (!mdb) throw DataError("Cannot read the Microsoft Access database '" + path + "'");
  mdb_set_bind_size(mdb.get(), kBindSize);
  if (!mdb_read_catalog(mdb.get(), MDB_TABLE)) {
    throw DataError("Cannot read the catalog of the Microsoft Access database '" + path + "'");
  }
  return mdb;
}

int32_t adoTypeOf(const MdbColumn& col) {
  switch (col.col_type) {
    case MDB_BOOL:
      return adBoolean;
    case MDB_BYTE:
      return adUnsignedTinyInt;
    case MDB_INT:
      return adSmallInt;
    case MDB_LONGINT:
    case MDB_COMPLEX:
      return adInteger;
    case MDB_MONEY:
      return adCurrency;
    case MDB_FLOAT:
      return adSingle;
    case MDB_DOUBLE:
      return adDouble;
    case MDB_DATETIME:
      return adDate;
    case MDB_BINARY:
      return adVarBinary;
    case MDB_TEXT:
      return adVarWChar;
    case MDB_OLE:
      return adLongVarBinary;
    case MDB_MEMO:
      return adLongVarWChar;
    case MDB_REPID:
      return adGUID;
    case MDB_NUMERIC:
      return adNumeric;
    default:
      return adVarWChar;
  }
}

ColumnInfo columnInfoOf(MdbHandle* mdb, const MdbColumn& col) {
  ColumnInfo info;
  info.name = col.name;
  info.type = adoTypeOf(col);
  if (col.col_type == MDB_TEXT) {
    // Jet 4 and later store text as UTF-16: the size in the catalog counts bytes.
    info.size = mdb->f->jet_version == MDB_VER_JET3 ? col.col_size : col.col_size / 2;
  } else if (col.col_type == MDB_BINARY) {
    info.size = col.col_size;
  }
  const char* required = mdb_col_get_prop(&col, "Required");
  const bool notNull = col.col_type == MDB_BOOL || (required && std::strcmp(required, "yes") == 0);
  info.attributes = (col.is_fixed ? adColFixed : 0) | (notNull ? 0 : adColNullable);
  return info;
}

// Every row of one table, each field decoded from the page mdbtools has just read.
class MdbReader : public RowReader {
 public:
  MdbReader(MdbPtr mdb, TablePtr table, std::string what)
      : m_mdb(std::move(mdb)), m_table(std::move(table)), m_what(std::move(what)) {
    const unsigned n = m_table->num_cols;
    m_values.resize(n);
    m_text.resize(n);
    for (unsigned i = 0; i < n; ++i) {
      auto* col = static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, i));
      m_columns.push_back(columnInfoOf(m_mdb.get(), *col));
      if (col->col_type == MDB_OLE) {
        m_ole.emplace_back(kOleChunk, '\0');
        mdb_bind_column(m_table.get(), static_cast<int>(i) + 1, m_ole.back().data(), nullptr);
      }
    }
    mdb_rewind_table(m_table.get());
  }
  const std::vector<ColumnInfo>& columns() const override { return m_columns; }

  bool next() override {
    if (m_done) return false;
    if (!mdb_fetch_row(m_table.get())) {
      m_done = true;
      // mdbtools ends a table quietly at a page it cannot read; the row count kept in the
      // table's definition tells a damaged file from a complete one.
      if (m_rows < static_cast<int64_t>(m_table->num_rows)) {
        throw DataError("Reading " + m_what + " stopped after row " + std::to_string(m_rows) +
                        " of " + std::to_string(m_table->num_rows) +
                        ": the file is damaged or truncated");
      }
      return false;
    }
    ++m_rows;
    for (unsigned i = 0; i < m_table->num_cols; ++i) {
      decode(i, *static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, i)));
    }
    return true;
  }
  Value field(size_t i) const override { return i < m_values.size() ? m_values[i] : Value::null(); }
  ReadProgress progress() const override { return {m_rows, m_table->num_rows}; }

 private:
  void setText(size_t i, char* text, ValueKind kind) {
    m_text[i].assign(text ? text : "");
    g_free(text);
    Value v;
    v.kind = kind;
    v.text = m_text[i];
    m_values[i] = v;
  }

  void decode(size_t i, MdbColumn& col) {
    MdbHandle* mdb = m_mdb.get();
    unsigned char* buf = mdb->pg_buf;
    const int start = col.cur_value_start;
    const int len = col.cur_value_len;
    if (col.col_type == MDB_BOOL) {
      // A Yes/No value lives in the null mask: mdbtools leaves 0 here for Yes.
      m_values[i] = Value::fromBool(len == 0);
      return;
    }
    if (len == 0 || start < 0 || start + len > static_cast<int>(mdb->fmt->pg_size)) {
      m_values[i] = Value::null();
      return;
    }
    switch (col.col_type) {
      case MDB_BYTE:
        m_values[i] = Value::fromInt(buf[start]);
        return;
      case MDB_INT:
        m_values[i] = Value::fromInt(static_cast<int16_t>(mdb_get_int16(buf, start)));
        return;
      case MDB_LONGINT:
      case MDB_COMPLEX:
        m_values[i] = Value::fromInt(static_cast<int32_t>(mdb_get_int32(buf, start)));
        return;
      case MDB_FLOAT: {
        // A Single reads as the shortest decimal that names it (1.1, not 1.100000023841858).
        const float f = mdb_get_single(buf, start);
        char text[32];
        auto [end, ec] = std::to_chars(text, text + sizeof text, f);
        double d = f;
        std::from_chars(text, end, d);
        m_values[i] = Value::fromDouble(d);
        return;
      }
      case MDB_DOUBLE:
        m_values[i] = Value::fromDouble(mdb_get_double(buf, start));
        return;
      case MDB_DATETIME:
        m_values[i] = Value::fromDate(mdb_get_double(buf, start));
        return;
      case MDB_MONEY: {
        int64_t scaled = 0;
        std::memcpy(&scaled, buf + start, sizeof scaled);
        m_values[i] = Value::fromCurrency(scaled);
        return;
      }
      case MDB_BINARY:
        m_text[i].assign(reinterpret_cast<const char*>(buf + start), static_cast<size_t>(len));
        m_values[i] = Value::fromBinary(m_text[i]);
        return;
      case MDB_OLE: {
        size_t size = 0;
        void* data = mdb_ole_read_full(mdb, &col, &size);
        m_text[i].assign(static_cast<const char*>(data), data ? size : 0);
        std::free(data);
        m_values[i] = Value::fromBinary(m_text[i]);
        return;
      }
      case MDB_NUMERIC:
        setText(i, mdb_numeric_to_string(mdb, start, col.col_scale, col.col_prec),
                ValueKind::Decimal);
        return;
      case MDB_REPID:
        setText(i, mdb_uuid_to_string(buf, start), ValueKind::Guid);
        return;
      case MDB_TEXT:
      case MDB_MEMO:
        setText(i, mdb_col_to_string(mdb, mdb->pg_buf, start, col.col_type, len),
                ValueKind::String);
        return;
      default:
        // A type mdbtools cannot decode (only met in damaged files) reads as null.
        m_values[i] = Value::null();
        return;
    }
  }

  MdbPtr m_mdb;
  TablePtr m_table;
  std::string m_what;
  std::vector<ColumnInfo> m_columns;
  std::vector<Value> m_values;
  std::vector<std::string> m_text;
  std::vector<std::string> m_ole;  // buffers mdbtools copies OLE chunks into
  int64_t m_rows = 0;
  bool m_done = false;
};

class AccessDatabase : public DataSource {
 public:
  explicit AccessDatabase(std::string path) : m_path(std::move(path)), m_mdb(openHandle(m_path)) {}

  std::vector<TableInfo> tables() override {
    std::vector<TableInfo> out;
    for (MdbCatalogEntry* entry : userTables(m_mdb.get()))
      out.push_back({entry->object_name, "TABLE"});
    return out;
  }

  std::vector<ColumnInfo> catalogColumns(const std::string& table) override {
    TablePtr def = readTable(m_mdb.get(), table);
    std::vector<ColumnInfo> out;
    for (unsigned i = 0; i < def->num_cols; ++i) {
      out.push_back(
          columnInfoOf(m_mdb.get(), *static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i))));
    }
    return out;
  }

  std::unique_ptr<RowReader> openCatalogTable(const std::string& table) override {
    // Each reader has its own handle: mdbtools keeps the current page in the handle.
    MdbPtr mdb = openHandle(m_path);
    TablePtr def = readTable(mdb.get(), table);
    const std::string what = "table '" + table + "' of '" + m_path + "'";
    return std::make_unique<MdbReader>(std::move(mdb), std::move(def), what);
  }

  // mdbtools has no SQL worth the name: queries run over the tables' rows in SQLite.
  std::unique_ptr<RowReader> openQuery(const std::string& sql) override {
    return runQueryOver(*this, sql);
  }

  void execute(const std::string&) override { throw DataError(kReadOnly); }
  std::unique_ptr<RowWriter> openWriter(const std::string&,
                                        const std::vector<std::string>&) override {
    throw DataError(kReadOnly);
  }

 private:
  static std::vector<MdbCatalogEntry*> userTables(MdbHandle* mdb) {
    std::vector<MdbCatalogEntry*> out;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
      auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
      if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry)) out.push_back(entry);
    }
    return out;
  }

  TablePtr readTable(MdbHandle* mdb, const std::string& table) {
    for (MdbCatalogEntry* entry : userTables(mdb)) {
      if (entry->object_name != table) continue;
      TablePtr def(mdb_read_table(entry));
      if (!def || !mdb_read_columns(def.get())) {
        throw DataError("Cannot read table '" + table + "' of '" + m_path +
                        "': the file is damaged");
      }
      return def;
    }
    throw DataError("The table '" + table + "' does not exist in '" + m_path + "'");
  }

  std::string describe() const override { return "'" + m_path + "'"; }

  std::string m_path;
  MdbPtr m_mdb;
};

}  // namespace

std::unique_ptr<DataSource> openAccessDatabase(const std::string& path) {
  return std::make_unique<AccessDatabase>(path);
}

}  // namespace kpx::data
