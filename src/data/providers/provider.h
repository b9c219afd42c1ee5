// The data-access layer that stands where OLE DB, ADO and ADOX stood: a provider opens a
// data source from connection properties; a data source lists its tables and columns,
// streams rows out (RowReader) and in (RowWriter), and runs SQL where it has SQL.
//
// Every provider lives in its own folder below this one with its C library confined there,
// and is registered in registry.cpp. Names of tables and columns compare without regard to
// case everywhere in this layer.
#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>
#include "kpxwizard/export.h"

#include "data/providers/connection_properties.h"
#include "data/providers/value.h"

namespace kpx::data {

// ADO data type numbers reported for columns.
enum AdoType : int32_t {
  adEmpty = 0,
  adSmallInt = 2,
  adInteger = 3,
  adSingle = 4,
  adDouble = 5,
  adCurrency = 6,
  adDate = 7,
  adBoolean = 11,
  adVariant = 12,
  adTinyInt = 16,
  adUnsignedTinyInt = 17,
  adUnsignedSmallInt = 18,
  adUnsignedInt = 19,
  adBigInt = 20,
  adUnsignedBigInt = 21,
  adGUID = 72,
  adBinary = 128,
  adChar = 129,
  adWChar = 130,
  adNumeric = 131,
  adDBDate = 133,
  adDBTimeStamp = 135,
  adVarChar = 200,
  adLongVarChar = 201,
  adVarWChar = 202,
  adLongVarWChar = 203,
  adVarBinary = 204,
  adLongVarBinary = 205,
};

// ADOX column attribute bits.
enum ColumnAttributes : int32_t { adColFixed = 1, adColNullable = 2 };

struct ColumnInfo {
  std::string name;
  int32_t type = adVarWChar;  // AdoType
  int32_t size = 0;           // defined size: characters for text, bytes for binary
  int32_t attributes = adColNullable;
};

struct TableInfo {
  std::string name;
  std::string type;  // "TABLE" or "VIEW"
};

// A failure that ends the operation: a file that will not open, a missing table, bad SQL.
// The description names the file, table or row at fault and, where it helps, what to do.
class DataError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One row that cannot be read or written (a value that does not convert, a constraint
// violation, a ragged text line). The reader or writer that threw it stays usable.
class RowError : public std::runtime_error {
 public:
  RowError(std::string description, std::string column = {}, std::string value = {})
      : std::runtime_error(std::move(description)),
        m_column(std::move(column)),
        m_value(std::move(value)) {}
  const std::string& column() const noexcept { return m_column; }
  const std::string& value() const noexcept { return m_value; }

 private:
  std::string m_column;
  std::string m_value;
};

// How far a reader has come, for progress percentages; a total of 0 means unknown.
struct ReadProgress {
  int64_t done = 0;
  int64_t total = 0;
};

// A forward-only stream of rows.
class RowReader {
 public:
  virtual ~RowReader() = default;
  // The columns of every row, in order.
  virtual const std::vector<ColumnInfo>& columns() const = 0;
  // Moves to the next row; false at the end. Throws RowError for a row that cannot be read
  // (the reader is then past it) and DataError when reading cannot go on.
  virtual bool next() = 0;
  // Field i of the current row; the view stays valid until the next call to next().
  virtual Value field(size_t i) const = 0;
  // Bytes or rows read so far against the total when it is known.
  virtual ReadProgress progress() const { return {}; }
};

// Appends rows to one table inside one transaction.
class RowWriter {
 public:
  virtual ~RowWriter() = default;  // rolls back when neither commit() nor rollback() ran
  // Writes one row; values come in the order of the columns given to openWriter. Values are
  // converted to each column's type; a value that does not convert, or a row the destination
  // refuses, throws RowError and writes nothing of that row.
  virtual void writeRow(const Value* values, size_t count) = 0;
  // Makes every row written so far durable; the writer is finished afterwards.
  virtual void commit() = 0;
  // Leaves the destination as it was before openWriter; the writer is finished afterwards.
  virtual void rollback() = 0;
};

// One open connection to a data source. Operations a source does not offer throw DataError
// with a description saying so.
class DataSource {
 public:
  virtual ~DataSource() = default;
  // Tables and views in catalog order.
  virtual std::vector<TableInfo> tables() = 0;
  // Columns of a table or view in catalog order; DataError when it does not exist. Here and in
  // openTable the name is looked up in tables() once, without regard to case.
  std::vector<ColumnInfo> columns(const std::string& table);
  std::unique_ptr<RowReader> openTable(const std::string& table);
  // Runs a SELECT and streams its rows.
  virtual std::unique_ptr<RowReader> openQuery(const std::string& sql);
  // Runs a statement that returns no rows (CREATE TABLE, DELETE).
  virtual void execute(const std::string& sql);
  // Opens a bulk writer on `table` for `columns` (names, in the order rows will give them).
  virtual std::unique_ptr<RowWriter> openWriter(const std::string& table,
                                                const std::vector<std::string>& columns);
  // Whether tables() holds `table`, compared as columns and openTable compare it.
  bool hasTable(const std::string& table);

 protected:
  // What identifies a table in a name: a provider whose names carry a decoration (a sheet's
  // "$", brackets) or other spellings strips or maps them. The name itself by default.
  virtual std::string tableKey(const std::string& name) const { return name; }
  // The data source in a message ("workbook '/data/book.xls'").
  virtual std::string describe() const { return "this data source"; }
  // columns and openTable for a table named exactly as tables() spells it.
  virtual std::vector<ColumnInfo> catalogColumns(const std::string& table) = 0;
  virtual std::unique_ptr<RowReader> openCatalogTable(const std::string& table) = 0;

  // tables()' spelling of `table`; empty when it has none.
  std::string catalogSpelling(const std::string& table);
  // tables()' spelling of `table`, or DataError saying that it does not exist.
  std::string existingTable(const std::string& table);
};

// A named OLE DB provider ("Microsoft.Jet.OLEDB.4.0", "SQLOLEDB", "DTSFlatFile", …).
class Provider {
 public:
  virtual ~Provider() = default;
  virtual std::string name() const = 0;
  // Opens the data source the properties describe ("Data Source", "Mode", …). Opening never
  // creates a file that does not exist. Throws DataError naming the file when it fails.
  virtual std::unique_ptr<DataSource> open(const ConnectionProperties& properties) = 0;
};

// The provider registered under `name`, ignoring case and a version suffix (".1");
// nullptr when there is none.
Provider* findProvider(const std::string& name);
// Names of every registered provider.
KPX_WINDOWS_API std::vector<std::string> installedProviders();
// Opens through the provider named by the "Provider" property; DataError when unknown.
std::unique_ptr<DataSource> openDataSource(const ConnectionProperties& properties);

}  // namespace kpx::data
