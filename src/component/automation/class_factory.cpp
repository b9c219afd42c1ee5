// The in-process server entry points that hand out class factories and say whether the
// library may be unloaded. A class factory is a KPX_OBJECT*; kpxInvoke reaches its
// CreateInstance (DISPID 1) and LockServer (DISPID 2).
#include "component/automation/dispatch_table.h"

namespace kpx::automation {
namespace {

// The identities a class-factory request may name.
constexpr std::string_view kIUnknown = "00000000-0000-0000-C000-000000000046";
constexpr std::string_view kIClassFactory = "00000001-0000-0000-C000-000000000046";

bool isFactoryInterface(const KPX_GUID& riid) {
  return riid == *parseGuid(kIUnknown) || riid == *parseGuid(kIClassFactory);
}

}  // namespace

const DispatchTable<ClassFactory>& classFactoryMembers() {
  static const DispatchTable<ClassFactory> table = [] {
    using F = ClassFactory;
    DispatchTable<F> t;
    addMethod<F>(t, "CreateInstance", 1, 0,
                 [](F& f, Call& c) { c.result(createInstance(f.identity->kind)); });
    addMethod<F>(t, "LockServer", 2, 1, [](F&, Call& c) {
      if (c.arg<bool>(0))
        ++serverLocks();
      else if (serverLocks() > 0)
        --serverLocks();
    });
    return t;
  }();
  return table;
}

}  // namespace kpx::automation

using namespace kpx::automation;

extern "C" {

KPX_API KPX_HRESULT DllGetClassObject(const KPX_GUID* rclsid, const KPX_GUID* riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!rclsid || !riid) return E_INVALIDARG;
  const ClassIdentity* identity = findClass(*rclsid);
  if (!identity || !identity->creatable) return CLASS_E_CLASSNOTAVAILABLE;
  if (!isFactoryInterface(*riid)) return E_NOINTERFACE;
  try {
    *ppv = wrap(std::make_shared<ClassFactory>(ClassFactory{identity}));
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

KPX_API KPX_HRESULT DllCanUnloadNow(void) {
  return liveHandles() == 0 && serverLocks() == 0 ? S_OK : S_FALSE;
}

}  // extern "C"
