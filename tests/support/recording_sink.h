// Installs a RecordingMessageSink for one test and restores the headless sink afterwards.
#pragma once
#include <memory>
#include <vector>

#include "kpxwizard/messages.h"

namespace kpx::test {

class ScopedRecordingSink {
 public:
  explicit ScopedRecordingSink(std::vector<int32_t> answers = {})
      : m_sink(std::make_shared<RecordingMessageSink>(std::move(answers))) {
    installMessageSink(m_sink);
  }
  ~ScopedRecordingSink() { installMessageSink(nullptr); }
  RecordingMessageSink& operator*() { return *m_sink; }
  RecordingMessageSink* operator->() { return m_sink.get(); }

 private:
  std::shared_ptr<RecordingMessageSink> m_sink;
};

}  // namespace kpx::test
