#include "component/automation/call.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "component/automation/strings.h"
#include "kpxwizard/keyed_collection.h"
#include "model/vb_strings.h"

namespace kpx::automation {
namespace {

// The value a by-reference variant points at, as a by-value variant (strings and objects
// are borrowed, not copied).
KPX_VARIANT readThrough(const KPX_VARIANT& v) {
  if (!(v.vt & KPX_VT_BYREF)) return v;
  KPX_VARIANT out{};
  uint16_t base = v.vt & ~KPX_VT_BYREF;
  if (!v.u.piVal) throw DispatchFailure{E_POINTER};
  out.vt = base;
  switch (base) {
    case KPX_VT_I2:
      out.u.iVal = *v.u.piVal;
      break;
    case KPX_VT_I4:
      out.u.lVal = *v.u.plVal;
      break;
    case KPX_VT_BOOL:
      out.u.boolVal = *v.u.pboolVal;
      break;
    case KPX_VT_BSTR:
      out.u.bstrVal = *v.u.pbstrVal;
      break;
    case KPX_VT_DISPATCH:
    case KPX_VT_UNKNOWN:
      out.u.pdispVal = *v.u.ppdispVal;
      break;
    case KPX_VT_VARIANT:
      return readThrough(*v.u.pvarVal);
    default:
      throw DispatchFailure{DISP_E_TYPEMISMATCH};
  }
  return out;
}

// A string as a host's conversion reads it: a whole number (rounded from a decimal one),
// or True/False.
int64_t numberFromText(const std::string& raw) {
  std::string text = vb::Trim(raw);
  std::string folded = foldCase(text);
  if (folded == "TRUE") return -1;
  if (folded == "FALSE") return 0;
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size())
    throw DispatchFailure{DISP_E_TYPEMISMATCH};
  if (value < -9.3e18 || value > 9.3e18) throw DispatchFailure{DISP_E_OVERFLOW};
  return static_cast<int64_t>(std::nearbyint(value));
}

int64_t toInteger(const KPX_VARIANT& given) {
  KPX_VARIANT v = readThrough(given);
  switch (v.vt) {
    case KPX_VT_EMPTY:
      return 0;
    case KPX_VT_I2:
      return v.u.iVal;
    case KPX_VT_I4:
      return v.u.lVal;
    case KPX_VT_BOOL:
      return v.u.boolVal ? -1 : 0;
    case KPX_VT_BSTR:
      return numberFromText(toUtf8(v.u.bstrVal));
    default:
      throw DispatchFailure{DISP_E_TYPEMISMATCH};
  }
}

template <typename T>
T narrow(int64_t value) {
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
    throw DispatchFailure{DISP_E_OVERFLOW};
  return static_cast<T>(value);
}

}  // namespace

int32_t toInt32(const KPX_VARIANT& v) {
  return narrow<int32_t>(toInteger(v));
}
int16_t toInt16(const KPX_VARIANT& v) {
  return narrow<int16_t>(toInteger(v));
}
bool toBool(const KPX_VARIANT& v) {
  return toInteger(v) != 0;
}

std::string toText(const KPX_VARIANT& given) {
  KPX_VARIANT v = readThrough(given);
  switch (v.vt) {
    case KPX_VT_EMPTY:
      return {};
    case KPX_VT_I2:
      return std::to_string(v.u.iVal);
    case KPX_VT_I4:
      return std::to_string(v.u.lVal);
    case KPX_VT_BOOL:
      return v.u.boolVal ? "True" : "False";
    case KPX_VT_BSTR:
      return toUtf8(v.u.bstrVal);
    default:
      throw DispatchFailure{DISP_E_TYPEMISMATCH};
  }
}

IndexOrKey toIndexOrKey(const KPX_VARIANT& given) {
  KPX_VARIANT v = readThrough(given);
  switch (v.vt) {
    case KPX_VT_I2:
    case KPX_VT_I4:
    case KPX_VT_BOOL:
      return toInt32(v);
    // A missing or null key looks up the empty key, so the error names no key.
    case KPX_VT_EMPTY:
    case KPX_VT_NULL:
      return std::string();
    case KPX_VT_BSTR:
      return toUtf8(v.u.bstrVal);
    default:
      throw DispatchFailure{DISP_E_TYPEMISMATCH};
  }
}

const KPX_OBJECT* toHandle(const KPX_VARIANT& given) {
  KPX_VARIANT v = readThrough(given);
  if (v.vt != KPX_VT_DISPATCH && v.vt != KPX_VT_UNKNOWN) throw DispatchFailure{DISP_E_TYPEMISMATCH};
  return v.u.pdispVal;
}

void setResult(KPX_VARIANT& out, const std::string& v) {
  out.vt = KPX_VT_BSTR;
  out.u.bstrVal = allocString(v);
}
void setResult(KPX_VARIANT& out, int16_t v) {
  out.vt = KPX_VT_I2;
  out.u.iVal = v;
}
void setResult(KPX_VARIANT& out, int32_t v) {
  out.vt = KPX_VT_I4;
  out.u.lVal = v;
}
void setResult(KPX_VARIANT& out, bool v) {
  out.vt = KPX_VT_BOOL;
  out.u.boolVal = v ? -1 : 0;
}
void setResult(KPX_VARIANT& out, const Target& v) {
  out.vt = KPX_VT_DISPATCH;
  out.u.pdispVal = wrap(v);
}
void setResult(KPX_VARIANT& out, const AsUnknown& v) {
  out.vt = KPX_VT_UNKNOWN;
  out.u.punkVal = wrap(v.target);
}

}  // namespace kpx::automation
