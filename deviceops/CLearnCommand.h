#pragma once
// "Learn Selected Functions...": stops running events after asking, copies
// the selected functions of the active driver into a learn dialog, runs it,
// restarts the events, and on OK writes the learned functions back.
#include <functional>
#include <optional>
#include <string>

#include "app/IPrompt.h"
#include "capture/CLearnDlg.h"
#include "capture/TIrCaptureSettings.h"

namespace quillon {

class CDriverDoc;
class CQVX;

class CLearnCommand {
 public:
  // SETTINGSPATH: the settings file with the capture-settings overrides.
  CLearnCommand(CQVX* link, IPrompt& prompt, std::string settingsPath)
      : m_link(link), m_prompt(prompt), m_settingsPath(std::move(settingsPath)) {}

  // Set while the main window takes and handles the worker's events; the
  // command refuses to run then.
  void SetHandlingEvents(bool on) { m_handlingEvents = on; }
  // Set for the duration of a learn dialog: the main window then leaves the
  // worker's events to the dialog.
  bool IsLearnActive() const { return m_learnActive; }
  // An analysis chosen for this run only (the command line's --analysis):
  // it replaces the profile's choice, which stays as it was.
  void SetAnalysis(std::optional<TIrAnalysisMethod> method) { m_analysis = method; }

  // Runs the command for DOC (the active driver document; may be null).
  // REPEATTEXT is the main window's repeat-count field. RUNMODAL runs the
  // opened dialog until it ends. Returns the dialog's end, or Running when
  // no dialog ran.
  CLearnDlg::EndResult Run(CDriverDoc* doc, const std::string& repeatText,
                           const std::function<void(CLearnDlg&)>& runModal);

  // The minimum repeats a repeat-count field gives: its leading decimal
  // number when it starts with a digit, else 4.
  static int RepeatsFromText(const std::string& text);

 private:
  CQVX* m_link;
  IPrompt& m_prompt;
  std::string m_settingsPath;
  bool m_handlingEvents = false;
  bool m_learnActive = false;
  std::optional<TIrAnalysisMethod> m_analysis;
};

}  // namespace quillon
