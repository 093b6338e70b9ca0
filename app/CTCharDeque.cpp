#include "app/CTCharDeque.h"

#include <chrono>

#include "app/CMemINIValue.h"

namespace quillon {

CTCharDeque::CTCharDeque(std::size_t capacity, int64_t ageLimitSeconds, Clock clock)
    : m_capacity(capacity), m_ageLimit(ageLimitSeconds) {
  SetClock(std::move(clock));
}

void CTCharDeque::SetClock(Clock clock) {
  m_clock = std::move(clock);
  if (!m_clock) {
    m_clock = [] {
      return static_cast<int64_t>(
          std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
              .count());
    };
  }
}

void CTCharDeque::Add(char c) {
  const int64_t now = m_clock();
  for (auto it = m_chars.begin(); it != m_chars.end();) {
    it = (now - it->typedAt > m_ageLimit) ? m_chars.erase(it) : it + 1;
  }
  if (m_chars.size() < m_capacity) m_chars.push_back({c, now});
}

std::string CTCharDeque::GetText() const {
  std::string text;
  text.reserve(m_chars.size());
  for (const Held& held : m_chars) text += held.c;
  return text;
}

bool CTCharDeque::Matches(const std::string& code) const { return EqualsNoCase(GetText(), code); }

}  // namespace quillon
