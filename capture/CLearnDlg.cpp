#include "capture/CLearnDlg.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <memory>
#include <strings.h>

#include "capture/ILearnLink.h"
#include "capture/TIrCaptureAnalysis.h"
#include "capture/TIrCaptureStatus.h"
#include "devicelink/CQVXEventList.h"
#include "devicelink/CQVXIrDataHalvar.h"
#include "devicelink/CQVXIrDataQVX.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"

namespace quillon {
namespace {

constexpr int kConnected = 6;
constexpr uint32_t kRequestStart = 8;
constexpr uint32_t kRequestAbort = 16;
constexpr uint32_t kRequestAcknowledge = 32;

constexpr const char* kNotConnected = "Not connected to an Velmor IR Learning device.";

std::string NameOf(const TQVXIrFunction& function) {
  const char* name = function.GetName();
  return name ? std::string(name) : std::string();
}

std::string DisplayName(const TQVXIrFunction& function) {
  const std::string name = NameOf(function);
  return name.empty() ? "???" : name;
}

// The first run of decimal digits of TEXT, or 0 when it has none.
int FirstNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && !std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
  int value = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    if (value < 100000000) value = value * 10 + (text[i] - '0');
    ++i;
  }
  return value;
}

int CalendarDay(int64_t ms) {
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  return (local.tm_year + 1900) * 1000 + local.tm_yday;
}

}  // namespace

CLearnDlg::CLearnDlg(TQVXIr driver, ILearnLink* link, IPrompt& prompt, std::string settingsPath)
    : m_driver(std::move(driver)),
      m_link(link),
      m_prompt(prompt),
      m_settingsPath(std::move(settingsPath)),
      m_nowMs([] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
      }) {}

int64_t CLearnDlg::Now() const { return m_nowMs(); }

void CLearnDlg::ShowStatus(const std::string& text) {
  m_status = text;
  if (m_statusListener) m_statusListener(text);
}

void CLearnDlg::SetMinimumRepeats(int repeats) { m_minRepeats = std::clamp(repeats, 0, 15); }

std::string CLearnDlg::StatusOf(const TQVXIrFunction& function) {
  if (function.GetFlags() & TQVXIrFunction::kLearnFailed) return "Error";
  if (function.GetFlags() & TQVXIrFunction::kLearned) return "Learned";
  return function.GetSubFunctionCount() > 0 ? "Unchanged" : "Empty";
}

void CLearnDlg::Open(bool timerStarted) {
  if (m_link) m_link->SetCaptureSignal(false);
  m_mode = Mode::Learn;
  m_autoSelect = true;
  m_qvxSettings.Reset();
  m_halvarSettings.Reset();
  m_previousState = -1;
  m_animation = TIrCaptureStatus::kHidden;
  m_result = TIrCaptureResult{};
  m_result.min_repeats = m_minRepeats;
  m_rows.clear();
  for (int i = 0; i < m_driver.GetFunctionCount(); ++i) {
    const TQVXIrFunction& function = *m_driver.GetFunction(i);
    m_rows.push_back({DisplayName(function),
                      function.GetSubFunctionCount() > 0 ? "Unchanged" : "Empty"});
  }
  m_selected = m_rows.empty() ? -1 : 0;
  m_timerRunning = timerStarted;

  if (!timerStarted) {
    EnterNotReady();
    ShowStatus("Could not lanch window timer.");
  } else if (!m_link) {
    EnterNotReady();
    ShowStatus("Internal error: No provided Quillon connection interface.");
  } else if (m_link->GetConnectionState() != kConnected) {
    EnterNotReady();
    ShowStatus(kNotConnected);
  } else if (m_driver.GetFunctionCount() == 0) {
    EnterNotReady();
    ShowStatus("No functions to learn.");
  } else {
    EnterReady();
    ShowStatus("Ready to learn function ");
  }
}

TQVXIrFunction* CLearnDlg::CurrentFunction() const {
  if (m_selected < 0 || m_selected >= m_driver.GetFunctionCount()) return nullptr;
  return m_driver.GetFunction(m_selected);
}

std::string CLearnDlg::GetCurrentName() const {
  const TQVXIrFunction* function = CurrentFunction();
  return function ? DisplayName(*function) : std::string("???");
}

void CLearnDlg::RefreshRows() {
  for (int i = 0; i < m_driver.GetFunctionCount(); ++i) {
    const TQVXIrFunction& function = *m_driver.GetFunction(i);
    const std::string name = NameOf(function);
    for (Row& row : m_rows) {
      if (row.name == name) {
        row.status = StatusOf(function);
        break;
      }
    }
  }
}

int CLearnDlg::Advance() {
  if (m_selected < 0 || m_selected + 1 >= static_cast<int>(m_rows.size())) return -1;
  ++m_selected;
  if (TQVXIrFunction* function = CurrentFunction()) {
    function->SetFlags(function->GetFlags() | TQVXIrFunction::kVisited);
  }
  RefreshRows();
  return m_selected;
}

void CLearnDlg::EnterReady() {
  m_state = State::Ready;
  m_underTest = nullptr;
  m_mode = Mode::Learn;
  const TQVXIrFunction* current = CurrentFunction();
  m_learn = {true, true};
  m_verify = {current && current->GetSubFunctionCount() > 0, true};
  if (m_rows.size() == 1) m_skip.enabled = false;
  m_skip.visible = true;
  m_abort = {false, false};
  m_relearn = {false, false};
  m_accept = {false, false};
  m_ok = {true, true};
  m_cancel = {true, true};
  m_list = {true, true};
  m_closeEnabled = true;
  m_animation = TIrCaptureStatus::kHidden;
  if (m_link) m_link->SetCaptureSignal(false);
  m_suppressReady = false;
  ShowStatus("Ready");
}

void CLearnDlg::EnterCapturing() {
  m_state = State::Capturing;
  m_learn.visible = m_verify.visible = m_skip.visible = false;
  m_learn.enabled = m_verify.enabled = m_skip.enabled = false;
  m_abort = {true, true};
  m_relearn = {false, true};
  m_accept = {false, true};
  m_ok.enabled = m_cancel.enabled = m_list.enabled = false;
  m_closeEnabled = false;
}

void CLearnDlg::EnterResult() {
  m_state = State::Result;
  m_learn.visible = m_verify.visible = m_skip.visible = false;
  m_learn.enabled = m_verify.enabled = m_skip.enabled = false;
  m_abort = {false, true};
  m_relearn = {true, true};
  m_accept = {true, true};
  m_ok.enabled = m_cancel.enabled = m_list.enabled = false;
  m_closeEnabled = false;
}

void CLearnDlg::EnterNotReady() {
  m_state = State::NotReady;
  for (Control* c : {&m_learn, &m_verify, &m_skip, &m_abort, &m_relearn, &m_accept}) {
    c->enabled = false;
    c->visible = false;
  }
  m_ok = {true, true};
  m_cancel = {true, true};
  m_list.enabled = false;
  m_closeEnabled = true;
  m_animation = TIrCaptureStatus::kHiddenIdle;
  if (m_link) m_link->SetCaptureSignal(false);
}

void CLearnDlg::StartCapture(Mode mode) {
  if (m_end != EndResult::Running) return;
  m_mode = mode;
  if (m_link) m_link->SetCaptureSignal(true);
  TQVXIrFunction* current = CurrentFunction();
  if (current && m_link) {
    current->SetFlags(current->GetFlags() | TQVXIrFunction::kVisited);
    m_underTest = current;
    EnterCapturing();
    m_link->SetRequestBits(kRequestStart);
  }
}

void CLearnDlg::Learn() { StartCapture(Mode::Learn); }

void CLearnDlg::Verify() { StartCapture(Mode::Verify); }

void CLearnDlg::ReLearn() {
  if (m_mode == Mode::Verify) {
    Verify();
  } else {
    Learn();
  }
}

void CLearnDlg::Skip() {
  if (TQVXIrFunction* current = CurrentFunction()) {
    current->SetFlags(current->GetFlags() | TQVXIrFunction::kVisited);
  }
  Advance();
  EnterReady();
}

void CLearnDlg::Abort() {
  if (m_link) m_link->SetRequestBits(kRequestAbort);
  const int state = m_link ? FirstNumber(m_link->GetCaptureStateText()) : 0;
  if (state == 4 || state == 5) return;  // the timer reports the abort
  EnterReady();
}

void CLearnDlg::Accept() {
  const Mode mode = m_mode;
  if (mode == Mode::Learn && m_underTest) {
    TQVXIrFunction& function = *m_underTest;
    if (m_result.time_count != 0) {
      auto sub = std::make_unique<TQVXIrSubFunction>(m_result.ToSubFunction());
      function.ClearSubFunctions();
      function.AddSubFunction(std::move(sub));
      function.SetFlags((function.GetFlags() & ~TQVXIrFunction::kLearnFailed) |
                        TQVXIrFunction::kLearned);
    } else {
      function.SetFlags(function.GetFlags() | TQVXIrFunction::kLearnFailed);
    }
  }
  RefreshRows();
  int row = m_autoSelect ? Advance() : -1;
  EnterReady();
  if (mode == Mode::Verify) return;
  while (row >= 0) {
    const std::string& status = m_rows[static_cast<size_t>(row)].status;
    if (strcasecmp(status.c_str(), "Error") == 0 || strcasecmp(status.c_str(), "Empty") == 0) {
      Learn();
      return;
    }
    row = Advance();
    if (row >= 0) EnterReady();
  }
}

void CLearnDlg::Ok() {
  m_timerRunning = false;
  if (m_link) m_link->SetCaptureSignal(false);
  m_end = EndResult::Ok;
}

void CLearnDlg::Cancel() {
  m_timerRunning = false;
  if (m_link) m_link->SetCaptureSignal(false);
  m_end = EndResult::Cancel;
}

void CLearnDlg::Close() {
  m_underTest = nullptr;
  m_timerRunning = false;
  if (m_link) m_link->SetCaptureSignal(false);
  m_end = EndResult::Cancel;
}

void CLearnDlg::ClickRow(int row) {
  if (row >= 0 && row < static_cast<int>(m_rows.size())) m_selected = row;
  RefreshRows();
  const TQVXIrFunction* current = CurrentFunction();
  m_verify.enabled = current && current->GetSubFunctionCount() > 0;
}

bool CLearnDlg::IsFastDeviceType() const {
  if (!m_link) return false;
  std::string name = m_link->GetDeviceTypeName();
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return name.find("ZRN") != std::string::npos || name.find("HALVARIP") != std::string::npos;
}

void CLearnDlg::Tick() {
  if (!m_timerRunning || m_end != EndResult::Running) return;
  if (!m_link) {
    Cancel();
    return;
  }
  if (m_link->GetConnectionState() != kConnected) {
    m_timerRunning = false;
    EnterNotReady();
    ShowStatus(kNotConnected);
    return;
  }

  const std::string stateText = m_link->GetCaptureStateText();
  if (!stateText.empty()) {
    int state = FirstNumber(stateText);
    if (m_previousState < 0) state = 0;  // the very first tick counts as idle
    if (state == m_previousState) {
      if (state == 5 && !m_longCapture) {
        const int64_t limit = IsFastDeviceType() ? 1000 : 2000;
        const int64_t now = Now();
        if (now - m_captureStart >= limit || CalendarDay(now) != CalendarDay(m_captureStart)) {
          m_animation = IsFastDeviceType() ? TIrCaptureStatus::kHalvarProcessing
                                           : TIrCaptureStatus::kLongCapture;
          m_longCapture = true;
        }
      } else if (state != 5) {
        m_longCapture = false;
      }
    } else {
      m_previousState = state;
      switch (state) {
        case 0:
          if (m_capturing) {
            m_capturing = false;
            m_animation = TIrCaptureStatus::kTimeout;
            ShowStatus("Timeout");
          } else {
            if (!m_suppressReady) ShowStatus("Ready");
            m_suppressReady = false;
          }
          break;
        case 1:
        case 2:
          if (m_capturing) {
            m_link->SetRequestBits(kRequestAcknowledge);
            m_animation = IsFastDeviceType() ? TIrCaptureStatus::kHalvarProcessing
                                             : TIrCaptureStatus::kProcessing;
            m_capturing = false;
            m_suppressReady = true;
          }
          ShowStatus(state == 1 ? "Buffer Overflow" : "Capture Complete, Processing...");
          break;
        case 3:
          m_animation = TIrCaptureStatus::kAborted;
          m_capturing = false;
          m_suppressReady = true;
          ShowStatus("Capture Aborted");
          break;
        case 4:
          m_animation = TIrCaptureStatus::kWaiting;
          m_capturing = true;
          ShowStatus("Waiting for first pulse");
          break;
        case 5:
          m_captureStart = Now();
          m_animation = TIrCaptureStatus::kCapturing;
          m_capturing = true;
          ShowStatus("Capturing IR Data");
          break;
        default:
          ShowStatus("Checking Quillon device");
          break;
      }
    }
  }

  CQVXEventList events;
  m_link->TakeEvents(events);
  for (int i = 0; i < events.GetCount(); ++i) {
    if (m_end != EndResult::Running) break;
    HandleEvent(*events.At(i));
  }
}

void CLearnDlg::ShowError(const std::string& text) {
  m_prompt.MessageBox(text, "Error", PromptButtons::Ok, PromptIcon::Warning);
}

void CLearnDlg::HandleEvent(CQVXEvent& event) {
  switch (event.GetType()) {
    case 3:
      EnterNotReady();
      ShowStatus("Disconnected");
      m_link->DiscardCommandsAndClose();
      break;
    case 9:
      AnalyseCapture(event);
      break;
    case 13:
      EnterNotReady();
      ShowError("Connection Timeout.");
      break;
    case 26:
      EnterNotReady();
      ShowError("Firmware not supported.");
      break;
    default:
      break;
  }
}

void CLearnDlg::AnalyseCapture(CQVXEvent& event) {
  auto* qvx = dynamic_cast<CQVXIrDataQVX*>(&event);
  auto* halvar = dynamic_cast<CQVXIrDataHalvar*>(&event);
  int32_t code = 0;
  m_result.min_repeats = m_minRepeats;
  if (qvx && qvx->GetSize() >= 1) {
    code = Analyse(TIrCaptureKind::QVX, qvx->GetBuffer(), qvx->GetSize());
  } else if (halvar) {
    code = Analyse(TIrCaptureKind::Halvar, halvar->GetBuffer(), halvar->GetSize());
  } else {
    EnterReady();
    return;
  }
  m_result.SetResult(code);
  ReportResult();
}

void CLearnDlg::ReportResult() {
  const TIrCaptureStatus::Report report =
      TIrCaptureStatus::Compose(m_result, m_mode == Mode::Verify, m_underTest);
  ShowStatus(report.text);
  m_animation = report.animation;
  EnterResult();
  if (m_mode == Mode::Learn && strcasecmp(report.text.c_str(), "Capture Sucessful") == 0) {
    Accept();
  }
}

// Loads the kind's capture settings (once per opening) and runs the
// dialog's analysis on the capture.
int32_t CLearnDlg::Analyse(TIrCaptureKind kind, const uint8_t* buffer, int32_t byteCount) {
  CCaptureSettingsLoader& loader = kind == TIrCaptureKind::QVX ? m_qvxSettings : m_halvarSettings;
  loader.Load(kind, m_settingsPath);
  TIrCaptureSettings settings = loader.GetSettings();
  if (m_analysis) settings.analysis = *m_analysis;
  return TIrCaptureAnalysis::Analyse(kind, settings, m_brief, buffer, byteCount, m_result);
}

void CLearnDlg::LoadBin(const std::vector<uint8_t>& bytes) {
  m_result.min_repeats = m_minRepeats;
  const int32_t code =
      Analyse(TIrCaptureKind::QVX, bytes.data(), static_cast<int32_t>(bytes.size()));
  m_result.SetResult(code);
  EnterReady();
}

}  // namespace quillon
