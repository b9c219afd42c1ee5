// The message box of a program without windows: prints every message to standard error as
// "title: text" and answers Yes/No questions with the answer chosen on the command line.
#pragma once
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "kpxwizard/messages.h"

namespace kpx::cli {

class ConsoleMessageSink : public MessageSink {
 public:
  struct Shown {
    std::string text;
    int32_t style;
  };
  // `answerYes` answers questions Yes (else No); `beforeShow` runs before each message (to end
  // a progress line).
  ConsoleMessageSink(std::ostream& err, bool answerYes, std::function<void()> beforeShow = {});

  int32_t show(const std::string& text, int32_t style, const std::string& title) override;

  // The text of the last message with a critical or exclamation icon; "" when none.
  std::string lastProblem() const;

 private:
  std::ostream& m_err;
  bool m_answerYes;
  std::function<void()> m_beforeShow;
  std::vector<Shown> m_shown;
};

// Installs a sink for the life of this object and restores the default one afterwards.
class ScopedMessageSink {
 public:
  explicit ScopedMessageSink(std::shared_ptr<MessageSink> sink) {
    installMessageSink(std::move(sink));
  }
  ~ScopedMessageSink() { installMessageSink(nullptr); }
  ScopedMessageSink(const ScopedMessageSink&) = delete;
  ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;
};

}  // namespace kpx::cli
