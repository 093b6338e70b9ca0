#include "pkgreader/VelmorPackageReaderModule.h"

namespace quillon::pkgreader {

com::ComModuleCounter& PackageReaderModule() {
  static com::ComModuleCounter counter;
  return counter;
}

}  // namespace quillon::pkgreader
