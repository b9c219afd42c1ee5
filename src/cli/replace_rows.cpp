#include "cli/replace_rows.h"

#include "data/mod_database.h"
#include "data/providers/provider.h"
#include "kpxwizard/messages.h"

namespace kpx::cli {

std::string deleteRowsStatement(const clsConnection& destination) {
  switch (destination.ConType()) {
    case CONN_ACCESS:
    case CONN_EXCEL:
    case CONN_EXCEL3:
    case CONN_EXCEL4:
    case CONN_EXCEL5:
      return "delete from `" + destination.TableName() + "`";
    case CONN_SQLServer:
      return "delete from [" + destination.Database() + "].[dbo].[" + destination.TableName() + "]";
    default:
      return "delete from ";
  }
}

bool deleteDestinationRows(cKPXWizard& wizard) {
  auto destination = wizard.Destination();
  try {
    if (!modDatabase::OpenDatabase(*destination)) return false;
    modDatabase::state().oCatalog->execute(deleteRowsStatement(*destination));
    return true;
  } catch (...) {
    ShowProcedureError("kpxwizard", "deleteDestinationRows");
    return false;
  }
}

}  // namespace kpx::cli
