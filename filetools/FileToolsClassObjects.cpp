#include "filetools/FileToolsClassObjects.h"

#include <new>

#include "filetools/FileTools.h"
#include "filetools/FileToolsModule.h"
#include "filetools/LzssTools.h"
#include "filetools/VelmorArchive.h"
#include "filetools/VelmorFileToolsIds.h"

namespace quillon::filetools {

using namespace com;

namespace {

template <class T>
HRESULT FactoryFor(const IID& riid, void** object) {
  auto* factory = new (std::nothrow) ComClassFactory<T>(FileToolsModule());
  if (!factory) return E_OUTOFMEMORY;
  factory->AddRef();
  const HRESULT hr = factory->QueryInterface(riid, object);
  factory->Release();
  return hr;
}

}  // namespace

HRESULT FileToolsGetClassObject(const CLSID& clsid, const IID& riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (clsid == CLSID_FileTools) return FactoryFor<FileTools>(riid, object);
  if (clsid == CLSID_LzssTools) return FactoryFor<LzssTools>(riid, object);
  if (clsid == CLSID_VelmorArchive) return FactoryFor<VelmorArchive>(riid, object);
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT FileToolsCreateInstance(const CLSID& clsid, const IID& riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT hr = FileToolsGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(nullptr, riid, object);
  factory->Release();
  return hr;
}

HRESULT FileToolsCanUnloadNow() { return FileToolsModule().CanUnload() ? S_OK : S_FALSE; }

}  // namespace quillon::filetools
