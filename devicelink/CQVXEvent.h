#pragma once
// One report from the device worker to the user interface.
#include <array>
#include <cstdint>
#include <string>
#include <utility>

namespace quillon {

class CQVXEvent {
 public:
  CQVXEvent(uint32_t type, std::string text = std::string(), uint32_t p1 = 0, uint32_t p2 = 0,
            uint32_t p3 = 0, uint32_t p4 = 0);
  virtual ~CQVXEvent();

  CQVXEvent(const CQVXEvent&) = delete;
  CQVXEvent& operator=(const CQVXEvent&) = delete;

  uint32_t GetType() const { return m_type; }
  const std::string& GetText() const { return m_text; }
  // Parameter 1..4; any other number yields 0.
  uint32_t GetParam(int number) const;
  uint32_t GetP1() const { return m_params[0]; }
  uint32_t GetP2() const { return m_params[1]; }
  uint32_t GetP3() const { return m_params[2]; }
  uint32_t GetP4() const { return m_params[3]; }

 protected:
  // Lets an event class choose its description while it is being built.
  void SetText(std::string text) { m_text = std::move(text); }

 private:
  uint32_t m_type;
  std::string m_text;
  std::array<uint32_t, 4> m_params;
};

}  // namespace quillon
