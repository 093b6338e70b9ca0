#include "filetools/FileToolsModule.h"

namespace quillon::filetools {

com::ComModuleCounter& FileToolsModule() {
  static com::ComModuleCounter counter;
  return counter;
}

}  // namespace quillon::filetools
