#include "filetools/LzssTools.h"

#include <fcntl.h>
#include <unistd.h>

#include <functional>

#include "filetools/FileTools.h"
#include "filetools/LzssOperations.h"
#include "filetools/VelmorFileToolsIds.h"
#include "platform/ComLiteDispatch.h"

namespace quillon::filetools {

using namespace com;

namespace {

constexpr const char* kMemberNames[] = {"CalculateFileCompressedSize", "CalculateBufferCompressedSize",
                                        "LzssFileToFile",              "LzssMemToFile",
                                        "LzssFileToMem",               "LzssMemToMem",
                                        "DeLzssFileToFile",            "DeLzssMemToFile",
                                        "DeLzssFileToMem",             "DeLzssMemToMem"};

bool IsEmpty(BSTR s) { return !s || SysStringLen(s) == 0; }

template <class Fn>
HRESULT Guard(Fn&& fn) {
  try {
    return fn();
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// A locked view of a source VARIANT's bytes.
class SourceBytes {
 public:
  explicit SourceBytes(VARIANT* v) {
    if (!VariantIsByteArray(v)) return;
    array_ = v->parray;
    if (FAILED(SafeArrayAccessData(array_, &data_))) {
      array_ = nullptr;
      locked_ = false;
      return;
    }
    locked_ = true;
  }
  SourceBytes(const SourceBytes&) = delete;
  SourceBytes& operator=(const SourceBytes&) = delete;
  ~SourceBytes() {
    if (locked_) SafeArrayUnaccessData(array_);
  }
  bool Valid() const { return locked_; }
  const uint8_t* Data() const { return static_cast<const uint8_t*>(data_); }
  int32_t Size() const {
    const uint32_t n = array_->rgsabound[0].cElements;
    return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n);
  }

 private:
  SAFEARRAY* array_ = nullptr;
  void* data_ = nullptr;
  bool locked_ = false;
};

// The target rules shared by the -ToMem methods. sizeOf answers the
// result size (or a failure HRESULT); produce fills a buffer of the given
// capacity and reports the bytes placed (false: codec failure).
HRESULT FillTarget(VARIANT* target, const std::function<HRESULT(int64_t*)>& sizeOf,
                   const std::function<HRESULT(uint8_t*, int32_t, int32_t*)>& produce) {
  bool created = false;
  if (target->vt == VT_EMPTY || target->vt == VT_NULL) {
    int64_t size = 0;
    if (FAILED(sizeOf(&size)) || size <= 0 || size > INT32_MAX) return E_INVALIDARG;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<uint32_t>(size));
    if (!array) return E_OUTOFMEMORY;
    VariantInit(target);
    target->vt = VT_ARRAY | VT_UI1;
    target->parray = array;
    created = true;
  } else if (!VariantIsByteArray(target)) {
    return E_INVALIDARG;
  }
  SAFEARRAY* array = target->parray;
  HRESULT hr = E_FAIL;
  void* data = nullptr;
  if (FAILED(SafeArrayLock(array))) {
    hr = E_ACCESSDENIED;
  } else {
    data = array->pvData;
    const uint32_t elements = array->rgsabound[0].cElements;
    const int32_t capacity = elements > INT32_MAX ? INT32_MAX : static_cast<int32_t>(elements);
    int32_t placed = 0;
    hr = produce(static_cast<uint8_t*>(data), capacity, &placed);
    if (SUCCEEDED(hr)) hr = placed == capacity ? S_OK : S_FALSE;
    SafeArrayUnlock(array);
  }
  if (FAILED(hr) && created) {
    SafeArrayDestroy(array);
    VariantInit(target);
  }
  return hr;
}

// Checks a source file: STG_E_FILENOTFOUND when missing, STG_E_ACCESSDENIED
// when it cannot be read.
HRESULT CheckReadable(const std::string& path) {
  if (FileTools::FileExistsUtf8(path) != S_OK) return STG_E_FILENOTFOUND;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return STG_E_ACCESSDENIED;
  ::close(fd);
  return S_OK;
}

}  // namespace

LzssTools::LzssTools(ComModuleCounter& module) : ComDispatchObject(module, IID_ILzssTools) {}

HRESULT LzssTools::GetIDsOfNames(const IID&, OLECHAR** names, uint32_t count, LCID, DISPID* ids) {
  return LookupDispatchNames(kMemberNames, std::size(kMemberNames), names, count, ids);
}

HRESULT LzssTools::CalculateFileCompressedSize(BSTR Path, int32_t* pCompressedSize) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(Path) || !pCompressedSize) return E_INVALIDARG;
    const std::string path = Utf8FromBstr(Path);
    const HRESULT readable = CheckReadable(path);
    if (FAILED(readable)) return readable;
    *pCompressedSize = FileCompressedSize(path);
    return S_OK;
  });
}

HRESULT LzssTools::CalculateBufferCompressedSize(VARIANT* pBuffer, int32_t* pCompressedSize) {
  return Guard([&]() -> HRESULT {
    if (!pBuffer || !pCompressedSize) return E_INVALIDARG;
    SourceBytes source(pBuffer);
    if (!source.Valid()) return E_INVALIDARG;
    *pCompressedSize = BufferCompressedSize(source.Data(), source.Size());
    return S_OK;
  });
}

HRESULT LzssTools::LzssFileToFile(BSTR SourcePath, BSTR TargetPath) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(SourcePath) || IsEmpty(TargetPath)) return E_INVALIDARG;
    const std::string source = Utf8FromBstr(SourcePath);
    const HRESULT readable = CheckReadable(source);
    if (FAILED(readable)) return readable;
    int32_t written = 0;
    return EncodeFileToFile(source, Utf8FromBstr(TargetPath), &written) ? S_OK : E_FAIL;
  });
}

HRESULT LzssTools::LzssMemToFile(VARIANT* pSourceBuffer, BSTR TargetPath) {
  return Guard([&]() -> HRESULT {
    if (!pSourceBuffer || IsEmpty(TargetPath)) return E_INVALIDARG;
    SourceBytes source(pSourceBuffer);
    if (!source.Valid() || source.Size() == 0) return E_INVALIDARG;
    int32_t written = 0;
    return EncodeMemToFile(source.Data(), source.Size(), Utf8FromBstr(TargetPath), &written) ? S_OK : E_FAIL;
  });
}

HRESULT LzssTools::LzssFileToMem(BSTR SourcePath, VARIANT* pTargetBuffer) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(SourcePath) || !pTargetBuffer) return E_INVALIDARG;
    const std::string source = Utf8FromBstr(SourcePath);
    return FillTarget(
        pTargetBuffer,
        [&](int64_t* size) {
          int32_t n = 0;
          const HRESULT hr = CalculateFileCompressedSize(SourcePath, &n);
          *size = n;
          return hr;
        },
        [&](uint8_t* out, int32_t capacity, int32_t* placed) -> HRESULT {
          if (CheckReadable(source) != S_OK) return STG_E_ACCESSDENIED;
          *placed = capacity;
          return EncodeFileToMem(source, out, placed) ? S_OK : E_FAIL;
        });
  });
}

HRESULT LzssTools::LzssMemToMem(VARIANT* pSourceBuffer, VARIANT* pTargetBuffer) {
  return Guard([&]() -> HRESULT {
    if (!pSourceBuffer || !pTargetBuffer || pSourceBuffer == pTargetBuffer) return E_INVALIDARG;
    SourceBytes source(pSourceBuffer);
    if (!source.Valid() || source.Size() == 0) return E_INVALIDARG;
    return FillTarget(
        pTargetBuffer,
        [&](int64_t* size) {
          *size = BufferCompressedSize(source.Data(), source.Size());
          return S_OK;
        },
        [&](uint8_t* out, int32_t capacity, int32_t* placed) -> HRESULT {
          *placed = capacity;
          return EncodeMemToMem(source.Data(), source.Size(), out, placed) ? S_OK : E_FAIL;
        });
  });
}

HRESULT LzssTools::DeLzssFileToFile(BSTR SourcePath, BSTR TargetPath) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(SourcePath) || IsEmpty(TargetPath)) return E_INVALIDARG;
    const std::string source = Utf8FromBstr(SourcePath);
    const HRESULT readable = CheckReadable(source);
    if (FAILED(readable)) return readable;
    int32_t written = 0;
    return DecodeFileToFile(source, Utf8FromBstr(TargetPath), &written) ? S_OK : E_FAIL;
  });
}

HRESULT LzssTools::DeLzssMemToFile(VARIANT* pSourceBuffer, BSTR TargetPath) {
  return Guard([&]() -> HRESULT {
    if (!pSourceBuffer || IsEmpty(TargetPath)) return E_INVALIDARG;
    SourceBytes source(pSourceBuffer);
    if (!source.Valid() || source.Size() == 0) return E_INVALIDARG;
    int32_t written = 0;
    return DecodeMemToFile(source.Data(), source.Size(), Utf8FromBstr(TargetPath), &written) ? S_OK : E_FAIL;
  });
}

HRESULT LzssTools::DeLzssFileToMem(BSTR SourcePath, VARIANT* pTargetBuffer) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(SourcePath) || !pTargetBuffer) return E_INVALIDARG;
    const std::string source = Utf8FromBstr(SourcePath);
    return FillTarget(
        pTargetBuffer,
        [&](int64_t* size) {
          const HRESULT readable = CheckReadable(source);
          if (FAILED(readable)) return readable;
          *size = FileDecodedSize(source);
          return *size < 0 ? E_FAIL : S_OK;
        },
        [&](uint8_t* out, int32_t capacity, int32_t* placed) -> HRESULT {
          if (CheckReadable(source) != S_OK) return STG_E_ACCESSDENIED;
          *placed = capacity;
          return DecodeFileToMem(source, out, placed) ? S_OK : E_FAIL;
        });
  });
}

HRESULT LzssTools::DeLzssMemToMem(VARIANT* pSourceBuffer, VARIANT* pTargetBuffer) {
  return Guard([&]() -> HRESULT {
    if (!pSourceBuffer || !pTargetBuffer || pSourceBuffer == pTargetBuffer) return E_INVALIDARG;
    SourceBytes source(pSourceBuffer);
    if (!source.Valid() || source.Size() == 0) return E_INVALIDARG;
    return FillTarget(
        pTargetBuffer,
        [&](int64_t* size) {
          *size = BufferDecodedSize(source.Data(), source.Size());
          return *size < 0 ? E_FAIL : S_OK;
        },
        [&](uint8_t* out, int32_t capacity, int32_t* placed) -> HRESULT {
          *placed = capacity;
          return DecodeMemToMem(source.Data(), source.Size(), out, placed) ? S_OK : E_FAIL;
        });
  });
}

HRESULT LzssTools::Invoke(DISPID id, const IID&, LCID, uint16_t, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                          uint32_t* argError) {
  DispatchArgs args(params, argError);
  HRESULT hr = S_OK;
  BSTR a = nullptr;
  BSTR b = nullptr;
  VARIANT* v = nullptr;
  int32_t size = 0;
  VARIANT out;
  VariantInit(&out);
  switch (id) {
    case 1:
      if (FAILED(hr = args.Expect(1)) || FAILED(hr = args.Bstr(0, &a))) return hr;
      hr = CalculateFileCompressedSize(a, &size);
      SetDispatchResult(result, size);
      return hr;
    case 2:
      if (FAILED(hr = args.Expect(1)) || FAILED(hr = args.Variant(0, &v))) return hr;
      hr = CalculateBufferCompressedSize(v, &size);
      SetDispatchResult(result, size);
      return hr;
    case 3:
    case 7:
      if (FAILED(hr = args.Expect(2)) || FAILED(hr = args.Bstr(0, &a)) || FAILED(hr = args.Bstr(1, &b))) return hr;
      return id == 3 ? LzssFileToFile(a, b) : DeLzssFileToFile(a, b);
    case 4:
    case 8:
      if (FAILED(hr = args.Expect(2)) || FAILED(hr = args.Variant(0, &v)) || FAILED(hr = args.Bstr(1, &b))) return hr;
      return id == 4 ? LzssMemToFile(v, b) : DeLzssMemToFile(v, b);
    case 5:
    case 9:
      if (FAILED(hr = args.Expect(1)) || FAILED(hr = args.Bstr(0, &a))) return hr;
      hr = id == 5 ? LzssFileToMem(a, &out) : DeLzssFileToMem(a, &out);
      SetDispatchResultVariant(result, &out);
      return hr;
    case 6:
    case 10:
      if (FAILED(hr = args.Expect(1)) || FAILED(hr = args.Variant(0, &v))) return hr;
      hr = id == 6 ? LzssMemToMem(v, &out) : DeLzssMemToMem(v, &out);
      SetDispatchResultVariant(result, &out);
      return hr;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace quillon::filetools
