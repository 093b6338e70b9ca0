// The exported entry points of the VelmorFileTools server library: class
// factories, the unload check and self-registration of the three classes,
// their interfaces and the type library into the machine store.
#include <vector>

#include "app/ComRegistration.h"
#include "filetools/FileToolsClassObjects.h"
#include "filetools/VelmorFileToolsIds.h"
#include "platform/ComLiteServer.h"

using quillon::ComClassInfo;
using quillon::ComInterfaceInfo;
using quillon::ComRegistration;
using quillon::ComTypeLibInfo;
using namespace quillon::com;
using namespace quillon::filetools;

namespace {

std::vector<ComClassInfo> Classes() {
  return {
      {CLSID_FileTools, "VelmorFileTools.FileTools.1", "VelmorFileTools.FileTools", "FileTools Class", "Apartment",
       LIBID_VELMORFILETOOLSLib},
      {CLSID_LzssTools, "VelmorFileTools.LzssTools.1", "VelmorFileTools.LzssTools", "LzssTools Class", "Apartment",
       LIBID_VELMORFILETOOLSLib},
      {CLSID_VelmorArchive, "VelmorFileTools.VelmorArchive.1", "VelmorFileTools.VelmorArchive",
       "VelmorArchive Class", "Apartment", LIBID_VELMORFILETOOLSLib},
  };
}

std::vector<ComInterfaceInfo> Interfaces() {
  return {
      {IID_IFileTools, "IFileTools", LIBID_VELMORFILETOOLSLib, kTypeLibVersion},
      {IID_ILzssTools, "ILzssTools", LIBID_VELMORFILETOOLSLib, kTypeLibVersion},
      {IID_IVelmorArchive, "IVelmorArchive", LIBID_VELMORFILETOOLSLib, kTypeLibVersion},
  };
}

ComTypeLibInfo TypeLib() { return {LIBID_VELMORFILETOOLSLib, kTypeLibVersion, kTypeLibHelpString}; }

}  // namespace

QUILLON_COM_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& riid, void** object) {
  try {
    return FileToolsGetClassObject(clsid, riid, object);
  } catch (...) {
    return E_UNEXPECTED;
  }
}

QUILLON_COM_EXPORT HRESULT DllCanUnloadNow() { return FileToolsCanUnloadNow(); }

QUILLON_COM_EXPORT HRESULT DllRegisterServer() {
  try {
    const std::string library = ComRegistration::ModulePathOf(reinterpret_cast<const void*>(&DllRegisterServer));
    if (library.empty()) return SELFREG_E_CLASS;
    HRESULT hr = ComRegistration::RegisterTypeLib(TypeLib(), library);
    for (const auto& info : Interfaces())
      if (SUCCEEDED(hr)) hr = ComRegistration::RegisterInterface(info);
    for (const auto& info : Classes())
      if (SUCCEEDED(hr)) hr = ComRegistration::RegisterClass(info, library);
    return hr;
  } catch (...) {
    return SELFREG_E_CLASS;
  }
}

QUILLON_COM_EXPORT HRESULT DllUnregisterServer() {
  try {
    HRESULT hr = S_OK;
    for (const auto& info : Classes())
      if (FAILED(ComRegistration::UnregisterClass(info))) hr = SELFREG_E_CLASS;
    for (const auto& info : Interfaces()) ComRegistration::UnregisterInterface(info);
    ComRegistration::UnregisterTypeLib(TypeLib());
    return hr;
  } catch (...) {
    return SELFREG_E_CLASS;
  }
}
