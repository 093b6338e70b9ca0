#include "platform/ComLiteDispatch.h"

#include <cctype>

namespace quillon::com {

DispatchArgs::DispatchArgs(DISPPARAMS* params, uint32_t* argError) : params_(params), argError_(argError) {}

HRESULT DispatchArgs::Expect(uint32_t n) const {
  if (params_ && params_->cNamedArgs > 0) return DISP_E_PARAMNOTFOUND;
  if (Count() != n) return DISP_E_BADPARAMCOUNT;
  if (n > 0 && !params_->rgvarg) return E_INVALIDARG;
  return S_OK;
}

VARIANT* DispatchArgs::At(uint32_t i) const {
  if (!params_ || !params_->rgvarg || i >= params_->cArgs) return nullptr;
  return &params_->rgvarg[params_->cArgs - 1 - i];
}

HRESULT DispatchArgs::Mismatch(uint32_t i) const {
  if (argError_ && params_ && i < params_->cArgs) *argError_ = params_->cArgs - 1 - i;
  return DISP_E_TYPEMISMATCH;
}

HRESULT DispatchArgs::Int(uint32_t i, int32_t* value) const {
  VARIANT* v = At(i);
  if (!v || !value) return DISP_E_BADPARAMCOUNT;
  const bool ref = (v->vt & VT_BYREF) != 0;
  if (ref && !v->byref) return Mismatch(i);
  switch (v->vt & ~VT_BYREF) {
    case VT_I4:
    case VT_INT:
      *value = ref ? *v->plVal : v->lVal;
      return S_OK;
    case VT_UI4:
    case VT_UINT:
      *value = static_cast<int32_t>(ref ? *static_cast<uint32_t*>(v->byref) : v->ulVal);
      return S_OK;
    case VT_I2:
      *value = ref ? *v->piVal : v->iVal;
      return S_OK;
    case VT_UI2:
      *value = ref ? *static_cast<uint16_t*>(v->byref) : v->uiVal;
      return S_OK;
    case VT_I1:
      *value = ref ? *static_cast<int8_t*>(v->byref) : v->cVal;
      return S_OK;
    case VT_UI1:
      *value = ref ? *v->pbVal : v->bVal;
      return S_OK;
    case VT_BOOL:
      *value = ref ? *v->pboolVal : v->boolVal;
      return S_OK;
    default:
      return Mismatch(i);
  }
}

HRESULT DispatchArgs::Bstr(uint32_t i, BSTR* value) const {
  VARIANT* v = At(i);
  if (!v || !value) return DISP_E_BADPARAMCOUNT;
  if (v->vt == VT_BSTR) {
    *value = v->bstrVal;
    return S_OK;
  }
  if (v->vt == (VT_BSTR | VT_BYREF) && v->pbstrVal) {
    *value = *v->pbstrVal;
    return S_OK;
  }
  if (v->vt == VT_EMPTY || v->vt == VT_NULL) {
    *value = nullptr;
    return S_OK;
  }
  return Mismatch(i);
}

HRESULT DispatchArgs::Variant(uint32_t i, VARIANT** value) const {
  VARIANT* v = At(i);
  if (!v || !value) return DISP_E_BADPARAMCOUNT;
  if (v->vt == (VT_VARIANT | VT_BYREF)) {
    if (!v->pvarVal) return Mismatch(i);
    *value = v->pvarVal;
  } else {
    *value = v;
  }
  return S_OK;
}

HRESULT DispatchArgs::IntOut(uint32_t i, int32_t** value) const {
  VARIANT* v = At(i);
  if (!v || !value) return DISP_E_BADPARAMCOUNT;
  if ((v->vt == (VT_I4 | VT_BYREF) || v->vt == (VT_INT | VT_BYREF)) && v->plVal) {
    *value = v->plVal;
    return S_OK;
  }
  if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal) {
    // An untyped out variant: make it an integer and hand out its storage.
    VARIANT* target = v->pvarVal;
    VariantClear(target);
    target->vt = VT_I4;
    target->lVal = 0;
    *value = &target->lVal;
    return S_OK;
  }
  return Mismatch(i);
}

void SetDispatchResult(VARIANT* result, int32_t value) {
  if (!result) return;
  VariantInit(result);
  result->vt = VT_I4;
  result->lVal = value;
}

void SetDispatchResultBstr(VARIANT* result, BSTR value) {
  if (!result) {
    SysFreeString(value);
    return;
  }
  VariantInit(result);
  result->vt = VT_BSTR;
  result->bstrVal = value;
}

void SetDispatchResultVariant(VARIANT* result, VARIANT* value) {
  if (!value) return;
  if (!result) {
    VariantClear(value);
    return;
  }
  *result = *value;
  VariantInit(value);
}

HRESULT LookupDispatchNames(const char* const* table, uint32_t tableSize, OLECHAR** names, uint32_t count,
                            DISPID* ids) {
  if (!names || !ids) return E_INVALIDARG;
  HRESULT hr = S_OK;
  for (uint32_t n = 0; n < count; ++n) {
    ids[n] = DISPID_UNKNOWN;
    if (n > 0 || !names[n]) {
      hr = DISP_E_UNKNOWNNAME;
      continue;
    }
    const std::u16string wanted(names[n]);  // zero-terminated, not necessarily a BSTR
    for (uint32_t k = 0; k < tableSize; ++k) {
      const std::string_view candidate = table[k];
      if (candidate.size() != wanted.size()) continue;
      bool same = true;
      for (size_t c = 0; c < candidate.size() && same; ++c) {
        const char16_t w = wanted[c];
        same = w < 128 && std::tolower(static_cast<unsigned char>(w)) ==
                              std::tolower(static_cast<unsigned char>(candidate[c]));
      }
      if (same) {
        ids[n] = static_cast<DISPID>(k + 1);
        break;
      }
    }
    if (ids[n] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

}  // namespace quillon::com
