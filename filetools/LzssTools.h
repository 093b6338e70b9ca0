#pragma once
// LzssTools: the LZSS codec as a component. Every method does what its
// name says through the codec operations: the Lzss- methods compress, the
// DeLzss- methods expand, sizes come from a counting pass.
//
// Target VARIANTs of the -ToMem methods: an empty or null VARIANT receives
// a new byte array of exactly the result's size (a result of size 0 gives
// E_INVALIDARG); a VARIANT that already holds a one-dimensional byte array
// is filled up to its element count (S_OK when it was filled completely,
// the output cut at its end; S_FALSE when the result was shorter); any
// other VARIANT gives E_INVALIDARG.
#include "filetools/ILzssTools.h"
#include "platform/ComLiteDispatchObject.h"

namespace quillon::filetools {

class LzssTools final : public com::ComDispatchObject<ILzssTools> {
 public:
  explicit LzssTools(com::ComModuleCounter& module);


  com::HRESULT GetIDsOfNames(const com::IID& riid, com::OLECHAR** names, uint32_t count, com::LCID lcid,
                             com::DISPID* ids) override;
  com::HRESULT Invoke(com::DISPID id, const com::IID& riid, com::LCID lcid, uint16_t flags, com::DISPPARAMS* params,
                      com::VARIANT* result, com::EXCEPINFO* exception, uint32_t* argError) override;

  com::HRESULT CalculateFileCompressedSize(com::BSTR Path, int32_t* pCompressedSize) override;
  com::HRESULT CalculateBufferCompressedSize(com::VARIANT* pBuffer, int32_t* pCompressedSize) override;
  com::HRESULT LzssFileToFile(com::BSTR SourcePath, com::BSTR TargetPath) override;
  com::HRESULT LzssMemToFile(com::VARIANT* pSourceBuffer, com::BSTR TargetPath) override;
  com::HRESULT LzssFileToMem(com::BSTR SourcePath, com::VARIANT* pTargetBuffer) override;
  com::HRESULT LzssMemToMem(com::VARIANT* pSourceBuffer, com::VARIANT* pTargetBuffer) override;
  com::HRESULT DeLzssFileToFile(com::BSTR SourcePath, com::BSTR TargetPath) override;
  com::HRESULT DeLzssMemToFile(com::VARIANT* pSourceBuffer, com::BSTR TargetPath) override;
  com::HRESULT DeLzssFileToMem(com::BSTR SourcePath, com::VARIANT* pTargetBuffer) override;
  com::HRESULT DeLzssMemToMem(com::VARIANT* pSourceBuffer, com::VARIANT* pTargetBuffer) override;

 private:
  ~LzssTools() = default;
};

}  // namespace quillon::filetools
