#pragma once
// Helpers for implementing components: a per-module count of live objects
// and server locks (what DllCanUnloadNow reports), an atomic reference
// count, and a class factory that makes objects of one class.
#include <atomic>
#include <cstdint>
#include <exception>
#include <new>

#include "platform/ComLiteUnknown.h"

namespace quillon::com {

// Each server module owns one counter (defined in one of its own source
// files, so every shared library has its own).
class ComModuleCounter {
 public:
  void Lock() { count_.fetch_add(1, std::memory_order_relaxed); }
  void Unlock() { count_.fetch_sub(1, std::memory_order_relaxed); }
  long Count() const { return count_.load(std::memory_order_relaxed); }
  bool CanUnload() const { return Count() == 0; }

 private:
  std::atomic<long> count_{0};
};

// Reference count of one object; the object counts towards its module while
// it lives.
class ComRefCount {
 public:
  explicit ComRefCount(ComModuleCounter& module) : module_(module) { module_.Lock(); }
  ComRefCount(const ComRefCount&) = delete;
  ComRefCount& operator=(const ComRefCount&) = delete;
  ~ComRefCount() { module_.Unlock(); }
  uint32_t Increment() { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  uint32_t Decrement() { return refs_.fetch_sub(1, std::memory_order_acq_rel) - 1; }

 private:
  ComModuleCounter& module_;
  std::atomic<uint32_t> refs_{0};
};

// Class factory for T, where T is default-constructible from a module
// counter reference (T(ComModuleCounter&)) and implements IUnknown.
template <class T>
class ComClassFactory final : public IClassFactory {
 public:
  explicit ComClassFactory(ComModuleCounter& module) : module_(module), refs_(module) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
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
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    try {
      T* made = new T(module_);
      made->AddRef();
      const HRESULT hr = made->QueryInterface(riid, object);
      made->Release();
      return hr;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_UNEXPECTED;
    }
  }
  HRESULT LockServer(int lock) override {
    if (lock)
      module_.Lock();
    else
      module_.Unlock();
    return S_OK;
  }

 private:
  ComModuleCounter& module_;
  ComRefCount refs_;
};

}  // namespace quillon::com
