#pragma once
// The learn dialog's view of the real device link.
#include "capture/ILearnLink.h"

namespace quillon {

class CQVX;

class CQVXLearnLink : public ILearnLink {
 public:
  explicit CQVXLearnLink(CQVX& qvx) : m_qvx(qvx) {}
  int GetConnectionState() override;
  std::string GetCaptureStateText() override;
  std::string GetDeviceTypeName() override;
  void TakeEvents(CQVXEventList& list) override;
  void SetRequestBits(uint32_t bits) override;
  void SetCaptureSignal(bool on) override;
  void DiscardCommandsAndClose() override;

 private:
  CQVX& m_qvx;
};

}  // namespace quillon
