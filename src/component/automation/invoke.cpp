// Calls by name and by dispatch identifier, and the walk of an enumerator.
#include <exception>

#include "component/automation/dispatch_table.h"
#include "component/automation/strings.h"
#include "kpxwizard/automation_error.h"
#include "kpxwizard/keyed_collection.h"
#include "kpxwizard/messages.h"

namespace kpx::automation {
namespace {

const DispatchTable<cKPXWizard>& tableOf(const cKPXWizard&) {
  return wizardMembers();
}
const DispatchTable<clsConnection>& tableOf(const clsConnection&) {
  return connectionMembers();
}
const DispatchTable<clsColumns>& tableOf(const clsColumns&) {
  return columnsMembers();
}
const DispatchTable<clsColumn>& tableOf(const clsColumn&) {
  return columnMembers();
}
const DispatchTable<clsTransformations>& tableOf(const clsTransformations&) {
  return transformationsMembers();
}
const DispatchTable<clsTransformation>& tableOf(const clsTransformation&) {
  return transformationMembers();
}
const DispatchTable<Enumerator>& tableOf(const Enumerator&) {
  return enumeratorMembers();
}
const DispatchTable<ClassFactory>& tableOf(const ClassFactory&) {
  return classFactoryMembers();
}

// The enumerator's own identifier answers to its usual name as well.
bool sameName(std::string_view member, const std::string& foldedWanted) {
  if (foldCase(member) == foldedWanted) return true;
  return member == "NewEnum" && foldedWanted == "_NEWENUM";
}

template <typename T>
KPX_HRESULT findId(const DispatchTable<T>& table, const std::string& name, int32_t& dispid) {
  std::string folded = foldCase(name);
  for (const auto& member : table)
    if (sameName(member.name, folded)) {
      dispid = member.dispid;
      return S_OK;
    }
  return DISP_E_UNKNOWNNAME;
}

// The entry answering `dispid` with one of the kinds in `flags`; among several, a method or
// get before a put, a put before a put-by-reference.
template <typename T>
KPX_HRESULT invokeOn(T& self, int32_t dispid, uint16_t flags, uint32_t nargs,
                     const KPX_VARIANT* args, KPX_VARIANT* result) {
  for (const auto& member : tableOf(self)) {
    if (member.dispid != dispid || !(member.kinds & flags)) continue;
    if (nargs != member.argc) return DISP_E_BADPARAMCOUNT;
    Call call(nargs, args, result);
    member.handler(self, call);
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

void fillException(KPX_EXCEPINFO* excep, const ckpx_Error& error) {
  if (!excep) return;
  excep->scode = error.Number();
  excep->source = allocString(error.Source());
  excep->description = allocString(error.Description());
}

}  // namespace

}  // namespace kpx::automation

using namespace kpx::automation;

extern "C" {

KPX_API KPX_HRESULT kpxGetIDsOfNames(KPX_OBJECT* o, const char* name, int32_t* dispid) {
  if (!o || !name || !dispid) return E_POINTER;
  try {
    return std::visit([&](const auto& target) { return findId(tableOf(*target), name, *dispid); },
                      o->target);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

KPX_API KPX_HRESULT kpxInvoke(KPX_OBJECT* o, int32_t dispid, uint16_t flags, uint32_t nargs,
                              KPX_VARIANT* args, KPX_VARIANT* result, KPX_EXCEPINFO* excep) {
  if (!o || (nargs > 0 && !args)) return E_POINTER;
  if (result) kpxVariantInit(result);
  // Keeps the object alive even when the call drops the host's last other path to it.
  Target keep = o->target;
  try {
    return std::visit(
        [&](const auto& target) { return invokeOn(*target, dispid, flags, nargs, args, result); },
        keep);
  } catch (const DispatchFailure& failure) {
    if (result) kpxVariantClear(result);
    return failure.result;
  } catch (...) {
    if (result) kpxVariantClear(result);
    try {
      fillException(excep, kpx::ckpx_Error::fromException(std::current_exception()));
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    return DISP_E_EXCEPTION;
  }
}

KPX_API KPX_HRESULT kpxEnumNext(KPX_OBJECT* enumerator, KPX_VARIANT* item) {
  if (!enumerator || !item) return E_POINTER;
  kpxVariantInit(item);
  auto walker = objectAs<Enumerator>(enumerator);
  if (!walker) return E_NOINTERFACE;
  if (walker->next >= walker->items.size()) return S_FALSE;
  try {
    setResult(*item, walker->items[walker->next]);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  ++walker->next;
  return S_OK;
}

}  // extern "C"
