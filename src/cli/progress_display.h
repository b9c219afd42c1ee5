// Shows how a running transfer advances: on a terminal one line redrawn in place (a bar when
// the share done is known, the rows copied, rows per second and the time elapsed); elsewhere
// a plain line only when both a tenth of the work and ten seconds have passed since the last
// one (ten seconds alone when the share done is unknown), so logs stay short.
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "kpxwizard/wizard.h"

namespace kpx::cli {

class ProgressDisplay : public WizardEventSink {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // `terminal` chooses the redrawn line; `clock` is replaceable so the text can be checked.
  ProgressDisplay(std::ostream& out, bool terminal, Clock clock = std::chrono::steady_clock::now);

  void OnStart(const std::string& eventSource) override;
  void OnProgress(const std::string& eventSource, const std::string& description,
                  int32_t percentComplete, int32_t countLow, int32_t countHigh) override;
  void OnFinish(const std::string& eventSource) override;

  // Ends a redrawn line so that other text can be printed below it.
  void breakLine();
  // Rows reported by the last progress event.
  int64_t rowsReported() const { return m_rows; }
  // Seconds since the display was made.
  double elapsedSeconds() const;

  // "1:02:03" or "02:03" for a number of seconds.
  static std::string formatElapsed(double seconds);
  // The text of one progress report.
  static std::string progressText(int64_t rows, int32_t percent, double seconds, bool bar);

 private:
  std::ostream& m_out;
  bool m_terminal;
  Clock m_clock;
  std::chrono::steady_clock::time_point m_start;
  int64_t m_rows = 0;
  bool m_lineOpen = false;
  // What the last plain line reported.
  int32_t m_linePercent = 0;
  std::chrono::steady_clock::time_point m_lineAt;
};

}  // namespace kpx::cli
