#pragma once
// The emulated device's file store: in memory, or a folder on disk.
#include <cstdint>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quillon::emulator {

class EmulatorFileStore {
 public:
  explicit EmulatorFileStore(std::string folder = std::string());

  // A file name the device accepts: not empty, no path separators, not "."
  // or "..", at most 64 characters.
  static bool IsValidName(const std::string& name);

  bool Put(const std::string& name, const std::vector<uint8_t>& data);
  std::optional<std::vector<uint8_t>> Get(const std::string& name) const;
  bool Remove(const std::string& name);
  long long UsedBytes() const;
  // The reply to the file-list request: "name,size,weekday,month,day,year,
  // hour,minute,second" lines ended by CR LF.
  std::string ListText() const;

 private:
  struct Entry {
    std::vector<uint8_t> data;
    std::time_t modified = 0;
  };
  std::map<std::string, Entry> Snapshot() const;

  std::string m_folder;
  mutable std::mutex m_mutex;
  std::map<std::string, Entry> m_files;
};

}  // namespace quillon::emulator
