#pragma once
// The learn dialog without its window: the functions to learn, the current
// row, the dialog state and its buttons, the status line and animation, the
// 100 ms timer tick that follows the device's capture state, and the
// analysis of each capture. A window shows this state and forwards clicks;
// the command-line tool drives it directly.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/IPrompt.h"
#include "capture/CCaptureSettingsLoader.h"
#include "capture/TIrCaptureResult.h"
#include "capture/TIrCaptureSettings.h"
#include "irmodel/TQVXIr.h"

namespace quillon {

class ILearnLink;
class CQVXEvent;

class CLearnDlg {
 public:
  enum class State { Ready, Capturing, Result, NotReady };
  enum class Mode { Learn, Verify };
  enum class EndResult { Running, Ok, Cancel };

  // One button or control: whether it can be pressed and whether it shows.
  struct Control {
    bool enabled = false;
    bool visible = true;
  };

  struct Row {
    std::string name;
    std::string status;
  };

  static constexpr const char* kTitle = "Learn/Verify IR Functions";
  static constexpr int kTimerIntervalMs = 100;

  // DRIVER holds the private copies of the functions to learn; LINK may be
  // null (the dialog then cannot learn). SETTINGSPATH names the settings
  // file whose capture sections override the defaults ("" for none).
  CLearnDlg(TQVXIr driver, ILearnLink* link, IPrompt& prompt, std::string settingsPath);

  // Milliseconds since the epoch; tests inject their own clock.
  void SetClock(std::function<int64_t()> nowMs) { m_nowMs = std::move(nowMs); }
  void SetMinimumRepeats(int repeats);
  void SetAutoSelect(bool on) { m_autoSelect = on; }
  // Called with every status line the dialog shows, in order.
  void SetStatusListener(std::function<void(const std::string&)> listener) {
    m_statusListener = std::move(listener);
  }
  bool GetAutoSelect() const { return m_autoSelect; }

  // Opens the dialog; TIMERSTARTED tells whether its 100 ms timer runs.
  void Open(bool timerStarted);

  // Buttons and controls.
  void Learn();
  void Verify();
  void ReLearn();
  void Skip();
  void Abort();
  void Accept();
  void Ok();
  void Cancel();
  void Close();
  void ClickRow(int row);
  void ToggleBrief(bool on) { m_brief = on; }
  // The analysis every capture of the dialog gets, learned or verified
  // alike; none: each learner kind's capture settings decide.
  void SetAnalysis(std::optional<TIrAnalysisMethod> method) { m_analysis = method; }
  std::optional<TIrAnalysisMethod> GetAnalysis() const { return m_analysis; }
  // The "Enhanced analysis" check box.
  void SetEnhancedAnalysis(bool on) {
    m_analysis = on ? TIrAnalysisMethod::Enhanced : TIrAnalysisMethod::Specified;
  }
  bool IsEnhancedAnalysis() const { return m_analysis == TIrAnalysisMethod::Enhanced; }
  // The hidden "Bin" control: analyses a raw QVX capture read from a file.
  void LoadBin(const std::vector<uint8_t>& bytes);

  // Called every 100 ms while the timer runs.
  void Tick();

  // State for the window.
  State GetState() const { return m_state; }
  Mode GetMode() const { return m_mode; }
  EndResult GetEndResult() const { return m_end; }
  bool IsTimerRunning() const { return m_timerRunning; }
  const std::string& GetStatusText() const { return m_status; }
  int GetAnimation() const { return m_animation; }
  const std::vector<Row>& GetRows() const { return m_rows; }
  int GetSelectedRow() const { return m_selected; }
  std::string GetCurrentName() const;
  std::string GetReLearnLabel() const { return m_mode == Mode::Verify ? "Re-Verify" : "Re-Learn"; }
  Control GetLearnButton() const { return m_learn; }
  Control GetVerifyButton() const { return m_verify; }
  Control GetSkipButton() const { return m_skip; }
  Control GetAbortButton() const { return m_abort; }
  Control GetReLearnButton() const { return m_relearn; }
  Control GetAcceptButton() const { return m_accept; }
  Control GetOkButton() const { return m_ok; }
  Control GetCancelButton() const { return m_cancel; }
  Control GetList() const { return m_list; }
  bool IsCloseEnabled() const { return m_closeEnabled; }
  const TIrCaptureResult& GetCaptureResult() const { return m_result; }

  // The private driver with the learned functions.
  const TQVXIr& GetDriver() const { return m_driver; }
  TQVXIr& GetDriver() { return m_driver; }

  // Row status text of a function: "Error", "Learned", "Unchanged" or "Empty".
  static std::string StatusOf(const TQVXIrFunction& function);

 private:
  TQVXIrFunction* CurrentFunction() const;
  void RefreshRows();
  int Advance();
  void EnterReady();
  void EnterCapturing();
  void EnterResult();
  void EnterNotReady();
  void StartCapture(Mode mode);
  void ShowStatus(const std::string& text);
  void HandleEvent(CQVXEvent& event);
  void AnalyseCapture(CQVXEvent& event);
  int32_t Analyse(TIrCaptureKind kind, const uint8_t* buffer, int32_t byteCount);
  void ReportResult();
  void ShowError(const std::string& text);
  bool IsFastDeviceType() const;
  int64_t Now() const;

  TQVXIr m_driver;
  ILearnLink* m_link;
  IPrompt& m_prompt;
  std::string m_settingsPath;
  std::function<int64_t()> m_nowMs;
  std::function<void(const std::string&)> m_statusListener;

  std::vector<Row> m_rows;
  int m_selected = -1;
  TQVXIrFunction* m_underTest = nullptr;
  Mode m_mode = Mode::Learn;
  State m_state = State::NotReady;
  EndResult m_end = EndResult::Running;
  int m_minRepeats = 4;
  bool m_autoSelect = true;
  bool m_brief = false;
  std::optional<TIrAnalysisMethod> m_analysis;
  TIrCaptureResult m_result;
  CCaptureSettingsLoader m_qvxSettings;
  CCaptureSettingsLoader m_halvarSettings;
  int m_previousState = -1;
  bool m_capturing = false;
  bool m_suppressReady = false;
  int64_t m_captureStart = 0;
  bool m_longCapture = false;
  bool m_timerRunning = false;
  std::string m_status;
  int m_animation = 0;

  Control m_learn, m_verify, m_skip{true, true}, m_abort, m_relearn, m_accept, m_ok, m_cancel,
      m_list;
  bool m_closeEnabled = true;
};

}  // namespace quillon
