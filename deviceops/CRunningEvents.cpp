#include "deviceops/CRunningEvents.h"

#include <cstdio>

namespace quillon {

std::string CRunningEvents::StopCommand() { return "\x1b" "0AE\r"; }
std::string CRunningEvents::StartCommand() { return "\x1b" "1AE\r"; }

bool CRunningEvents::StopBeforeLearn(IPrompt& prompt) {
  m_stopped = false;
  const int count = m_device.GetRunningEventCount();
  if (count <= 0) return true;
  char first[96];
  std::snprintf(first, sizeof first, "There are %d events running on the QVX device.\n", count);
  const std::string text = std::string(first) +
                           "Quillon needs to stop these events before continuing. \n\n" +
                           "Proceed?";
  if (prompt.MessageBox(text, "Quillon", PromptButtons::YesNo, PromptIcon::Question) !=
      PromptAnswer::Yes) {
    return false;
  }
  m_device.QueueCommandText(StopCommand());
  m_stopped = true;
  return true;
}

void CRunningEvents::RestartAfterLearn() {
  if (!m_stopped) return;
  m_device.QueueCommandText(StartCommand());
  m_stopped = false;
}

}  // namespace quillon
