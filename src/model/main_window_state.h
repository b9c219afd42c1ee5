// The flags through which the wizard windows and the headless operations exchange results.
// Core-side, so it can be read without a display.
#pragma once

namespace kpx {

struct MainWindowState {
  // A new destination table has been asked for (set through CreatedDestinationTable).
  bool NewTableRequested = false;
};

// The process-wide instance.
MainWindowState& mainWindowState();

}  // namespace kpx
