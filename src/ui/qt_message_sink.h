// Message boxes and the busy cursor of the component while its windows are up.
#pragma once
#include "kpxwizard/messages.h"

namespace kpx::ui {

class QtMessageSink : public MessageSink {
 public:
  // A modal box over the active window: the style's icon (16 critical, 32 question,
  // 48 exclamation, 64 information) and buttons (0 OK, 1 OK/Cancel, 3 Yes/No/Cancel, 4 Yes/No,
  // 256 makes the second the default). Returns 1 OK, 2 Cancel, 6 Yes or 7 No.
  int32_t show(const std::string& text, int32_t style, const std::string& title) override;
  void setBusyCursor() override;
  void setDefaultCursor() override;

 private:
  bool m_busy = false;
};

}  // namespace kpx::ui
