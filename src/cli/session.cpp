#include "cli/session.h"

#include <unistd.h>

#include <filesystem>
#include <ostream>

namespace kpx::cli {

void addSessionOptions(AcceptedOptions& accepted) {
  accepted.flags.insert({"--yes", "--no"});
  accepted.withValue.insert({"--lang", "--log-dir"});
}

bool standardOutputIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

Session::Session(std::ostream& out, std::ostream& err, const ParsedArguments& args)
    : m_out(out),
      m_err(err),
      m_display(std::make_shared<ProgressDisplay>(out, standardOutputIsTerminal())),
      m_sink(std::make_shared<ConsoleMessageSink>(err, args.has("--yes"), [d = m_display.get()] { d->breakLine(); })),
      m_installed(m_sink) {
  if (args.has("--yes") && args.has("--no")) throw CliError("kpxwizard: give either --yes or --no, not both");
  m_wizard = cKPXWizard::create();
  if (args.hasValue("--lang")) {
    const std::string lang = args.value("--lang");
    if (lang == "it") m_wizard->setLanguage(kpxLanguageItalian);
    else if (lang == "en") m_wizard->setLanguage(kpxLanguageEnglish);
    else throw CliError("kpxwizard: unknown language '" + lang + "'; use --lang it or --lang en");
  }
  if (args.hasValue("--log-dir")) {
    const std::string dir = args.value("--log-dir");
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec))
      throw CliError("kpxwizard: the log folder '" + dir + "' does not exist; create it or choose another --log-dir");
    m_wizard->setLogFilePath(dir);
  }
  m_cookie = m_wizard->advise(m_display);
}

Session::~Session() {
  m_wizard->unadvise(m_cookie);
  m_wizard->CloseWizard();
}

std::string Session::reasonShown() const {
  // An error report ends with the description; its first lines are already on the screen.
  std::string text = m_sink->lastProblem();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  const size_t lineStart = text.find_last_of('\n');
  return lineStart == std::string::npos ? text : text.substr(lineStart + 1);
}

}  // namespace kpx::cli
