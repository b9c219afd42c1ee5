// Lets a host answer every message box through a C callback.
#include "component/automation/hresults.h"
#include "kpxwizard/messages.h"

namespace kpx::automation {
namespace {

class CallbackMessageSink : public MessageSink {
 public:
  CallbackMessageSink(KPX_MESSAGE_CALLBACK callback, void* context)
      : m_callback(callback), m_context(context) {}
  int32_t show(const std::string& text, int32_t style, const std::string& title) override {
    return m_callback(m_context, text.c_str(), style, title.c_str());
  }

 private:
  KPX_MESSAGE_CALLBACK m_callback;
  void* m_context;
};

}  // namespace
}  // namespace kpx::automation

extern "C" KPX_API void kpxSetMessageHandler(KPX_MESSAGE_CALLBACK cb, void* context) {
  try {
    kpx::installMessageSink(cb ? std::make_shared<kpx::automation::CallbackMessageSink>(cb, context)
                               : nullptr);
  } catch (...) {
    // Out of memory: the previous sink stays installed.
  }
}
