#include "component/automation/object.h"

#include <unordered_map>

#include "component/automation/hresults.h"

namespace kpx::automation {
namespace {

// Model object → its handle, while the host holds one. Single-threaded, as the model is.
std::unordered_map<const void*, KPX_OBJECT*>& handles() {
  static std::unordered_map<const void*, KPX_OBJECT*> map;
  return map;
}

size_t& liveCount() {
  static size_t count = 0;
  return count;
}

const void* addressOf(const Target& target) {
  return std::visit([](const auto& ptr) -> const void* { return ptr.get(); }, target);
}

}  // namespace

KPX_OBJECT* wrap(const Target& target) {
  const void* address = addressOf(target);
  if (!address) return nullptr;
  auto& map = handles();
  if (auto found = map.find(address); found != map.end()) {
    ++found->second->refs;
    return found->second;
  }
  auto* handle = new KPX_OBJECT{1, target};
  map.emplace(address, handle);
  ++liveCount();
  return handle;
}

Target createInstance(ClassKind kind) {
  switch (kind) {
    case ClassKind::Wizard:
      return cKPXWizard::create();
    case ClassKind::Connection:
      return std::make_shared<clsConnection>();
    case ClassKind::Transformations:
      return std::make_shared<clsTransformations>();
    case ClassKind::Transformation:
      return std::make_shared<clsTransformation>();
    case ClassKind::Columns:
      return std::make_shared<clsColumns>();
    case ClassKind::Column:
      return std::make_shared<clsColumn>();
  }
  return {};
}

size_t liveHandles() {
  return liveCount();
}

int32_t& serverLocks() {
  static int32_t locks = 0;
  return locks;
}

}  // namespace kpx::automation

using namespace kpx::automation;

extern "C" {

KPX_API uint32_t kpxAddRef(KPX_OBJECT* o) {
  return o ? ++o->refs : 0;
}

KPX_API uint32_t kpxRelease(KPX_OBJECT* o) {
  if (!o) return 0;
  if (--o->refs > 0) return o->refs;
  handles().erase(addressOf(o->target));
  --liveCount();
  // Destroying the last reference may run the model's destructors; nothing may escape to C.
  try {
    delete o;
  } catch (...) {
  }
  return 0;
}

KPX_API KPX_HRESULT kpxCreateObject(const char* progIdOrClsid, KPX_OBJECT** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!progIdOrClsid) return E_INVALIDARG;
  const ClassIdentity* identity = findClass(progIdOrClsid);
  if (!identity) return REGDB_E_CLASSNOTREG;
  if (!identity->creatable) return CLASS_E_CLASSNOTAVAILABLE;
  try {
    *out = wrap(createInstance(identity->kind));
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // extern "C"
