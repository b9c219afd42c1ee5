#include "cli/progress_display.h"

#include <cstdio>

#include "cli/program_text.h"

namespace kpx::cli {

ProgressDisplay::ProgressDisplay(std::ostream& out, bool terminal, Clock clock)
    : m_out(out),
      m_terminal(terminal),
      m_clock(std::move(clock)),
      m_start(m_clock()),
      m_lineAt(m_start) {}

double ProgressDisplay::elapsedSeconds() const {
  return std::chrono::duration<double>(m_clock() - m_start).count();
}

std::string ProgressDisplay::formatElapsed(double seconds) {
  auto total = static_cast<long long>(seconds < 0 ? 0 : seconds);
  char text[32];
  if (total >= 3600)
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                  total % 60);
  else
    std::snprintf(text, sizeof text, "%02lld:%02lld", total / 60, total % 60);
  return text;
}

std::string ProgressDisplay::progressText(int64_t rows, int32_t percent, double seconds, bool bar) {
  std::string text;
  if (bar) {
    constexpr int kWidth = 30;
    int filled = percent <= 0 ? 0 : percent >= 100 ? kWidth : percent * kWidth / 100;
    text = "[" + std::string(filled, '#') + std::string(kWidth - filled, '-') + "] ";
    text += percent > 0 ? std::to_string(percent) + "%  " : "";
  }
  const double rate = seconds > 0 ? static_cast<double>(rows) / seconds : 0;
  return text + said(Said::RowsCopied, static_cast<long long>(rows), rate) +
         formatElapsed(seconds) + said(Said::Elapsed);
}

void ProgressDisplay::OnStart(const std::string& eventSource) {
  if (!m_terminal) m_out << said(Said::Started) << eventSource << std::endl;
}

void ProgressDisplay::OnProgress(const std::string&, const std::string&, int32_t percentComplete,
                                 int32_t countLow, int32_t countHigh) {
  m_rows = static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(countHigh)) << 32) |
                                static_cast<uint32_t>(countLow));
  if (m_terminal) {
    m_out << "\r\033[K" << progressText(m_rows, percentComplete, elapsedSeconds(), true)
          << std::flush;
    m_lineOpen = true;
    return;
  }
  constexpr auto kLinePeriod = std::chrono::seconds(10);
  const auto now = m_clock();
  const bool tenthDone = percentComplete <= 0 || percentComplete - m_linePercent >= 10;
  if (!tenthDone || now - m_lineAt < kLinePeriod) return;
  m_linePercent = percentComplete;
  m_lineAt = now;
  m_out << progressText(m_rows, percentComplete, elapsedSeconds(), false) << std::endl;
}

void ProgressDisplay::OnFinish(const std::string& eventSource) {
  breakLine();
  if (!m_terminal) m_out << said(Said::Finished) << eventSource << std::endl;
}

void ProgressDisplay::breakLine() {
  if (m_lineOpen) m_out << std::endl;
  m_lineOpen = false;
}

}  // namespace kpx::cli
