#pragma once
// A raw IR capture posted by the device worker (event kind 9). The buffer
// holds the bytes exactly as the learning device sent them; the subclasses
// tell which kind of learner produced them.
#include <cstdint>
#include <string>
#include <vector>

#include "devicelink/CQVXEvent.h"

namespace quillon {

class CQVXIrData : public CQVXEvent {
 public:
  static constexpr uint32_t kEventType = 9;

  explicit CQVXIrData(std::string text = std::string());
  CQVXIrData(std::string text, std::vector<uint8_t> bytes);
  ~CQVXIrData() override;

  // Replaces the buffer; the byte count follows it.
  void SetBuffer(std::vector<uint8_t> bytes);
  void SetBuffer(const uint8_t* bytes, int32_t count);
  int32_t GetSize() const { return m_size; }
  // Null when there is no buffer. Analysis may rewrite the bytes in place.
  uint8_t* GetBuffer() { return m_buffer.empty() ? nullptr : m_buffer.data(); }
  const uint8_t* GetBuffer() const { return m_buffer.empty() ? nullptr : m_buffer.data(); }
  const std::vector<uint8_t>& GetBytes() const { return m_buffer; }

 private:
  int32_t m_size = 0;
  std::vector<uint8_t> m_buffer;
};

}  // namespace quillon
