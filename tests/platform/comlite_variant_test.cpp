// VARIANT and SAFEARRAY subset, reference counting, class factories and
// reading Invoke arguments.
#include <gtest/gtest.h>

#include "platform/ComLiteDispatch.h"
#include "platform/ComLiteObject.h"
#include "platform/ComLitePtr.h"
#include "platform/ComLiteVariant.h"

namespace quillon::com {
namespace {

TEST(ComLiteSafeArray, OneDimensionalByteArrays) {
  SAFEARRAY* a = SafeArrayCreateVector(VT_UI1, 0, 4);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(SafeArrayGetDim(a), 1u);
  EXPECT_EQ(SafeArrayGetElemsize(a), 1u);
  int32_t lower = -1, upper = -1;
  EXPECT_EQ(SafeArrayGetLBound(a, 1, &lower), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(a, 1, &upper), S_OK);
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 3);
  EXPECT_EQ(SafeArrayGetUBound(a, 2, &upper), DISP_E_BADINDEX);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(a, &data), S_OK);
  static_cast<uint8_t*>(data)[3] = 7;
  EXPECT_EQ(SafeArrayDestroy(a), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(SafeArrayUnaccessData(a), S_OK);
  EXPECT_EQ(SafeArrayUnlock(a), E_UNEXPECTED);
  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(a, &copy), S_OK);
  EXPECT_EQ(static_cast<uint8_t*>(copy->pvData)[3], 7);
  EXPECT_EQ(SafeArrayDestroy(a), S_OK);
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
  SAFEARRAYBOUND two[2] = {{1, 0}, {1, 0}};
  EXPECT_EQ(SafeArrayCreate(VT_UI1, 2, two), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_BSTR, 0, 1), nullptr);
  SAFEARRAY* empty = SafeArrayCreateVector(VT_UI1, 0, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SafeArrayGetUBound(empty, 1, &upper), S_OK);
  EXPECT_EQ(upper, -1);
  SafeArrayDestroy(empty);
}

TEST(ComLiteVariant, ClearAndCopyOwnWhatTheyHold) {
  VARIANT a;
  VariantInit(&a);
  a.vt = VT_BSTR;
  a.bstrVal = BstrFromUtf8("text");
  VARIANT b;
  VariantInit(&b);
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_NE(b.bstrVal, a.bstrVal);
  EXPECT_EQ(Utf8FromBstr(b.bstrVal), "text");
  VariantClear(&a);
  EXPECT_EQ(a.vt, VT_EMPTY);
  a.vt = VT_ARRAY | VT_UI1;
  a.parray = SafeArrayFromBytes("xyz", 3);
  EXPECT_TRUE(VariantIsByteArray(&a));
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);  // frees the old string first
  EXPECT_TRUE(VariantIsByteArray(&b));
  EXPECT_NE(b.parray, a.parray);
  VARIANT ref;
  VariantInit(&ref);
  ref.vt = VT_VARIANT | VT_BYREF;
  ref.pvarVal = &a;
  EXPECT_FALSE(VariantIsByteArray(&ref));
  VariantClear(&ref);  // owns nothing
  EXPECT_TRUE(VariantIsByteArray(&a));
  VariantClear(&a);
  VariantClear(&b);
}

// A minimal object for the reference count and factory helpers.
struct Counted final : IUnknown {
  explicit Counted(ComModuleCounter& m) : refs(m) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    *object = this;
    AddRef();
    return S_OK;
  }
  uint32_t AddRef() override { return refs.Increment(); }
  uint32_t Release() override {
    const uint32_t left = refs.Decrement();
    if (left == 0) delete this;
    return left;
  }
  ComRefCount refs;
};

TEST(ComLiteObjects, FactoriesAndModuleCount) {
  ComModuleCounter module;
  ComPtr<IClassFactory> factory;
  factory.Attach(new ComClassFactory<Counted>(module));
  factory->AddRef();  // the Attach adopted a zero-count object
  EXPECT_EQ(module.Count(), 1);
  ComPtr<IUnknown> object;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.OutVoid()), S_OK);
  EXPECT_EQ(module.Count(), 2);
  ComPtr<IUnknown> other;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, other.OutVoid()), E_NOINTERFACE);
  EXPECT_EQ(factory->CreateInstance(object.Get(), IID_IUnknown, other.OutVoid()), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(module.Count(), 2);
  factory->LockServer(1);
  factory.Reset();
  object.Reset();
  EXPECT_FALSE(module.CanUnload());
  // Unlock through a fresh factory.
  auto* again = new ComClassFactory<Counted>(module);
  again->AddRef();
  again->LockServer(0);
  again->Release();
  EXPECT_TRUE(module.CanUnload());
}

TEST(ComLiteDispatch, ArgumentsInDeclarationOrderAndConversions) {
  int32_t out = 0;
  VARIANT args[4];
  for (auto& v : args) VariantInit(&v);
  // Declared (BSTR, int, int*, VARIANT*): stored in reverse.
  VARIANT target;
  VariantInit(&target);
  args[3].vt = VT_BSTR;
  args[3].bstrVal = BstrFromUtf8("name");
  args[2].vt = VT_I2;
  args[2].iVal = -7;
  args[1].vt = VT_I4 | VT_BYREF;
  args[1].plVal = &out;
  args[0].vt = VT_VARIANT | VT_BYREF;
  args[0].pvarVal = &target;
  DISPPARAMS params{args, nullptr, 4, 0};
  uint32_t argError = 99;
  DispatchArgs d(&params, &argError);
  EXPECT_EQ(d.Expect(4), S_OK);
  EXPECT_EQ(d.Expect(3), DISP_E_BADPARAMCOUNT);
  BSTR s = nullptr;
  EXPECT_EQ(d.Bstr(0, &s), S_OK);
  EXPECT_EQ(Utf8FromBstr(s), "name");
  int32_t n = 0;
  EXPECT_EQ(d.Int(1, &n), S_OK);
  EXPECT_EQ(n, -7);
  int32_t* p = nullptr;
  EXPECT_EQ(d.IntOut(2, &p), S_OK);
  EXPECT_EQ(p, &out);
  VARIANT* v = nullptr;
  EXPECT_EQ(d.Variant(3, &v), S_OK);
  EXPECT_EQ(v, &target);
  EXPECT_EQ(d.Int(0, &n), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argError, 3u);  // rgvarg index of the first argument
  EXPECT_EQ(d.Int(7, &n), DISP_E_BADPARAMCOUNT);
  VariantClear(&args[3]);

  VARIANT result;
  SetDispatchResult(&result, 42);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 42);
  SetDispatchResultBstr(nullptr, BstrFromUtf8("dropped"));  // freed, not leaked

  const char* const table[] = {"Open", "Close"};
  const std::u16string close = u"CLOSE";
  OLECHAR* names[] = {const_cast<OLECHAR*>(close.c_str())};
  DISPID id = 0;
  EXPECT_EQ(LookupDispatchNames(table, 2, names, 1, &id), S_OK);
  EXPECT_EQ(id, 2);
}

}  // namespace
}  // namespace quillon::com
