#pragma once
// The object and lock count of the VelmorFileTools server (what
// DllCanUnloadNow reports).
#include "platform/ComLiteObject.h"

namespace quillon::filetools {

com::ComModuleCounter& FileToolsModule();

}  // namespace quillon::filetools
