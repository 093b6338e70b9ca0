#pragma once
// Whole-file reading and replace-by-rename writing of driver files.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillon {

class CDriverFile {
 public:
  // A file-system failure (the document's "file exception").
  struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
  };

  // The largest file read as a driver; the format cannot describe more.
  static constexpr std::uintmax_t kMaxReadSize = 16u * 1024u * 1024u;

  // Reads the whole regular file at PATH. Throws Error ("PATH: reason") when
  // it cannot be opened or read, is not a regular file or is larger than
  // kMaxReadSize.
  static std::vector<std::uint8_t> ReadAll(const std::string& path);

  // Writes BYTES through the shared safe writer (platform/SafeFile.h): a
  // temporary file beside the file replaced, renamed over it; a symbolic
  // link keeps pointing at the new contents. On any failure PATH is left as
  // it was and Error is thrown with "PATH: reason".
  static void WriteReplacing(const std::string& path, const std::uint8_t* bytes, std::size_t size);
};

}  // namespace quillon
