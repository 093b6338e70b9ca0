#include "filetools/VelmorArchive.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>

#include "filetools/AnsiText.h"
#include "filetools/CVmArchiveFormat.h"
#include "filetools/CVmFileArchive.h"
#include "filetools/CVmMemArchive.h"
#include "filetools/FileTools.h"
#include "filetools/VelmorFileToolsIds.h"
#include "platform/ComLiteDispatch.h"
#include "platform/SafeFile.h"

namespace quillon::filetools {

using namespace com;

namespace {

constexpr const char* kMemberNames[] = {
    "Open",          "Close",          "Abort",           "Flush",
    "GetFileCount",  "ArchiveIsDirty", "ArchiveIsEmpty",  "ArchiveIsTemporal",
    "GetArchiveNotes", "SetArchiveNotes", "IsInArchive",  "IsCompressed",
    "GetCompressedSize", "GetSize",    "Remove",          "RemoveAll",
    "AddFile",       "AddFileAs",      "ExtractToFile",   "AddBuffer",
    "ExtractToBuffer", "GetArchivePath", "IsOpen",        "GetVersion",
    "GetOrigin",     "GetArchiveVersion", "GetArchiveOrigin", "IsValidArchive",
    "SetWriteMode",  "GetArchiveName", "IndexedGetName",  "IndexedGetSize",
    "IndexedGetCompressedSize", "IndexedGetVersion", "IndexedGetOrigin", "IndexedIsCompressed",
    "GetIndex",      "FlushAs",        "OpenBuffer",      "ArchiveIsMemoryResident",
    "FlushToBuffer", "CloseBuffer",    "SetArchiveVersion"};
static_assert(std::size(kMemberNames) == 43);

bool IsEmpty(BSTR s) { return !s || SysStringLen(s) == 0; }

HRESULT Predicate(bool value) { return value ? S_OK : S_FALSE; }

template <class Fn>
HRESULT Guard(Fn&& fn) {
  try {
    return fn();
  } catch (...) {
    return E_UNEXPECTED;
  }
}

std::string MemberName(BSTR name) {
  return AnsiText::FromUtf16(CVmArchiveFormat::NormalizeName(Utf16FromBstr(name)));
}

bool HasArchiveExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string ext = path.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".pkg" || ext == ".pke" || ext == ".pki" || ext == ".pku";
}

// Writes an image to a file through the shared safe writer.
bool WriteImageFile(const std::string& path, const std::vector<uint8_t>& image) {
  try {
    WriteFileSafely(path, image);
  } catch (const SafeFileError&) {
    return false;
  }
  return true;
}

}  // namespace

VelmorArchive::VelmorArchive(ComModuleCounter& module) : ComDispatchObject(module, IID_IVelmorArchive) {}

VelmorArchive::~VelmorArchive() {
  if (current_) current_->Abort();
}

HRESULT VelmorArchive::GetIDsOfNames(const IID&, OLECHAR** names, uint32_t count, LCID, DISPID* ids) {
  return LookupDispatchNames(kMemberNames, std::size(kMemberNames), names, count, ids);
}

int VelmorArchive::FindMember(BSTR Filename) const {
  if (IsEmpty(Filename)) return -2;
  return current_ ? current_->Find(MemberName(Filename)) : -1;
}

const CVmArchiveEntry* VelmorArchive::EntryAt(int32_t index) const {
  if (!current_ || index < 0 || static_cast<size_t>(index) >= current_->Entries().size()) return nullptr;
  return &current_->Entries()[static_cast<size_t>(index)];
}

// --- opening, closing, writing ----------------------------------------------

HRESULT VelmorArchive::Open(BSTR Path) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(Path)) return E_INVALIDARG;
    Abort();
    auto archive = std::make_unique<CVmFileArchive>();
    const bool ok = archive->Open(Utf8FromBstr(Path));
    current_ = std::move(archive);
    return ok ? S_OK : E_FAIL;
  });
}

HRESULT VelmorArchive::Close(BSTR Path) {
  return Guard([&]() -> HRESULT {
    if (!current_) return E_FAIL;
    const std::string target = Utf8FromBstr(Path);
    if (auto* file = dynamic_cast<CVmFileArchive*>(current_.get())) {
      // A failed write is reported and the archive stays as it was, so the
      // caller can write elsewhere or Abort.
      if (!file->Close(target)) return E_FAIL;
    } else {
      auto* image = static_cast<CVmMemArchive*>(current_.get());
      if (!target.empty()) {
        std::vector<uint8_t> bytes;
        if (!image->Save(bytes) || !WriteImageFile(target, bytes)) return E_FAIL;
      } else if (image->IsDirty()) {
        return E_FAIL;  // changes with nowhere to go: use CloseBuffer or Abort
      }
    }
    current_.reset();
    return S_OK;
  });
}

HRESULT VelmorArchive::Abort() {
  return Guard([&]() -> HRESULT {
    if (current_) current_->Abort();
    current_.reset();
    return S_OK;
  });
}

HRESULT VelmorArchive::Flush() {
  return Guard([&]() -> HRESULT {
    auto* file = dynamic_cast<CVmFileArchive*>(current_.get());
    if (!file) return E_FAIL;
    return file->Write(file->Path()) ? S_OK : E_FAIL;
  });
}

HRESULT VelmorArchive::FlushAs(BSTR Filename) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(Filename)) return E_INVALIDARG;
    auto* file = dynamic_cast<CVmFileArchive*>(current_.get());
    if (!file) return E_FAIL;
    const std::string target = Utf8FromBstr(Filename);
    if (target == file->Path() && !file->IsDirty()) return S_OK;
    return file->Write(target) ? S_OK : E_FAIL;
  });
}

HRESULT VelmorArchive::OpenBuffer(VARIANT* pBuffer) {
  return Guard([&]() -> HRESULT {
    if (pBuffer && !(VariantIsByteArray(pBuffer) && pBuffer->parray->rgsabound[0].cElements > 0))
      return E_INVALIDARG;
    Abort();
    auto image = std::make_unique<CVmMemArchive>();
    if (pBuffer) {
      SAFEARRAY* array = pBuffer->parray;
      void* data = nullptr;
      if (FAILED(SafeArrayAccessData(array, &data))) return E_ACCESSDENIED;
      const bool ok = image->Load(static_cast<const uint8_t*>(data), array->rgsabound[0].cElements);
      SafeArrayUnaccessData(array);
      if (!ok) return E_FAIL;
    }
    current_ = std::move(image);
    return S_OK;
  });
}

HRESULT VelmorArchive::FlushToBuffer(VARIANT* pBuffer) {
  return Guard([&]() -> HRESULT {
    if (!pBuffer) return E_INVALIDARG;
    VariantInit(pBuffer);
    if (!current_) return E_FAIL;
    std::vector<uint8_t> bytes;
    bool ok;
    if (auto* image = dynamic_cast<CVmMemArchive*>(current_.get()))
      ok = image->Save(bytes);
    else
      ok = current_->SerializeImage(bytes);
    if (!ok || bytes.size() > UINT32_MAX) return E_FAIL;
    SAFEARRAY* array = SafeArrayFromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (!array) return E_OUTOFMEMORY;
    pBuffer->vt = VT_ARRAY | VT_UI1;
    pBuffer->parray = array;
    return S_OK;
  });
}

HRESULT VelmorArchive::CloseBuffer(VARIANT* pBuffer) {
  const HRESULT flushed = FlushToBuffer(pBuffer);
  const HRESULT aborted = Abort();
  return FAILED(flushed) ? flushed : aborted;
}

// --- archive state ------------------------------------------------------------

HRESULT VelmorArchive::GetFileCount(int32_t* pFileCount) {
  if (!pFileCount) return E_INVALIDARG;
  *pFileCount = 0;
  if (!current_) return E_FAIL;
  *pFileCount = static_cast<int32_t>(current_->Entries().size());
  return S_OK;
}

HRESULT VelmorArchive::ArchiveIsDirty() { return Predicate(current_ && current_->IsDirty()); }

HRESULT VelmorArchive::ArchiveIsEmpty() { return Predicate(current_ && current_->Entries().empty()); }

HRESULT VelmorArchive::ArchiveIsTemporal() { return Predicate(current_ && current_->IsTemporal()); }

HRESULT VelmorArchive::IsOpen() { return Predicate(current_ && current_->IsOpen()); }

HRESULT VelmorArchive::ArchiveIsMemoryResident() { return Predicate(current_ && current_->IsMemoryResident()); }

HRESULT VelmorArchive::GetArchiveNotes(BSTR* pArchiveNotes) {
  return Guard([&]() -> HRESULT {
    if (!pArchiveNotes) return E_INVALIDARG;
    *pArchiveNotes = nullptr;
    if (!current_) return E_FAIL;
    *pArchiveNotes = AnsiText::ToBstr(current_->Notes());
    return S_OK;
  });
}

HRESULT VelmorArchive::SetArchiveNotes(BSTR ArchiveNotes) {
  return Guard([&]() -> HRESULT {
    if (!current_) return E_FAIL;
    current_->SetNotes(AnsiText::FromBstr(ArchiveNotes));
    return S_OK;
  });
}

HRESULT VelmorArchive::GetArchivePath(BSTR* pPath) {
  return Guard([&]() -> HRESULT {
    if (!pPath) return E_INVALIDARG;
    *pPath = nullptr;
    if (!current_) return E_FAIL;
    *pPath = BstrFromUtf8(current_->Path());
    return S_OK;
  });
}

HRESULT VelmorArchive::GetArchiveName(BSTR* pName) {
  return Guard([&]() -> HRESULT {
    if (!pName) return E_INVALIDARG;
    *pName = nullptr;
    if (!current_) return E_FAIL;
    const std::string path = current_->Path();
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return S_FALSE;
    *pName = BstrFromUtf8(name);
    return S_OK;
  });
}

HRESULT VelmorArchive::GetArchiveVersion(int32_t* pMinorVersion, int32_t* pMajorVersion) {
  if (!pMinorVersion || !pMajorVersion) return E_INVALIDARG;
  *pMinorVersion = 0;
  *pMajorVersion = 0;
  if (!current_) return E_FAIL;
  *pMinorVersion = current_->Minor();
  *pMajorVersion = current_->Major();
  return S_OK;
}

HRESULT VelmorArchive::GetArchiveOrigin(int32_t* pOrigin) {
  if (!pOrigin) return E_INVALIDARG;
  *pOrigin = 0;
  if (!current_) return E_FAIL;
  *pOrigin = current_->Origin();
  return S_OK;
}

HRESULT VelmorArchive::SetArchiveVersion(int32_t Origin, int32_t minorVersion, int32_t majorVersion, int32_t) {
  if (!current_ || !current_->IsOpen()) return E_FAIL;
  current_->SetVersion(static_cast<uint8_t>(Origin), static_cast<uint16_t>(minorVersion),
                       static_cast<uint16_t>(majorVersion));
  return S_OK;
}

HRESULT VelmorArchive::SetWriteMode(int32_t) { return S_OK; }

HRESULT VelmorArchive::IsValidArchive(BSTR Path, int32_t* pOrigin, int32_t* pMinorVersion, int32_t* pMajorVersion) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(Path)) return E_INVALIDARG;
    const std::string path = Utf8FromBstr(Path);
    if (!HasArchiveExtension(path)) return S_FALSE;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return S_FALSE;
    uint8_t raw[CVmArchiveHeader::kSize];
    size_t done = 0;
    while (done < sizeof raw) {
      const ssize_t n = ::read(fd, raw + done, sizeof raw - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::close(fd);
    if (done < sizeof raw) return S_FALSE;
    CVmArchiveHeader header = CVmArchiveHeader::Parse(raw);
    if (!header.HasValidMagicAndKind()) return S_FALSE;
    header.ApplyVersionRule();
    if (pOrigin) *pOrigin = header.origin;
    if (pMinorVersion) *pMinorVersion = header.minor;
    if (pMajorVersion) *pMajorVersion = header.major;
    return S_OK;
  });
}

// --- members by name -----------------------------------------------------------

HRESULT VelmorArchive::IsInArchive(BSTR Filename) {
  return Guard([&]() -> HRESULT {
    const int index = FindMember(Filename);
    if (index == -2) return E_INVALIDARG;
    return Predicate(index >= 0);
  });
}

HRESULT VelmorArchive::IsCompressed(BSTR Filename) {
  return Guard([&]() -> HRESULT {
    const int index = FindMember(Filename);
    if (index == -2) return E_INVALIDARG;
    return Predicate(index >= 0 && EntryAt(index)->compressed);
  });
}

HRESULT VelmorArchive::GetCompressedSize(BSTR Filename, int32_t* pSize) {
  return Guard([&]() -> HRESULT {
    if (!pSize) return E_INVALIDARG;
    *pSize = 0;
    const int index = FindMember(Filename);
    if (index == -2) return E_INVALIDARG;
    if (!current_) return E_FAIL;
    if (index >= 0) *pSize = static_cast<int32_t>(EntryAt(index)->storedSize);
    return S_OK;
  });
}

HRESULT VelmorArchive::GetSize(BSTR Filename, int32_t* pSize) {
  return Guard([&]() -> HRESULT {
    if (!pSize) return E_INVALIDARG;
    *pSize = 0;
    const int index = FindMember(Filename);
    if (index == -2) return E_INVALIDARG;
    if (!current_) return E_FAIL;
    if (index >= 0) *pSize = static_cast<int32_t>(EntryAt(index)->size);
    return S_OK;
  });
}

HRESULT VelmorArchive::GetVersion(BSTR Filename, int32_t* pMinorVersion, int32_t* pMajorVersion) {
  return Guard([&]() -> HRESULT {
    if (!pMinorVersion || !pMajorVersion) return E_INVALIDARG;
    *pMinorVersion = 0;
    *pMajorVersion = 0;
    const int index = FindMember(Filename);
    if (index == -2) return E_INVALIDARG;
    if (!current_) return E_FAIL;
    if (index >= 0) {
      *pMinorVersion = EntryAt(index)->minorVersion;
      *pMajorVersion = EntryAt(index)->majorVersion;
    }
    return S_OK;
  });
}

HRESULT VelmorArchive::GetOrigin(BSTR Filename, int32_t* pOrigin) {
  return Guard([&]() -> HRESULT {
    if (!pOrigin) return E_INVALIDARG;
    *pOrigin = 0;
    const int index = FindMember(Filename);
    if (index == -2) return E_INVALIDARG;
    if (!current_) return E_FAIL;
    if (index >= 0) *pOrigin = EntryAt(index)->origin;
    return S_OK;
  });
}

HRESULT VelmorArchive::GetIndex(BSTR Filename, int32_t* pIndex) {
  return Guard([&]() -> HRESULT {
    if (!pIndex) return E_INVALIDARG;
    const int index = FindMember(Filename);
    if (index == -2) return E_INVALIDARG;
    *pIndex = index;
    return index >= 0 ? S_OK : E_FAIL;
  });
}

HRESULT VelmorArchive::Remove(BSTR Filename) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(Filename)) return E_INVALIDARG;
    if (!current_) return E_FAIL;
    return current_->Remove(MemberName(Filename)) ? S_OK : E_FAIL;
  });
}

HRESULT VelmorArchive::RemoveAll() {
  return Guard([&]() -> HRESULT {
    if (!current_) return E_FAIL;
    current_->RemoveAll();
    return S_OK;
  });
}

HRESULT VelmorArchive::AddFile(BSTR Path) { return AddFileAs(Path, Path); }

HRESULT VelmorArchive::AddFileAs(BSTR Path, BSTR Filename) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(Path) || IsEmpty(Filename)) return E_INVALIDARG;
    if (!current_) return E_FAIL;
    const std::string name = MemberName(Filename);
    if (name.empty()) return E_INVALIDARG;
    const std::string source = Utf8FromBstr(Path);
    if (FileTools::FileExistsUtf8(source) != S_OK) return E_FAIL;
    return current_->AddFile(source, name) ? S_OK : E_FAIL;
  });
}

HRESULT VelmorArchive::AddBuffer(VARIANT* pBuffer, BSTR Filename) {
  return Guard([&]() -> HRESULT {
    if (!pBuffer || IsEmpty(Filename)) return E_INVALIDARG;
    if (!VariantIsByteArray(pBuffer)) return E_INVALIDARG;
    if (!current_) return E_FAIL;
    const std::string name = MemberName(Filename);
    if (name.empty()) return E_INVALIDARG;
    SAFEARRAY* array = pBuffer->parray;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return E_ACCESSDENIED;
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    const bool ok = current_->AddBytes(name, static_cast<const uint8_t*>(data), array->rgsabound[0].cElements,
                                       CVmArchiveFormat::TimeFields(now));
    SafeArrayUnaccessData(array);
    return ok ? S_OK : E_FAIL;
  });
}

HRESULT VelmorArchive::ExtractToFile(BSTR Filename, BSTR Path) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(Filename) || IsEmpty(Path)) return E_INVALIDARG;
    const int index = FindMember(Filename);
    if (index < 0) return E_FAIL;
    return current_->ExtractToFile(index, Utf8FromBstr(Path)) ? S_OK : E_FAIL;
  });
}

HRESULT VelmorArchive::ExtractToBuffer(BSTR Filename, VARIANT* pBuffer) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(Filename) || !pBuffer) return E_INVALIDARG;
    VariantInit(pBuffer);
    const int index = FindMember(Filename);
    if (index < 0) return E_FAIL;
    std::vector<uint8_t> bytes;
    if (!current_->Extract(index, bytes)) return E_FAIL;
    SAFEARRAY* array = SafeArrayFromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (!array) return E_OUTOFMEMORY;
    pBuffer->vt = VT_ARRAY | VT_UI1;
    pBuffer->parray = array;
    return S_OK;
  });
}

// --- members by position ----------------------------------------------------------

HRESULT VelmorArchive::IndexedGetName(int32_t Index, BSTR* Filename) {
  return Guard([&]() -> HRESULT {
    if (!Filename) return E_INVALIDARG;
    *Filename = nullptr;
    const CVmArchiveEntry* e = EntryAt(Index);
    if (!e) return E_FAIL;
    *Filename = AnsiText::ToBstr(e->name);
    return S_OK;
  });
}

HRESULT VelmorArchive::IndexedGetSize(int32_t Index, int32_t* pSize) {
  if (!pSize) return E_INVALIDARG;
  *pSize = 0;
  const CVmArchiveEntry* e = EntryAt(Index);
  if (!e) return E_FAIL;
  *pSize = static_cast<int32_t>(e->size);
  return S_OK;
}

HRESULT VelmorArchive::IndexedGetCompressedSize(int32_t Index, int32_t* pSize) {
  if (!pSize) return E_INVALIDARG;
  *pSize = 0;
  const CVmArchiveEntry* e = EntryAt(Index);
  if (!e) return E_FAIL;
  *pSize = static_cast<int32_t>(e->storedSize);
  return S_OK;
}

HRESULT VelmorArchive::IndexedGetVersion(int32_t Index, int32_t* pMinorVersion, int32_t* pMajorVersion) {
  if (!pMinorVersion || !pMajorVersion) return E_INVALIDARG;
  *pMinorVersion = 0;
  *pMajorVersion = 0;
  const CVmArchiveEntry* e = EntryAt(Index);
  if (!e) return E_FAIL;
  *pMinorVersion = e->minorVersion;
  *pMajorVersion = e->majorVersion;
  return S_OK;
}

HRESULT VelmorArchive::IndexedGetOrigin(int32_t Index, int32_t* pOrigin) {
  if (!pOrigin) return E_INVALIDARG;
  *pOrigin = 0;
  const CVmArchiveEntry* e = EntryAt(Index);
  if (!e) return E_FAIL;
  *pOrigin = e->origin;
  return S_OK;
}

HRESULT VelmorArchive::IndexedIsCompressed(int32_t Index) {
  const CVmArchiveEntry* e = EntryAt(Index);
  return Predicate(e && e->compressed);
}

// --- late-bound calls -------------------------------------------------------------

HRESULT VelmorArchive::Invoke(DISPID id, const IID&, LCID, uint16_t, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO*, uint32_t* argError) {
  DispatchArgs args(params, argError);
  HRESULT hr = S_OK;
  BSTR a = nullptr;
  BSTR b = nullptr;
  int32_t n = 0;
  auto none = [&] { return FAILED(hr = args.Expect(0)); };
  auto str1 = [&] { return FAILED(hr = args.Expect(1)) || FAILED(hr = args.Bstr(0, &a)); };
  auto str2 = [&] { return FAILED(hr = args.Expect(2)) || FAILED(hr = args.Bstr(0, &a)) || FAILED(hr = args.Bstr(1, &b)); };
  auto int1 = [&] { return FAILED(hr = args.Expect(1)) || FAILED(hr = args.Int(0, &n)); };
  auto intResult = [&](HRESULT call, int32_t value) {
    SetDispatchResult(result, value);
    return call;
  };
  auto bstrResult = [&](HRESULT call, BSTR value) {
    SetDispatchResultBstr(result, value);
    return call;
  };
  int32_t v1 = 0;
  int32_t v2 = 0;
  BSTR text = nullptr;
  switch (id) {
    case 1: return str1() ? hr : Open(a);
    case 2: return str1() ? hr : Close(a);
    case 3: return none() ? hr : Abort();
    case 4: return none() ? hr : Flush();
    case 5: if (none()) return hr; hr = GetFileCount(&v1); return intResult(hr, v1);
    case 6: return none() ? hr : ArchiveIsDirty();
    case 7: return none() ? hr : ArchiveIsEmpty();
    case 8: return none() ? hr : ArchiveIsTemporal();
    case 9: if (none()) return hr; hr = GetArchiveNotes(&text); return bstrResult(hr, text);
    case 10: return str1() ? hr : SetArchiveNotes(a);
    case 11: return str1() ? hr : IsInArchive(a);
    case 12: return str1() ? hr : IsCompressed(a);
    case 13: if (str1()) return hr; hr = GetCompressedSize(a, &v1); return intResult(hr, v1);
    case 14: if (str1()) return hr; hr = GetSize(a, &v1); return intResult(hr, v1);
    case 15: return str1() ? hr : Remove(a);
    case 16: return none() ? hr : RemoveAll();
    case 17: return str1() ? hr : AddFile(a);
    case 18: return str2() ? hr : AddFileAs(a, b);
    case 19: return str2() ? hr : ExtractToFile(a, b);
    case 20: {
      VARIANT* buffer = nullptr;
      if (FAILED(hr = args.Expect(2)) || FAILED(hr = args.Variant(0, &buffer)) || FAILED(hr = args.Bstr(1, &b)))
        return hr;
      return AddBuffer(buffer, b);
    }
    case 21: {
      if (str1()) return hr;
      VARIANT out;
      VariantInit(&out);
      hr = ExtractToBuffer(a, &out);
      SetDispatchResultVariant(result, &out);
      return hr;
    }
    case 22: if (none()) return hr; hr = GetArchivePath(&text); return bstrResult(hr, text);
    case 23: return none() ? hr : IsOpen();
    case 24: {
      int32_t* minor = nullptr;
      if (FAILED(hr = args.Expect(2)) || FAILED(hr = args.Bstr(0, &a)) || FAILED(hr = args.IntOut(1, &minor)))
        return hr;
      hr = GetVersion(a, minor, &v2);
      return intResult(hr, v2);
    }
    case 25: if (str1()) return hr; hr = GetOrigin(a, &v1); return intResult(hr, v1);
    case 26: {
      int32_t* minor = nullptr;
      if (FAILED(hr = args.Expect(1)) || FAILED(hr = args.IntOut(0, &minor))) return hr;
      hr = GetArchiveVersion(minor, &v2);
      return intResult(hr, v2);
    }
    case 27: if (none()) return hr; hr = GetArchiveOrigin(&v1); return intResult(hr, v1);
    case 28: {
      int32_t* origin = nullptr;
      int32_t* minor = nullptr;
      int32_t* major = nullptr;
      if (args.Count() == 1) {
        if (FAILED(hr = args.Expect(1)) || FAILED(hr = args.Bstr(0, &a))) return hr;
      } else if (FAILED(hr = args.Expect(4)) || FAILED(hr = args.Bstr(0, &a)) || FAILED(hr = args.IntOut(1, &origin)) ||
                 FAILED(hr = args.IntOut(2, &minor)) || FAILED(hr = args.IntOut(3, &major))) {
        return hr;
      }
      return IsValidArchive(a, origin, minor, major);
    }
    case 29: return int1() ? hr : SetWriteMode(n);
    case 30: if (none()) return hr; hr = GetArchiveName(&text); return bstrResult(hr, text);
    case 31: if (int1()) return hr; hr = IndexedGetName(n, &text); return bstrResult(hr, text);
    case 32: if (int1()) return hr; hr = IndexedGetSize(n, &v1); return intResult(hr, v1);
    case 33: if (int1()) return hr; hr = IndexedGetCompressedSize(n, &v1); return intResult(hr, v1);
    case 34: {
      int32_t* minor = nullptr;
      if (FAILED(hr = args.Expect(2)) || FAILED(hr = args.Int(0, &n)) || FAILED(hr = args.IntOut(1, &minor)))
        return hr;
      hr = IndexedGetVersion(n, minor, &v2);
      return intResult(hr, v2);
    }
    case 35: if (int1()) return hr; hr = IndexedGetOrigin(n, &v1); return intResult(hr, v1);
    case 36: return int1() ? hr : IndexedIsCompressed(n);
    case 37: if (str1()) return hr; hr = GetIndex(a, &v1); return intResult(hr, v1);
    case 38: return str1() ? hr : FlushAs(a);
    case 39: {
      VARIANT* buffer = nullptr;
      if (FAILED(hr = args.Expect(1)) || FAILED(hr = args.Variant(0, &buffer))) return hr;
      return OpenBuffer(buffer);
    }
    case 40: return none() ? hr : ArchiveIsMemoryResident();
    case 41:
    case 42: {
      if (none()) return hr;
      VARIANT out;
      VariantInit(&out);
      hr = id == 41 ? FlushToBuffer(&out) : CloseBuffer(&out);
      SetDispatchResultVariant(result, &out);
      return hr;
    }
    case 43: {
      int32_t origin = 0, minor = 0, major = 0, reserved = 0;
      if (FAILED(hr = args.Expect(4)) || FAILED(hr = args.Int(0, &origin)) || FAILED(hr = args.Int(1, &minor)) ||
          FAILED(hr = args.Int(2, &major)) || FAILED(hr = args.Int(3, &reserved)))
        return hr;
      return SetArchiveVersion(origin, minor, major, reserved);
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace quillon::filetools
