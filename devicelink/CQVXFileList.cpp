#include "devicelink/CQVXFileList.h"

#include <charconv>
#include <strings.h>

namespace quillon {
namespace {

bool ParseInt(std::string_view field, int32_t& value) {
  while (!field.empty() && (field.front() == ' ' || field.front() == '\t')) field.remove_prefix(1);
  while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.remove_suffix(1);
  if (field.empty()) return false;
  const auto* end = field.data() + field.size();
  auto [ptr, ec] = std::from_chars(field.data(), end, value);
  return ec == std::errc() && ptr == end;
}

}  // namespace

const CQVXFile* CQVXFileList::GetAt(size_t index) const {
  return index < m_files.size() ? m_files[index].get() : nullptr;
}

void CQVXFileList::Add(std::unique_ptr<CQVXFile> file) {
  if (file) m_files.push_back(std::move(file));
}

int CQVXFileList::Find(const std::string& name, bool caseSensitive) const {
  if (name.empty()) return -1;
  for (size_t i = 0; i < m_files.size(); ++i) {
    const std::string& candidate = m_files[i]->GetName();
    if (candidate.empty()) continue;
    const bool same = caseSensitive ? candidate == name
                                    : strcasecmp(candidate.c_str(), name.c_str()) == 0;
    if (same) return static_cast<int>(i);
  }
  return -1;
}

int CQVXFileList::NextFreeNumber() const {
  for (int n = 0; n <= 99; ++n) {
    if (Find(std::to_string(n) + ".vir", false) < 0) return n;
  }
  return -1;
}

size_t CQVXFileList::Parse(std::string_view text) {
  m_files.clear();
  while (!text.empty()) {
    const auto eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    std::vector<std::string_view> fields;
    size_t start = 0;
    while (true) {
      const auto comma = line.find(',', start);
      fields.push_back(line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
    if (fields.size() != 9 || fields[0].empty()) continue;
    int32_t values[8];
    bool ok = true;
    for (int i = 0; i < 8 && ok; ++i) ok = ParseInt(fields[static_cast<size_t>(i) + 1], values[i]);
    if (!ok) continue;
    m_files.push_back(std::make_unique<CQVXFile>(std::string(fields[0]), values[0], values[1],
                                                 values[2], values[3], values[4], values[5],
                                                 values[6], values[7]));
  }
  return m_files.size();
}

}  // namespace quillon
