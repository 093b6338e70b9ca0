#include "deviceops/CQVXDeviceQueue.h"

#include "devicelink/CQVX.h"

namespace quillon {

int CQVXDeviceQueue::GetRunningEventCount() { return m_link.GetRunningEventCount(); }

bool CQVXDeviceQueue::QueueCommandText(const std::string& text) {
  m_link.QueueCommand(text);
  return true;
}

}  // namespace quillon
