#include "devicelink/CQVXIrData.h"

#include <utility>

namespace quillon {

CQVXIrData::CQVXIrData(std::string text) : CQVXEvent(kEventType, std::move(text)) {}

CQVXIrData::CQVXIrData(std::string text, std::vector<uint8_t> bytes)
    : CQVXEvent(kEventType, std::move(text)) {
  SetBuffer(std::move(bytes));
}

CQVXIrData::~CQVXIrData() = default;

void CQVXIrData::SetBuffer(std::vector<uint8_t> bytes) {
  m_buffer = std::move(bytes);
  m_size = static_cast<int32_t>(m_buffer.size());
}

void CQVXIrData::SetBuffer(const uint8_t* bytes, int32_t count) {
  if (!bytes || count <= 0) {
    m_buffer.clear();
    m_size = 0;
    return;
  }
  m_buffer.assign(bytes, bytes + count);
  m_size = count;
}

}  // namespace quillon
