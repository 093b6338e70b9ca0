#pragma once
// One file in a control processor's file store, as listed by the device.
#include <cstdint>
#include <string>

namespace quillon {

class CQVXFile {
 public:
  CQVXFile() = default;
  CQVXFile(std::string name, int32_t size, int32_t weekday, int32_t month, int32_t day,
           int32_t year, int32_t hour, int32_t minute, int32_t second);

  // Stores every field (even out-of-range ones) and reports whether each
  // lies in its valid range.
  bool Set(std::string name, int32_t size, int32_t weekday, int32_t month, int32_t day,
           int32_t year, int32_t hour, int32_t minute, int32_t second);
  bool IsValid() const;

  const std::string& GetName() const { return m_name; }
  int32_t GetSize() const { return m_size; }
  int32_t GetWeekday() const { return m_weekday; }
  int32_t GetMonth() const { return m_month; }
  int32_t GetDay() const { return m_day; }
  int32_t GetYear() const { return m_year; }
  int32_t GetHour() const { return m_hour; }
  int32_t GetMinute() const { return m_minute; }
  int32_t GetSecond() const { return m_second; }

  // "month/day/year".
  std::string GetDateText() const;

  // 1 when the lower-cased extension is ".vir", else 0; computed on first use.
  int32_t IsDriver() const;

  // A 32-bit key that orders entries by their time stamp.
  uint32_t GetSortKey() const;

 private:
  std::string m_name;
  int32_t m_size = 0;
  int32_t m_weekday = 0;
  int32_t m_month = 1;
  int32_t m_day = 1;
  int32_t m_year = 0;
  int32_t m_hour = 0;
  int32_t m_minute = 0;
  int32_t m_second = 0;
  mutable int32_t m_driver = -1;  // -1 = not yet known
};

}  // namespace quillon
