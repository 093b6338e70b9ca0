#pragma once
// File and folder operations on UTF-16 paths (class FileTools). Questions
// answer S_OK for yes and S_FALSE for no. Dispatch ids are 1..17 in
// declaration order.
#include <cstdint>

#include "platform/ComLiteUnknown.h"

namespace quillon::filetools {

struct IFileTools : com::IDispatch {
  virtual com::HRESULT FileExists(com::BSTR Path) = 0;                                          // 1
  virtual com::HRESULT FileSize(com::BSTR Path, int32_t* pSize) = 0;                            // 2
  virtual com::HRESULT FileIsReadOnly(com::BSTR Path) = 0;                                      // 3
  virtual com::HRESULT SetFileIsReadOnly(com::BSTR Path, int32_t ReadOnly) = 0;                 // 4
  virtual com::HRESULT RenameFile(com::BSTR OldPath, com::BSTR NewPath) = 0;                    // 5
  virtual com::HRESULT CompareFiles(com::BSTR PathOne, com::BSTR PathTwo, int32_t* pCompareResult) = 0;  // 6
  virtual com::HRESULT RemoveFile(com::BSTR Path) = 0;                                          // 7
  virtual com::HRESULT FolderExists(com::BSTR Path) = 0;                                        // 8
  virtual com::HRESULT RenameFolder(com::BSTR OldPath, com::BSTR NewPath) = 0;                  // 9
  virtual com::HRESULT CopyFolder(com::BSTR Path, com::BSTR DestPath, int32_t ExistingDestOK) = 0;  // 10
  virtual com::HRESULT MoveFolder(com::BSTR OldPath, com::BSTR NewPath) = 0;                    // 11
  virtual com::HRESULT EmptyFolder(com::BSTR Path, int32_t Recursive) = 0;                      // 12
  virtual com::HRESULT RemoveFolder(com::BSTR Path) = 0;                                        // 13
  virtual com::HRESULT ForcePath(com::BSTR Path) = 0;                                           // 14
  virtual com::HRESULT IsSystemFolder(com::BSTR Path) = 0;                                      // 15
  virtual com::HRESULT GetWindowsTempPath(com::BSTR* pPath) = 0;                                // 16
  virtual com::HRESULT GetWindowsDocumentsPath(com::BSTR* pPath) = 0;                           // 17

 protected:
  ~IFileTools() = default;
};

}  // namespace quillon::filetools
