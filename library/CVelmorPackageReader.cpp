#include "library/CVelmorPackageReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/ComRegistration.h"
#include "pkgreader/VelmorPackageReaderIds.h"
#include "platform/ComLiteBstr.h"
#include "platform/ComLiteVariant.h"

namespace quillon {

using namespace com;

CVelmorPackageReader::CVelmorPackageReader() {
  ComRegistration::CoInitialize();
  m_createResult = ComRegistration::CoCreateInstance(pkgreader::CLSID_VelmorPackageReaderCtrl, nullptr,
                                                     CLSCTX_INPROC_SERVER, IID_IDispatch, m_control.OutVoid());
  if (FAILED(m_createResult)) m_control.Reset();
}

CVelmorPackageReader::~CVelmorPackageReader() {
  m_control.Reset();
  ComRegistration::CoUninitialize();
}

std::string CVelmorPackageReader::CreateError() const {
  char result[16];
  std::snprintf(result, sizeof result, "0x%08X", static_cast<unsigned>(m_createResult));
  return "cannot create the package reader " + GuidToString(pkgreader::CLSID_VelmorPackageReaderCtrl) +
         " (result " + result + ")";
}

long CVelmorPackageReader::Invoke(DISPID id, const std::string* args, std::size_t count, VARIANT* out) {
  std::vector<ComBstr> strings;
  strings.reserve(count);
  for (std::size_t i = 0; i < count; ++i) strings.emplace_back(args[i]);
  // Dispatch arguments travel last-first.
  std::vector<VARIANT> v(count + (out ? 1 : 0));
  std::size_t at = v.size();
  for (std::size_t i = 0; i < count; ++i) {
    VARIANT& x = v[--at];
    VariantInit(&x);
    x.vt = VT_BSTR;
    x.bstrVal = strings[i].Get();
  }
  if (out) {
    VariantInit(&v[0]);
    v[0].vt = VT_BYREF | VT_VARIANT;
    v[0].pvarVal = out;
  }
  DISPPARAMS params{v.data(), nullptr, static_cast<uint32_t>(v.size()), 0};
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = m_control->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
  const long value = SUCCEEDED(hr) && result.vt == VT_I4 ? result.lVal : 0;
  VariantClear(&result);
  return value;
}

long CVelmorPackageReader::PkgFileSize(const std::string& bigPackage, const std::string& packageName,
                                       const std::string& fileName, const std::string& folder) {
  if (bigPackage.empty() || packageName.empty() || fileName.empty() || folder.empty()) return 0;
  std::lock_guard<std::mutex> lock(m_lock);
  if (!m_control) return 0;
  const std::string args[] = {bigPackage, packageName, fileName, folder};
  const long size = Invoke(pkgreader::DISPID_GetSizeOfFileInsidePkeFile, args, 4, nullptr);
  return size > 0 ? size : 0;
}

bool CVelmorPackageReader::PkgFileRead(const std::string& bigPackage, const std::string& packageName,
                                       const std::string& fileName, const std::string& folder, void* buffer,
                                       std::size_t bufferSize) {
  if (bigPackage.empty() || packageName.empty() || fileName.empty() || folder.empty() || !buffer) return false;
  std::lock_guard<std::mutex> lock(m_lock);
  if (!m_control) return false;
  const std::string args[] = {bigPackage, packageName, fileName, folder};
  VARIANT bytes;
  VariantInit(&bytes);
  const long rc = Invoke(pkgreader::DISPID_GetFileFromPke, args, 4, &bytes);
  bool ok = false;
  if (rc == 1 && VariantIsByteArray(&bytes)) {
    void* data = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(bytes.parray, &data))) {
      const std::size_t length = std::min<std::size_t>(bytes.parray->rgsabound[0].cElements, bufferSize);
      if (length > 0) std::memcpy(buffer, data, length);
      SafeArrayUnaccessData(bytes.parray);
      ok = true;
    }
  }
  VariantClear(&bytes);
  return ok;
}

bool CVelmorPackageReader::ReadWholeFile(const std::string& bigPackage, const std::string& packageName,
                                         const std::string& fileName, const std::string& folder,
                                         std::vector<std::uint8_t>& bytes, std::size_t maxSize) {
  bytes.clear();
  const long size = PkgFileSize(bigPackage, packageName, fileName, folder);
  if (size <= 0 || static_cast<unsigned long>(size) > maxSize) return false;
  bytes.assign(static_cast<std::size_t>(size), 0);
  if (!PkgFileRead(bigPackage, packageName, fileName, folder, bytes.data(), bytes.size())) {
    bytes.clear();
    return false;
  }
  return true;
}

}  // namespace quillon
