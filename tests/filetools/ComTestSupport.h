#pragma once
// Helpers for driving the components in tests: objects made through the
// class factories, byte arrays, and Invoke with positional arguments.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "filetools/FileToolsClassObjects.h"
#include "filetools/IFileTools.h"
#include "filetools/ILzssTools.h"
#include "filetools/IVelmorArchive.h"
#include "filetools/VelmorFileToolsIds.h"
#include "platform/ComLiteBstr.h"
#include "platform/ComLitePtr.h"
#include "platform/ComLiteVariant.h"

namespace quillon::filetools {

template <class T>
com::ComPtr<T> Make(const com::CLSID& clsid, const com::IID& iid) {
  com::ComPtr<T> p;
  EXPECT_EQ(FileToolsCreateInstance(clsid, iid, p.OutVoid()), com::S_OK);
  return p;
}

inline com::ComPtr<IVelmorArchive> MakeArchive() { return Make<IVelmorArchive>(CLSID_VelmorArchive, IID_IVelmorArchive); }
inline com::ComPtr<IFileTools> MakeFileTools() { return Make<IFileTools>(CLSID_FileTools, IID_IFileTools); }
inline com::ComPtr<ILzssTools> MakeLzssTools() { return Make<ILzssTools>(CLSID_LzssTools, IID_ILzssTools); }

// A VARIANT that clears itself.
class Variant {
 public:
  Variant() { com::VariantInit(&v_); }
  explicit Variant(const std::string& bytes) : Variant() {
    v_.vt = com::VT_ARRAY | com::VT_UI1;
    v_.parray = com::SafeArrayFromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { com::VariantClear(&v_); }
  com::VARIANT* Get() { return &v_; }
  std::string Bytes() const {
    if (!com::VariantIsByteArray(&v_)) return {};
    return std::string(static_cast<const char*>(v_.parray->pvData), v_.parray->rgsabound[0].cElements);
  }

 private:
  com::VARIANT v_;
};

// Positional arguments for Invoke, given in declaration order.
class DispArgs {
 public:
  DispArgs() = default;
  DispArgs(const DispArgs&) = delete;
  DispArgs& operator=(const DispArgs&) = delete;
  ~DispArgs() {
    for (auto& v : args_) com::VariantClear(&v);
  }
  DispArgs& Str(const std::string& utf8) {
    com::VARIANT v;
    com::VariantInit(&v);
    v.vt = com::VT_BSTR;
    v.bstrVal = com::BstrFromUtf8(utf8);
    args_.push_back(v);
    return *this;
  }
  DispArgs& Int(int32_t n) {
    com::VARIANT v;
    com::VariantInit(&v);
    v.vt = com::VT_I4;
    v.lVal = n;
    args_.push_back(v);
    return *this;
  }
  DispArgs& OutInt(int32_t* n) {
    com::VARIANT v;
    com::VariantInit(&v);
    v.vt = com::VT_I4 | com::VT_BYREF;
    v.plVal = n;
    args_.push_back(v);
    return *this;
  }
  DispArgs& Ref(com::VARIANT* target) {
    com::VARIANT v;
    com::VariantInit(&v);
    v.vt = com::VT_VARIANT | com::VT_BYREF;
    v.pvarVal = target;
    args_.push_back(v);
    return *this;
  }
  // Calls id on the object; result receives the return value.
  com::HRESULT Call(com::IDispatch* object, com::DISPID id, com::VARIANT* result = nullptr) {
    std::vector<com::VARIANT> reversed(args_.rbegin(), args_.rend());
    com::DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                           static_cast<uint32_t>(reversed.size()), 0};
    uint32_t argError = 0;
    return object->Invoke(id, com::IID_NULL, 0, com::DISPATCH_METHOD, &params, result, nullptr, &argError);
  }

 private:
  std::vector<com::VARIANT> args_;
};

inline std::string Utf8(const com::ComBstr& b) { return b.Utf8(); }

}  // namespace quillon::filetools
