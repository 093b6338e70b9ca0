#pragma once
// One key/value pair of an INI section.
#include <string>

namespace quillon {

class CMemINIValue {
 public:
  CMemINIValue() = default;
  CMemINIValue(std::string key, std::string value) : m_key(std::move(key)), m_value(std::move(value)) {}
  virtual ~CMemINIValue() = default;

  const std::string& GetKey() const { return m_key; }
  const std::string& GetValue() const { return m_value; }
  void SetKey(const std::string& key) { m_key = key; }
  void SetValue(const std::string& value) { m_value = value; }

  // The value read the way atoi reads it (leading blanks, sign, digits; the
  // rest ignored); 0 when empty or not a number. Out-of-range numbers
  // saturate instead of overflowing.
  int GetInt() const;
  // The value read the way atof reads it; 0.0 when empty or not a number.
  double GetDouble() const;

 private:
  std::string m_key;
  std::string m_value;
};

// Comparison of names without regard to (ASCII) letter case, as every lookup
// of sections, keys, functions and device types does.
bool EqualsNoCase(const std::string& a, const std::string& b);
// atoi with saturation: never undefined for long digit runs.
int AtoiText(const std::string& text);
// atof without locale surprises for the "C" forms the files use.
double AtofText(const std::string& text);

}  // namespace quillon
