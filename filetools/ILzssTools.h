#pragma once
// The LZSS codec as a component (class LzssTools). Dispatch ids are 1..10 in
// declaration order. Buffers are VARIANTs holding one-dimensional byte
// arrays (VT_ARRAY | VT_UI1).
#include <cstdint>

#include "platform/ComLiteUnknown.h"

namespace quillon::filetools {

struct ILzssTools : com::IDispatch {
  virtual com::HRESULT CalculateFileCompressedSize(com::BSTR Path, int32_t* pCompressedSize) = 0;               // 1
  virtual com::HRESULT CalculateBufferCompressedSize(com::VARIANT* pBuffer, int32_t* pCompressedSize) = 0;      // 2
  virtual com::HRESULT LzssFileToFile(com::BSTR SourcePath, com::BSTR TargetPath) = 0;                          // 3
  virtual com::HRESULT LzssMemToFile(com::VARIANT* pSourceBuffer, com::BSTR TargetPath) = 0;                    // 4
  virtual com::HRESULT LzssFileToMem(com::BSTR SourcePath, com::VARIANT* pTargetBuffer) = 0;                    // 5
  virtual com::HRESULT LzssMemToMem(com::VARIANT* pSourceBuffer, com::VARIANT* pTargetBuffer) = 0;              // 6
  virtual com::HRESULT DeLzssFileToFile(com::BSTR SourcePath, com::BSTR TargetPath) = 0;                        // 7
  virtual com::HRESULT DeLzssMemToFile(com::VARIANT* pSourceBuffer, com::BSTR TargetPath) = 0;                  // 8
  virtual com::HRESULT DeLzssFileToMem(com::BSTR SourcePath, com::VARIANT* pTargetBuffer) = 0;                  // 9
  virtual com::HRESULT DeLzssMemToMem(com::VARIANT* pSourceBuffer, com::VARIANT* pTargetBuffer) = 0;            // 10

 protected:
  ~ILzssTools() = default;
};

}  // namespace quillon::filetools
