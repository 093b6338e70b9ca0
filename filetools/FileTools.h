#pragma once
// FileTools: file and folder operations on UTF-16 paths for the archive
// engine and the package reader. Every answer is an HRESULT; an empty path
// or a null out pointer gives E_INVALIDARG, an exception E_UNEXPECTED.
#include <string>

#include "filetools/IFileTools.h"
#include "platform/ComLiteDispatchObject.h"

namespace quillon::filetools {

class FileTools final : public com::ComDispatchObject<IFileTools> {
 public:
  explicit FileTools(com::ComModuleCounter& module);


  com::HRESULT GetIDsOfNames(const com::IID& riid, com::OLECHAR** names, uint32_t count, com::LCID lcid,
                             com::DISPID* ids) override;
  com::HRESULT Invoke(com::DISPID id, const com::IID& riid, com::LCID lcid, uint16_t flags, com::DISPPARAMS* params,
                      com::VARIANT* result, com::EXCEPINFO* exception, uint32_t* argError) override;

  com::HRESULT FileExists(com::BSTR Path) override;
  com::HRESULT FileSize(com::BSTR Path, int32_t* pSize) override;
  com::HRESULT FileIsReadOnly(com::BSTR Path) override;
  com::HRESULT SetFileIsReadOnly(com::BSTR Path, int32_t ReadOnly) override;
  com::HRESULT RenameFile(com::BSTR OldPath, com::BSTR NewPath) override;
  com::HRESULT CompareFiles(com::BSTR PathOne, com::BSTR PathTwo, int32_t* pCompareResult) override;
  com::HRESULT RemoveFile(com::BSTR Path) override;
  com::HRESULT FolderExists(com::BSTR Path) override;
  com::HRESULT RenameFolder(com::BSTR OldPath, com::BSTR NewPath) override;
  com::HRESULT CopyFolder(com::BSTR Path, com::BSTR DestPath, int32_t ExistingDestOK) override;
  com::HRESULT MoveFolder(com::BSTR OldPath, com::BSTR NewPath) override;
  com::HRESULT EmptyFolder(com::BSTR Path, int32_t Recursive) override;
  com::HRESULT RemoveFolder(com::BSTR Path) override;
  com::HRESULT ForcePath(com::BSTR Path) override;
  com::HRESULT IsSystemFolder(com::BSTR Path) override;
  com::HRESULT GetWindowsTempPath(com::BSTR* pPath) override;
  com::HRESULT GetWindowsDocumentsPath(com::BSTR* pPath) override;

  // The same operations on UTF-8 paths, for the archive engine.
  static com::HRESULT FileExistsUtf8(const std::string& path);
  static com::HRESULT FileSizeUtf8(const std::string& path, int32_t* size);
  static com::HRESULT RenameFileUtf8(const std::string& oldPath, const std::string& newPath);
  static com::HRESULT RemoveFileUtf8(const std::string& path);
  static com::HRESULT FolderExistsUtf8(const std::string& path);
  static com::HRESULT RemoveFolderUtf8(const std::string& path);

 private:
  ~FileTools() = default;
};

}  // namespace quillon::filetools
