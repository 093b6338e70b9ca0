#pragma once
// The keystroke buffer of the About box: the characters typed recently, each
// with the time it was typed. Characters older than the age limit are dropped
// when the next one is added; at most CAPACITY are held.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

namespace quillon {

class CTCharDeque {
 public:
  // Seconds on any monotonic scale; tests inject their own.
  using Clock = std::function<int64_t()>;

  static constexpr std::size_t kDefaultCapacity = 32;
  static constexpr int64_t kDefaultAgeLimit = 5;

  explicit CTCharDeque(std::size_t capacity = kDefaultCapacity, int64_t ageLimitSeconds = kDefaultAgeLimit,
                       Clock clock = Clock());

  // Removes every character typed more than the age limit ago, then adds C
  // when fewer than the capacity are held.
  void Add(char c);
  std::size_t GetCount() const { return m_chars.size(); }
  // The held characters in typing order (expired ones included until the
  // next Add).
  std::string GetText() const;
  // Whether the held text equals CODE without regard to case.
  bool Matches(const std::string& code) const;
  void Clear() { m_chars.clear(); }
  // Replaces the clock (null: the steady clock again); the program-wide
  // buffer is created before a test can hand its clock to the constructor.
  void SetClock(Clock clock);

 private:
  struct Held {
    char c;
    int64_t typedAt;
  };
  std::size_t m_capacity;
  int64_t m_ageLimit;
  Clock m_clock;
  std::deque<Held> m_chars;
};

}  // namespace quillon
