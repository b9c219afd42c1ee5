// The handle a host holds: one counted reference to an object of the model, an enumerator
// or a class factory. The same model object always comes back as the same handle while the
// host holds it, so hosts may compare handles to compare objects.
#pragma once
#include <cstddef>
#include <memory>
#include <variant>
#include <vector>

#include "component/automation/identities.h"
#include "kpxwizard/columns.h"
#include "kpxwizard/connection.h"
#include "kpxwizard/kpxautomation.h"
#include "kpxwizard/transformations.h"
#include "kpxwizard/wizard.h"

namespace kpx::automation {

struct Enumerator;
struct ClassFactory;

using Target = std::variant<std::shared_ptr<cKPXWizard>, std::shared_ptr<clsConnection>,
                            std::shared_ptr<clsColumns>, std::shared_ptr<clsColumn>,
                            std::shared_ptr<clsTransformations>, std::shared_ptr<clsTransformation>,
                            std::shared_ptr<Enumerator>, std::shared_ptr<ClassFactory>>;

// The members of a collection as they were when the enumerator was made, in order.
struct Enumerator {
  std::vector<Target> items;
  size_t next = 0;
};

// The factory of one creatable class.
struct ClassFactory {
  const ClassIdentity* identity = nullptr;
};

// A handle holding one more reference to `target` (the existing handle with its count raised
// when the object already has one); nullptr when `target` holds no object.
KPX_OBJECT* wrap(const Target& target);

// The object behind a handle, or nullptr when the handle holds another kind of object.
template <typename T>
std::shared_ptr<T> objectAs(const KPX_OBJECT* handle);

// A new object of a creatable class (cKPXWizard::create for the wizard).
Target createInstance(ClassKind kind);

// Handles not yet released, and LockServer locks; DllCanUnloadNow needs both at zero.
size_t liveHandles();
int32_t& serverLocks();

}  // namespace kpx::automation

struct KPX_OBJECT {
  uint32_t refs = 1;
  kpx::automation::Target target;
};

namespace kpx::automation {
template <typename T>
std::shared_ptr<T> objectAs(const KPX_OBJECT* handle) {
  if (!handle) return nullptr;
  auto held = std::get_if<std::shared_ptr<T>>(&handle->target);
  return held ? *held : nullptr;
}
}  // namespace kpx::automation
