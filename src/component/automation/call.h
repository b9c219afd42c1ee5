// One call through the dispatch interface: its arguments, converted to the model's types
// with the coercions a host may rely on, and its result, converted back.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <variant>

#include "component/automation/hresults.h"
#include "component/automation/object.h"
#include "kpxwizard/kpxautomation.h"

namespace kpx::automation {

// Ends a call with `result` (DISP_E_TYPEMISMATCH, DISP_E_BADPARAMCOUNT, ...).
struct DispatchFailure {
  KPX_HRESULT result;
};

// A whole-number position or a string key, as collections take them.
using IndexOrKey = std::variant<int32_t, std::string>;

// Argument conversions. Numbers accept VT_I2, VT_I4, VT_BOOL, numeric VT_BSTR and VT_EMPTY
// (0); out of range is DISP_E_OVERFLOW. Booleans accept the same and "True"/"False"; strings
// accept numbers and booleans ("True"/"False") and VT_EMPTY (""). By-reference arguments are
// read through. Anything else is DISP_E_TYPEMISMATCH.
int32_t toInt32(const KPX_VARIANT& v);
int16_t toInt16(const KPX_VARIANT& v);
bool toBool(const KPX_VARIANT& v);
std::string toText(const KPX_VARIANT& v);
IndexOrKey toIndexOrKey(const KPX_VARIANT& v);
// The handle carried by VT_DISPATCH / VT_UNKNOWN (null for a null object).
const KPX_OBJECT* toHandle(const KPX_VARIANT& v);

template <typename T>
struct ArgConvert;
template <>
struct ArgConvert<int32_t> {
  static int32_t from(const KPX_VARIANT& v) { return toInt32(v); }
};
template <>
struct ArgConvert<int16_t> {
  static int16_t from(const KPX_VARIANT& v) { return toInt16(v); }
};
template <>
struct ArgConvert<bool> {
  static bool from(const KPX_VARIANT& v) { return toBool(v); }
};
template <>
struct ArgConvert<std::string> {
  static std::string from(const KPX_VARIANT& v) { return toText(v); }
};
template <>
struct ArgConvert<IndexOrKey> {
  static IndexOrKey from(const KPX_VARIANT& v) { return toIndexOrKey(v); }
};
// An object argument must hold an object of class T; a null object is refused, because the
// model never holds an empty reference where a host could assign one.
template <typename T>
struct ArgConvert<std::shared_ptr<T>> {
  static std::shared_ptr<T> from(const KPX_VARIANT& v) {
    auto object = objectAs<T>(toHandle(v));
    if (!object) throw DispatchFailure{DISP_E_TYPEMISMATCH};
    return object;
  }
};

// Result conversions: VT_BSTR, VT_I2, VT_I4, VT_BOOL (-1/0), VT_DISPATCH (an added reference).
void setResult(KPX_VARIANT& out, const std::string& v);
void setResult(KPX_VARIANT& out, int16_t v);
void setResult(KPX_VARIANT& out, int32_t v);
void setResult(KPX_VARIANT& out, bool v);
void setResult(KPX_VARIANT& out, const Target& v);
// An object handed out as VT_UNKNOWN (a collection's enumerator).
struct AsUnknown {
  Target target;
};
void setResult(KPX_VARIANT& out, const AsUnknown& v);
template <typename T>
void setResult(KPX_VARIANT& out, const std::shared_ptr<T>& v) {
  setResult(out, Target(v));
}

class Call {
 public:
  Call(uint32_t nargs, const KPX_VARIANT* args, KPX_VARIANT* result)
      : m_nargs(nargs), m_args(args), m_result(result) {}

  uint32_t count() const { return m_nargs; }
  // Argument k (0 = first), converted to T.
  template <typename T>
  T arg(uint32_t k) const {
    return ArgConvert<T>::from(m_args[k]);
  }
  // Stores the result, unless the caller asked for none.
  template <typename T>
  void result(const T& value) {
    if (m_result) setResult(*m_result, value);
  }

 private:
  uint32_t m_nargs;
  const KPX_VARIANT* m_args;
  KPX_VARIANT* m_result;
};

}  // namespace kpx::automation
