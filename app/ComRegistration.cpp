#include "app/ComRegistration.h"

#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>

#include "app/CRegistry.h"
#include "platform/ComLiteServer.h"

namespace quillon {
namespace {

using namespace com;

constexpr RegistryRoot kMachine = RegistryRoot::Machine;
constexpr const char* kProxyStubDispatch = "{00020424-0000-0000-C000-000000000046}";

std::atomic<bool> g_fallback{true};

#ifdef QUILLON_COMPONENT_DIR_FROM_BIN
constexpr const char* kComponentDirFromProgram = QUILLON_COMPONENT_DIR_FROM_BIN;
#else
constexpr const char* kComponentDirFromProgram = "../lib/quillon";
#endif

std::string Key(std::initializer_list<std::string_view> parts) {
  std::string key = ComRegistration::ClassesRoot();
  for (std::string_view part : parts) {
    key += '\\';
    key += part;
  }
  return key;
}

std::string ClsidKey(const CLSID& clsid) { return Key({"CLSID", GuidToString(clsid)}); }

bool Set(const std::string& key, const std::string& name, const std::string& value) {
  return CRegistry::SetString(kMachine, key, name, value);
}

std::string DirName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ProgramPath() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<size_t>(n));
}

// Libraries stay loaded for the life of the process: objects made by them
// may be alive anywhere.
struct LoadedLibraries {
  std::mutex mutex;
  std::map<std::string, void*> handles;
};

LoadedLibraries& Libraries() {
  static LoadedLibraries libraries;
  return libraries;
}

void* LoadLibrary(const std::string& path, std::string* errorText) {
  auto& libs = Libraries();
  std::lock_guard lock(libs.mutex);
  auto found = libs.handles.find(path);
  if (found != libs.handles.end()) return found->second;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    if (errorText) {
      const char* message = dlerror();
      *errorText = message ? message : "cannot load " + path;
    }
    return nullptr;
  }
  libs.handles.emplace(path, handle);
  return handle;
}

HRESULT ClassObjectFromLibrary(const std::string& path, const CLSID& clsid, const IID& iid, void** object) {
  void* handle = LoadLibrary(path, nullptr);
  if (!handle) return CO_E_DLLNOTFOUND;
  auto entry = reinterpret_cast<DllGetClassObjectFn>(dlsym(handle, kDllGetClassObject));
  if (!entry) return CO_E_ERRORINDLL;
  return entry(clsid, iid, object);
}

std::vector<std::string> LibrariesIn(const std::string& folder) {
  std::vector<std::string> found;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return found;
  while (dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name.rfind("libVelmor", 0) == 0 && name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0)
      found.push_back(folder + "/" + name);
  }
  closedir(dir);
  std::sort(found.begin(), found.end());
  return found;
}

HRESULT ClassObjectFromFallback(const CLSID& clsid, const IID& iid, void** object) {
  for (const std::string& folder : ComRegistration::FallbackFolders()) {
    for (const std::string& library : LibrariesIn(folder)) {
      const HRESULT hr = ClassObjectFromLibrary(library, clsid, iid, object);
      if (SUCCEEDED(hr)) return hr;
    }
  }
  return REGDB_E_CLASSNOTREG;
}

}  // namespace

const std::string& ComRegistration::ClassesRoot() {
  static const std::string root = "Software\\Classes";
  return root;
}

HRESULT ComRegistration::RegisterClass(const ComClassInfo& info, const std::string& libraryPath) {
  const std::string clsid = GuidToString(info.clsid);
  const std::string key = ClsidKey(info.clsid);
  bool ok = Set(key, "", info.description) && Set(key + "\\InprocServer32", "", libraryPath) &&
            Set(key + "\\InprocServer32", "ThreadingModel", info.threadingModel) &&
            CRegistry::CreateKey(kMachine, key + "\\Programmable");
  if (ok && !info.progId.empty()) {
    ok = Set(key + "\\ProgID", "", info.progId) && Set(Key({info.progId}), "", info.description) &&
         Set(Key({info.progId, "CLSID"}), "", clsid);
  }
  if (ok && !info.versionIndependentProgId.empty()) {
    ok = Set(key + "\\VersionIndependentProgID", "", info.versionIndependentProgId) &&
         Set(Key({info.versionIndependentProgId}), "", info.description) &&
         Set(Key({info.versionIndependentProgId, "CLSID"}), "", clsid) &&
         (info.progId.empty() || Set(Key({info.versionIndependentProgId, "CurVer"}), "", info.progId));
  }
  if (ok && info.typeLib != GUID{}) ok = Set(key + "\\TypeLib", "", GuidToString(info.typeLib));
  return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT ComRegistration::UnregisterClass(const ComClassInfo& info) {
  const std::string clsid = GuidToString(info.clsid);
  for (const std::string& progId : {info.progId, info.versionIndependentProgId}) {
    if (progId.empty()) continue;
    const auto points = CRegistry::GetString(kMachine, Key({progId, "CLSID"}), "");
    if (points && GuidFromString(*points) == info.clsid) CRegistry::DeleteKey(kMachine, Key({progId}));
  }
  CRegistry::DeleteKey(kMachine, ClsidKey(info.clsid));
  return CRegistry::KeyExists(kMachine, ClsidKey(info.clsid)) ? SELFREG_E_CLASS : S_OK;
}

HRESULT ComRegistration::RegisterTypeLib(const ComTypeLibInfo& info, const std::string& libraryPath) {
  const std::string key = Key({"TypeLib", GuidToString(info.libid), info.version});
  const bool ok = Set(key, "", info.helpString) && Set(key + "\\0\\win32", "", libraryPath) &&
                  Set(key + "\\FLAGS", "", "0") && Set(key + "\\HELPDIR", "", DirName(libraryPath));
  return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT ComRegistration::UnregisterTypeLib(const ComTypeLibInfo& info) {
  const std::string libKey = Key({"TypeLib", GuidToString(info.libid)});
  CRegistry::DeleteKey(kMachine, libKey + "\\" + info.version);
  if (CRegistry::KeyExists(kMachine, libKey) && CRegistry::SubKeys(kMachine, libKey).empty())
    CRegistry::DeleteKey(kMachine, libKey);
  return S_OK;
}

HRESULT ComRegistration::RegisterInterface(const ComInterfaceInfo& info) {
  const std::string key = Key({"Interface", GuidToString(info.iid)});
  const bool ok = Set(key, "", info.name) && Set(key + "\\ProxyStubClsid32", "", kProxyStubDispatch) &&
                  Set(key + "\\TypeLib", "", GuidToString(info.typeLib)) &&
                  Set(key + "\\TypeLib", "Version", info.typeLibVersion);
  return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT ComRegistration::UnregisterInterface(const ComInterfaceInfo& info) {
  CRegistry::DeleteKey(kMachine, Key({"Interface", GuidToString(info.iid)}));
  return S_OK;
}

std::optional<std::string> ComRegistration::RegisteredLibrary(const CLSID& clsid) {
  auto path = CRegistry::GetString(kMachine, ClsidKey(clsid) + "\\InprocServer32", "");
  if (path && path->empty()) return std::nullopt;
  return path;
}

HRESULT ComRegistration::CLSIDFromProgID(std::string_view progId, CLSID* clsid) {
  if (!clsid) return E_INVALIDARG;
  if (progId.empty()) return CO_E_CLASSSTRING;
  const auto text = CRegistry::GetString(kMachine, Key({progId, "CLSID"}), "");
  const auto parsed = text ? GuidFromString(*text) : std::nullopt;
  if (!parsed) return CO_E_CLASSSTRING;
  *clsid = *parsed;
  return S_OK;
}

HRESULT ComRegistration::CoGetClassObject(const CLSID& clsid, uint32_t context, const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  if (const auto library = RegisteredLibrary(clsid)) return ClassObjectFromLibrary(*library, clsid, iid, object);
  if (!SearchFallback()) return REGDB_E_CLASSNOTREG;
  return ClassObjectFromFallback(clsid, iid, object);
}

HRESULT ComRegistration::CoCreateInstance(const CLSID& clsid, IUnknown* outer, uint32_t context, const IID& iid,
                                          void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(clsid, context, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  if (!factory) return E_UNEXPECTED;
  hr = factory->CreateInstance(outer, iid, object);
  factory->Release();
  return hr;
}

HRESULT ComRegistration::CoInitialize() { return S_OK; }

void ComRegistration::CoUninitialize() {}

HRESULT ComRegistration::RegisterServerLibrary(const std::string& libraryPath, bool unregister,
                                               std::string* errorText) {
  std::string path = libraryPath;
  if (!path.empty() && path.front() != '/') {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved) {
      path = resolved;
      std::free(resolved);
    }
  }
  void* handle = LoadLibrary(path, errorText);
  if (!handle) return CO_E_DLLNOTFOUND;
  const char* name = unregister ? kDllUnregisterServer : kDllRegisterServer;
  auto entry = reinterpret_cast<DllRegisterServerFn>(dlsym(handle, name));
  if (!entry) {
    if (errorText) *errorText = std::string(name) + " not found in " + path;
    return CO_E_ERRORINDLL;
  }
  return entry();
}

std::string ComRegistration::ModulePathOf(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info) || !info.dli_fname || !*info.dli_fname) return {};
  std::string path = info.dli_fname;
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved) {
    path = resolved;
    std::free(resolved);
  }
  return path;
}

std::vector<std::string> ComRegistration::FallbackFolders() {
  std::vector<std::string> folders;
  if (const char* env = std::getenv("QUILLON_COMPONENT_PATH")) {
    std::string list = env;
    size_t start = 0;
    while (start <= list.size()) {
      const size_t colon = list.find(':', start);
      const std::string part = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
      if (!part.empty()) folders.push_back(part);
      if (colon == std::string::npos) break;
      start = colon + 1;
    }
  }
  const std::string program = ProgramPath();
  if (!program.empty()) {
    std::string base = DirName(program);
    folders.push_back(base);
    // An installed program finds the servers where the install put them,
    // wherever the whole tree was unpacked.
    folders.push_back(base + "/" + kComponentDirFromProgram);
    for (int up = 0; up < 3; ++up) {
      for (const char* sub : {"filetools", "pkgreader", "lib/quillon"}) folders.push_back(base + "/" + sub);
      if (base == "/") break;
      base = DirName(base);
    }
  }
  return folders;
}

void ComRegistration::SetSearchFallback(bool enabled) { g_fallback = enabled; }

bool ComRegistration::SearchFallback() { return g_fallback; }

}  // namespace quillon
