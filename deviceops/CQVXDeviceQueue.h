#pragma once
// The device operations' view of the real device link.
#include "deviceops/IDeviceQueue.h"

namespace quillon {

class CQVX;

class CQVXDeviceQueue : public IDeviceQueue {
 public:
  explicit CQVXDeviceQueue(CQVX& link) : m_link(link) {}
  int GetRunningEventCount() override;
  bool QueueCommandText(const std::string& text) override;

 private:
  CQVX& m_link;
};

}  // namespace quillon
