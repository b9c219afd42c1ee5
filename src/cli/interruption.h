// Ctrl-C and SIGTERM stop a running transfer the way a host's cancel does: the signal only
// sets a flag, the run reads it where it asks whether to cancel, and rolls back, removing its
// temporary files. A second signal ends the program at once.
#pragma once
#include <memory>

#include "kpxwizard/wizard.h"

namespace kpx::cli {

// Installs the handlers for SIGINT and SIGTERM.
void installInterruptHandlers();
// The signal that asked the program to stop; 0 when none did.
int interruptingSignal();
// Forgets a signal received (for tests).
void clearInterruption();

// Answers the run's question whether to cancel with whether a signal came.
class InterruptionSink : public WizardEventSink {
 public:
  void OnQueryCancel(const std::string& eventSource, bool& cancel) override;
};

}  // namespace kpx::cli
