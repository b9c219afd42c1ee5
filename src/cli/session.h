// What every sub-command that touches a transfer sets up first: the progress display, the
// console message box answering from --yes/--no, and a wizard in the language and with the
// log folder the command line asks for.
#pragma once
#include <iosfwd>
#include <memory>
#include <string>

#include "cli/arguments.h"
#include "cli/console_message_sink.h"
#include "cli/interruption.h"
#include "cli/progress_display.h"
#include "kpxwizard/wizard.h"

namespace kpx::cli {

// The options --yes, --no, --lang, --log-dir and --busy-timeout, added to a sub-command's own.
void addSessionOptions(AcceptedOptions& accepted);

class Session {
 public:
  // Reads --yes/--no (default No), --lang it|en, --log-dir DIR and --busy-timeout SECONDS from
  // `args`; throws CliError for an unknown language, both --yes and --no, a log folder that
  // does not exist or a timeout that is not a whole number.
  Session(std::ostream& out, std::ostream& err, const ParsedArguments& args);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  cKPXWizard& wizard() { return *m_wizard; }
  ProgressDisplay& display() { return *m_display; }
  std::ostream& out() { return m_out; }
  std::ostream& err() { return m_err; }

  // The last line of the last problem a message box reported (for an error report, its
  // description); "" when none was shown.
  std::string reasonShown() const;

 private:
  InterruptHandlers m_handlers;  // Ctrl-C and SIGTERM cancel the transfer while the session lives
  std::ostream& m_out;
  std::ostream& m_err;
  std::shared_ptr<ProgressDisplay> m_display;
  std::shared_ptr<ConsoleMessageSink> m_sink;
  ScopedMessageSink m_installed;
  void waitForLockedDatabases(const ParsedArguments& args);

  std::shared_ptr<cKPXWizard> m_wizard;
  uint32_t m_cookie = 0;
  uint32_t m_interruptionCookie = 0;
};

// Whether standard output is a terminal (the progress line is redrawn there).
bool standardOutputIsTerminal();

}  // namespace kpx::cli
