#include "devicelink/CQVXFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace quillon {

CQVXFile::CQVXFile(std::string name, int32_t size, int32_t weekday, int32_t month, int32_t day,
                   int32_t year, int32_t hour, int32_t minute, int32_t second) {
  Set(std::move(name), size, weekday, month, day, year, hour, minute, second);
}

bool CQVXFile::Set(std::string name, int32_t size, int32_t weekday, int32_t month, int32_t day,
                   int32_t year, int32_t hour, int32_t minute, int32_t second) {
  m_name = std::move(name);
  m_size = size;
  m_weekday = weekday;
  m_month = month;
  m_day = day;
  m_year = year;
  m_hour = hour;
  m_minute = minute;
  m_second = second;
  m_driver = -1;
  return IsValid();
}

bool CQVXFile::IsValid() const {
  const bool yearOk = (m_year >= 0 && m_year <= 99) || (m_year >= 1970 && m_year <= 2999);
  return !m_name.empty() && m_size > 0 && m_weekday >= 0 && m_weekday <= 6 && m_month >= 1 &&
         m_month <= 12 && m_day >= 1 && m_day <= 31 && yearOk && m_hour >= 0 && m_hour <= 23 &&
         m_minute >= 0 && m_minute <= 59 && m_second >= 0 && m_second <= 59;
}

std::string CQVXFile::GetDateText() const {
  char text[64];
  std::snprintf(text, sizeof text, "%d/%d/%d", m_month, m_day, m_year);
  return text;
}

int32_t CQVXFile::IsDriver() const {
  if (m_driver < 0) {
    m_driver = 0;
    const auto dot = m_name.rfind('.');
    if (dot != std::string::npos) {
      std::string ext = m_name.substr(dot);
      std::transform(ext.begin(), ext.end(), ext.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      if (ext == ".vir") m_driver = 1;
    }
  }
  return m_driver;
}

uint32_t CQVXFile::GetSortKey() const {
  static constexpr int32_t kDaysBeforeMonth[12] = {0,   31,  59,  90,  120, 151,
                                                   181, 212, 243, 273, 304, 334};
  const int32_t day = std::clamp(m_day, 1, 31);
  const int32_t month = std::clamp(m_month, 1, 12);
  const int32_t hour = std::clamp(m_hour, 0, 23);
  const int32_t minute = std::clamp(m_minute, 0, 59);
  const int32_t second = std::clamp(m_second, 0, 59);
  const int32_t leap = (m_year % 4 == 0 && month > 2) ? 1 : 0;
  const uint32_t days = static_cast<uint32_t>(kDaysBeforeMonth[month - 1] + day + leap);
  const uint32_t seconds =
      ((days * 24u + static_cast<uint32_t>(hour)) * 60u + static_cast<uint32_t>(minute)) * 60u +
      static_cast<uint32_t>(second);
  return seconds | (static_cast<uint32_t>(m_year) << 25);
}

}  // namespace quillon
