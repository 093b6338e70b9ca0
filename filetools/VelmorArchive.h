#pragma once
// VelmorArchive: the archive component. One object works on an archive
// file (file engine) or an archive image in memory (memory engine); Open
// and OpenBuffer discard whatever was current.
#include <memory>
#include <string>

#include "filetools/CVmArchive.h"
#include "filetools/IVelmorArchive.h"
#include "platform/ComLiteDispatchObject.h"

namespace quillon::filetools {

class VelmorArchive final : public com::ComDispatchObject<IVelmorArchive> {
 public:
  explicit VelmorArchive(com::ComModuleCounter& module);


  com::HRESULT GetIDsOfNames(const com::IID& riid, com::OLECHAR** names, uint32_t count, com::LCID lcid,
                             com::DISPID* ids) override;
  com::HRESULT Invoke(com::DISPID id, const com::IID& riid, com::LCID lcid, uint16_t flags, com::DISPPARAMS* params,
                      com::VARIANT* result, com::EXCEPINFO* exception, uint32_t* argError) override;

  com::HRESULT Open(com::BSTR Path) override;
  com::HRESULT Close(com::BSTR Path) override;
  com::HRESULT Abort() override;
  com::HRESULT Flush() override;
  com::HRESULT GetFileCount(int32_t* pFileCount) override;
  com::HRESULT ArchiveIsDirty() override;
  com::HRESULT ArchiveIsEmpty() override;
  com::HRESULT ArchiveIsTemporal() override;
  com::HRESULT GetArchiveNotes(com::BSTR* pArchiveNotes) override;
  com::HRESULT SetArchiveNotes(com::BSTR ArchiveNotes) override;
  com::HRESULT IsInArchive(com::BSTR Filename) override;
  com::HRESULT IsCompressed(com::BSTR Filename) override;
  com::HRESULT GetCompressedSize(com::BSTR Filename, int32_t* pSize) override;
  com::HRESULT GetSize(com::BSTR Filename, int32_t* pSize) override;
  com::HRESULT Remove(com::BSTR Filename) override;
  com::HRESULT RemoveAll() override;
  com::HRESULT AddFile(com::BSTR Path) override;
  com::HRESULT AddFileAs(com::BSTR Path, com::BSTR Filename) override;
  com::HRESULT ExtractToFile(com::BSTR Filename, com::BSTR Path) override;
  com::HRESULT AddBuffer(com::VARIANT* pBuffer, com::BSTR Filename) override;
  com::HRESULT ExtractToBuffer(com::BSTR Filename, com::VARIANT* pBuffer) override;
  com::HRESULT GetArchivePath(com::BSTR* pPath) override;
  com::HRESULT IsOpen() override;
  com::HRESULT GetVersion(com::BSTR Filename, int32_t* pMinorVersion, int32_t* pMajorVersion) override;
  com::HRESULT GetOrigin(com::BSTR Filename, int32_t* pOrigin) override;
  com::HRESULT GetArchiveVersion(int32_t* pMinorVersion, int32_t* pMajorVersion) override;
  com::HRESULT GetArchiveOrigin(int32_t* pOrigin) override;
  com::HRESULT IsValidArchive(com::BSTR Path, int32_t* pOrigin, int32_t* pMinorVersion,
                              int32_t* pMajorVersion) override;
  com::HRESULT SetWriteMode(int32_t Mode) override;
  com::HRESULT GetArchiveName(com::BSTR* pName) override;
  com::HRESULT IndexedGetName(int32_t Index, com::BSTR* Filename) override;
  com::HRESULT IndexedGetSize(int32_t Index, int32_t* pSize) override;
  com::HRESULT IndexedGetCompressedSize(int32_t Index, int32_t* pSize) override;
  com::HRESULT IndexedGetVersion(int32_t Index, int32_t* pMinorVersion, int32_t* pMajorVersion) override;
  com::HRESULT IndexedGetOrigin(int32_t Index, int32_t* pOrigin) override;
  com::HRESULT IndexedIsCompressed(int32_t Index) override;
  com::HRESULT GetIndex(com::BSTR Filename, int32_t* pIndex) override;
  com::HRESULT FlushAs(com::BSTR Filename) override;
  com::HRESULT OpenBuffer(com::VARIANT* pBuffer) override;
  com::HRESULT ArchiveIsMemoryResident() override;
  com::HRESULT FlushToBuffer(com::VARIANT* pBuffer) override;
  com::HRESULT CloseBuffer(com::VARIANT* pBuffer) override;
  com::HRESULT SetArchiveVersion(int32_t Origin, int32_t minorVersion, int32_t majorVersion,
                                 int32_t Reserved) override;

 private:
  ~VelmorArchive();
  // The entry named (normalised) or -1; -2 when the name is empty.
  int FindMember(com::BSTR Filename) const;
  const CVmArchiveEntry* EntryAt(int32_t index) const;

  std::unique_ptr<CVmArchive> current_;
};

}  // namespace quillon::filetools
