#include "pkgreader/VelmorPackageReaderCtrl.h"

#include <stdlib.h>
#include <strings.h>

#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <vector>

#include "app/ComRegistration.h"
#include "filetools/VelmorFileToolsIds.h"
#include "pkgreader/ResFile.h"
#include "pkgreader/ResMgr.h"
#include "pkgreader/VelmorPackageReaderIds.h"
#include "platform/ComLiteDispatch.h"
#include "platform/Cp1252.h"

namespace quillon::pkgreader {

using namespace com;

namespace {

constexpr const char* kMemberNames[] = {
    "LegacyScriptNaming", "DecompressOnePackage",       "DecompressFileFromIRFile", "DecompressIniFile",
    "GetMinorVersion",    "GetMajorVersion",            "GetPkeOrigin",             "DoesFileExist",
    "GetSizeOfFileInsidePkeFile", "GetFileFromPke"};

bool Empty(BSTR s) { return s == nullptr || SysStringLen(s) == 0; }
std::string Text(BSTR s) { return Empty(s) ? std::string() : Utf8FromBstr(s); }

// Folder names arrive with either separator; this system's separator is '/'.
std::string NativePath(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

// A folder joined with a name: a separator is added unless the folder ends
// in one. An empty folder leaves the name relative.
std::string Join(const std::string& folder, const std::string& name) {
  std::string dir = NativePath(folder);
  if (dir.empty()) return NativePath(name);
  if (dir.back() != '/') dir += '/';
  return dir + NativePath(name);
}

bool IsSpecialPackage(const std::string& name) {
  return strcasecmp(name.c_str(), "vir.pki") == 0 || strcasecmp(name.c_str(), "velmor.pki") == 0;
}

// Member names of resource packages are stored in the ANSI code page.
std::string Ansi(const std::string& utf8) {
  auto bytes = Utf8ToCp1252(utf8);
  return bytes ? *bytes : utf8;
}

bool HasScriptExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot != std::string::npos && strcasecmp(name.c_str() + dot, ".sc") == 0;
}

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

// The package NAME of the big resource package, or the big package itself
// for the special names (unless it holds a member of that name).
CResFile* InnerPackage(CResMgr& mgr, const std::string& name, std::unique_ptr<CResFile>& holder) {
  const std::string ansi = Ansi(name);
  if (IsSpecialPackage(name) && mgr.FindEntry(ansi.c_str()) == nullptr) return &mgr;
  holder = mgr.GetPkgResFile(ansi.c_str());
  return holder.get();
}

template <class Fn>
long ResourceGuard(Fn&& fn) {
  try {
    return fn();
  } catch (...) {
    return 0;
  }
}

}  // namespace

CVelmorPackageReaderCtrl::CVelmorPackageReaderCtrl(ComModuleCounter& module)
    : ComDispatchObject(module, DIID__DVelmorPackageReader) {
  ComRegistration::CoInitialize();
  ComRegistration::CoCreateInstance(filetools::CLSID_FileTools, nullptr, CLSCTX_INPROC_SERVER,
                                    filetools::IID_IFileTools, m_pFileTools.OutVoid());
  ComRegistration::CoCreateInstance(filetools::CLSID_VelmorArchive, nullptr, CLSCTX_INPROC_SERVER,
                                    filetools::IID_IVelmorArchive, m_pArchive.OutVoid());
}

CVelmorPackageReaderCtrl::~CVelmorPackageReaderCtrl() {
  if (m_pArchive) CloseArchive();
  m_pArchive.Reset();
  m_pFileTools.Reset();
  ComRegistration::CoUninitialize();
}

HRESULT CVelmorPackageReaderCtrl::GetIDsOfNames(REFIID, OLECHAR** names, uint32_t count, LCID, DISPID* ids) {
  return LookupDispatchNames(kMemberNames, sizeof kMemberNames / sizeof kMemberNames[0], names, count, ids);
}

HRESULT CVelmorPackageReaderCtrl::Invoke(DISPID id, REFIID, LCID, uint16_t flags, DISPPARAMS* params,
                                         VARIANT* result, EXCEPINFO*, uint32_t* argError) {
  try {
    if (id == DISPID_LegacyScriptNaming) {
      if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        // A property put carries its value as the one (named) argument.
        DISPPARAMS positional{params ? params->rgvarg : nullptr, nullptr, params ? params->cArgs : 0, 0};
        DispatchArgs args(&positional, argError);
        HRESULT hr = args.Expect(1);
        int32_t value = 0;
        if (SUCCEEDED(hr)) hr = args.Int(0, &value);
        if (FAILED(hr)) return hr;
        SetLegacyScriptNaming(value ? VARIANT_TRUE : VARIANT_FALSE);
        return S_OK;
      }
      if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
      if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
      if (result) {
        VariantClear(result);
        result->vt = VT_BOOL;
        result->boolVal = m_legacyScriptNaming;
      }
      return S_OK;
    }
    if (id < DISPID_DecompressOnePackage || id > DISPID_GetFileFromPke) return DISP_E_MEMBERNOTFOUND;
    if (!(flags & DISPATCH_METHOD) && !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    DispatchArgs args(params, argError);
    static constexpr uint32_t kArgCounts[] = {0, 0, 4, 5, 4, 3, 3, 3, 4, 4, 5};
    HRESULT hr = args.Expect(kArgCounts[id]);
    if (FAILED(hr)) return hr;
    BSTR s[5] = {};
    const uint32_t strings = id == DISPID_GetFileFromPke ? 4 : kArgCounts[id];
    for (uint32_t i = 0; i < strings; ++i) {
      hr = args.Bstr(i, &s[i]);
      if (FAILED(hr)) return hr;
    }
    long value = 0;
    switch (id) {
      case DISPID_DecompressOnePackage: value = DecompressOnePackage(s[0], s[1], s[2], s[3]); break;
      case DISPID_DecompressFileFromIRFile: value = DecompressFileFromIRFile(s[0], s[1], s[2], s[3], s[4]); break;
      case DISPID_DecompressIniFile: value = DecompressIniFile(s[0], s[1], s[2], s[3]); break;
      case DISPID_GetMinorVersion: value = GetMinorVersion(s[0], s[1], s[2]); break;
      case DISPID_GetMajorVersion: value = GetMajorVersion(s[0], s[1], s[2]); break;
      case DISPID_GetPkeOrigin: value = GetPkeOrigin(s[0], s[1], s[2]); break;
      case DISPID_DoesFileExist: value = DoesFileExist(s[0], s[1], s[2], s[3]); break;
      case DISPID_GetSizeOfFileInsidePkeFile: value = GetSizeOfFileInsidePkeFile(s[0], s[1], s[2], s[3]); break;
      case DISPID_GetFileFromPke: {
        VARIANT* buffer = nullptr;
        hr = args.Variant(4, &buffer);
        if (FAILED(hr)) return hr;
        value = GetFileFromPke(s[0], s[1], s[2], s[3], buffer);
        break;
      }
      default: return DISP_E_MEMBERNOTFOUND;
    }
    SetDispatchResult(result, static_cast<int32_t>(value));
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// --- helpers --------------------------------------------------------------

bool CVelmorPackageReaderCtrl::FileExists(const std::string& path) {
  ComBstr p(path);
  return m_pFileTools->FileExists(p.Get()) == S_OK;
}

bool CVelmorPackageReaderCtrl::FolderReady(const std::string& dir) {
  ComBstr p(NativePath(dir));
  if (m_pFileTools->FolderExists(p.Get()) == S_OK) return true;
  m_pFileTools->ForcePath(p.Get());
  return m_pFileTools->FolderExists(p.Get()) == S_OK;
}

bool CVelmorPackageReaderCtrl::IsArchive(const std::string& path) {
  ComBstr p(path);
  int32_t origin = 0, minor = 0, major = 0;
  return m_pArchive->IsValidArchive(p.Get(), &origin, &minor, &major) == S_OK;
}

void CVelmorPackageReaderCtrl::CloseArchive() {
  if (m_pArchive->IsOpen() == S_OK) m_pArchive->Abort();
}

void CVelmorPackageReaderCtrl::RemoveFileIfPresent(const std::string& path) {
  if (path.empty()) return;
  ComBstr p(path);
  if (m_pFileTools->FileExists(p.Get()) == S_OK) m_pFileTools->RemoveFile(p.Get());
}

bool CVelmorPackageReaderCtrl::OpenExtractedPackage(const std::string& pkg, const std::string& target) {
  ComBstr name(pkg);
  ComBstr path(target);
  if (m_pArchive->ExtractToFile(name.Get(), path.Get()) != S_OK) return false;
  m_pArchive->Abort();
  int32_t origin = 0, minor = 0, major = 0;
  if (m_pArchive->IsValidArchive(path.Get(), &origin, &minor, &major) != S_OK) return false;
  return m_pArchive->Open(path.Get()) == S_OK;
}

// Opens the big archive and then, unless PKG is a special name, the package
// PKG inside it as an image in memory. True when an archive is then open.
bool CVelmorPackageReaderCtrl::OpenArchivePackage(const std::string& bigPath, const std::string& pkg) {
  ComBstr big(bigPath);
  if (m_pArchive->Open(big.Get()) != S_OK) {
    CloseArchive();
    return false;
  }
  if (!IsSpecialPackage(pkg)) {
    ComBstr name(pkg);
    VARIANT buffer;
    VariantInit(&buffer);
    const HRESULT hr = m_pArchive->ExtractToBuffer(name.Get(), &buffer);
    m_pArchive->Abort();
    if (hr == S_OK) m_pArchive->OpenBuffer(&buffer);
    VariantClear(&buffer);
  }
  return m_pArchive->IsOpen() == S_OK;
}

// --- dispatch members -----------------------------------------------------

long CVelmorPackageReaderCtrl::GetSizeOfFileInsidePkeFile(BSTR BigPkgFile, BSTR packageFile,
                                                          BSTR fileInsidePackage, BSTR SrcDir) {
  if (!HaveServers() || Empty(BigPkgFile) || Empty(packageFile) || Empty(fileInsidePackage) || Empty(SrcDir)) return 0;
  const std::string bigPath = Join(Text(SrcDir), Text(BigPkgFile));
  const std::string pkg = Text(packageFile);
  const std::string file = Text(fileInsidePackage);
  if (!FileExists(bigPath)) return 0;
  if (IsArchive(bigPath)) {
    long size = 0;
    if (OpenArchivePackage(bigPath, pkg)) {
      ComBstr member(file);
      int32_t value = 0;
      if (m_pArchive->GetSize(member.Get(), &value) == S_OK && value > 0) size = value;
    }
    CloseArchive();
    return size;
  }
  return ResourceGuard([&]() -> long {
    CResMgr mgr;
    if (!mgr.LoadRes(bigPath)) return 0;
    std::unique_ptr<CResFile> holder;
    CResFile* inner = InnerPackage(mgr, pkg, holder);
    if (!inner) return 0;
    const long size = inner->GetFileSize(Ansi(file).c_str());
    return size > 0 ? size : 0;
  });
}

long CVelmorPackageReaderCtrl::GetFileFromPke(BSTR BigPkgFile, BSTR packageFile, BSTR Filename, BSTR SrcDir,
                                              VARIANT* retBuf) {
  if (!HaveServers() || Empty(BigPkgFile) || Empty(packageFile) || Empty(Filename) || Empty(SrcDir) || !retBuf)
    return 0;
  const std::string bigPath = Join(Text(SrcDir), Text(BigPkgFile));
  const std::string pkg = Text(packageFile);
  const std::string file = Text(Filename);
  if (!FileExists(bigPath)) return 0;
  if (IsArchive(bigPath)) {
    long result = 0;
    if (OpenArchivePackage(bigPath, pkg)) {
      ComBstr member(file);
      VARIANT bytes;
      VariantInit(&bytes);
      if (m_pArchive->ExtractToBuffer(member.Get(), &bytes) == S_OK && VariantIsByteArray(&bytes)) {
        VariantInit(retBuf);
        *retBuf = bytes;  // the caller now owns the array
        result = 1;
      } else {
        VariantClear(&bytes);
      }
    }
    CloseArchive();
    return result;
  }
  return ResourceGuard([&]() -> long {
    const long size = GetSizeOfFileInsidePkeFile(BigPkgFile, packageFile, Filename, SrcDir);
    if (size <= 0) return 0;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<uint32_t>(size));
    if (!array) return 0;
    bool ok = false;
    {
      CResMgr mgr;
      std::unique_ptr<CResFile> holder;
      CResFile* inner = mgr.LoadRes(bigPath) ? InnerPackage(mgr, pkg, holder) : nullptr;
      void* data = nullptr;
      if (inner && SUCCEEDED(SafeArrayAccessData(array, &data))) {
        // The copied file is delivered whatever its first byte is.
        ok = inner->GetFileBuffer(Ansi(file).c_str(), data, static_cast<size_t>(size)) == CResFile::kSuccess;
        SafeArrayUnaccessData(array);
      }
    }
    if (!ok) {
      SafeArrayDestroy(array);
      return 0;
    }
    VariantInit(retBuf);
    retBuf->vt = VT_ARRAY | VT_UI1;
    retBuf->parray = array;
    return 1;
  });
}

long CVelmorPackageReaderCtrl::DoesFileExist(BSTR BigPkgName, BSTR PkgName, BSTR Filename, BSTR SrcDir) {
  if (!HaveServers() || Empty(SrcDir)) return 0;
  // Without a package name there is nothing to look in or for.
  if (Empty(PkgName)) return 0;
  const std::string big = Text(BigPkgName);
  const std::string pkg = Text(PkgName);
  const std::string file = Text(Filename);
  const std::string path = Join(Text(SrcDir), big.empty() ? pkg : big);
  if (!FileExists(path)) return 0;
  if (IsArchive(path)) {
    ComBstr p(path);
    if (m_pArchive->Open(p.Get()) != S_OK) {
      CloseArchive();
      return 0;
    }
    std::string extractedFolder;
    std::string extracted;
    bool ok = true;
    if (!big.empty() && !file.empty() && !IsSpecialPackage(pkg)) {
      ComBstr name(pkg);
      ok = m_pArchive->IsInArchive(name.Get()) == S_OK;
      if (ok) {
        // The package is extracted into a private folder below the user's
        // documents folder, so no file of the user's is replaced or removed.
        ComBstr docs;
        ok = m_pFileTools->GetWindowsDocumentsPath(docs.Out()) == S_OK && FolderReady(docs.Utf8());
        if (ok) {
          std::string pattern = Join(docs.Utf8(), ".quillon-pkgXXXXXX");
          ok = ::mkdtemp(pattern.data()) != nullptr;
          if (ok) {
            extractedFolder = pattern;
            const std::string leaf = std::filesystem::path(NativePath(pkg)).filename().string();
            extracted = Join(extractedFolder, leaf.empty() ? "package.pkg" : leaf);
            ok = OpenExtractedPackage(pkg, extracted);
          }
        }
      }
    }
    long result = 0;
    if (ok) {
      ComBstr wanted(file.empty() ? pkg : file);
      result = m_pArchive->IsInArchive(wanted.Get()) == S_OK ? 1 : 0;
    }
    CloseArchive();
    RemoveFileIfPresent(extracted);
    if (!extractedFolder.empty()) {
      std::error_code ec;
      std::filesystem::remove(extractedFolder, ec);
    }
    return result;
  }
  return ResourceGuard([&]() -> long {
    std::unique_ptr<CResFile> holder;
    CResMgr mgr;
    CResFile* inner = nullptr;
    if (!big.empty()) {
      if (!mgr.LoadRes(path)) return -2;
      inner = InnerPackage(mgr, pkg, holder);
    } else {
      holder = std::make_unique<CResFile>();
      if (CResFile::IsValidFormat(path) && holder->Open(path)) inner = holder.get();
    }
    if (!inner) return -2;
    if (file.empty()) return 1;
    return inner->GetFileSize(Ansi(file).c_str()) >= 1 ? 1 : 0;
  });
}

long CVelmorPackageReaderCtrl::DecompressOnePackage(BSTR BigDriverPkg, BSTR PackageFilename, BSTR SourceDir,
                                                    BSTR DestDir) {
  if (!HaveServers() || Empty(PackageFilename) || Empty(DestDir)) return 0;
  const std::string big = Text(BigDriverPkg);
  const std::string pkg = Text(PackageFilename);
  const std::string dest = Text(DestDir);
  const std::string path = Join(Text(SourceDir), big.empty() ? pkg : big);
  if (!FileExists(path)) return 0;
  if (IsArchive(path)) {
    if (!FolderReady(dest)) return 0;
    ComBstr p(path);
    if (m_pArchive->Open(p.Get()) != S_OK) {
      CloseArchive();
      return 0;
    }
    long result = 1;
    std::string extracted;
    if (!big.empty() && !IsSpecialPackage(pkg)) {
      extracted = IsPlainFileName(pkg) ? Join(dest, pkg) : std::string();
      if (extracted.empty() || !OpenExtractedPackage(pkg, extracted)) result = 0;
    }
    if (result == 1) {
      int32_t count = 0;
      if (m_pArchive->GetFileCount(&count) != S_OK) result = 0;
      bool scriptRenamed = false;
      for (int32_t i = 0; result == 1 && i < count; ++i) {
        ComBstr name;
        if (m_pArchive->IndexedGetName(i, name.Out()) != S_OK) {
          result = 0;
          break;
        }
        std::string target = name.Utf8();
        if (!IsPlainFileName(target)) {
          result = 0;
          break;
        }
        if (m_legacyScriptNaming && !scriptRenamed && HasScriptExtension(target)) {
          target = "event.sc";
          scriptRenamed = true;
        }
        ComBstr to(Join(dest, target));
        if (m_pArchive->ExtractToFile(name.Get(), to.Get()) != S_OK) result = 0;
      }
    }
    CloseArchive();
    RemoveFileIfPresent(extracted);
    return result;
  }
  return ResourceGuard([&]() -> long {
    if (!FolderReady(dest)) return 0;
    const std::string native = NativePath(dest);
    if (!big.empty()) {
      CResMgr mgr;
      if (!mgr.LoadRes(path)) return -1;
      std::unique_ptr<CResFile> holder;
      CResFile* inner = InnerPackage(mgr, pkg, holder);
      if (!inner) return -1;
      return inner->DumpAllFile(native) ? 1 : 0;
    }
    CResFile file;
    if (!CResFile::IsValidFormat(path) || !file.Open(path)) return -1;
    return file.DumpAllFile(native) ? 1 : 0;
  });
}

long CVelmorPackageReaderCtrl::DecompressIniFile(BSTR BigPkgFile, BSTR IniFile, BSTR SrcDir, BSTR DestDir) {
  if (!HaveServers() || Empty(BigPkgFile) || Empty(IniFile) || Empty(DestDir)) return 0;
  const std::string path = Join(Text(SrcDir), Text(BigPkgFile));
  const std::string ini = Text(IniFile);
  const std::string dest = Text(DestDir);
  if (!FileExists(path)) return 0;
  if (!FolderReady(dest)) return 0;
  if (IsArchive(path)) {
    long result = 0;
    ComBstr p(path);
    if (m_pArchive->Open(p.Get()) == S_OK && IsPlainFileName(ini)) {
      ComBstr name(ini);
      ComBstr to(Join(dest, ini));
      result = m_pArchive->ExtractToFile(name.Get(), to.Get()) == S_OK ? 1 : 0;
    }
    CloseArchive();
    return result;
  }
  return ResourceGuard([&]() -> long {
    CResFile file;
    if (!CResFile::IsValidFormat(path) || !file.Open(path)) return -1;
    return file.DumpFile(Ansi(ini).c_str(), NativePath(dest)) ? 1 : 0;
  });
}

long CVelmorPackageReaderCtrl::DecompressFileFromIRFile(BSTR BigPkgFile, BSTR VIRFile, BSTR IniFile, BSTR SrcDir,
                                                        BSTR DestDir) {
  if (!HaveServers() || Empty(BigPkgFile) || Empty(VIRFile) || Empty(IniFile) || Empty(DestDir)) return 0;
  const std::string path = Join(Text(SrcDir), Text(BigPkgFile));
  const std::string vir = Text(VIRFile);
  const std::string ini = Text(IniFile);
  const std::string dest = Text(DestDir);
  if (!FileExists(path)) return 0;
  if (!FolderReady(dest)) return 0;
  if (IsArchive(path)) {
    long result = 0;
    std::string extracted;
    ComBstr p(path);
    bool ok = m_pArchive->Open(p.Get()) == S_OK;
    if (ok && !IsSpecialPackage(vir)) {
      ComBstr name(vir);
      if (m_pArchive->IsInArchive(name.Get()) == S_OK) {
        extracted = IsPlainFileName(vir) ? Join(dest, vir) : std::string();
        ok = !extracted.empty() && OpenExtractedPackage(vir, extracted);
      }
    }
    if (ok && IsPlainFileName(ini)) {
      ComBstr name(ini);
      if (m_pArchive->IsInArchive(name.Get()) == S_OK) {
        ComBstr to(Join(dest, ini));
        result = m_pArchive->ExtractToFile(name.Get(), to.Get()) == S_OK ? 1 : 0;
      }
    }
    CloseArchive();
    RemoveFileIfPresent(extracted);
    return result;
  }
  return ResourceGuard([&]() -> long {
    CResMgr mgr;
    if (!mgr.LoadRes(path)) return -1;
    std::unique_ptr<CResFile> holder;
    CResFile* inner = InnerPackage(mgr, vir, holder);
    if (!inner) return -1;
    // Success only when the file was really written.
    return inner->DumpFile(Ansi(ini).c_str(), NativePath(dest)) ? 1 : 0;
  });
}

long CVelmorPackageReaderCtrl::VersionQuery(BSTR BigPkgFile, BSTR PkgName, BSTR SrcDir, VersionPart part) {
  if (!HaveServers() || Empty(BigPkgFile) || Empty(PkgName)) return 0;
  const std::string path = Join(Text(SrcDir), Text(BigPkgFile));
  const std::string pkg = Text(PkgName);
  if (!FileExists(path)) return 0;
  if (IsArchive(path)) {
    long result = 0;
    ComBstr p(path);
    if (m_pArchive->Open(p.Get()) == S_OK) {
      ComBstr name(pkg);
      int32_t minor = 0, major = 0, origin = 0;
      if (part == VersionPart::Origin) {
        if (m_pArchive->GetOrigin(name.Get(), &origin) == S_OK) result = origin;
      } else if (m_pArchive->GetVersion(name.Get(), &minor, &major) == S_OK) {
        result = part == VersionPart::Minor ? minor : major;
      }
    }
    CloseArchive();
    return result;
  }
  return ResourceGuard([&]() -> long {
    CResMgr mgr;
    if (!mgr.LoadRes(path)) return -1;
    std::unique_ptr<CResFile> holder;
    CResFile* inner = InnerPackage(mgr, pkg, holder);
    if (!inner) return -1;
    switch (part) {
      case VersionPart::Minor: return inner->GetMinorVer();
      case VersionPart::Major: return inner->GetMajorVer();
      default: return inner->GetOrigin();
    }
  });
}

long CVelmorPackageReaderCtrl::GetMinorVersion(BSTR BigPkgFile, BSTR PkgName, BSTR SrcDir) {
  return VersionQuery(BigPkgFile, PkgName, SrcDir, VersionPart::Minor);
}

long CVelmorPackageReaderCtrl::GetMajorVersion(BSTR BigPkgFile, BSTR PkgName, BSTR SrcDir) {
  return VersionQuery(BigPkgFile, PkgName, SrcDir, VersionPart::Major);
}

long CVelmorPackageReaderCtrl::GetPkeOrigin(BSTR BigPkgFile, BSTR PkgName, BSTR SrcDir) {
  return VersionQuery(BigPkgFile, PkgName, SrcDir, VersionPart::Origin);
}

}  // namespace quillon::pkgreader
