// The exported entry points of the VelmorPackageReader library: the class
// factory of the control, the unload check and self-registration of the
// control class, its dispatch interfaces and its type library.
#include <vector>

#include "app/ComRegistration.h"
#include "pkgreader/VelmorPackageReaderCtrl.h"
#include "pkgreader/VelmorPackageReaderIds.h"
#include "pkgreader/VelmorPackageReaderModule.h"
#include "platform/ComLiteServer.h"

using quillon::ComClassInfo;
using quillon::ComInterfaceInfo;
using quillon::ComRegistration;
using quillon::ComTypeLibInfo;
using namespace quillon::com;
using namespace quillon::pkgreader;

namespace {

ComClassInfo ControlClass() {
  return {CLSID_VelmorPackageReaderCtrl, kControlProgId, kControlVersionIndependentProgId, kControlDescription,
          "Apartment", LIBID_VELMORPACKAGEREADERLib};
}

std::vector<ComInterfaceInfo> Interfaces() {
  return {
      {DIID__DVelmorPackageReader, "_DVelmorPackageReader", LIBID_VELMORPACKAGEREADERLib, kTypeLibVersion},
      {DIID__DVelmorPackageReaderEvents, "_DVelmorPackageReaderEvents", LIBID_VELMORPACKAGEREADERLib,
       kTypeLibVersion},
  };
}

ComTypeLibInfo TypeLib() { return {LIBID_VELMORPACKAGEREADERLib, kTypeLibVersion, kTypeLibHelpString}; }

}  // namespace

QUILLON_COM_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  try {
    if (!(clsid == CLSID_VelmorPackageReaderCtrl)) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new ComClassFactory<CVelmorPackageReaderCtrl>(PackageReaderModule());
    factory->AddRef();
    const HRESULT hr = factory->QueryInterface(riid, object);
    factory->Release();
    return hr;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

QUILLON_COM_EXPORT HRESULT DllCanUnloadNow() { return PackageReaderModule().CanUnload() ? S_OK : S_FALSE; }

QUILLON_COM_EXPORT HRESULT DllRegisterServer() {
  try {
    const std::string library = ComRegistration::ModulePathOf(reinterpret_cast<const void*>(&DllRegisterServer));
    if (library.empty()) return SELFREG_E_CLASS;
    HRESULT hr = ComRegistration::RegisterTypeLib(TypeLib(), library);
    for (const auto& info : Interfaces())
      if (SUCCEEDED(hr)) hr = ComRegistration::RegisterInterface(info);
    if (SUCCEEDED(hr)) hr = ComRegistration::RegisterClass(ControlClass(), library);
    return hr;
  } catch (...) {
    return SELFREG_E_CLASS;
  }
}

QUILLON_COM_EXPORT HRESULT DllUnregisterServer() {
  try {
    HRESULT hr = S_OK;
    if (FAILED(ComRegistration::UnregisterClass(ControlClass()))) hr = SELFREG_E_CLASS;
    for (const auto& info : Interfaces()) ComRegistration::UnregisterInterface(info);
    ComRegistration::UnregisterTypeLib(TypeLib());
    return hr;
  } catch (...) {
    return SELFREG_E_CLASS;
  }
}
