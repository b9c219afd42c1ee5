#include "package/destination_rows.h"

#include "kpxwizard/messages.h"
#include "package/cls_task.h"

namespace kpx {

std::string QualifiedTableName(const clsConnection& destination) {
  switch (destination.ConType()) {
    case CONN_ACCESS:
    case CONN_EXCEL:
    case CONN_EXCEL3:
    case CONN_EXCEL4:
    case CONN_EXCEL5:
      return "`" + destination.TableName() + "`";
    case CONN_SQLServer:
      return "[" + destination.Database() + "].[dbo].[" + destination.TableName() + "]";
    default:
      return "";
  }
}

bool DeleteDestinationRows(cKPXWizard& wizard) {
  try {
    clsTask task;
    task.RemoveConnections();
    task.CreateDTSConnection(*wizard.Source());
    task.CreateDTSConnection(*wizard.Destination());
    task.RemoveTaskTrasformation();
    task.RemoveStepTrasformation();
    const bool done = task.DeleteRowsTableCreationTask("delete from " + QualifiedTableName(*wizard.Destination())) >= 1;
    task.RemoveConnections();
    return done;
  } catch (...) {
    ShowProcedureError("frmMain", "DeleteDestinationRows");
    return false;
  }
}

}  // namespace kpx
