#pragma once
// Registration of in-process component servers in the machine store of the
// registry stand-in, and creation of components by class identifier.
//
// Keys written (machine store, below "Software\Classes"):
//   CLSID\{clsid}                      @ = description
//   CLSID\{clsid}\InprocServer32       @ = library path, ThreadingModel
//   CLSID\{clsid}\ProgID               @ = versioned ProgID
//   CLSID\{clsid}\VersionIndependentProgID  @ = ProgID without version
//   CLSID\{clsid}\Programmable         (empty key)
//   CLSID\{clsid}\TypeLib              @ = {libid}
//   <ProgID>                           @ = description; CLSID\@ = {clsid}
//   <version-independent ProgID>       @ = description; CLSID\@, CurVer\@
//   TypeLib\{libid}\<version>          @ = help string; 0\win32\@ = library
//                                      path; FLAGS\@ = "0"; HELPDIR\@
//   Interface\{iid}                    @ = name; ProxyStubClsid32\@;
//                                      TypeLib\@ = {libid}, Version
//
// Creation by class identifier looks up InprocServer32, loads the library
// with dlopen (libraries stay loaded for the life of the process), and asks
// its DllGetClassObject for the class factory. When the class is not
// registered at all, the search fallback (on by default; see
// FallbackFolders) tries the server libraries beside the running program and
// in the build tree, so a fresh build works before anything is registered.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ComLiteTypes.h"
#include "platform/ComLiteUnknown.h"

namespace quillon {

// One creatable class of a server.
struct ComClassInfo {
  com::CLSID clsid;
  std::string progId;                    // "Server.Class.1"
  std::string versionIndependentProgId;  // "Server.Class"
  std::string description;               // "Class Class"
  std::string threadingModel = "Apartment";
  com::GUID typeLib{};  // all zero: no type library entry
};

// A type library entry.
struct ComTypeLibInfo {
  com::GUID libid;
  std::string version;     // "1.0"
  std::string helpString;  // "Server 1.0 Type Library"
};

// An interface entry (dual interfaces marshalled through their type library).
struct ComInterfaceInfo {
  com::IID iid;
  std::string name;
  com::GUID typeLib;
  std::string typeLibVersion;  // "1.0"
};

class ComRegistration {
 public:
  // The key below which every registration lives: "Software\Classes".
  static const std::string& ClassesRoot();

  static com::HRESULT RegisterClass(const ComClassInfo& info, const std::string& libraryPath);
  // Removes the CLSID key and the ProgID keys that point at this class.
  static com::HRESULT UnregisterClass(const ComClassInfo& info);
  static com::HRESULT RegisterTypeLib(const ComTypeLibInfo& info, const std::string& libraryPath);
  static com::HRESULT UnregisterTypeLib(const ComTypeLibInfo& info);
  static com::HRESULT RegisterInterface(const ComInterfaceInfo& info);
  static com::HRESULT UnregisterInterface(const ComInterfaceInfo& info);

  // The library registered for a class (InprocServer32), if any.
  static std::optional<std::string> RegisteredLibrary(const com::CLSID& clsid);
  // Resolves a versioned or version-independent ProgID (CO_E_CLASSSTRING
  // when unknown).
  static com::HRESULT CLSIDFromProgID(std::string_view progId, com::CLSID* clsid);

  // Class factory (or another interface of it) of a class. Only in-process
  // servers exist: any context that includes CLSCTX_INPROC_SERVER is accepted.
  static com::HRESULT CoGetClassObject(const com::CLSID& clsid, uint32_t context, const com::IID& iid,
                                       void** object);
  // Creates one object of the class and returns the interface iid.
  // REGDB_E_CLASSNOTREG when neither the registry nor the fallback knows the
  // class; CO_E_DLLNOTFOUND when the registered library does not load;
  // CO_E_ERRORINDLL when it lacks DllGetClassObject.
  static com::HRESULT CoCreateInstance(const com::CLSID& clsid, com::IUnknown* outer, uint32_t context,
                                       const com::IID& iid, void** object);

  // Component-layer start and end per thread: nothing to set up here; kept
  // so callers pair them as on other platforms. CoInitialize answers S_OK.
  static com::HRESULT CoInitialize();
  static void CoUninitialize();

  // Loads the library and calls its DllRegisterServer (or
  // DllUnregisterServer when unregister is true). CO_E_DLLNOTFOUND when it
  // does not load, CO_E_ERRORINDLL when the entry point is missing.
  // errorText, when given, receives the loader's message on failure.
  static com::HRESULT RegisterServerLibrary(const std::string& libraryPath, bool unregister,
                                            std::string* errorText = nullptr);

  // The absolute path of the loaded file (program or shared library) that
  // contains the given address; empty when unknown. A server uses it with
  // the address of one of its own functions to register its own path.
  static std::string ModulePathOf(const void* address);

  // Search fallback for classes that are not registered: libraries named
  // "libVelmor*.so" in these folders (first hit wins): $QUILLON_COMPONENT_PATH
  // (colon-separated), the program's folder, the installed component folder
  // relative to the program's folder (QUILLON_COMPONENT_DIR_FROM_BIN, set by
  // the build from the install layout, "../lib/quillon" by default), then
  // "filetools", "pkgreader", "lib/quillon" below the program's folder and
  // below its parent and grandparent folders (the build tree layout).
  static std::vector<std::string> FallbackFolders();
  static void SetSearchFallback(bool enabled);
  static bool SearchFallback();
};

}  // namespace quillon
