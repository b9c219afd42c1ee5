#include "cli/replace_rows.h"

#include "kpxwizard/messages.h"
#include "package/cls_task.h"

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
  try {
    // The package runs the statement on its destination connection, as the wizard's replace
    // option does when the mapping is applied.
    clsTask task;
    task.RemoveConnections();
    task.CreateDTSConnection(*wizard.Source());
    task.CreateDTSConnection(*wizard.Destination());
    task.RemoveTaskTrasformation();
    task.RemoveStepTrasformation();
    const bool done = task.DeleteRowsTableCreationTask(deleteRowsStatement(*wizard.Destination())) >= 1;
    task.RemoveConnections();
    return done;
  } catch (...) {
    ShowProcedureError("kpxwizard", "deleteDestinationRows");
    return false;
  }
}

}  // namespace kpx::cli
