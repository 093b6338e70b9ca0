#include "devicelink/CQVXUploadable.h"

namespace quillon {

CQVXUploadable::CQVXUploadable(const uint8_t* data, int32_t count, const std::string& name) : m_name(name) {
  SetData(data, count);
}

void CQVXUploadable::SetData(const uint8_t* data, int32_t count) {
  if (data == nullptr || count < 1) {
    m_data.clear();
    m_size = 0;
    return;
  }
  m_data.assign(data, data + count);
  m_size = count;
}

}  // namespace quillon
