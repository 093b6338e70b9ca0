// Driver INI interchange: any INI text imports into a driver (recording
// messages for what it had to substitute) or is refused as invalid. An
// imported driver holds at most 126 functions, saves into exactly the bytes
// its computed size announces, or is refused as beyond the file format; a
// driver that was saved opens again with the same functions; and a short
// one exports.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/CMemINI.h"
#include "fuzz/DriverSize.h"
#include "fuzz/FuzzTarget.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrIni.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"

namespace {

using namespace quillon;

// The saved image of DRIVER, or false when the file format refuses it.
bool SaveImage(TQVXIr& driver, std::vector<std::uint8_t>& image) {
  const std::int64_t bytes = driver.ComputeSize(true, 0);
  QUILLON_FUZZ_CHECK(bytes >= 0);
  image.assign(static_cast<std::size_t>(bytes), 0);
  try {
    TQVXIrSaveBuffer out(image.data(), image.size());
    const std::int64_t written = driver.Save(out, 0);
    QUILLON_FUZZ_CHECK(written == fuzz::ExpectedWritten(driver, bytes));
    image.resize(static_cast<std::size_t>(written));
  } catch (const TQVXIrException&) {
    // A driver beyond the file format's limits is refused, not written.
    return false;
  }
  return true;
}

// Drivers up to this many functions are exported as well.
constexpr int kExported = 8;

}  // namespace

QUILLON_FUZZ_TARGET(interchange) {
  CMemINI ini;
  ini.LoadBuffer(reinterpret_cast<const char*>(data), size);
  TQVXIr driver;
  std::vector<std::string> messages;
  const auto result = TQVXIrIni::Import(ini, driver, messages, nullptr);
  if (result != TQVXIrIni::ImportResult::kImported) return 0;
  QUILLON_FUZZ_CHECK(driver.GetFunctionCount() <= TQVXIrIni::kMaxFunctions);

  std::vector<std::uint8_t> image;
  if (SaveImage(driver, image)) {
    TQVXIr reopened;
    TQVXIrLoadBuffer in(image.data(), image.size());
    bool opened = true;
    try {
      reopened.Load(in);
    } catch (const TQVXIrException&) {
      opened = false;
    }
    // The import leaves out what a driver file cannot hold, so a driver
    // that was written always opens again.
    QUILLON_FUZZ_CHECK(opened);
    // The same functions, names and sub-functions (that what was saved saves
    // to the same bytes is the driver-file target's check).
    QUILLON_FUZZ_CHECK(reopened.GetFunctionCount() == driver.GetFunctionCount());
    for (int i = 0; i < driver.GetFunctionCount(); ++i) {
      const TQVXIrFunction* before = driver.GetFunction(i);
      const TQVXIrFunction* after = reopened.GetFunction(i);
      QUILLON_FUZZ_CHECK(before != nullptr && after != nullptr);
      QUILLON_FUZZ_CHECK(before->IsEmpty() == after->IsEmpty());
      // An empty function (also one named "*Empty*" that holds data) is a
      // placeholder without a record.
      if (before->IsEmpty()) continue;
      QUILLON_FUZZ_CHECK(std::string(before->GetName()) == after->GetName());
      QUILLON_FUZZ_CHECK(before->GetSubFunctionCount() == after->GetSubFunctionCount());
    }
  }
  // Export writes what the import reads; a short driver is enough to meet
  // every value the import lets through (a long one only repeats them).
  if (driver.GetFunctionCount() <= kExported) (void)TQVXIrIni::ExportText(driver);
  return 0;
}
