// The result codes the automation interface answers, in the platform's numbering.
#pragma once
#include <cstdint>

#include "kpxwizard/kpxautomation.h"

namespace kpx::automation {

inline constexpr KPX_HRESULT S_OK = 0;
inline constexpr KPX_HRESULT S_FALSE = 1;
inline constexpr KPX_HRESULT E_NOINTERFACE = static_cast<int32_t>(0x80004002);
inline constexpr KPX_HRESULT E_POINTER = static_cast<int32_t>(0x80004003);
inline constexpr KPX_HRESULT E_FAIL = static_cast<int32_t>(0x80004005);
inline constexpr KPX_HRESULT E_OUTOFMEMORY = static_cast<int32_t>(0x8007000E);
inline constexpr KPX_HRESULT E_INVALIDARG = static_cast<int32_t>(0x80070057);
inline constexpr KPX_HRESULT DISP_E_MEMBERNOTFOUND = static_cast<int32_t>(0x80020003);
inline constexpr KPX_HRESULT DISP_E_TYPEMISMATCH = static_cast<int32_t>(0x80020005);
inline constexpr KPX_HRESULT DISP_E_UNKNOWNNAME = static_cast<int32_t>(0x80020006);
inline constexpr KPX_HRESULT DISP_E_BADVARTYPE = static_cast<int32_t>(0x80020008);
inline constexpr KPX_HRESULT DISP_E_EXCEPTION = static_cast<int32_t>(0x80020009);
inline constexpr KPX_HRESULT DISP_E_OVERFLOW = static_cast<int32_t>(0x8002000A);
inline constexpr KPX_HRESULT DISP_E_BADPARAMCOUNT = static_cast<int32_t>(0x8002000E);
inline constexpr KPX_HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<int32_t>(0x80040111);
inline constexpr KPX_HRESULT REGDB_E_CLASSNOTREG = static_cast<int32_t>(0x80040154);
inline constexpr KPX_HRESULT SELFREG_E_CLASS = static_cast<int32_t>(0x80040201);
inline constexpr KPX_HRESULT CONNECT_E_NOCONNECTION = static_cast<int32_t>(0x80040200);

// The dispatch identifier of a collection's enumerator.
inline constexpr int32_t DISPID_NEWENUM = -4;

}  // namespace kpx::automation
