#include "app/CMemINI.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/SafeFile.h"

namespace quillon {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsTrailingJunk(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

CMemINI::CMemINI(const CMemINI& other) : m_name(other.m_name) {
  for (const auto& section : other.m_sections) m_sections.push_back(std::make_unique<CMemINISection>(*section));
}

CMemINI::CMemINI(CMemINI&& other) noexcept
    : m_name(std::move(other.m_name)), m_sections(std::move(other.m_sections)), m_last(other.m_last) {
  other.m_sections.clear();
  other.m_last = nullptr;
}

CMemINI& CMemINI::operator=(CMemINI&& other) noexcept {
  if (this != &other) {
    m_name = std::move(other.m_name);
    m_sections = std::move(other.m_sections);
    m_last = other.m_last;
    other.m_sections.clear();
    other.m_last = nullptr;
  }
  return *this;
}

CMemINI& CMemINI::operator=(const CMemINI& other) {
  if (this != &other) {
    CMemINI copy(other);
    *this = std::move(copy);
  }
  return *this;
}

CMemINISection* CMemINI::GetAt(int position) const {
  if (position < 0 || position >= GetCount()) return nullptr;
  return m_sections[static_cast<std::size_t>(position)].get();
}

CMemINISection* CMemINI::FindSection(const std::string& name) const {
  if (m_last && EqualsNoCase(m_last->GetName(), name)) return m_last;
  for (const auto& section : m_sections) {
    if (EqualsNoCase(section->GetName(), name)) {
      m_last = section.get();
      return m_last;
    }
  }
  return nullptr;
}

CMemINISection* CMemINI::GetOrAddSection(const std::string& name) {
  if (CMemINISection* existing = FindSection(name)) return existing;
  m_sections.push_back(std::make_unique<CMemINISection>(name));
  m_last = m_sections.back().get();
  return m_last;
}

CMemINIValue* CMemINI::GetValue(const std::string& section, const std::string& key) const {
  const CMemINISection* found = FindSection(section);
  return found ? found->FindValue(key) : nullptr;
}

int CMemINI::GetInt(const std::string& section, const std::string& key, int defaultValue) const {
  const CMemINIValue* value = GetValue(section, key);
  return value ? value->GetInt() : defaultValue;
}

double CMemINI::GetDouble(const std::string& section, const std::string& key, float defaultValue) const {
  const CMemINIValue* value = GetValue(section, key);
  return value ? value->GetDouble() : static_cast<double>(defaultValue);
}

std::string CMemINI::GetString(const std::string& section, const std::string& key,
                               const std::string& defaultValue) const {
  const CMemINIValue* value = GetValue(section, key);
  return value ? value->GetValue() : defaultValue;
}

CMemINIValue* CMemINI::SetString(const std::string& section, const std::string& key, const std::string& value) {
  return GetOrAddSection(section)->SetString(key, value);
}

bool CMemINI::RemoveSection(const std::string& name) {
  for (auto it = m_sections.begin(); it != m_sections.end(); ++it) {
    if (EqualsNoCase((*it)->GetName(), name)) {
      if (m_last == it->get()) m_last = nullptr;
      m_sections.erase(it);
      return true;
    }
  }
  return false;
}

void CMemINI::Clear() {
  m_sections.clear();
  m_last = nullptr;
}

int CMemINI::ParseLine(const char* line, std::size_t length, CMemINISection*& current) {
  // 1. Empty and one-character lines carry nothing.
  if (length <= 1) return 0;
  // 2. Cut trailing blanks and line ends (never the first character), skip
  //    leading blanks.
  std::size_t end = length;
  while (end > 1 && IsTrailingJunk(line[end - 1])) --end;
  std::size_t start = 0;
  while (start < end && IsBlank(line[start])) ++start;
  if (start >= kFileLineLimit) return 0;
  const char* text = line + start;
  const std::size_t size = end - start;

  // 3. Section header.
  if (size > 0 && text[0] == '[') {
    const void* close = std::memchr(text + 1, ']', size - 1);
    if (!close) return 0;
    std::size_t nameLength = static_cast<std::size_t>(static_cast<const char*>(close) - (text + 1));
    while (nameLength > 1 && text[nameLength] == ' ') --nameLength;  // text[nameLength] is the name's last char
    if (nameLength == 0) return 0;
    current = GetOrAddSection(std::string(text + 1, nameLength));
    return 0;
  }
  // 4. Comments, and pairs before the first section.
  if (size == 0 || text[0] == ';' || text[0] == '/' || current == nullptr) return 0;
  // 5. key=value
  if (text[0] == '=') return 0;
  const void* equals = std::memchr(text + 1, '=', size - 1);
  if (!equals) return 0;
  std::size_t keyLength = static_cast<std::size_t>(static_cast<const char*>(equals) - text);
  while (keyLength > 1 && text[keyLength - 1] == ' ') --keyLength;
  std::size_t valueStart = static_cast<std::size_t>(static_cast<const char*>(equals) - text) + 1;
  while (valueStart < size && IsBlank(text[valueStart])) ++valueStart;
  if (valueStart >= size) return 0;
  current->SetString(std::string(text, keyLength), std::string(text + valueStart, size - valueStart));
  return 1;
}

bool CMemINI::LoadFile(const std::string& path) {
  if (path.empty()) return false;
  // "-" is standard input (the command-line tool's convention).
  int fd = path == "-" ? ::dup(STDIN_FILENO) : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return false;
  }
  std::string raw;
  char chunk[65536];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;  // what was read so far is used, as a text-mode reader would
    }
    if (n == 0) break;
    raw.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);

  // Text mode: CR LF is read as a line break.
  std::string data;
  data.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    data.push_back(raw[i]);
  }

  Clear();
  m_name = path;
  CMemINISection* current = nullptr;
  std::size_t pos = 0;
  while (pos < data.size()) {
    std::size_t lf = data.find('\n', pos);
    std::size_t lineEnd = lf == std::string::npos ? data.size() : lf;
    std::size_t lineLength = lineEnd - pos;
    bool tooLong = lineLength > kFileLineLimit;
    std::size_t take = tooLong ? kFileLineLimit : (lf == std::string::npos ? lineLength : lineLength + 1);
    const char* line = data.data() + pos;
    const void* nul = std::memchr(line, '\0', take);
    if (nul) take = static_cast<std::size_t>(static_cast<const char*>(nul) - line);
    ParseLine(line, take, current);
    if (tooLong || lf == std::string::npos) break;
    pos = lf + 1;
  }
  return true;
}

int CMemINI::LoadBuffer(const char* bytes, std::size_t size) {
  Clear();
  m_name.clear();
  if (bytes == nullptr) return 0;
  int stored = 0;
  CMemINISection* current = nullptr;
  std::size_t pos = 0;
  while (pos < size) {
    std::size_t limit = std::min(size - pos, kBufferLineLimit);
    const void* lf = std::memchr(bytes + pos, '\n', limit);
    std::size_t take = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - (bytes + pos)) + 1 : limit;
    const char* line = bytes + pos;
    const void* nul = std::memchr(line, '\0', take);
    std::size_t textLength = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - line) : take;
    stored += ParseLine(line, textLength, current);
    pos += take;
  }
  return stored;
}

std::string CMemINI::SaveText() const {
  std::string out;
  for (const auto& section : m_sections) {
    out += '[';
    out += section->GetName();
    out += "]\r\n";
    for (int i = 0; i < section->GetCount(); ++i) {
      const CMemINIValue* value = section->GetAt(i);
      out += value->GetKey();
      out += '=';
      out += value->GetValue();
      out += "\r\n";
    }
    out += "\r\n";
  }
  out += "\r\n";
  return out;
}

bool CMemINI::SaveFile(const std::string& path, std::string* error) {
  if (path.empty()) {
    if (error) *error = "(no file name): not a file name";
    return false;
  }
  try {
    WriteFileSafely(path, SaveText());
  } catch (const SafeFileError& e) {
    if (error) *error = e.what();
    return false;
  }
  m_name = path;
  return true;
}

}  // namespace quillon
