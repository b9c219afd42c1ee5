// One end of a transfer: the kind of data source, where it lives, how to log in, which
// table or query, and for text files the layout. Opens nothing itself; renders itself as an
// OLE DB connection string.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "kpxwizard/columns.h"
#include "kpxwizard/enums.h"
#include "kpxwizard/export.h"

namespace kpx {

// The values of one connection section of a configuration file, converted to their types.
struct StoredConnection {
  int32_t conType = 0;
  std::string providerString;
  std::string database;
  int32_t mode = 0;
  int16_t id = 0;
  int16_t modeText = 0;
  std::string tableName;
  int32_t tableType = 0;
  bool createdDestinationTable = false;
  std::string user;
  std::string server;
  std::string password;
  std::string columnLengths;
  std::string columnNames;
  int32_t formatFile = 0;
  int16_t skipRows = 0;
  std::string textQualifier;
};

class KPX_API clsConnection {
 public:
  // Role; kpxSource gives id 1 and ModeText 1, any other value id 2 and ModeText 3.
  int32_t Mode() const { return m_mode; }
  void setMode(int32_t v);
  bool CreatedDestinationTable() const { return m_createdDestinationTable; }
  // Also sets the main window's NewTableRequested flag to (v != false).
  void setCreatedDestinationTable(bool v);
  int16_t SkipRows() const { return m_skipRows; }
  void setSkipRows(int16_t v) { m_skipRows = v; }
  const std::string& Name() const { return m_name; }
  void setName(std::string v) { m_name = std::move(v); }
  std::shared_ptr<clsColumns> Columns() const { return m_columns; }
  int32_t TableType() const { return m_tableType; }
  void setTableType(int32_t v) { m_tableType = v; }
  const std::string& TableName() const { return m_tableName; }
  void setTableName(std::string v) { m_tableName = std::move(v); }
  const std::string& ColumnNames() const { return m_columnNames; }
  void setColumnNames(std::string v) { m_columnNames = std::move(v); }
  const std::string& Server() const { return m_server; }
  void setServer(std::string v) { m_server = std::move(v); }
  const std::string& Database() const { return m_database; }
  void setDatabase(std::string v) { m_database = std::move(v); }
  const std::string& ColumnDelimiter() const { return m_columnDelimiter; }
  // "TAB" in any case stores a tab character; anything else is stored as given.
  void setColumnDelimiter(const std::string& v);
  int32_t RowDelimiter() const { return m_rowDelimiter; }
  // Codes 0-6 store the code and its characters; other values are ignored.
  void setRowDelimiter(int32_t v);
  // The characters of the stored row delimiter.
  const std::string& RowDelimiterChars() const { return m_rowDelimiterChars; }
  const std::string& ColumnLengths() const { return m_columnLengths; }
  void setColumnLengths(std::string v) { m_columnLengths = std::move(v); }
  // -1 when the stored text is exactly "True", else 0.
  int16_t FirstRow() const { return m_firstRow == "True" ? -1 : 0; }
  // -1 stores "True"; every other value "False".
  void setFirstRow(int16_t v) { m_firstRow = v == -1 ? "True" : "False"; }
  // The stored text: "True", "False", or empty for a new connection.
  const std::string& FirstRowText() const { return m_firstRow; }
  int32_t FormatFile() const { return m_formatFile; }
  void setFormatFile(int32_t v) { m_formatFile = v; }
  const std::string& TextQualifier() const { return m_textQualifier; }
  // A character, or one of the dialog's captions in the current language: label 63 + " {''}"
  // stores '"', label 62 + " {'}" stores "'", label 61 stores "".
  void setTextQualifier(const std::string& v);
  // The encoding a text file is read in ("utf-8", "windows-1252", "latin-1", "utf-16"); empty
  // to detect it from the file.
  const std::string& TextEncoding() const { return m_textEncoding; }
  void setTextEncoding(std::string v) { m_textEncoding = std::move(v); }
  // Whether a text file's columns are read from its first record alone, all of them text of
  // 255 characters: a copy into an existing table needs only their names and count, not the
  // reading of every value that finds the columns needing long text.
  bool ColumnsFromHeader() const { return m_columnsFromHeader; }
  void setColumnsFromHeader(bool v) { m_columnsFromHeader = v; }
  int32_t NumberColumns() const { return m_numberColumns; }
  void setNumberColumns(int32_t v) { m_numberColumns = v; }
  const std::string& User() const { return m_user; }
  void setUser(std::string v) { m_user = std::move(v); }
  const std::string& Password() const { return m_password; }
  void setPassword(std::string v) { m_password = std::move(v); }
  int16_t id() const { return m_id; }
  int16_t ModeText() const { return m_modeText; }
  const std::string& ConnectionString() const { return m_connectionString; }
  void setConnectionString(const std::string& v) { m_connectionString = v; }
  const std::string& ProviderString() const { return m_providerString; }
  // Sets ConType and, for a known kind, ProviderString.
  void setProvider(int32_t v);
  int32_t ConType() const { return m_conType; }
  void setConType(int32_t v) { m_conType = v; }

  // Builds the connection string for the current state, stores it and returns it.
  std::string CreateConnectionString();
  // Takes the values a configuration file stored for this connection as they stand, without
  // the checks and side effects of the puts.
  void assignStored(const StoredConnection& stored);
  // Returns to the cleared state (ConType -1, ProviderString "-1", …); keeps Name,
  // ConnectionString, NumberColumns and Columns.
  void ResetConnection();

 private:
  int32_t m_conType = 0;
  std::string m_providerString;
  int32_t m_mode = 0;
  int16_t m_id = 0;
  int16_t m_modeText = 0;
  std::string m_name;
  std::string m_server;
  std::string m_database;
  std::string m_user;
  std::string m_password;
  int32_t m_tableType = 0;
  std::string m_tableName;
  bool m_createdDestinationTable = false;
  std::shared_ptr<clsColumns> m_columns = std::make_shared<clsColumns>();
  int32_t m_formatFile = 0;
  std::string m_columnDelimiter;
  int32_t m_rowDelimiter = kpxCRLF;
  std::string m_rowDelimiterChars;
  std::string m_columnLengths;
  std::string m_columnNames;
  std::string m_firstRow;
  int16_t m_skipRows = 0;
  std::string m_textQualifier;
  std::string m_textEncoding;
  bool m_columnsFromHeader = false;
  int32_t m_numberColumns = 0;
  std::string m_connectionString;
};

// Loads `connection` from section "SOURCE" or "DESTINATION" of the configuration file
// `strFileIni`; `strSectionKeys` is the section's key list (ReadINISectionKeys): nothing is
// loaded when it is empty or the section is another. Values are stored as they stand, except
// that the column and row delimiters and FirstRow go through the puts of the current wizard's
// connection of that role, the password is decoded, and LockSource / LockDestination are put
// on the wizard. A value that does not convert to its number or boolean raises error 13 naming
// the key and the file, before anything is stored.
KPX_API void LetPropertyClass(clsConnection& connection, const std::string& Section,
                              const std::string& strSectionKeys, const std::string& strFileIni);

}  // namespace kpx
