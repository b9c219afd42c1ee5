#include "cli/console_message_sink.h"

#include "cli/program_text.h"

namespace kpx::cli {
namespace {
// The button part of a message-box style: 4 Yes/No, 3 Yes/No/Cancel.
bool asksYesNo(int32_t style) {
  const int32_t buttons = style & 7;
  return buttons == 4 || buttons == 3;
}
}  // namespace

ConsoleMessageSink::ConsoleMessageSink(std::ostream& err, bool answerYes,
                                       std::function<void()> beforeShow)
    : m_err(err), m_answerYes(answerYes), m_beforeShow(std::move(beforeShow)) {}

int32_t ConsoleMessageSink::show(const std::string& text, int32_t style, const std::string& title) {
  if (m_beforeShow) m_beforeShow();
  m_shown.push_back({text, style});
  std::string line = title.empty() ? text : title + ": " + text;
  std::erase(line, '\r');
  if (!asksYesNo(style)) {
    m_err << line << std::endl;
    return vbOK;
  }
  m_err << line << said(m_answerYes ? Said::AnsweredYes : Said::AnsweredNo) << std::endl;
  return m_answerYes ? vbYes : vbNo;
}

std::string ConsoleMessageSink::lastProblem() const {
  for (auto it = m_shown.rbegin(); it != m_shown.rend(); ++it)
    if ((it->style & 0x70) == vbCritical || (it->style & 0x70) == vbExclamation) return it->text;
  return {};
}

}  // namespace kpx::cli
