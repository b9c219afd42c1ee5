/* The automation interface of libkpxwizard, in plain C: create the component's objects by
 * ProgID or class identifier, call their members by dispatch identifier or by name, walk
 * their collections, receive the wizard's events and every message box. Strings are
 * counted UTF-16 strings (KPX_BSTR); arguments and results travel as KPX_VARIANTs.
 *
 * DllGetClassObject hands out a class factory as a KPX_OBJECT* (release it with
 * kpxRelease). Through kpxInvoke it offers CreateInstance (DISPID 1, no arguments, returns
 * the new object as VT_DISPATCH) and LockServer (DISPID 2, one VT_BOOL argument). */
#ifndef KPXWIZARD_KPXAUTOMATION_H
#define KPXWIZARD_KPXAUTOMATION_H

#include <stdint.h>

#include "kpxwizard/export.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t KPX_HRESULT; /* 0 S_OK, 1 S_FALSE, negative = failure (COM numbering) */
typedef uint16_t* KPX_BSTR;  /* UTF-16, NUL-terminated, uint32 byte length stored just before it */
typedef struct KPX_OBJECT
    KPX_OBJECT; /* one counted reference to an automation object or enumerator */
typedef struct {
  uint32_t Data1;
  uint16_t Data2, Data3;
  uint8_t Data4[8];
} KPX_GUID;
typedef struct KPX_VARIANT { /* 16 bytes */
  uint16_t vt, reserved1, reserved2, reserved3;
  union {
    int16_t iVal;
    int32_t lVal;
    int16_t boolVal;
    KPX_BSTR bstrVal;
    KPX_OBJECT* pdispVal;
    KPX_OBJECT* punkVal;
    int16_t* piVal;
    int32_t* plVal;
    int16_t* pboolVal;
    KPX_BSTR* pbstrVal;
    struct KPX_VARIANT* pvarVal;
    KPX_OBJECT** ppdispVal;
  } u;
} KPX_VARIANT;
typedef struct {
  int32_t scode;
  KPX_BSTR source;
  KPX_BSTR description;
} KPX_EXCEPINFO;
enum {
  KPX_VT_EMPTY = 0,
  KPX_VT_NULL = 1,
  KPX_VT_I2 = 2,
  KPX_VT_I4 = 3,
  KPX_VT_BSTR = 8,
  KPX_VT_DISPATCH = 9,
  KPX_VT_BOOL = 11,
  KPX_VT_VARIANT = 12,
  KPX_VT_UNKNOWN = 13,
  KPX_VT_BYREF = 0x4000
};
enum {
  KPX_DISPATCH_METHOD = 1,
  KPX_DISPATCH_PROPERTYGET = 2,
  KPX_DISPATCH_PROPERTYPUT = 4,
  KPX_DISPATCH_PROPERTYPUTREF = 8
};

KPX_API KPX_BSTR kpxSysAllocStringUTF8(const char* utf8);
KPX_API uint32_t kpxSysStringLen(KPX_BSTR s); /* in UTF-16 code units */
KPX_API void kpxSysFreeString(KPX_BSTR s);
KPX_API char* kpxBstrToUTF8(KPX_BSTR s); /* free with kpxFree */
KPX_API void kpxFree(void* p);
KPX_API void kpxVariantInit(KPX_VARIANT* v);
KPX_API KPX_HRESULT kpxVariantClear(KPX_VARIANT* v); /* frees strings, releases objects */

KPX_API KPX_HRESULT kpxCreateObject(const char* progIdOrClsid,
                                    KPX_OBJECT** out); /* ProgID or "{CLSID}" */
KPX_API uint32_t kpxAddRef(KPX_OBJECT* o);
KPX_API uint32_t kpxRelease(KPX_OBJECT* o);
KPX_API KPX_HRESULT kpxGetIDsOfNames(KPX_OBJECT* o, const char* name,
                                     int32_t* dispid); /* case-insensitive */
KPX_API KPX_HRESULT kpxInvoke(KPX_OBJECT* o, int32_t dispid, uint16_t flags, uint32_t nargs,
                              KPX_VARIANT* args, KPX_VARIANT* result, KPX_EXCEPINFO* excep);
KPX_API KPX_HRESULT kpxEnumNext(KPX_OBJECT* enumerator, KPX_VARIANT* item); /* S_FALSE at the end */

typedef void (*KPX_EVENT_CALLBACK)(void* context, int32_t dispid, uint32_t nargs,
                                   KPX_VARIANT* args);
KPX_API KPX_HRESULT kpxAdvise(KPX_OBJECT* wizard, KPX_EVENT_CALLBACK cb, void* context,
                              uint32_t* cookie);
KPX_API KPX_HRESULT kpxUnadvise(KPX_OBJECT* wizard, uint32_t cookie);
typedef int32_t (*KPX_MESSAGE_CALLBACK)(void* context, const char* text, int32_t style,
                                        const char* title);
KPX_API void kpxSetMessageHandler(KPX_MESSAGE_CALLBACK cb, void* context); /* NULL: default sink */

KPX_API KPX_HRESULT DllGetClassObject(const KPX_GUID* rclsid, const KPX_GUID* riid, void** ppv);
KPX_API KPX_HRESULT DllCanUnloadNow(void);
KPX_API KPX_HRESULT
DllRegisterServer(void); /* writes the identities to $XDG_DATA_HOME/kpxwizard/registry.ini */
KPX_API KPX_HRESULT DllUnregisterServer(void);

#ifdef __cplusplus
}
#endif

#endif /* KPXWIZARD_KPXAUTOMATION_H */
