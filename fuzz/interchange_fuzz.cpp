// Driver INI interchange: any INI text imports into a driver (recording
// messages for what it had to substitute) or is refused as invalid. An
// imported driver saves as a driver file that opens again, and exports
// again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/CMemINI.h"
#include "fuzz/FuzzTarget.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrIni.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"

QUILLON_FUZZ_TARGET(interchange) {
  using namespace quillon;
  CMemINI ini;
  ini.LoadBuffer(reinterpret_cast<const char*>(data), size);
  TQVXIr driver;
  std::vector<std::string> messages;
  const auto result = TQVXIrIni::Import(ini, driver, messages, nullptr);
  if (result != TQVXIrIni::ImportResult::kImported) return 0;
  QUILLON_FUZZ_CHECK(driver.GetFunctionCount() <= TQVXIrIni::kMaxFunctions);

  const std::int64_t bytes = driver.ComputeSize(true, 0);
  QUILLON_FUZZ_CHECK(bytes >= 0);
  std::vector<std::uint8_t> image(static_cast<std::size_t>(bytes));
  try {
    TQVXIrSaveBuffer out(image.data(), image.size());
    // Header entries without data (an import leaves empty texts as such)
    // are counted by the size but not written.
    const std::int64_t written = driver.Save(out, 0);
    QUILLON_FUZZ_CHECK(written > 0 && written <= bytes);
    // A driver that was written opens again.
    TQVXIr back;
    TQVXIrLoadBuffer in(image.data(), static_cast<std::size_t>(written));
    bool opens = true;
    try {
      back.Load(in);
    } catch (const TQVXIrException&) {
      opens = false;
    }
    QUILLON_FUZZ_CHECK(opens);
  } catch (const TQVXIrException&) {
    // A driver beyond the file format's limits is refused, not written.
  }
  (void)TQVXIrIni::ExportText(driver);
  return 0;
}
