// The dispatch table of one class: every member's name, dispatch identifier, kind of call
// (get, put, put-by-reference or method), argument count and handler.
#pragma once
#include <cstdint>
#include <functional>
#include <string_view>
#include <type_traits>
#include <vector>

#include "component/automation/call.h"

namespace kpx::automation {

template <typename T>
struct Member {
  std::string_view name;
  int32_t dispid;
  uint16_t kinds;  // KPX_DISPATCH_* bits this entry answers
  uint32_t argc;   // arguments it takes, the new value of a put included
  std::function<void(T&, Call&)> handler;
};

template <typename T>
using DispatchTable = std::vector<Member<T>>;

template <typename S>
struct SetterArg;
template <typename C, typename A>
struct SetterArg<void (C::*)(A)> {
  using type = std::remove_cvref_t<A>;
};

// Adds the get entry of a property read through `getter` (a member function of T).
template <typename T, typename G>
void addGet(DispatchTable<T>& table, std::string_view name, int32_t dispid, G getter) {
  table.push_back({name, dispid, KPX_DISPATCH_PROPERTYGET, 0, [getter](T& self, Call& call) {
                     using R = std::remove_cvref_t<std::invoke_result_t<G, T&>>;
                     call.result(R(std::invoke(getter, self)));
                   }});
}

// Adds the put (or put-by-reference) entry of a property written through `setter`; the
// argument's type is the setter's parameter type.
template <typename T, typename S>
void addPut(DispatchTable<T>& table, std::string_view name, int32_t dispid, S setter,
            uint16_t kind = KPX_DISPATCH_PROPERTYPUT) {
  table.push_back({name, dispid, kind, 1, [setter](T& self, Call& call) {
                     std::invoke(setter, self, call.arg<typename SetterArg<S>::type>(0));
                   }});
}

// Adds both entries of a get/put pair.
template <typename T, typename G, typename S>
void addProperty(DispatchTable<T>& table, std::string_view name, int32_t dispid, G getter, S setter,
                 uint16_t putKind = KPX_DISPATCH_PROPERTYPUT) {
  addGet(table, name, dispid, getter);
  addPut(table, name, dispid, setter, putKind);
}

// Adds a method taking `argc` arguments.
template <typename T>
void addMethod(DispatchTable<T>& table, std::string_view name, int32_t dispid, uint32_t argc,
               std::function<void(T&, Call&)> handler, uint16_t kinds = KPX_DISPATCH_METHOD) {
  table.push_back({name, dispid, kinds, argc, std::move(handler)});
}

// The tables of the six classes, of the enumerator (no members) and of the class factory.
const DispatchTable<cKPXWizard>& wizardMembers();
const DispatchTable<clsConnection>& connectionMembers();
const DispatchTable<clsColumns>& columnsMembers();
const DispatchTable<clsColumn>& columnMembers();
const DispatchTable<clsTransformations>& transformationsMembers();
const DispatchTable<clsTransformation>& transformationMembers();
const DispatchTable<Enumerator>& enumeratorMembers();
const DispatchTable<ClassFactory>& classFactoryMembers();

}  // namespace kpx::automation
