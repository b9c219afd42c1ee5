#include "package/destination_rows.h"

#include "data/quoted_name.h"
#include "kpxwizard/messages.h"
#include "package/cls_task.h"
#include "package/execution_state.h"

namespace kpx {

std::string QualifiedTableName(const clsConnection& destination) {
  switch (destination.ConType()) {
    case CONN_ACCESS:
    case CONN_EXCEL:
    case CONN_EXCEL3:
    case CONN_EXCEL4:
    case CONN_EXCEL5:
      return QuoteName(destination.TableName(), "`", "`");
    case CONN_SQLServer:
      return QuoteName(destination.Database(), "[", "]") + ".[dbo]." +
             QuoteName(destination.TableName(), "[", "]");
    default:
      return "";
  }
}

bool DeleteDestinationRows(cKPXWizard& wizard) {
  try {
    const clsConnection& destination = *wizard.Destination();
    if (destination.ConType() == CONN_ACCESS || destination.ConType() == CONN_SQLServer) {
      // A database deletes inside the transfer's transaction, so a failed run loses nothing.
      executionState().pendingDelete =
          PendingDelete{destination.Database(), destination.TableName(),
                        "delete from " + QualifiedTableName(destination)};
      return true;
    }
    clsTask task;
    task.RemoveConnections();
    task.CreateDTSConnection(*wizard.Source());
    task.CreateDTSConnection(*wizard.Destination());
    task.RemoveTaskTrasformation();
    task.RemoveStepTrasformation();
    const bool done = task.DeleteRowsTableCreationTask(
                          "delete from " + QualifiedTableName(*wizard.Destination())) >= 1;
    task.RemoveConnections();
    return done;
  } catch (...) {
    ShowProcedureError("frmMain", "DeleteDestinationRows");
    return false;
  }
}

}  // namespace kpx
