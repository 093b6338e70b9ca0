#pragma once

// A file of one fuzz process for the readers that work from disk: made once
// and rewritten for every input (creating and deleting a file per input costs
// more than the run itself), removed when the process ends.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace quillon::fuzz {

class ScratchFile {
 public:
  // STEM and SUFFIX name the file in the temporary folder, with the process id between.
  ScratchFile(const std::string& stem, const std::string& suffix)
      : path_((std::filesystem::temp_directory_path() / (stem + std::to_string(::getpid()) + suffix)).string()) {}
  ~ScratchFile() { std::remove(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& Path() const { return path_; }

  // Puts DATA into the file: written over the old contents and then cut to
  // size (no truncation to zero first, which some file systems answer with a
  // flush of the file on close).
  bool Write(const std::uint8_t* data, std::size_t size) const {
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    const bool written = done == size && ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    return ::close(fd) == 0 && written;
  }

 private:
  std::string path_;
};

}  // namespace quillon::fuzz
