#include "platform/SerialPorts.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace quillon {
namespace {

struct Found {
  int family;
  long number;
  std::string path;
};

// The family index of NAME ("ttyS3" -> 0) and its number, or false.
bool Classify(const std::string& name, int* family, long* number) {
  static const char* const kPrefixes[] = {"ttyS", "ttyUSB", "ttyACM"};
  for (int i = 0; i < 3; ++i) {
    const std::string prefix = kPrefixes[i];
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    *family = i;
    *number = std::strtol(digits.c_str(), nullptr, 10);
    return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> SerialPorts::List(const std::string& dev_dir) {
  std::vector<Found> found;
  if (DIR* dir = ::opendir(dev_dir.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      int family = 0;
      long number = 0;
      if (!Classify(name, &family, &number)) continue;
      const std::string path = dev_dir + "/" + name;
      struct stat st {};
      if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) continue;
      found.push_back({family, number, path});
    }
    ::closedir(dir);
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.family != b.family ? a.family < b.family : a.number < b.number;
  });
  std::vector<std::string> paths;
  paths.reserve(found.size());
  for (auto& f : found) paths.push_back(std::move(f.path));
  return paths;
}

int SerialPorts::Count(const std::string& dev_dir) { return static_cast<int>(List(dev_dir).size()); }

}  // namespace quillon
