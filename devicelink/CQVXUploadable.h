#pragma once
// One upload request for the device worker: the target file name on the
// device and an owned copy of the bytes to send.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace quillon {

class CQVXUploadable {
 public:
  CQVXUploadable() = default;
  // Copies count bytes of data; a null pointer or a count below 1 leaves
  // the item without data.
  CQVXUploadable(const uint8_t* data, int32_t count, const std::string& name);
  virtual ~CQVXUploadable() = default;

  const std::string& GetName() const { return m_name; }
  void SetName(const std::string& name) { m_name = name; }
  void SetData(const uint8_t* data, int32_t count);
  const uint8_t* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
  int32_t GetSize() const { return m_size; }

 private:
  std::string m_name;
  std::vector<uint8_t> m_data;
  int32_t m_size = 0;
};

// The worker's queue of uploads, oldest first.
using CQVXUploadList = std::deque<std::unique_ptr<CQVXUploadable>>;

}  // namespace quillon
