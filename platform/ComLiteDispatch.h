#pragma once
// Reading the arguments of IDispatch::Invoke and writing its result, for
// components that implement dual interfaces by hand: each dispatch id maps
// to a call of the vtable method with arguments taken from DISPPARAMS.
#include <cstdint>
#include <string_view>

#include "platform/ComLiteUnknown.h"

namespace quillon::com {

class DispatchArgs {
 public:
  // argError, when given, receives the index (in rgvarg order) of the
  // argument that failed to convert.
  DispatchArgs(DISPPARAMS* params, uint32_t* argError);

  uint32_t Count() const { return params_ ? params_->cArgs : 0; }
  // DISP_E_BADPARAMCOUNT unless exactly n positional arguments were given;
  // named arguments are not supported (DISP_E_PARAMNOTFOUND).
  HRESULT Expect(uint32_t n) const;

  // Positional argument i, counted in declaration order (0 = first).
  // Integers accept VT_I4, VT_I2, VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_INT,
  // VT_UINT, VT_BOOL and their by-reference forms.
  HRESULT Int(uint32_t i, int32_t* value) const;
  // A string argument (VT_BSTR or by reference); VT_EMPTY and VT_NULL give
  // a null BSTR. The string stays owned by the caller of Invoke.
  HRESULT Bstr(uint32_t i, BSTR* value) const;
  // The variant itself, or the one it refers to (VT_BYREF|VT_VARIANT).
  HRESULT Variant(uint32_t i, VARIANT** value) const;
  // An [out] integer: a VT_BYREF|VT_I4 (or VT_BYREF|VT_INT) argument.
  HRESULT IntOut(uint32_t i, int32_t** value) const;

 private:
  VARIANT* At(uint32_t i) const;
  HRESULT Mismatch(uint32_t i) const;

  DISPPARAMS* params_;
  uint32_t* argError_;
};

// Store a method's [out, retval] value into Invoke's result (which may be
// null: then the value is dropped, strings freed).
void SetDispatchResult(VARIANT* result, int32_t value);
void SetDispatchResultBstr(VARIANT* result, BSTR value);  // takes ownership
// Moves the variant into the result (or clears it when there is none).
void SetDispatchResultVariant(VARIANT* result, VARIANT* value);

// GetIDsOfNames for a table of member names whose dispatch ids are 1, 2, ...
// in table order; names are compared without regard to case. Extra names
// (parameter names) are answered DISPID_UNKNOWN with DISP_E_UNKNOWNNAME.
HRESULT LookupDispatchNames(const char* const* table, uint32_t tableSize, OLECHAR** names, uint32_t count,
                            DISPID* ids);

}  // namespace quillon::com
