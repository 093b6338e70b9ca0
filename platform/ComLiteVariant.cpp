#include "platform/ComLiteVariant.h"

#include <cstdlib>
#include <cstring>

#include "platform/ComLiteUnknown.h"

namespace quillon::com {
namespace {

uint32_t ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_UI1:
    case VT_I1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
      return 4;
    default:
      return 0;
  }
}

}  // namespace

void VariantInit(VARIANT* v) {
  if (!v) return;
  std::memset(v, 0, sizeof *v);
  v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  if (!(v->vt & VT_BYREF)) {
    if (v->vt & VT_ARRAY) {
      if (v->parray) {
        const HRESULT hr = SafeArrayDestroy(v->parray);
        if (FAILED(hr)) return hr;
      }
    } else if (v->vt == VT_BSTR) {
      SysFreeString(v->bstrVal);
    } else if (v->vt == VT_UNKNOWN || v->vt == VT_DISPATCH) {
      if (v->punkVal) v->punkVal->Release();
    }
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* source) {
  if (!dest || !source) return E_INVALIDARG;
  if (dest == source) return S_OK;
  const HRESULT cleared = VariantClear(dest);
  if (FAILED(cleared)) return cleared;
  VARIANT copy = *source;
  if (!(source->vt & VT_BYREF)) {
    if (source->vt & VT_ARRAY) {
      if (source->parray) {
        const HRESULT hr = SafeArrayCopy(source->parray, &copy.parray);
        if (FAILED(hr)) return hr;
      }
    } else if (source->vt == VT_BSTR) {
      if (source->bstrVal) {
        copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
        if (!copy.bstrVal) return E_OUTOFMEMORY;
      }
    } else if (source->vt == VT_UNKNOWN || source->vt == VT_DISPATCH) {
      if (source->punkVal) source->punkVal->AddRef();
    }
  }
  *dest = copy;
  return S_OK;
}

SAFEARRAY* SafeArrayCreate(VARTYPE vt, uint32_t cDims, const SAFEARRAYBOUND* bounds) {
  const uint32_t size = ElementSize(vt);
  if (cDims != 1 || !bounds || size == 0) return nullptr;
  const uint64_t bytes = uint64_t{bounds->cElements} * size;
  if (bytes > 0x7FFFFFFFu) return nullptr;
  auto* array = static_cast<SAFEARRAY*>(std::calloc(1, sizeof(SAFEARRAY)));
  if (!array) return nullptr;
  array->pvData = std::calloc(bytes == 0 ? 1 : static_cast<size_t>(bytes), 1);
  if (!array->pvData) {
    std::free(array);
    return nullptr;
  }
  array->cDims = 1;
  array->cbElements = size;
  array->rgsabound[0] = *bounds;
  array->vt = vt;
  return array;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, int32_t lowerBound, uint32_t elements) {
  SAFEARRAYBOUND bound{elements, lowerBound};
  return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (!array) return S_OK;
  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  std::free(array->pvData);
  std::free(array);
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* array) {
  if (!array) return E_INVALIDARG;
  if (array->cLocks == 0xFFFFFFFFu) return E_UNEXPECTED;
  ++array->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array) {
  if (!array) return E_INVALIDARG;
  if (array->cLocks == 0) return E_UNEXPECTED;
  --array->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (!array || !data) return E_INVALIDARG;
  const HRESULT hr = SafeArrayLock(array);
  if (FAILED(hr)) return hr;
  *data = array->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) { return SafeArrayUnlock(array); }

uint32_t SafeArrayGetDim(const SAFEARRAY* array) { return array ? array->cDims : 0; }

uint32_t SafeArrayGetElemsize(const SAFEARRAY* array) { return array ? array->cbElements : 0; }

HRESULT SafeArrayGetLBound(const SAFEARRAY* array, uint32_t dim, int32_t* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (dim != 1 || array->cDims != 1) return DISP_E_BADINDEX;
  *bound = array->rgsabound[0].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(const SAFEARRAY* array, uint32_t dim, int32_t* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (dim != 1 || array->cDims != 1) return DISP_E_BADINDEX;
  *bound = static_cast<int32_t>(static_cast<int64_t>(array->rgsabound[0].lLbound) +
                                static_cast<int64_t>(array->rgsabound[0].cElements) - 1);
  return S_OK;
}

HRESULT SafeArrayGetVartype(const SAFEARRAY* array, VARTYPE* vt) {
  if (!array || !vt) return E_INVALIDARG;
  *vt = array->vt;
  return S_OK;
}

HRESULT SafeArrayCopy(const SAFEARRAY* source, SAFEARRAY** copy) {
  if (!source || !copy) return E_INVALIDARG;
  *copy = nullptr;
  SAFEARRAY* made = SafeArrayCreate(source->vt, source->cDims, source->rgsabound);
  if (!made) return E_OUTOFMEMORY;
  std::memcpy(made->pvData, source->pvData, size_t{source->rgsabound[0].cElements} * source->cbElements);
  *copy = made;
  return S_OK;
}

SAFEARRAY* SafeArrayFromBytes(const void* data, uint32_t size) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, size);
  if (array && size > 0 && data) std::memcpy(array->pvData, data, size);
  return array;
}

bool VariantIsByteArray(const VARIANT* v) {
  return v && v->vt == (VT_ARRAY | VT_UI1) && v->parray && v->parray->cDims == 1 && v->parray->cbElements == 1;
}

}  // namespace quillon::com
