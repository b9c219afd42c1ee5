// Hands the wizard's events to a host's callback: the arguments as values in their natural
// order, the cancel flags as VT_BOOL|VT_BYREF that the host sets to -1 to cancel.
#include "component/automation/hresults.h"
#include "component/automation/object.h"
#include "component/automation/strings.h"

namespace kpx::automation {
namespace {

// Owns the values of one event call and frees them afterwards.
class EventArgs {
 public:
  ~EventArgs() {
    for (auto& v : m_values) kpxVariantClear(&v);
  }
  EventArgs& text(const std::string& s) {
    KPX_VARIANT v{};
    v.vt = KPX_VT_BSTR;
    v.u.bstrVal = allocString(s);
    m_values.push_back(v);
    return *this;
  }
  EventArgs& number(int32_t n) {
    KPX_VARIANT v{};
    v.vt = KPX_VT_I4;
    v.u.lVal = n;
    m_values.push_back(v);
    return *this;
  }
  EventArgs& flag(int16_t* cell) {
    KPX_VARIANT v{};
    v.vt = KPX_VT_BOOL | KPX_VT_BYREF;
    v.u.pboolVal = cell;
    m_values.push_back(v);
    return *this;
  }
  uint32_t count() { return static_cast<uint32_t>(m_values.size()); }
  KPX_VARIANT* data() { return m_values.data(); }

 private:
  std::vector<KPX_VARIANT> m_values;
};

class CallbackEventSink : public WizardEventSink {
 public:
  CallbackEventSink(KPX_EVENT_CALLBACK callback, void* context)
      : m_callback(callback), m_context(context) {}

  void OnStart(const std::string& eventSource) override {
    EventArgs args;
    args.text(eventSource);
    raise(1, args);
  }
  void OnProgress(const std::string& eventSource, const std::string& description, int32_t percent,
                  int32_t countLow, int32_t countHigh) override {
    EventArgs args;
    args.text(eventSource).text(description).number(percent).number(countLow).number(countHigh);
    raise(2, args);
  }
  void OnFinish(const std::string& eventSource) override {
    EventArgs args;
    args.text(eventSource);
    raise(3, args);
  }
  void OnQueryCancel(const std::string& eventSource, bool& pbCancel) override {
    int16_t cancel = pbCancel ? -1 : 0;
    EventArgs args;
    args.text(eventSource).flag(&cancel);
    raise(4, args);
    pbCancel = cancel != 0;
  }
  void OnError(const std::string& eventSource, int32_t errorCode, const std::string& source,
               const std::string& description, const std::string& helpFile, int32_t helpContext,
               const std::string& interfaceWithError, bool& pbCancel) override {
    int16_t cancel = pbCancel ? -1 : 0;
    EventArgs args;
    args.text(eventSource).number(errorCode).text(source).text(description).text(helpFile);
    args.number(helpContext).text(interfaceWithError).flag(&cancel);
    raise(5, args);
    pbCancel = cancel != 0;
  }

 private:
  void raise(int32_t dispid, EventArgs& args) {
    m_callback(m_context, dispid, args.count(), args.data());
  }

  KPX_EVENT_CALLBACK m_callback;
  void* m_context;
};

}  // namespace
}  // namespace kpx::automation

using namespace kpx::automation;

extern "C" {

KPX_API KPX_HRESULT kpxAdvise(KPX_OBJECT* wizard, KPX_EVENT_CALLBACK cb, void* context,
                              uint32_t* cookie) {
  if (!wizard || !cb || !cookie) return E_POINTER;
  *cookie = 0;
  auto target = objectAs<kpx::cKPXWizard>(wizard);
  if (!target) return E_NOINTERFACE;
  try {
    *cookie = target->advise(std::make_shared<CallbackEventSink>(cb, context));
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

KPX_API KPX_HRESULT kpxUnadvise(KPX_OBJECT* wizard, uint32_t cookie) {
  if (!wizard) return E_POINTER;
  auto target = objectAs<kpx::cKPXWizard>(wizard);
  if (!target) return E_NOINTERFACE;
  if (cookie == 0) return CONNECT_E_NOCONNECTION;
  target->unadvise(cookie);
  return S_OK;
}

}  // extern "C"
