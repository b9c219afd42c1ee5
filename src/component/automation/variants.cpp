// Initialising and clearing the values that carry arguments and results.
#include "component/automation/hresults.h"

extern "C" {

KPX_API void kpxVariantInit(KPX_VARIANT* v) {
  if (!v) return;
  *v = KPX_VARIANT{};
}

// Owned contents are freed; a by-reference value points into the caller's memory and is only
// forgotten. An unknown type is left as it is.
KPX_API KPX_HRESULT kpxVariantClear(KPX_VARIANT* v) {
  if (!v) return kpx::automation::E_POINTER;
  if (!(v->vt & KPX_VT_BYREF)) {
    switch (v->vt) {
      case KPX_VT_EMPTY:
      case KPX_VT_NULL:
      case KPX_VT_I2:
      case KPX_VT_I4:
      case KPX_VT_BOOL:
        break;
      case KPX_VT_BSTR:
        kpxSysFreeString(v->u.bstrVal);
        break;
      case KPX_VT_DISPATCH:
      case KPX_VT_UNKNOWN:
        kpxRelease(v->u.pdispVal);
        break;
      default:
        return kpx::automation::DISP_E_BADVARTYPE;
    }
  }
  *v = KPX_VARIANT{};
  return kpx::automation::S_OK;
}

}  // extern "C"
