#pragma once
// The base interfaces of the component layer: IUnknown (reference counting
// and interface queries), IDispatch (late-bound calls by dispatch id) and
// IClassFactory, with the structures Invoke takes.
#include <cstdint>

#include "platform/ComLiteBstr.h"
#include "platform/ComLiteTypes.h"
#include "platform/ComLiteVariant.h"

namespace quillon::com {

inline constexpr IID IID_IUnknown = MakeGuid("{00000000-0000-0000-C000-000000000046}");
inline constexpr IID IID_IClassFactory = MakeGuid("{00000001-0000-0000-C000-000000000046}");
inline constexpr IID IID_IDispatch = MakeGuid("{00020400-0000-0000-C000-000000000046}");
inline constexpr IID IID_NULL = GUID{};

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};

// Invoke flags.
constexpr uint16_t DISPATCH_METHOD = 0x1;
constexpr uint16_t DISPATCH_PROPERTYGET = 0x2;
constexpr uint16_t DISPATCH_PROPERTYPUT = 0x4;
constexpr uint16_t DISPATCH_PROPERTYPUTREF = 0x8;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;

// Arguments of Invoke: rgvarg holds them in reverse order (the last
// parameter first). Out parameters arrive as VT_BYREF variants.
struct DISPPARAMS {
  VARIANT* rgvarg;
  DISPID* rgdispidNamedArgs;
  uint32_t cArgs;
  uint32_t cNamedArgs;
};

struct EXCEPINFO {
  uint16_t wCode;
  uint16_t wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  uint32_t dwHelpContext;
  void* pvReserved;
  void* pfnDeferredFillIn;
  HRESULT scode;
};

struct IDispatch : IUnknown {
  virtual HRESULT GetTypeInfoCount(uint32_t* count) = 0;
  // Type information objects are not provided by this layer (E_NOTIMPL).
  virtual HRESULT GetTypeInfo(uint32_t index, LCID lcid, void** typeInfo) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, OLECHAR** names, uint32_t count, LCID lcid, DISPID* ids) = 0;
  // Calls the member by dispatch id. The result of Invoke is the member's
  // own HRESULT (S_FALSE included), or a DISP_E_* code when the call could
  // not be made (unknown id, wrong argument count or type).
  virtual HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* exception, uint32_t* argError) = 0;

 protected:
  ~IDispatch() = default;
};

struct IClassFactory : IUnknown {
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT LockServer(int lock) = 0;

 protected:
  ~IClassFactory() = default;
};

}  // namespace quillon::com
