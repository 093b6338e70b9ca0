#pragma once
// The four entry points every in-process server library exports (with C
// linkage and default visibility), and their function types for dlsym.
#include "platform/ComLiteTypes.h"

#define QUILLON_COM_EXPORT extern "C" __attribute__((visibility("default")))

namespace quillon::com {

using DllGetClassObjectFn = HRESULT (*)(REFCLSID clsid, REFIID riid, void** object);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

inline constexpr const char* kDllGetClassObject = "DllGetClassObject";
inline constexpr const char* kDllCanUnloadNow = "DllCanUnloadNow";
inline constexpr const char* kDllRegisterServer = "DllRegisterServer";
inline constexpr const char* kDllUnregisterServer = "DllUnregisterServer";

}  // namespace quillon::com

// A server declares its entry points with these signatures:
//   QUILLON_COM_EXPORT quillon::com::HRESULT DllGetClassObject(const quillon::com::CLSID&,
//                                                               const quillon::com::IID&, void**);
//   QUILLON_COM_EXPORT quillon::com::HRESULT DllCanUnloadNow();
//   QUILLON_COM_EXPORT quillon::com::HRESULT DllRegisterServer();
//   QUILLON_COM_EXPORT quillon::com::HRESULT DllUnregisterServer();
