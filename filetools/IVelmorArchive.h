#pragma once
// Archive files and in-memory archive images (class VelmorArchive).
// Dispatch ids are 1..43 in declaration order. Predicates answer S_OK for
// true and S_FALSE for false; names of members are bare file names compared
// without regard to case. [out] VARIANTs (ExtractToBuffer, FlushToBuffer,
// CloseBuffer) are overwritten without being cleared first: pass an empty
// one and clear it after use. Through Invoke each member answers its own
// HRESULT; [out, retval] values arrive in the result VARIANT and other
// [out] integers as VT_BYREF|VT_I4 arguments.
#include <cstdint>

#include "platform/ComLiteUnknown.h"

namespace quillon::filetools {

struct IVelmorArchive : com::IDispatch {
  virtual com::HRESULT Open(com::BSTR Path) = 0;                                                      // 1
  virtual com::HRESULT Close(com::BSTR Path) = 0;                                                     // 2
  virtual com::HRESULT Abort() = 0;                                                                   // 3
  virtual com::HRESULT Flush() = 0;                                                                   // 4
  virtual com::HRESULT GetFileCount(int32_t* pFileCount) = 0;                                         // 5
  virtual com::HRESULT ArchiveIsDirty() = 0;                                                          // 6
  virtual com::HRESULT ArchiveIsEmpty() = 0;                                                          // 7
  virtual com::HRESULT ArchiveIsTemporal() = 0;                                                       // 8
  virtual com::HRESULT GetArchiveNotes(com::BSTR* pArchiveNotes) = 0;                                 // 9
  virtual com::HRESULT SetArchiveNotes(com::BSTR ArchiveNotes) = 0;                                   // 10
  virtual com::HRESULT IsInArchive(com::BSTR Filename) = 0;                                           // 11
  virtual com::HRESULT IsCompressed(com::BSTR Filename) = 0;                                          // 12
  virtual com::HRESULT GetCompressedSize(com::BSTR Filename, int32_t* pSize) = 0;                     // 13
  virtual com::HRESULT GetSize(com::BSTR Filename, int32_t* pSize) = 0;                               // 14
  virtual com::HRESULT Remove(com::BSTR Filename) = 0;                                                // 15
  virtual com::HRESULT RemoveAll() = 0;                                                               // 16
  virtual com::HRESULT AddFile(com::BSTR Path) = 0;                                                   // 17
  virtual com::HRESULT AddFileAs(com::BSTR Path, com::BSTR Filename) = 0;                             // 18
  virtual com::HRESULT ExtractToFile(com::BSTR Filename, com::BSTR Path) = 0;                         // 19
  virtual com::HRESULT AddBuffer(com::VARIANT* pBuffer, com::BSTR Filename) = 0;                      // 20
  virtual com::HRESULT ExtractToBuffer(com::BSTR Filename, com::VARIANT* pBuffer) = 0;                // 21
  virtual com::HRESULT GetArchivePath(com::BSTR* pPath) = 0;                                          // 22
  virtual com::HRESULT IsOpen() = 0;                                                                  // 23
  virtual com::HRESULT GetVersion(com::BSTR Filename, int32_t* pMinorVersion, int32_t* pMajorVersion) = 0;  // 24
  virtual com::HRESULT GetOrigin(com::BSTR Filename, int32_t* pOrigin) = 0;                           // 25
  virtual com::HRESULT GetArchiveVersion(int32_t* pMinorVersion, int32_t* pMajorVersion) = 0;         // 26
  virtual com::HRESULT GetArchiveOrigin(int32_t* pOrigin) = 0;                                        // 27
  virtual com::HRESULT IsValidArchive(com::BSTR Path, int32_t* pOrigin, int32_t* pMinorVersion,
                                      int32_t* pMajorVersion) = 0;                                    // 28
  virtual com::HRESULT SetWriteMode(int32_t Mode) = 0;                                                // 29
  virtual com::HRESULT GetArchiveName(com::BSTR* pName) = 0;                                          // 30
  virtual com::HRESULT IndexedGetName(int32_t Index, com::BSTR* Filename) = 0;                        // 31
  virtual com::HRESULT IndexedGetSize(int32_t Index, int32_t* pSize) = 0;                             // 32
  virtual com::HRESULT IndexedGetCompressedSize(int32_t Index, int32_t* pSize) = 0;                   // 33
  virtual com::HRESULT IndexedGetVersion(int32_t Index, int32_t* pMinorVersion, int32_t* pMajorVersion) = 0;  // 34
  virtual com::HRESULT IndexedGetOrigin(int32_t Index, int32_t* pOrigin) = 0;                         // 35
  virtual com::HRESULT IndexedIsCompressed(int32_t Index) = 0;                                        // 36
  virtual com::HRESULT GetIndex(com::BSTR Filename, int32_t* pIndex) = 0;                             // 37
  virtual com::HRESULT FlushAs(com::BSTR Filename) = 0;                                               // 38
  virtual com::HRESULT OpenBuffer(com::VARIANT* pBuffer) = 0;                                         // 39
  virtual com::HRESULT ArchiveIsMemoryResident() = 0;                                                 // 40
  virtual com::HRESULT FlushToBuffer(com::VARIANT* pBuffer) = 0;                                      // 41
  virtual com::HRESULT CloseBuffer(com::VARIANT* pBuffer) = 0;                                        // 42
  virtual com::HRESULT SetArchiveVersion(int32_t Origin, int32_t minorVersion, int32_t majorVersion,
                                         int32_t Reserved) = 0;                                       // 43

 protected:
  ~IVelmorArchive() = default;
};

}  // namespace quillon::filetools
