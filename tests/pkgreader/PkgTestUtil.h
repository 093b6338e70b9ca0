#pragma once
// Temporary folders and file helpers shared by the package tests.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace quillon::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-pkg-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

inline std::vector<uint8_t> Noise(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> out(size);
  for (auto& b : out) b = static_cast<uint8_t>(rng());
  return out;
}

inline std::vector<uint8_t> Text(size_t size) {
  std::vector<uint8_t> out;
  const std::string line = "[model_0]\r\nTypeId=4\r\nBrandId=17\r\nModelName=DVD-100\r\n";
  while (out.size() < size) out.insert(out.end(), line.begin(), line.end());
  out.resize(size);
  return out;
}

inline uint32_t LE32(const std::vector<uint8_t>& v, size_t at) {
  return uint32_t{v[at]} | (uint32_t{v[at + 1]} << 8) | (uint32_t{v[at + 2]} << 16) | (uint32_t{v[at + 3]} << 24);
}

}  // namespace quillon::testing
