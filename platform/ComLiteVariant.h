#pragma once
// The VARIANT and SAFEARRAY subset the component interfaces use: empty,
// null, integers, BOOL, BSTR, interface pointers, by-reference values and
// one-dimensional arrays (bytes above all). Arrays are allocated with the C
// heap so that any module may destroy an array another module made.
#include <cstdint>

#include "platform/ComLiteBstr.h"
#include "platform/ComLiteTypes.h"

namespace quillon::com {

struct IUnknown;
struct IDispatch;

using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_INT = 22,
  VT_UINT = 23,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

struct SAFEARRAYBOUND {
  uint32_t cElements;
  int32_t lLbound;
};

struct SAFEARRAY {
  uint16_t cDims;
  uint16_t fFeatures;
  uint32_t cbElements;
  uint32_t cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];
  VARTYPE vt;  // element type (kept in the header instead of before it)
};

struct VARIANT {
  VARTYPE vt;
  uint16_t wReserved1;
  uint16_t wReserved2;
  uint16_t wReserved3;
  union {
    int32_t lVal;
    int16_t iVal;
    int8_t cVal;
    uint8_t bVal;
    uint16_t uiVal;
    uint32_t ulVal;
    int32_t intVal;
    uint32_t uintVal;
    VARIANT_BOOL boolVal;
    HRESULT scode;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    int32_t* plVal;
    int16_t* piVal;
    uint8_t* pbVal;
    VARIANT_BOOL* pboolVal;
    BSTR* pbstrVal;
    SAFEARRAY** pparray;
    VARIANT* pvarVal;
    void* byref;
  };
};

void VariantInit(VARIANT* v);
// Frees what the variant owns (string, array, interface reference) and
// leaves it VT_EMPTY. By-reference variants own nothing.
HRESULT VariantClear(VARIANT* v);
// Deep copy: strings and arrays are duplicated, interfaces AddRef'd.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* source);

// Arrays. Only one dimension is supported; element types VT_UI1, VT_I1,
// VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT, VT_BOOL.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, uint32_t cDims, const SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, int32_t lowerBound, uint32_t elements);
HRESULT SafeArrayDestroy(SAFEARRAY* array);  // DISP_E_ARRAYISLOCKED while locked
HRESULT SafeArrayLock(SAFEARRAY* array);
HRESULT SafeArrayUnlock(SAFEARRAY* array);
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
uint32_t SafeArrayGetDim(const SAFEARRAY* array);
uint32_t SafeArrayGetElemsize(const SAFEARRAY* array);
HRESULT SafeArrayGetLBound(const SAFEARRAY* array, uint32_t dim, int32_t* bound);
HRESULT SafeArrayGetUBound(const SAFEARRAY* array, uint32_t dim, int32_t* bound);
HRESULT SafeArrayGetVartype(const SAFEARRAY* array, VARTYPE* vt);
HRESULT SafeArrayCopy(const SAFEARRAY* source, SAFEARRAY** copy);

// Convenience: a new VT_ARRAY|VT_UI1 array holding a copy of the bytes (a
// zero-element array for size 0); nullptr when memory runs out.
SAFEARRAY* SafeArrayFromBytes(const void* data, uint32_t size);
// True when the variant holds (directly, not by reference) a non-null,
// one-dimensional VT_UI1 array.
bool VariantIsByteArray(const VARIANT* v);

}  // namespace quillon::com
