// The one reset of every module's process-wide state, for a host or a test that starts over.
#pragma once

namespace kpx {

// Releases the current wizard and the shared package, and returns the schema reader's, the
// query analysis's, the runs' and the main window's state (module-wide values included) to
// their initial values. A wizard still held elsewhere is left without a package: create a new
// one afterwards.
void resetModuleState();

}  // namespace kpx
