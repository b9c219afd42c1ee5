// Ctrl-C and SIGTERM stop a running transfer the way a host's cancel does: the signal only
// sets a flag, the run reads it where it asks whether to cancel, and rolls back, removing its
// temporary files. A second signal ends the program at once.
#pragma once
#include <signal.h>

#include <memory>

#include "kpxwizard/wizard.h"

namespace kpx::cli {

// Handles SIGINT and SIGTERM while it lives (forgetting any earlier signal) and puts the
// earlier handling back when it goes, so commands that run no transfer stop at once.
class InterruptHandlers {
 public:
  InterruptHandlers();
  ~InterruptHandlers();
  InterruptHandlers(const InterruptHandlers&) = delete;
  InterruptHandlers& operator=(const InterruptHandlers&) = delete;

 private:
  struct sigaction m_oldInterrupt {};
  struct sigaction m_oldTerminate {};
};
// The signal that asked the program to stop; 0 when none did.
int interruptingSignal();

// Answers the run's question whether to cancel with whether a signal came.
class InterruptionSink : public WizardEventSink {
 public:
  void OnQueryCancel(const std::string& eventSource, bool& cancel) override;
};

}  // namespace kpx::cli
