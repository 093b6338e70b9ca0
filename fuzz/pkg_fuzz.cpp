// Resource package images: any bytes open (a damaged layout leaves the parts
// that could not be read empty), both from memory (every member decoded at
// once) and from a package file (members read on demand). Every member
// listed can be asked for its size and bytes, and a member that loads has
// the size the table gives.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "pkgreader/ResFile.h"

namespace {

void ReadMembers(quillon::CResFile& package) {
  (void)package.GetResName();
  (void)package.GetCompressionLevel();
  // Copy the names first: loading a member may change the entries.
  std::vector<std::pair<std::string, std::string>> names;
  for (std::size_t i = 0; i < package.GetFileCount(); ++i) {
    const quillon::CResFATEntry* entry = package.GetEntry(i);
    QUILLON_FUZZ_CHECK(entry != nullptr);
    names.emplace_back(entry->GetName(), entry->GetFolder());
  }
  for (const auto& [name, folder] : names) {
    const char* in = folder.empty() ? nullptr : folder.c_str();
    const long bytes = package.GetFileSize(name.c_str(), in);
    std::vector<std::uint8_t> out;
    if (package.GetFileBytes(name.c_str(), out, in) && bytes >= 0)
      QUILLON_FUZZ_CHECK(out.size() == static_cast<std::size_t>(bytes));
    (void)quillon::CResFile::IsSafeFileName(name);
  }
}

// A file of this process for the package read from disk.
const std::string& ScratchPath() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("quillon-pkg-fuzz-" + std::to_string(getpid()) + ".pke")).string();
  return path;
}

}  // namespace

QUILLON_FUZZ_TARGET(pkg) {
  using quillon::CResFile;
  {
    CResFile package;
    if (CResFile::IsValidFormat(data, size)) {
      QUILLON_FUZZ_CHECK(package.Open(data, size));
      ReadMembers(package);
    } else {
      package.Open(data, size);  // not a package: opening must still be safe
    }
  }
  if (!CResFile::IsValidFormat(data, size)) return 0;

  const std::string& path = ScratchPath();
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    const bool written = std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    if (written) {
      CResFile package;
      QUILLON_FUZZ_CHECK(package.Open(path));
      ReadMembers(package);
    }
  }
  std::remove(path.c_str());
  return 0;
}
