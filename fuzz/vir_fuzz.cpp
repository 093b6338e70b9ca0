// Driver files (.vir): any byte sequence loads or ends in TQVXIrException.
// A loaded driver saves within its computed size, and what it saves loads
// again and saves to the same bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/DriverSize.h"
#include "fuzz/FuzzTarget.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"

namespace {

// The saved image of DRIVER, or false when the driver cannot be saved.
bool SaveImage(quillon::TQVXIr& driver, std::vector<std::uint8_t>& image) {
  using namespace quillon;
  const std::int64_t size = driver.ComputeSize(true, 0);
  QUILLON_FUZZ_CHECK(size >= 0);
  image.assign(static_cast<std::size_t>(size), 0);
  try {
    TQVXIrSaveBuffer buffer(image.data(), image.size());
    const std::int64_t written = driver.Save(buffer, 0);
    QUILLON_FUZZ_CHECK(written == quillon::fuzz::ExpectedWritten(driver, size));
    image.resize(static_cast<std::size_t>(written));
  } catch (const TQVXIrException&) {
    return false;
  }
  return true;
}

}  // namespace

QUILLON_FUZZ_TARGET(vir) {
  using namespace quillon;
  TQVXIr driver;
  TQVXIrLoadBuffer in(data, size);
  try {
    driver.Load(in);
  } catch (const TQVXIrException&) {
    return 0;
  }
  std::vector<std::uint8_t> first;
  if (!SaveImage(driver, first)) return 0;

  TQVXIr again;
  TQVXIrLoadBuffer reread(first.data(), first.size());
  again.Load(reread);  // what was saved must load: an exception here is a fault
  std::vector<std::uint8_t> second;
  QUILLON_FUZZ_CHECK(SaveImage(again, second));
  QUILLON_FUZZ_CHECK(first == second);
  return 0;
}
