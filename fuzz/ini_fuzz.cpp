// INI texts: any bytes load into the store. The text the store saves loads
// into a store that saves the same text again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/CMemINI.h"
#include "fuzz/FuzzTarget.h"

QUILLON_FUZZ_TARGET(ini) {
  using namespace quillon;
  CMemINI ini;
  const int pairs = ini.LoadBuffer(reinterpret_cast<const char*>(data), size);
  QUILLON_FUZZ_CHECK(pairs >= 0);

  // Lookups over whatever was read.
  for (int i = 0; i < ini.GetCount(); ++i) {
    const CMemINISection* section = ini.GetAt(i);
    QUILLON_FUZZ_CHECK(section != nullptr);
  }
  (void)ini.GetInt("HEADER", "count", 0);
  (void)ini.GetDouble("HEADER", "value", 0.0f);
  (void)ini.GetString("function_0", "name", "");

  const std::string text = ini.SaveText();
  CMemINI again;
  again.LoadBuffer(text);
  QUILLON_FUZZ_CHECK(again.SaveText() == text);
  return 0;
}
