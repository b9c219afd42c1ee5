// The state through which the wizard windows, the column builder and the table creator
// exchange results. Core-side, so it can be read and written without a display.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "kpxwizard/export.h"

#include "kpxwizard/transformations.h"

namespace kpx {

struct MainWindowState {
  bool ConnectionUnchanged = false;
  bool SourcePicked = false;
  bool DestinationPicked = false;
  bool SourceUnchanged = false;
  bool DestinationUnchanged = false;
  // The new destination table's name already exists in the destination.
  bool DestinationTableExists = false;
  bool PickerCancelled = false;
  bool SourceTableButtonEnabled = false;
  bool DestinationTableButtonEnabled = false;
  // The working copy of the transformations while the Mapping step is shown.
  std::shared_ptr<clsTransformations> WorkingTransformations;
  bool MappingVisited = false;

  // Module-wide: a new destination table has been asked for.
  bool NewTableRequested = false;
  // Module-wide: SQL Server names offered by the connection dialog.
  std::vector<std::string> SqlServerNames;
};

// The process-wide instance, created on first use.
KPX_WINDOWS_API MainWindowState& mainWindowState();
// Starts a new main window object: every window member back to its initial value (the
// module-wide values are kept).
KPX_WINDOWS_API void resetMainWindowMembers();

}  // namespace kpx
