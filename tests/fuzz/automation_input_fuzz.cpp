// Host input to the automation interface: class names, text converted to counted strings and
// back, raw UTF-16, and text coerced to numbers and collection keys. Nothing may crash or leak,
// and a UTF-8 round trip must be stable after the first conversion.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kpxwizard/kpxautomation.h"
#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"

namespace {

std::string roundTrip(const std::string& text) {
  KPX_BSTR s = kpxSysAllocStringUTF8(text.c_str());
  char* utf8 = kpxBstrToUTF8(s);
  std::string out(utf8);
  kpxFree(utf8);
  kpxSysFreeString(s);
  return out;
}

void invokeWithText(KPX_OBJECT* o, const char* member, uint16_t flags, const std::string& text) {
  int32_t dispid = 0;
  if (kpxGetIDsOfNames(o, member, &dispid) != 0) __builtin_trap();
  KPX_VARIANT arg{};
  arg.vt = KPX_VT_BSTR;
  arg.u.bstrVal = kpxSysAllocStringUTF8(text.c_str());
  KPX_VARIANT result{};
  KPX_EXCEPINFO excep{};
  kpxInvoke(o, dispid, flags, 1, &arg, &result, &excep);
  kpxVariantClear(&result);
  kpxVariantClear(&arg);
  kpxSysFreeString(excep.source);
  kpxSysFreeString(excep.description);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = [] {
    kpx::installMessageSink(std::make_shared<kpx::RecordingMessageSink>());
    return true;
  }();
  (void)quiet;
  const std::string text(reinterpret_cast<const char*>(data),
                         strnlen(reinterpret_cast<const char*>(data), size));

  KPX_OBJECT* created = nullptr;
  if (kpxCreateObject(text.c_str(), &created) == 0) kpxRelease(created);
  if (auto wizard = kpx::oWizard()) wizard->CloseWizard();

  std::string once = roundTrip(text);
  if (roundTrip(once) != once) __builtin_trap();

  // The bytes as raw UTF-16 code units, lone surrogates included.
  uint32_t bytes = static_cast<uint32_t>(size & ~size_t{1});
  auto* block = static_cast<char*>(std::malloc(4 + bytes + 2));
  std::memcpy(block, &bytes, 4);
  std::memcpy(block + 4, data, bytes);
  std::memset(block + 4 + bytes, 0, 2);
  char* utf8 = kpxBstrToUTF8(reinterpret_cast<KPX_BSTR>(block + 4));
  kpxFree(utf8);
  std::free(block);

  KPX_OBJECT* connection = nullptr;
  KPX_OBJECT* list = nullptr;
  if (kpxCreateObject("KPXWizardIO.clsConnection", &connection) != 0) __builtin_trap();
  if (kpxCreateObject("KPXWizardIO.clsTransformations", &list) != 0) __builtin_trap();
  invokeWithText(connection, "SkipRows", KPX_DISPATCH_PROPERTYPUT, text);
  invokeWithText(connection, "CreatedDestinationTable", KPX_DISPATCH_PROPERTYPUT, text);
  invokeWithText(list, "Add", KPX_DISPATCH_METHOD, text);
  invokeWithText(list, "Item", KPX_DISPATCH_METHOD, text);
  kpxRelease(list);
  kpxRelease(connection);
  return 0;
}
