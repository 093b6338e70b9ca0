#pragma once
// One download request for the device worker, and its result: the remote
// file name, the local name, what to do with the file once received (kind
// 1 = open it as a new driver document, 0 = load it for test playback), the
// remote size and date key, and the received bytes.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

class CQVXDownloadable {
 public:
  static constexpr int32_t kKindPlayback = 0;
  static constexpr int32_t kKindDocument = 1;

  CQVXDownloadable() = default;
  CQVXDownloadable(const std::string& remoteName, int32_t kind, int32_t size = 0, int32_t dateKey = 0)
      : m_remoteName(remoteName), m_kind(kind), m_size(size), m_dateKey(dateKey) {}
  virtual ~CQVXDownloadable() = default;

  // Only kinds 0 and 1 are accepted by the worker's queue.
  bool IsKindValid() const { return m_kind == kKindPlayback || m_kind == kKindDocument; }

  const std::string& GetRemoteName() const { return m_remoteName; }
  void SetRemoteName(const std::string& name) { m_remoteName = name; }
  const std::string& GetLocalName() const { return m_localName; }
  void SetLocalName(const std::string& name) { m_localName = name; }
  int32_t GetKind() const { return m_kind; }
  int32_t GetSize() const { return m_size; }
  int32_t GetDateKey() const { return m_dateKey; }

  // The received bytes; empty until the worker fills them.
  void SetData(std::vector<uint8_t> data) { m_data = std::move(data); }
  const std::vector<uint8_t>& GetData() const { return m_data; }
  int32_t GetDataLength() const { return static_cast<int32_t>(m_data.size()); }

 private:
  std::string m_remoteName;
  std::string m_localName;
  int32_t m_kind = kKindDocument;
  int32_t m_size = 0;
  int32_t m_dateKey = 0;
  std::vector<uint8_t> m_data;
};

// The worker's queue of downloads, oldest first.
using CQVXDownloadList = std::deque<std::unique_ptr<CQVXDownloadable>>;

}  // namespace quillon
