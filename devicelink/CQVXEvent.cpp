#include "devicelink/CQVXEvent.h"

#include <utility>

namespace quillon {

CQVXEvent::CQVXEvent(uint32_t type, std::string text, uint32_t p1, uint32_t p2, uint32_t p3,
                     uint32_t p4)
    : m_type(type), m_text(std::move(text)), m_params{p1, p2, p3, p4} {}

CQVXEvent::~CQVXEvent() = default;

uint32_t CQVXEvent::GetParam(int number) const {
  if (number < 1 || number > 4) return 0;
  return m_params[static_cast<size_t>(number - 1)];
}

}  // namespace quillon
