#pragma once
// The program's wrapper of the package-reader control: created by class
// identifier through the component layer, as the program hosts it, and
// called only through its dispatch interface for the size of a file inside a
// package (dispatch id 9) and the file's bytes (dispatch id 10).
//
// Every string is UTF-8: folder and package file names as the file system
// spells them, member names converted from the packages' code page. Calls
// are serialised, so one reader may serve the window thread and a loading
// thread; the control itself holds no package open between calls.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ComLitePtr.h"
#include "platform/ComLiteTypes.h"
#include "platform/ComLiteUnknown.h"

namespace quillon {

class CVelmorPackageReader {
 public:
  // Creates the control. A reader whose control could not be created
  // answers every call with failure; IsCreated() and CreateError() say why.
  CVelmorPackageReader();
  ~CVelmorPackageReader();
  CVelmorPackageReader(const CVelmorPackageReader&) = delete;
  CVelmorPackageReader& operator=(const CVelmorPackageReader&) = delete;

  bool IsCreated() const { return static_cast<bool>(m_control); }
  com::HRESULT CreateResult() const { return m_createResult; }
  // One line naming the control's class identifier and the result, for a
  // message when IsCreated() is false.
  std::string CreateError() const;

  // The size of FILENAME in package PACKAGENAME of the big package
  // BIGPACKAGE in FOLDER; 0 on any failure or when an argument is empty.
  long PkgFileSize(const std::string& bigPackage, const std::string& packageName, const std::string& fileName,
                   const std::string& folder);

  // Copies at most BUFFERSIZE bytes of the file into BUFFER; true when the
  // control delivered the file. The control's byte array is destroyed
  // afterwards.
  bool PkgFileRead(const std::string& bigPackage, const std::string& packageName, const std::string& fileName,
                   const std::string& folder, void* buffer, std::size_t bufferSize);

  // Size, then bytes: the whole file, or false (BYTES emptied) when the size
  // is 0 or above MAXSIZE or the read fails.
  bool ReadWholeFile(const std::string& bigPackage, const std::string& packageName, const std::string& fileName,
                     const std::string& folder, std::vector<std::uint8_t>& bytes,
                     std::size_t maxSize = std::size_t(1) << 30);

 private:
  long Invoke(com::DISPID id, const std::string* args, std::size_t count, com::VARIANT* out);

  std::mutex m_lock;
  com::ComPtr<com::IDispatch> m_control;
  com::HRESULT m_createResult = 0;
};

}  // namespace quillon
