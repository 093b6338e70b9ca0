#pragma once
// The package reader control: answers requests for files inside driver
// packages through the dispatch interface _DVelmorPackageReader. A big
// package is either an archive, read through the file-tools server's
// FileTools and VelmorArchive objects, or a resource package, read with
// CResMgr/CResFile. No package stays open between calls; temporary and
// extracted package files are always removed.
#include <cstdint>
#include <string>

#include "filetools/IFileTools.h"
#include "filetools/IVelmorArchive.h"
#include "platform/ComLiteDispatchObject.h"
#include "platform/ComLitePtr.h"
#include "platform/ComLiteUnknown.h"

namespace quillon::pkgreader {

class CVelmorPackageReaderCtrl final : public com::ComDispatchObject<com::IDispatch> {
 public:
  explicit CVelmorPackageReaderCtrl(com::ComModuleCounter& module);
  ~CVelmorPackageReaderCtrl();
  CVelmorPackageReaderCtrl(const CVelmorPackageReaderCtrl&) = delete;
  CVelmorPackageReaderCtrl& operator=(const CVelmorPackageReaderCtrl&) = delete;

  // IUnknown and type information: ComDispatchObject. IDispatch: dispatch ids 1..10.
  com::HRESULT GetIDsOfNames(com::REFIID riid, com::OLECHAR** names, uint32_t count, com::LCID lcid,
                             com::DISPID* ids) override;
  com::HRESULT Invoke(com::DISPID id, com::REFIID riid, com::LCID lcid, uint16_t flags, com::DISPPARAMS* params,
                      com::VARIANT* result, com::EXCEPINFO* exception, uint32_t* argError) override;

  // The members behind the dispatch ids.
  com::VARIANT_BOOL GetLegacyScriptNaming() const { return m_legacyScriptNaming; }
  void SetLegacyScriptNaming(com::VARIANT_BOOL value) { m_legacyScriptNaming = value ? com::VARIANT_TRUE : com::VARIANT_FALSE; }
  long DecompressOnePackage(com::BSTR BigDriverPkg, com::BSTR PackageFilename, com::BSTR SourceDir, com::BSTR DestDir);
  long DecompressFileFromIRFile(com::BSTR BigPkgFile, com::BSTR VIRFile, com::BSTR IniFile, com::BSTR SrcDir,
                                com::BSTR DestDir);
  long DecompressIniFile(com::BSTR BigPkgFile, com::BSTR IniFile, com::BSTR SrcDir, com::BSTR DestDir);
  long GetMinorVersion(com::BSTR BigPkgFile, com::BSTR PkgName, com::BSTR SrcDir);
  long GetMajorVersion(com::BSTR BigPkgFile, com::BSTR PkgName, com::BSTR SrcDir);
  long GetPkeOrigin(com::BSTR BigPkgFile, com::BSTR PkgName, com::BSTR SrcDir);
  long DoesFileExist(com::BSTR BigPkgName, com::BSTR PkgName, com::BSTR Filename, com::BSTR SrcDir);
  long GetSizeOfFileInsidePkeFile(com::BSTR BigPkgFile, com::BSTR packageFile, com::BSTR fileInsidePackage,
                                  com::BSTR SrcDir);
  long GetFileFromPke(com::BSTR BigPkgFile, com::BSTR packageFile, com::BSTR Filename, com::BSTR SrcDir,
                      com::VARIANT* retBuf);

 private:
  enum class VersionPart { Minor, Major, Origin };

  bool HaveServers() const { return m_pFileTools && m_pArchive; }
  bool FileExists(const std::string& path);
  bool FolderReady(const std::string& dir);
  bool IsArchive(const std::string& path);
  void CloseArchive();
  void RemoveFileIfPresent(const std::string& path);
  // Opens the package PKG of the open big archive in its place: extracted to
  // TARGET, the big archive closed and the extracted file opened.
  bool OpenExtractedPackage(const std::string& pkg, const std::string& target);
  long VersionQuery(com::BSTR BigPkgFile, com::BSTR PkgName, com::BSTR SrcDir, VersionPart part);
  bool OpenArchivePackage(const std::string& bigPath, const std::string& pkg);

  com::ComPtr<filetools::IFileTools> m_pFileTools;
  com::ComPtr<filetools::IVelmorArchive> m_pArchive;
  com::VARIANT_BOOL m_legacyScriptNaming = com::VARIANT_FALSE;
};

}  // namespace quillon::pkgreader
