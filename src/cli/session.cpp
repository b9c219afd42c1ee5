#include "cli/session.h"

#include <unistd.h>

#include <filesystem>
#include <ostream>

#include "cli/interruption.h"
#include "cli/program_text.h"
#include "data/providers/sqlite/busy_wait.h"

namespace kpx::cli {

void addSessionOptions(AcceptedOptions& accepted) {
  accepted.flags.insert({"--yes", "--no"});
  accepted.withValue.insert({"--lang", "--log-dir", "--busy-timeout"});
}

// --busy-timeout SECONDS (default 10): how long a locked database is waited for, with a line
// on standard error every second saying what the run waits for.
void Session::waitForLockedDatabases(const ParsedArguments& args) {
  int seconds = 10;
  if (args.hasValue("--busy-timeout")) {
    const std::string text = args.value("--busy-timeout");
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos)
      throw CliError(said(Said::BusyTimeoutNotANumber, text));
    seconds = std::stoi(text);
  }
  auto& settings = data::busyWaitSettings();
  settings.timeoutMilliseconds = seconds * 1000;
  settings.onWait = [this](const data::BusyWait& wait) {
    m_display->breakLine();
    const std::string holder =
        wait.holder > 0 ? said(Said::LockedByProcess, static_cast<long long>(wait.holder))
                        : std::string(said(Said::LockedByAnotherProgram));
    m_err << said(Said::WaitingForDatabase, wait.database, holder,
                  static_cast<int>(wait.waitedSeconds), static_cast<int>(wait.limitSeconds))
          << std::endl;
    return interruptingSignal() == 0;
  };
}

bool standardOutputIsTerminal() {
  return ::isatty(STDOUT_FILENO) == 1;
}

Session::Session(std::ostream& out, std::ostream& err, const ParsedArguments& args)
    : m_out(out),
      m_err(err),
      m_display(std::make_shared<ProgressDisplay>(out, standardOutputIsTerminal())),
      m_sink(std::make_shared<ConsoleMessageSink>(err, args.has("--yes"),
                                                  [d = m_display.get()] { d->breakLine(); })),
      m_installed(m_sink) {
  if (args.has("--yes") && args.has("--no")) throw CliError(said(Said::YesOrNo));
  m_wizard = cKPXWizard::create();
  if (args.hasValue("--lang")) {
    const std::string lang = args.value("--lang");
    if (lang != "it" && lang != "en") throw CliError(said(Said::UnknownLanguage, lang));
    m_wizard->setLanguage(lang == "it" ? kpxLanguageItalian : kpxLanguageEnglish);
    setProgramItalian(lang == "it");
  }
  if (args.hasValue("--log-dir")) {
    const std::string dir = args.value("--log-dir");
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) throw CliError(said(Said::LogFolderMissing, dir));
    m_wizard->setLogFilePath(dir);
  }
  m_cookie = m_wizard->advise(m_display);
  m_interruptionCookie = m_wizard->advise(std::make_shared<InterruptionSink>());
  waitForLockedDatabases(args);
}

Session::~Session() {
  data::busyWaitSettings().onWait = nullptr;
  m_wizard->unadvise(m_interruptionCookie);
  m_wizard->unadvise(m_cookie);
  m_wizard->CloseWizard();
}

std::string Session::reasonShown() const {
  // An error report ends with the description; its first lines are already on the screen.
  std::string text = m_sink->lastProblem();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  const size_t lineStart = text.find_last_of('\n');
  return lineStart == std::string::npos ? text : text.substr(lineStart + 1);
}

}  // namespace kpx::cli
