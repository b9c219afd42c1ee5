#include "cli/interruption.h"

#include <signal.h>

namespace kpx::cli {
namespace {

volatile sig_atomic_t g_signal = 0;

extern "C" void onInterrupt(int signal) { g_signal = signal; }

}  // namespace

void installInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  // The first signal asks; the handler is then gone, so a second one ends the program.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int interruptingSignal() { return g_signal; }

void clearInterruption() { g_signal = 0; }

void InterruptionSink::OnQueryCancel(const std::string&, bool& cancel) {
  if (g_signal != 0) cancel = true;
}

}  // namespace kpx::cli
