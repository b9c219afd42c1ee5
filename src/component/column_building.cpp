// Building both column lists of a transfer (creating a new destination table first where
// asked) and pairing the columns by position into copy transformations.
#include "data/mod_database.h"
#include "data/mod_main.h"
#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"
#include "model/column_pairing.h"
#include "model/main_window_state.h"
#include "package/cls_task.h"

namespace kpx {

int16_t cKPXWizard::BuildColumns(const std::shared_ptr<clsConnection>& ConnSource,
                                 const std::shared_ptr<clsConnection>& ConnDest) {
  return BuildColumns(ConnSource, ConnDest, false);
}

int16_t cKPXWizard::BuildColumns(const std::shared_ptr<clsConnection>& ConnSource,
                                 const std::shared_ptr<clsConnection>& ConnDest,
                                 bool gridDefinesTable) {
  try {
    if (ConnSource->Columns()->Count() > 0 && ConnDest->Columns()->Count() > 0) return 1;
    if (ConnSource->id() != 1 || ConnDest->id() != 2) {
      ShowMessage(GetResText(534), vbExclamation);
      return -5;
    }
    clsConnection& source = *m_source;
    clsConnection& destination = *m_destination;
    auto& structure = modDatabase::state().arrDestinationStructure;

    if (ConnDest->CreatedDestinationTable() && destination.ConType() != CONN_TEXTFILE) {
      modMain::PreparedTable prepared = modMain::ProcessCreate(source, destination);
      // The wizard's Mapping step warns about a name already taken.
      mainWindowState().DestinationTableExists = prepared.alreadyExists;
      if (prepared && !gridDefinesTable) {
        std::string sql = modDatabase::GenerateScriptCreate(structure);
        modDatabase::OpenDatabase(destination);
        m_cTask = newTask();
        m_cTask->RemoveConnections();
        m_cTask->CreateDTSConnection(source);
        m_cTask->CreateDTSConnection(destination);
        m_cTask->RemoveTaskTrasformation();
        m_cTask->RemoveStepTrasformation();
        if (m_cTask->CreateTableCreationTask(sql) >= 1) {
          modDatabase::OpenDatabase(destination);
          if (!modDatabase::CreateSetColumn(destination)) {
            m_executedMapping = false;
            return -1;
          }
        }
        m_executedMapping = true;
        return 1;
      }
    }

    bool textSource = source.ConType() == CONN_TEXTFILE;
    bool textDestination = destination.ConType() == CONN_TEXTFILE;
    if (textSource && textDestination) {
      structure = modDatabase::GenerateStructureArrayTextFile(source);
      if (modDatabase::FillTextDestinationColumns(structure, destination) == 2) {
        ShowMessage(GetResText(531), vbExclamation);
        return 0;
      }
    } else if (textSource) {
      // Opening a text file reads its columns; no catalog lists it as a table to read them from.
      if (!modDatabase::OpenDatabase(source)) return 0;
      structure = modDatabase::GenerateStructureArrayTextFile(source);
      if (modDatabase::FillTextDestinationColumns(structure, destination) == 2) {
        ShowMessage(GetResText(531), vbInformation);
        return 0;
      }
    } else if (!textDestination) {
      if (!modDatabase::OpenDatabase(destination)) return 0;
      modDatabase::ClearDestinationColumns();
      if (!modDatabase::CreateSetColumn(destination)) {
        m_executedMapping = false;
        return -1;
      }
      if (!modDatabase::OpenDatabase(source)) return 0;
      modDatabase::ClearSourceColumns();
      if (!modDatabase::CreateSetColumn(source)) {
        m_executedMapping = false;
        return -1;
      }
    } else {
      if (!modDatabase::OpenDatabase(destination)) return 0;
      if (!modDatabase::CreateSetColumn(destination)) {
        m_executedMapping = false;
        return -1;
      }
    }
    m_executedMapping = true;
    return 1;
  } catch (...) {
    ShowProcedureError("cKPXWizard", "BuildColumns");
    return -1;
  }
}

bool cKPXWizard::SetTransformationsFromColumns(const std::shared_ptr<clsConnection>& src,
                                               const std::shared_ptr<clsConnection>& dst) {
  try {
    if (m_transformations->Count() > 0) return true;
    if (BuildColumns(src, dst) != 1) return false;
    PairedColumns paired =
        addCopyTransformations(*m_transformations, *src, *dst, PairColumnsBy::Position);
    // An empty list has no last character to drop: the run breaks off here, reported.
    if (dst->ConType() == CONN_TEXTFILE && paired.names.empty())
      throw AutomationError(5, "cKPXWizard", "Invalid procedure call or argument");
    return true;
  } catch (...) {
    ShowProcedureError("cKPXWizard", "SetTransformationsFromColumns");
    return false;
  }
}

bool cKPXWizard::Mapping() {
  try {
    SetTransformationsFromColumns(m_source, m_destination);
    return true;
  } catch (...) {
    ShowProcedureError("cKPXWizard", "Mapping");
    return false;
  }
}

}  // namespace kpx
