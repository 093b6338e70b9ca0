#include "capture/CQVXLearnLink.h"

#include "devicelink/CQVX.h"
#include "devicelink/CQVXDeviceType.h"

namespace quillon {

int CQVXLearnLink::GetConnectionState() { return m_qvx.GetState(); }

std::string CQVXLearnLink::GetCaptureStateText() { return m_qvx.GetIrStatus(); }

std::string CQVXLearnLink::GetDeviceTypeName() {
  const auto type = m_qvx.GetDeviceType();
  return type ? type->GetName() : std::string();
}

void CQVXLearnLink::TakeEvents(CQVXEventList& list) { m_qvx.TakeEvents(list); }

void CQVXLearnLink::SetRequestBits(uint32_t bits) { m_qvx.SetRequestBits(bits); }

void CQVXLearnLink::SetCaptureSignal(bool on) {
  if (on) {
    m_qvx.IrStatusPollEvent().Set();
  } else {
    m_qvx.IrStatusPollEvent().Reset();
  }
}

void CQVXLearnLink::DiscardCommandsAndClose() {
  m_qvx.DropCommandQueue();
  m_qvx.Disconnect();
}

}  // namespace quillon
