#pragma once
// The object and lock count of the VelmorPackageReader library (what
// DllCanUnloadNow reports).
#include "platform/ComLiteObject.h"

namespace quillon::pkgreader {

com::ComModuleCounter& PackageReaderModule();

}  // namespace quillon::pkgreader
