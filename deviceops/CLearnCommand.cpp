#include "deviceops/CLearnCommand.h"

#include <cctype>
#include <memory>

#include "app/CProfile.h"
#include "capture/CQVXLearnLink.h"
#include "devicelink/CQVX.h"
#include "deviceops/CQVXDeviceQueue.h"
#include "deviceops/CRunningEvents.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrHeader.h"

namespace quillon {
namespace {

// Clears the learn-active flag on every way out.
struct LearnActiveGuard {
  bool& flag;
  explicit LearnActiveGuard(bool& f) : flag(f) { flag = true; }
  ~LearnActiveGuard() { flag = false; }
};

}  // namespace

int CLearnCommand::RepeatsFromText(const std::string& text) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return 4;
  int value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) break;
    if (value < 100000) value = value * 10 + (c - '0');
  }
  return value;
}

CLearnDlg::EndResult CLearnCommand::Run(CDriverDoc* doc, const std::string& repeatText,
                                        const std::function<void(CLearnDlg&)>& runModal) {
  std::unique_ptr<CQVXDeviceQueue> queue;
  std::unique_ptr<CRunningEvents> events;
  if (m_link) {
    queue = std::make_unique<CQVXDeviceQueue>(*m_link);
    events = std::make_unique<CRunningEvents>(*queue);
    if (!events->StopBeforeLearn(m_prompt)) return CLearnDlg::EndResult::Running;
  }
  if (m_handlingEvents) {
    if (events) events->RestartAfterLearn();
    return CLearnDlg::EndResult::Running;
  }
  LearnActiveGuard active(m_learnActive);

  const int repeats = RepeatsFromText(repeatText);

  const auto restart = [&] {
    if (events) events->RestartAfterLearn();
  };
  if (!doc) {
    m_prompt.MessageBox("No Open Drivers or No Drivers Selected", "Quillon", PromptButtons::Ok,
                        PromptIcon::Warning);
    restart();
    return CLearnDlg::EndResult::Running;
  }
  TQVXIr copy;
  try {
    copy.GetHeader() = doc->GetDriver().GetHeader();
    for (int position : doc->GetSelection()) {
      const TQVXIrFunction* function = doc->GetDriver().GetFunction(position);
      if (!function) continue;
      if (copy.AppendCopy(*function) < 0) throw std::runtime_error("copy");
    }
  } catch (const std::exception&) {
    m_prompt.MessageBox("Error copying selected functions", "Quillon", PromptButtons::Ok,
                        PromptIcon::Error);
    restart();
    return CLearnDlg::EndResult::Running;
  }
  if (copy.GetFunctionCount() == 0) {
    m_prompt.MessageBox("No Functions Selected for Learning", "Quillon", PromptButtons::Ok,
                        PromptIcon::Warning);
    restart();
    return CLearnDlg::EndResult::Running;
  }

  std::unique_ptr<CQVXLearnLink> learnLink;
  if (m_link) learnLink = std::make_unique<CQVXLearnLink>(*m_link);
  CLearnDlg dlg(std::move(copy), learnLink.get(), m_prompt, m_settingsPath);
  dlg.SetMinimumRepeats(repeats);
  if (m_link) m_link->SetTransferEnable(false);
  // Opening the dialog checks its hidden auto-select box whatever the
  // profile said; the profile value is what the dialog starts from.
  dlg.SetAutoSelect(CProfile::GetLearnAutoSelect() != 0);
  // The "Enhanced analysis" box as the user last left it; never chosen, the
  // capture settings decide.
  const int enhanced = CProfile::GetLearnEnhancedAnalysis();
  if (m_analysis) {
    dlg.SetAnalysis(m_analysis);
  } else if (enhanced >= 0) {
    dlg.SetEnhancedAnalysis(enhanced != 0);
  }
  dlg.Open(true);
  runModal(dlg);

  restart();
  CProfile::SetLearnAutoSelect(dlg.GetAutoSelect() ? 1 : 0);
  if (!m_analysis && dlg.GetAnalysis()) CProfile::SetLearnEnhancedAnalysis(dlg.IsEnhancedAnalysis() ? 1 : 0);
  if (m_link) m_link->SetTransferEnable(true);

  if (dlg.GetEndResult() == CLearnDlg::EndResult::Ok) {
    doc->GetDriver().UpdateFrom(dlg.GetDriver());
    doc->SetModifiedFlag(true);
  }
  return dlg.GetEndResult();
}

}  // namespace quillon
