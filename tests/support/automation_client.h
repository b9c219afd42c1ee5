// What a host of the C automation interface does, wrapped for tests: handles and values that
// release themselves, calls by name, and the outcome of a call.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "kpxwizard/kpxautomation.h"

namespace kpx::test {

// A value the test owns; cleared on destruction.
class Var {
 public:
  Var() { kpxVariantInit(&v); }
  explicit Var(int16_t n) : Var() {
    v.vt = KPX_VT_I2;
    v.u.iVal = n;
  }
  explicit Var(int32_t n) : Var() {
    v.vt = KPX_VT_I4;
    v.u.lVal = n;
  }
  explicit Var(bool b) : Var() {
    v.vt = KPX_VT_BOOL;
    v.u.boolVal = b ? -1 : 0;
  }
  explicit Var(const char* s) : Var() {
    v.vt = KPX_VT_BSTR;
    v.u.bstrVal = kpxSysAllocStringUTF8(s);
  }
  explicit Var(const std::string& s) : Var(s.c_str()) {}
  // An object argument: takes a reference of its own.
  explicit Var(KPX_OBJECT* o) : Var() {
    v.vt = KPX_VT_DISPATCH;
    v.u.pdispVal = o;
    if (o) kpxAddRef(o);
  }
  Var(Var&& o) noexcept : v(o.v) { kpxVariantInit(&o.v); }
  Var& operator=(Var&& o) noexcept {
    std::swap(v, o.v);
    return *this;
  }
  ~Var() { kpxVariantClear(&v); }

  std::string text() const {
    if (v.vt != KPX_VT_BSTR) return "<not a string>";
    char* utf8 = kpxBstrToUTF8(v.u.bstrVal);
    std::string out(utf8);
    kpxFree(utf8);
    return out;
  }

  KPX_VARIANT v;
};

// A handle the test owns one reference of.
class Handle {
 public:
  Handle() = default;
  explicit Handle(KPX_OBJECT* o) : m_o(o) {}
  Handle(Handle&& o) noexcept : m_o(std::exchange(o.m_o, nullptr)) {}
  Handle& operator=(Handle&& o) noexcept {
    std::swap(m_o, o.m_o);
    return *this;
  }
  ~Handle() {
    if (m_o) kpxRelease(m_o);
  }
  KPX_OBJECT* get() const { return m_o; }
  // Takes over the object reference a result value holds.
  static Handle from(Var& result) {
    EXPECT_TRUE(result.v.vt == KPX_VT_DISPATCH || result.v.vt == KPX_VT_UNKNOWN);
    Handle h(result.v.u.pdispVal);
    kpxVariantInit(&result.v);
    return h;
  }

 private:
  KPX_OBJECT* m_o = nullptr;
};

inline Handle create(const char* progId) {
  KPX_OBJECT* o = nullptr;
  EXPECT_EQ(kpxCreateObject(progId, &o), 0) << progId;
  return Handle(o);
}

struct Outcome {
  KPX_HRESULT hr = 0;
  Var result;
  int32_t scode = 0;
  std::string source;
  std::string description;
};

inline Outcome invokeId(KPX_OBJECT* o, int32_t dispid, uint16_t flags, std::vector<Var> args = {}) {
  std::vector<KPX_VARIANT> raw;
  for (auto& a : args) raw.push_back(a.v);
  Outcome out;
  KPX_EXCEPINFO excep{};
  out.hr = kpxInvoke(o, dispid, flags, static_cast<uint32_t>(raw.size()), raw.data(), &out.result.v,
                     &excep);
  out.scode = excep.scode;
  auto utf8 = [](KPX_BSTR s) {
    char* p = kpxBstrToUTF8(s);
    std::string text(p);
    kpxFree(p);
    kpxSysFreeString(s);
    return text;
  };
  out.source = utf8(excep.source);
  out.description = utf8(excep.description);
  return out;
}

inline int32_t dispidOf(KPX_OBJECT* o, const char* name) {
  int32_t id = 0x7FFFFFFF;
  EXPECT_EQ(kpxGetIDsOfNames(o, name, &id), 0) << name;
  return id;
}

inline Outcome invoke(KPX_OBJECT* o, const char* name, uint16_t flags, std::vector<Var> args = {}) {
  return invokeId(o, dispidOf(o, name), flags, std::move(args));
}

inline Outcome get(KPX_OBJECT* o, const char* name, std::vector<Var> args = {}) {
  return invoke(o, name, KPX_DISPATCH_PROPERTYGET, std::move(args));
}

inline KPX_HRESULT put(KPX_OBJECT* o, const char* name, Var value) {
  std::vector<Var> args;
  args.push_back(std::move(value));
  return invoke(o, name, KPX_DISPATCH_PROPERTYPUT, std::move(args)).hr;
}

inline KPX_HRESULT putRef(KPX_OBJECT* o, const char* name, KPX_OBJECT* value) {
  std::vector<Var> args;
  args.emplace_back(value);
  return invoke(o, name, KPX_DISPATCH_PROPERTYPUTREF, std::move(args)).hr;
}

inline Outcome call(KPX_OBJECT* o, const char* name, std::vector<Var> args = {}) {
  return invoke(o, name, KPX_DISPATCH_METHOD, std::move(args));
}

// The arguments of one call: argList(Var("a"), Var(int32_t{1})).
template <typename... V>
std::vector<Var> argList(V&&... values) {
  std::vector<Var> out;
  (out.push_back(std::forward<V>(values)), ...);
  return out;
}

}  // namespace kpx::test
