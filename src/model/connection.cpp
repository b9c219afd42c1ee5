#include "kpxwizard/connection.h"

#include "kpxwizard/messages.h"
#include "model/main_window_state.h"
#include "model/row_delimiters.h"

namespace kpx {
namespace {

bool isUpperTab(const std::string& v) {
  return v.size() == 3 && (v[0] == 't' || v[0] == 'T') && (v[1] == 'a' || v[1] == 'A') &&
         (v[2] == 'b' || v[2] == 'B');
}

}  // namespace

void clsConnection::setMode(int32_t v) {
  m_mode = v;
  if (v == kpxSource) {
    m_id = 1;
    m_modeText = 1;
  } else {
    m_id = 2;
    m_modeText = 3;
  }
}

void clsConnection::setCreatedDestinationTable(bool v) {
  m_createdDestinationTable = v;
  mainWindowState().NewTableRequested = v;
}

void clsConnection::assignStored(const StoredConnection& stored) {
  m_conType = stored.conType;
  m_providerString = stored.providerString;
  m_database = stored.database;
  m_mode = stored.mode;
  m_id = stored.id;
  m_modeText = stored.modeText;
  m_tableName = stored.tableName;
  m_tableType = stored.tableType;
  m_createdDestinationTable = stored.createdDestinationTable;
  m_user = stored.user;
  m_server = stored.server;
  m_password = stored.password;
  m_columnLengths = stored.columnLengths;
  m_columnNames = stored.columnNames;
  m_formatFile = stored.formatFile;
  m_skipRows = stored.skipRows;
  m_textQualifier = stored.textQualifier;
}

void clsConnection::setColumnDelimiter(const std::string& v) {
  m_columnDelimiter = isUpperTab(v) ? "\t" : v;
}

void clsConnection::setRowDelimiter(int32_t v) {
  if (v < kpxCRLF || v > kpxLF) return;
  m_rowDelimiter = v;
  m_rowDelimiterChars = modMain::DelimiterText(v);
}

void clsConnection::setTextQualifier(const std::string& v) {
  if (v == GetResText(63) + " {''}") {
    m_textQualifier = "\"";
  } else if (v == GetResText(62) + " {'}") {
    m_textQualifier = "'";
  } else if (v == GetResText(61)) {
    m_textQualifier.clear();
  } else {
    m_textQualifier = v;
  }
}

void clsConnection::setProvider(int32_t v) {
  m_conType = v;
  if (isJetKind(v)) {
    m_providerString = "Microsoft.Jet.OLEDB.4.0";
    return;
  }
  switch (v) {
    case CONN_SQLServer:
      m_providerString = "SQLOLEDB";
      break;
    case CONN_TEXTFILE:
      m_providerString = "DTSFlatFile";
      break;
    default:
      break;
  }
}

std::string clsConnection::CreateConnectionString() {
  std::string s;
  switch (m_conType) {
    case CONN_ACCESS:
      s = "Persist Security Info=True;Data Source=" + m_database + ";User ID=" + m_user;
      if (!m_password.empty()) s += ";Jet OLEDB:Database Password=" + m_password;
      break;
    case CONN_SQLServer:
      s = "Persist Security Info=False;Initial Catalog=" + m_database + ";Data Source=" + m_server +
          ";User ID=" + m_user;
      if (!m_password.empty()) s += ";Password=" + m_password;
      break;
    case CONN_EXCEL:
    case CONN_EXCEL3:
    case CONN_EXCEL4:
    case CONN_EXCEL5: {
      const char* version = m_conType == CONN_EXCEL    ? "8.0"
                            : m_conType == CONN_EXCEL3 ? "3.0"
                            : m_conType == CONN_EXCEL4 ? "4.0"
                                                       : "5.0";
      s = "Persist Security Info=False;Data Source=" + m_database + ";Extended Properties=Excel " +
          version;
      break;
    }
    case CONN_TEXTFILE: {
      s = "Data Source=" + m_database + ";Mode=" + std::to_string(m_modeText) + ";Row Delimiter='" +
          m_rowDelimiterChars + "';File Format=" + std::to_string(m_formatFile);
      if (m_formatFile == kpxDelimitedFile) {
        s += ";Column Delimiter='" + m_columnDelimiter +
             "';File Type=1; Skip Rows=" + std::to_string(m_skipRows) +
             ";First Row Column Name=" + m_firstRow + " ";
      } else {
        s += ";Column Lengths='" + m_columnLengths +
             "';File Type=1; Skip Rows=" + std::to_string(m_skipRows) +
             ";First Row Column Name=" + m_firstRow + ";Number of Column=-1 ; Column Names='" +
             m_columnNames + "'";
      }
      if (!m_textEncoding.empty()) s += ";Character Set=" + m_textEncoding + ";";
      break;
    }
    case CONN_HTML_SOURCE:
      s = "Data Source=" + m_database + ";Extended Properties=HTML Import;User ID=" + m_user;
      break;
    default:
      break;
  }
  m_connectionString = s;
  return s;
}

void clsConnection::ResetConnection() {
  m_conType = -1;
  m_providerString = "-1";
  m_mode = -1;
  m_id = 0;
  m_modeText = 0;
  m_database.clear();
  m_tableName.clear();
  m_user.clear();
  m_server.clear();
  m_password.clear();
  m_columnLengths.clear();
  m_columnNames.clear();
  m_textQualifier.clear();
  m_textEncoding.clear();
  m_tableType = 0;
  m_createdDestinationTable = false;
  setColumnDelimiter("-1");
  setRowDelimiter(-1);
  setFirstRow(0);
  m_formatFile = 0;
  m_skipRows = 0;
}

}  // namespace kpx
