#include "tools/emulator/EmulatorFileStore.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/SafeFile.h"

namespace quillon::emulator {

namespace fs = std::filesystem;

EmulatorFileStore::EmulatorFileStore(std::string folder) : m_folder(std::move(folder)) {}

bool EmulatorFileStore::IsValidName(const std::string& name) {
  if (name.empty() || name.size() > 64 || name == "." || name == "..") return false;
  for (char c : name) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

bool EmulatorFileStore::Put(const std::string& name, const std::vector<uint8_t>& data) {
  if (!IsValidName(name)) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_folder.empty()) {
    m_files[name] = Entry{data, std::time(nullptr)};
    return true;
  }
  try {
    quillon::WriteFileSafely((fs::path(m_folder) / name).string(), data);
  } catch (const quillon::SafeFileError&) {
    return false;
  }
  return true;
}

std::optional<std::vector<uint8_t>> EmulatorFileStore::Get(const std::string& name) const {
  if (!IsValidName(name)) return std::nullopt;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_folder.empty()) {
    const auto it = m_files.find(name);
    if (it == m_files.end()) return std::nullopt;
    return it->second.data;
  }
  std::ifstream in(fs::path(m_folder) / name, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool EmulatorFileStore::Remove(const std::string& name) {
  if (!IsValidName(name)) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_folder.empty()) return m_files.erase(name) > 0;
  std::error_code ec;
  return fs::remove(fs::path(m_folder) / name, ec);
}

std::map<std::string, EmulatorFileStore::Entry> EmulatorFileStore::Snapshot() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_folder.empty()) return m_files;
  std::map<std::string, Entry> files;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(m_folder, ec)) {
    if (!item.is_regular_file(ec)) continue;
    Entry entry;
    entry.data.resize(static_cast<std::size_t>(item.file_size(ec)));
    const auto stamp = item.last_write_time(ec);
    const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
        stamp - fs::file_time_type::clock::now() + std::chrono::system_clock::now());
    entry.modified = std::chrono::system_clock::to_time_t(system);
    files[item.path().filename().string()] = std::move(entry);
  }
  return files;
}

long long EmulatorFileStore::UsedBytes() const {
  long long used = 0;
  for (const auto& [name, entry] : Snapshot()) used += static_cast<long long>(entry.data.size());
  return used;
}

std::string EmulatorFileStore::ListText() const {
  std::string text;
  for (const auto& [name, entry] : Snapshot()) {
    std::tm t{};
    gmtime_r(&entry.modified, &t);
    char line[256];
    std::snprintf(line, sizeof line, "%s,%zu,%d,%d,%d,%d,%d,%d,%d\r\n", name.c_str(), entry.data.size(), t.tm_wday,
                  t.tm_mon + 1, t.tm_mday, t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    text += line;
  }
  return text;
}

}  // namespace quillon::emulator
