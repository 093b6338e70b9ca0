// Resource package images: any bytes open (a damaged layout leaves the parts
// that could not be read empty). Every member listed can be asked for its
// size and bytes, and a member that loads has the size the table gives.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "pkgreader/ResFile.h"

QUILLON_FUZZ_TARGET(pkg) {
  using quillon::CResFile;
  CResFile package;
  if (!CResFile::IsValidFormat(data, size)) {
    // Not a package: opening must still be safe.
    package.Open(data, size);
    return 0;
  }
  QUILLON_FUZZ_CHECK(package.Open(data, size));
  (void)package.GetResName();
  (void)package.GetCompressionLevel();
  for (std::size_t i = 0; i < package.GetFileCount(); ++i) {
    const quillon::CResFATEntry* entry = package.GetEntry(i);
    QUILLON_FUZZ_CHECK(entry != nullptr);
  }
  // Names are looked up by the text the table holds; copy them first since
  // loading may change the entries.
  std::vector<std::pair<std::string, std::string>> names;
  for (std::size_t i = 0; i < package.GetFileCount(); ++i) {
    const quillon::CResFATEntry* entry = package.GetEntry(i);
    names.emplace_back(entry->GetName(), entry->GetFolder());
  }
  for (const auto& [name, folder] : names) {
    const char* in = folder.empty() ? nullptr : folder.c_str();
    const long bytes = package.GetFileSize(name.c_str(), in);
    std::vector<std::uint8_t> out;
    if (package.GetFileBytes(name.c_str(), out, in) && bytes >= 0)
      QUILLON_FUZZ_CHECK(out.size() == static_cast<std::size_t>(bytes));
    (void)CResFile::IsSafeFileName(name);
  }
  return 0;
}
