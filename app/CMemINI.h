#pragma once
// The in-memory INI store: the only reader and writer of INI texts in the
// program. An ordered list of sections, each an ordered list of pairs; every
// lookup ignores letter case.
#include <cstddef>
#include <deque>
#include <memory>
#include <string>

#include "app/CMemINISection.h"

namespace quillon {

class CMemINI {
 public:
  // The longest line LoadFile reads, and the longest piece LoadBuffer takes
  // into one line.
  static constexpr std::size_t kFileLineLimit = 4095;
  static constexpr std::size_t kBufferLineLimit = 4096;

  CMemINI() = default;
  virtual ~CMemINI() = default;
  CMemINI(const CMemINI& other);
  CMemINI& operator=(const CMemINI& other);
  CMemINI(CMemINI&& other) noexcept;
  CMemINI& operator=(CMemINI&& other) noexcept;

  // The path of the file last loaded or saved; empty for a store filled from memory.
  const std::string& GetName() const { return m_name; }

  int GetCount() const { return static_cast<int>(m_sections.size()); }
  // The section at POSITION, or null when out of range.
  CMemINISection* GetAt(int position) const;

  CMemINISection* FindSection(const std::string& name) const;
  CMemINISection* GetOrAddSection(const std::string& name);
  CMemINIValue* GetValue(const std::string& section, const std::string& key) const;
  int GetInt(const std::string& section, const std::string& key, int defaultValue) const;
  double GetDouble(const std::string& section, const std::string& key, float defaultValue) const;
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue) const;
  // Sets KEY in SECTION, adding either when absent.
  CMemINIValue* SetString(const std::string& section, const std::string& key, const std::string& value);
  // Removes the section NAME with its pairs; true when it existed.
  bool RemoveSection(const std::string& name);

  // Replaces the store by the contents of the file at PATH ("-": standard
  // input). False (store unchanged) for an empty path or a file that cannot
  // be opened for reading.
  bool LoadFile(const std::string& path);
  // Replaces the store by the INI text in BYTES; returns the number of
  // key/value lines stored.
  int LoadBuffer(const char* bytes, std::size_t size);
  int LoadBuffer(const std::string& bytes) { return LoadBuffer(bytes.data(), bytes.size()); }
  // Writes the whole store to PATH (CR LF lines) through the shared safe
  // writer (platform/SafeFile.h), so a failed save leaves any previous file
  // intact and a symbolic link keeps pointing at the new file. False for an
  // empty path or when the file cannot be written; ERROR, when given, then
  // receives "PATH: reason".
  bool SaveFile(const std::string& path, std::string* error = nullptr);
  // The bytes SaveFile writes.
  std::string SaveText() const;

  void Clear();

 private:
  // Parses one line (NUL-free text of LENGTH bytes) against the current
  // section; 1 when a pair was stored.
  int ParseLine(const char* line, std::size_t length, CMemINISection*& current);

  std::string m_name;
  std::deque<std::unique_ptr<CMemINISection>> m_sections;
  mutable CMemINISection* m_last = nullptr;  // the section last found or added
};

}  // namespace quillon
