#include "cli/interruption.h"

#include <signal.h>

namespace kpx::cli {
namespace {

volatile sig_atomic_t g_signal = 0;

extern "C" void onInterrupt(int signal) {
  g_signal = signal;
}

}  // namespace

InterruptHandlers::InterruptHandlers() {
  g_signal = 0;
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  // The first signal asks; the handler is then gone, so a second one ends the program.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, &m_oldInterrupt);
  sigaction(SIGTERM, &action, &m_oldTerminate);
}

InterruptHandlers::~InterruptHandlers() {
  sigaction(SIGINT, &m_oldInterrupt, nullptr);
  sigaction(SIGTERM, &m_oldTerminate, nullptr);
}

int interruptingSignal() {
  return g_signal;
}

void InterruptionSink::OnQueryCancel(const std::string&, bool& cancel) {
  if (g_signal != 0) cancel = true;
}

}  // namespace kpx::cli
