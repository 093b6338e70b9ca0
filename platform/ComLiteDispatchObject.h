#pragma once
// What every dispatch component of ours shares: IUnknown over one interface
// (besides IUnknown and IDispatch), a reference count that counts towards
// its module, and no type information. A component derives from
// ComDispatchObject<ITS_INTERFACE> and adds GetIDsOfNames, Invoke and its
// methods.
#include <cstdint>

#include "platform/ComLiteObject.h"
#include "platform/ComLiteUnknown.h"

namespace quillon::com {

template <class Interface>
class ComDispatchObject : public Interface {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == iid_) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  uint32_t AddRef() override { return refs_.Increment(); }
  uint32_t Release() override {
    const uint32_t left = refs_.Decrement();
    if (left == 0) delete this;
    return left;
  }
  HRESULT GetTypeInfoCount(uint32_t* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(uint32_t, LCID, void** typeInfo) override {
    if (typeInfo) *typeInfo = nullptr;
    return E_NOTIMPL;
  }

 protected:
  // IID: the component's own interface.
  ComDispatchObject(ComModuleCounter& module, const IID& iid) : refs_(module), iid_(iid) {}
  virtual ~ComDispatchObject() = default;

 private:
  ComRefCount refs_;
  IID iid_;
};

}  // namespace quillon::com
