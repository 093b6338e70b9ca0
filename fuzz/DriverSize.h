#pragma once
// What a driver's computed size and its saved image must agree on, shared by
// the driver-file and INI-import targets.
#include <cstdint>

#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrHeader.h"

namespace quillon::fuzz {

// The bytes Save writes for DRIVER when ComputeSize gives COMPUTED. Header
// entries without data are counted by the size (two bytes each) but not
// written (kept open: tests/data/fuzz-open/interchange/); any other
// difference is a fault.
inline std::int64_t ExpectedWritten(const TQVXIr& driver, std::int64_t computed) {
  const TQVXIrHeader& header = driver.GetHeader();
  for (int e = 0; e < header.GetEntryCount(); ++e)
    if (header.GetEntry(e) != nullptr && header.GetEntry(e)->GetDataLength() == 0) computed -= 2;
  return computed;
}

}  // namespace quillon::fuzz
