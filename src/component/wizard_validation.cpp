// The checks a connection passes before the wizard accepts it as Source or Destination.
#include <filesystem>
#include <fstream>

#include "data/mod_database.h"
#include "data/mod_main.h"
#include "data/providers/provider.h"
#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"

namespace kpx {
namespace {

bool refuse(int32_t message) {
  ShowMessage(GetResText(message), vbExclamation);
  return false;
}

// A database connection's settings are complete (else 536) and, when `openServer` or it is
// not a SQL Server, its data source opens (else 537).
bool dataSourceOpens(clsConnection& c, bool openServer) {
  if (c.Database().empty() || c.ProviderString().empty() || c.ModeText() < 1 || c.id() < 1)
    return refuse(536);
  c.CreateConnectionString();
  if ((openServer || c.ConType() != CONN_SQLServer) && !modDatabase::OpenDatabase(c))
    return refuse(537);
  return true;
}

// A file of one line and no row delimiter: its header alone, which gives a table of no rows.
bool holdsOneLine(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!std::getline(in, line) || line.empty() || line == "\r") return false;
  if (line.back() == '\r') line.pop_back();
  return line.find('\r') == std::string::npos && in.peek() == std::char_traits<char>::eof();
}

}  // namespace

void cKPXWizard::setSource(std::shared_ptr<clsConnection> connection) {
  m_source.reset();
  if (!connection)
    throw AutomationError(kErrItemNotFound, m_appName, "Parametri Connessione Non Corretti");
  connection->setMode(kpxSource);
  connection->setCreatedDestinationTable(false);
  if (!ControlConnection(*connection))
    throw AutomationError(kErrItemNotFound, m_appName, "Parametri Connessione Non Corretti");
  m_source = connection;
  if (m_destination && !m_destination->Database().empty() &&
      m_destination->Database() == connection->Database())
    throw AutomationError(kErrSameConnections, m_appName, "Attenzione:connessioni uguali !");
}

void cKPXWizard::setDestination(std::shared_ptr<clsConnection> connection) {
  m_destination.reset();
  if (!connection)
    throw AutomationError(kErrItemNotFound, m_appName, "Parametri Connessione Non Corretti");
  if (connection->CreatedDestinationTable() && (!m_source || m_source->Database().empty()))
    throw AutomationError(
        kErrConnectionNotSet, m_appName,
        "Attenzione: per creare una nuova tabella la connessione di origine deve essere settata");
  connection->setMode(kpxDestination);
  if (!ControlConnection(*connection))
    throw AutomationError(kErrItemNotFound, m_appName, "Parametri Connessione Non Corretti");
  m_destination = connection;
  if (m_source && !m_source->Database().empty() && m_source->Database() == connection->Database())
    throw AutomationError(kErrSameConnections, m_appName, "Attenzione:connessioni uguali !");
}

bool cKPXWizard::ControlConnection(clsConnection& c) {
  return checkConnection(c, 502);
}

bool cKPXWizard::ControlDataSource(clsConnection& c) {
  const int32_t kind = c.ConType();
  // A text file is its own table, so every check of a text connection applies already.
  if (kind == CONN_TEXTFILE) return checkConnection(c, 502);
  if (!(isJetKind(kind) || kind == CONN_SQLServer)) return refuse(538);
  return dataSourceOpens(c, false);
}

bool cKPXWizard::ControlConnectionInFileINI(clsConnection& c) {
  return checkConnection(c, 540);
}

bool cKPXWizard::checkConnection(clsConnection& c, int32_t missingTableMessage) {
  int32_t kind = c.ConType();
  if (kind != CONN_TEXTFILE && !(isJetKind(kind) || kind == CONN_SQLServer)) return refuse(538);

  if (kind == CONN_TEXTFILE) {
    if (c.Database().empty() || c.ProviderString().empty() || c.RowDelimiter() < 0 ||
        c.FormatFile() < 1 || c.id() < 1 || c.ModeText() < 1)
      return refuse(536);
    c.CreateConnectionString();
    if (c.id() == 1) {
      modMain::ClearPreview();
      int16_t found = -2;
      try {
        found =
            modMain::CreatePreview(c.Database(), std::to_string(c.RowDelimiter()), c.FirstRow());
      } catch (...) {
        // A file that is missing or cannot be read says so, not that its rows have no end.
        ShowProcedureError("cKPXWizard", "ControlConnection");
        return false;
      }
      if (found != 1 && !holdsOneLine(c.Database())) return refuse(522);
      if (c.FormatFile() == kpxDelimitedFile && !c.ColumnNames().empty()) return refuse(536);
      if (c.FormatFile() == kpxFixedFile && (c.ColumnNames().empty() || c.ColumnLengths().empty()))
        return refuse(536);
      if (!modDatabase::OpenDatabase(c)) return refuse(537);
    }
    c.setTableName(c.Database());
    c.setTableType(kpxTypeTable);
    return true;
  }

  if (c.CreatedDestinationTable()) {
    if (c.TableName().empty()) {
      if (!m_source || m_source->Database().empty()) return refuse(539);
      c.setTableName(m_source->TableType() == kpxTypeTable ? m_source->TableName() : "Risultati");
    }
    c.CreateConnectionString();
    return true;
  }

  if (c.TableName().empty()) return refuse(536);
  if (!dataSourceOpens(c, true)) return false;

  std::string table = c.TableName();
  if (c.TableType() == kpxTypeQuery) {
    const modMain::SelectQuery query = modMain::AnalyseSelect(c.TableName());
    table = query.table;
    if (!modDatabase::TableExists(table)) return refuse(missingTableMessage);
    for (const auto& field : query.fields)
      if (field != "*" && !modDatabase::ColumnExists(field, table)) return refuse(516);
    // A sheet name, or WHERE / GROUP BY / ORDER BY found by the analysis, means the package
    // must read through the prepared statement rather than by table name.
    if (table.find('$') != std::string::npos || query.hasClauses) {
      modMain::BuildQuerySpace(c.TableName(), table, kind);
      modMain::state().bQueryHasClauses = true;
    }
    return true;
  }
  if (!modDatabase::TableExists(table)) return refuse(missingTableMessage);
  return true;
}

}  // namespace kpx
