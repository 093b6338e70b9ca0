#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture/CLearnDlg.h"
#include "capture/ILearnLink.h"
#include "capture/IrImpair.h"
#include "capture/IrSynth.h"
#include "capture/TIrCaptureAnalysis.h"
#include "capture/TIrRender.h"
#include "devicelink/CQVXEventList.h"
#include "devicelink/CQVXIrDataQVX.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"

namespace quillon {
namespace {

// A device link whose capture state and events the test sets.
class ScriptedLink : public ILearnLink {
 public:
  int state = 6;
  std::string captureState = "IRS 0";
  std::string typeName = "QVX-TEST";
  std::vector<uint32_t> requests;
  bool signal = false;
  bool closed = false;
  CQVXEventList pending;

  int GetConnectionState() override { return state; }
  std::string GetCaptureStateText() override { return captureState; }
  std::string GetDeviceTypeName() override { return typeName; }
  void TakeEvents(CQVXEventList& list) override { list.TakeAll(pending); }
  void SetRequestBits(uint32_t bits) override { requests.push_back(bits); }
  void SetCaptureSignal(bool on) override { signal = on; }
  void DiscardCommandsAndClose() override { closed = true; }
};

class CountingPrompt : public IPrompt {
 public:
  std::vector<std::string> messages;
  PromptAnswer MessageBox(const std::string& text, const std::string&, PromptButtons,
                          PromptIcon) override {
    messages.push_back(text);
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override {
    return -1;
  }
};

std::unique_ptr<TQVXIrFunction> Function(const std::string& name, bool withSub) {
  auto function = std::make_unique<TQVXIrFunction>();
  function->SetName(name);
  if (withSub) function->AddSubFunction(std::make_unique<TQVXIrSubFunction>());
  return function;
}

TQVXIr Driver(const std::vector<std::pair<std::string, bool>>& functions) {
  TQVXIr driver;
  for (const auto& [name, withSub] : functions) driver.Append(Function(name, withSub));
  return driver;
}

std::unique_ptr<CQVXIrDataQVX> NecCapture() {
  IrSynth::Options options;
  return std::make_unique<CQVXIrDataQVX>(IrSynth::ToQVX(IrSynth::Make("nec", options), options));
}

std::unique_ptr<CQVXIrDataQVX> GarbageCapture() {
  return std::make_unique<CQVXIrDataQVX>(std::vector<uint8_t>{0, 0, 0, 3, 1, 2, 3});
}

class LearnDlgTest : public ::testing::Test {
 protected:
  ScriptedLink link;
  CountingPrompt prompt;
  int64_t now = 1'800'000'000'000;
  std::vector<std::string> statuses;

  std::unique_ptr<CLearnDlg> Open(TQVXIr driver) {
    auto dlg = std::make_unique<CLearnDlg>(std::move(driver), &link, prompt, "");
    dlg->SetClock([this] { return now; });
    dlg->SetStatusListener([this](const std::string& s) { statuses.push_back(s); });
    dlg->Open(true);
    dlg->Tick();  // the first tick counts as idle
    return dlg;
  }

  // The device walks through waiting, capturing and complete; then the
  // worker posts the capture.
  void Capture(CLearnDlg& dlg, std::unique_ptr<CQVXIrDataQVX> data) {
    for (const char* s : {"IRS 4", "IRS 5", "IRS 2"}) {
      link.captureState = s;
      now += 100;
      dlg.Tick();
    }
    link.captureState = "IRS 0";
    link.pending.Add(std::move(data));
    now += 100;
    dlg.Tick();
  }
};

TEST_F(LearnDlgTest, OpeningTextsForEachMissingPrecondition) {
  CLearnDlg noTimer(Driver({{"A", false}}), &link, prompt, "");
  noTimer.Open(false);
  EXPECT_EQ(noTimer.GetStatusText(), "Could not lanch window timer.");
  EXPECT_EQ(noTimer.GetState(), CLearnDlg::State::NotReady);

  CLearnDlg noLink(Driver({{"A", false}}), nullptr, prompt, "");
  noLink.Open(true);
  EXPECT_EQ(noLink.GetStatusText(), "Internal error: No provided Quillon connection interface.");

  link.state = 4;
  CLearnDlg offline(Driver({{"A", false}}), &link, prompt, "");
  offline.Open(true);
  EXPECT_EQ(offline.GetStatusText(), "Not connected to an Velmor IR Learning device.");
  EXPECT_FALSE(offline.GetLearnButton().visible);

  link.state = 6;
  CLearnDlg empty(TQVXIr{}, &link, prompt, "");
  empty.Open(true);
  EXPECT_EQ(empty.GetStatusText(), "No functions to learn.");

  CLearnDlg ready(Driver({{"A", false}, {"", true}}), &link, prompt, "");
  ready.Open(true);
  EXPECT_EQ(ready.GetStatusText(), "Ready to learn function ");
  EXPECT_EQ(ready.GetState(), CLearnDlg::State::Ready);
  EXPECT_EQ(ready.GetRows()[1].name, "???");
  EXPECT_EQ(ready.GetRows()[1].status, "Unchanged");
  EXPECT_FALSE(ready.GetVerifyButton().enabled);  // row 0 has no sub-function
}

TEST_F(LearnDlgTest, AutoSelectPassesOverUnchangedAndLearnedRows) {
  auto dlg = Open(Driver({{"POWER", false}, {"PLAY", true}, {"STOP", false}}));
  dlg->Learn();
  EXPECT_EQ(dlg->GetState(), CLearnDlg::State::Capturing);
  EXPECT_EQ(link.requests.back(), 8u);
  Capture(*dlg, NecCapture());
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Capture Sucessful"), statuses.end());
  // Accepted at once, PLAY passed over, learning of STOP started.
  EXPECT_EQ(dlg->GetRows()[0].status, "Learned");
  EXPECT_EQ(dlg->GetRows()[1].status, "Unchanged");
  EXPECT_EQ(dlg->GetSelectedRow(), 2);
  EXPECT_EQ(dlg->GetState(), CLearnDlg::State::Capturing);
  EXPECT_EQ(dlg->GetDriver().GetFunction(0)->GetSubFunctionCount(), 1);
  EXPECT_EQ(link.requests, (std::vector<uint32_t>{8, 32, 8}));

  // The last row learns successfully and the dialog stays ready on it.
  Capture(*dlg, NecCapture());
  EXPECT_EQ(dlg->GetSelectedRow(), 2);
  EXPECT_EQ(dlg->GetState(), CLearnDlg::State::Ready);
  EXPECT_EQ(dlg->GetRows()[2].status, "Learned");
}

TEST_F(LearnDlgTest, AcceptAfterFailedCaptureMarksErrorAndMovesOn) {
  auto dlg = Open(Driver({{"POWER", true}, {"PLAY", true}}));
  dlg->Learn();
  Capture(*dlg, GarbageCapture());
  EXPECT_EQ(dlg->GetState(), CLearnDlg::State::Result);
  EXPECT_EQ(dlg->GetStatusText().rfind("Capture Unsuccessful", 0), 0u);
  EXPECT_TRUE(dlg->GetAcceptButton().enabled);
  dlg->Accept();
  EXPECT_EQ(dlg->GetRows()[0].status, "Error");
  EXPECT_EQ(dlg->GetDriver().GetFunction(0)->GetSubFunctionCount(), 1);  // nothing stored
  EXPECT_EQ(dlg->GetSelectedRow(), 1);
  EXPECT_EQ(dlg->GetState(), CLearnDlg::State::Ready);  // PLAY is "Unchanged"
}

TEST_F(LearnDlgTest, VerifyReportsMatchAndMismatch) {
  auto dlg = Open(Driver({{"POWER", false}, {"PLAY", false}}));
  dlg->SetAutoSelect(false);
  dlg->Learn();
  Capture(*dlg, NecCapture());
  ASSERT_EQ(dlg->GetRows()[0].status, "Learned");
  dlg->Verify();
  EXPECT_EQ(dlg->GetReLearnLabel(), "Re-Verify");
  Capture(*dlg, NecCapture());
  EXPECT_EQ(dlg->GetStatusText(), "Verify Successful");
  EXPECT_EQ(dlg->GetState(), CLearnDlg::State::Result);
  dlg->Accept();
  EXPECT_EQ(dlg->GetState(), CLearnDlg::State::Ready);
  EXPECT_EQ(dlg->GetRows()[0].status, "Learned");
}

TEST_F(LearnDlgTest, AbortWhileWaitingKeepsCapturingUntilTheDeviceReportsIt) {
  auto dlg = Open(Driver({{"POWER", false}, {"PLAY", false}}));
  dlg->Learn();
  link.captureState = "IRS 4";
  dlg->Tick();
  EXPECT_EQ(dlg->GetStatusText(), "Waiting for first pulse");
  dlg->Abort();
  EXPECT_EQ(link.requests.back(), 16u);
  EXPECT_EQ(dlg->GetState(), CLearnDlg::State::Capturing);
  link.captureState = "IRS 3";
  dlg->Tick();
  EXPECT_EQ(dlg->GetStatusText(), "Capture Aborted");
  EXPECT_EQ(dlg->GetAnimation(), 3);
}

TEST_F(LearnDlgTest, LongCaptureSwitchesTheAnimationAfterTheKindsLimit) {
  auto dlg = Open(Driver({{"POWER", false}}));
  dlg->Learn();
  link.captureState = "IRS 5";
  dlg->Tick();
  EXPECT_EQ(dlg->GetAnimation(), 4);
  now += 1500;
  dlg->Tick();
  EXPECT_EQ(dlg->GetAnimation(), 4);
  now += 600;
  dlg->Tick();
  EXPECT_EQ(dlg->GetAnimation(), 5);

  link.typeName = "ZRN-LEARNER";
  link.captureState = "IRS 4";
  dlg->Tick();
  dlg->Tick();  // a repeated state other than 5 clears the long-capture flag
  link.captureState = "IRS 5";
  dlg->Tick();
  now += 1000;
  dlg->Tick();
  EXPECT_EQ(dlg->GetAnimation(), 13);
}

TEST_F(LearnDlgTest, DeviceEventsEndInTheNotReadyState) {
  auto dlg = Open(Driver({{"POWER", false}}));
  link.pending.AddNew(13);
  dlg->Tick();
  EXPECT_EQ(dlg->GetState(), CLearnDlg::State::NotReady);
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"Connection Timeout."}));

  auto other = Open(Driver({{"POWER", false}}));
  link.pending.AddNew(3);
  other->Tick();
  EXPECT_EQ(other->GetStatusText(), "Disconnected");
  EXPECT_TRUE(link.closed);

  link.state = 2;
  auto third = Open(Driver({{"POWER", false}}));
  EXPECT_EQ(third->GetState(), CLearnDlg::State::NotReady);
  link.state = 6;
  auto fourth = Open(Driver({{"POWER", false}}));
  link.state = 2;
  fourth->Tick();
  EXPECT_FALSE(fourth->IsTimerRunning());
  EXPECT_EQ(fourth->GetStatusText(), "Not connected to an Velmor IR Learning device.");
}

TEST_F(LearnDlgTest, SameNamedFunctionsWriteIntoTheFirstRow) {
  auto dlg = Open(Driver({{"POWER", false}, {"POWER", false}}));
  dlg->SetAutoSelect(false);
  dlg->ClickRow(1);
  dlg->Learn();
  Capture(*dlg, GarbageCapture());
  dlg->Accept();
  EXPECT_EQ(dlg->GetRows()[0].status, "Error");
  EXPECT_EQ(dlg->GetRows()[1].status, "Empty");
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// A press of an NEC button whose bursts lost carrier pulses here and there.
std::unique_ptr<CQVXIrDataQVX> NecWithDropouts(uint32_t seed) {
  IrSynth::Options options;
  options.seed = seed;
  const auto clean = IrSynth::ToQVX(IrSynth::Make("nec", options), options);
  return std::make_unique<CQVXIrDataQVX>(IrImpair::AddDropouts(TIrCaptureKind::QVX, clean, 0.3, seed));
}

TEST_F(LearnDlgTest, VerifyRunsTheAnalysisTheLearnRan) {
  auto dlg = Open(Driver({{"POWER", false}}));
  EXPECT_FALSE(dlg->GetAnalysis());  // the capture settings decide
  dlg->SetEnhancedAnalysis(true);
  dlg->Learn();
  Capture(*dlg, NecWithDropouts(1));
  ASSERT_EQ(dlg->GetRows()[0].status, "Learned");
  // Played back, the first frame is NEC's as sent, missed pulses and all.
  const TQVXIrSubFunction learned = *dlg->GetDriver().GetFunction(0)->GetSubFunction(0);
  const auto& sel = learned.GetSelectors();
  const auto played = TIrRender::Microseconds(
      learned.GetDivider(), learned.GetTimes().data(), learned.GetTimeCount(), sel.data(),
      learned.GetHeaderCount(), sel.data() + learned.GetHeaderCount(), learned.GetBodyCount(), 1);
  const TIrTimeline nec = IrSynth::Make("nec", IrSynth::Options{});
  ASSERT_GE(played.size(), static_cast<size_t>(nec.first_frame));
  for (int i = 0; i < nec.first_frame; ++i) {
    const double want = nec.durations_us[static_cast<size_t>(i)];
    EXPECT_NEAR(played[static_cast<size_t>(i)], want, want * 0.1) << i;
  }

  dlg->Verify();
  Capture(*dlg, NecWithDropouts(2));
  EXPECT_EQ(dlg->GetStatusText(), "Verify Successful");
  dlg->Accept();
  // The specified analysis cannot make the same press out.
  dlg->SetEnhancedAnalysis(false);
  EXPECT_FALSE(dlg->IsEnhancedAnalysis());
  dlg->Verify();
  Capture(*dlg, NecWithDropouts(2));
  EXPECT_NE(dlg->GetStatusText(), "Verify Successful");
}

// What an analysis stored, as one comparable text.
std::string Stored(const TIrCaptureResult& r) {
  std::string out = std::to_string(r.result) + ":" + std::to_string(r.divider) + ":";
  for (int i = 0; i < r.time_count; ++i) out += std::to_string(r.times[static_cast<size_t>(i)]) + ",";
  out += ":";
  for (int i = 0; i < r.header_count; ++i) out += std::to_string(r.header_selectors[static_cast<size_t>(i)]) + ",";
  out += ":";
  for (int i = 0; i < r.body_count; ++i) out += std::to_string(r.body_selectors[static_cast<size_t>(i)]) + ",";
  return out;
}

TEST_F(LearnDlgTest, TheSettingsFileChoosesTheAnalysisUnlessTheDialogDoes) {
  const std::string path = ::testing::TempDir() + "quillon-learndlg-analysis.ini";
  std::ofstream(path) << "[qvx_capture_settings]\nanalysis=enhanced\n";
  const std::vector<uint8_t> bytes = NecWithDropouts(3)->GetBytes();
  auto inDialog = [&](std::optional<TIrAnalysisMethod> choice) {
    CLearnDlg dlg(Driver({{"POWER", false}}), &link, prompt, path);
    dlg.SetAnalysis(choice);
    dlg.Open(true);
    dlg.LoadBin(bytes);
    return Stored(dlg.GetCaptureResult());
  };
  auto direct = [&](TIrAnalysisMethod method) {
    TIrCaptureSettings settings = TIrCaptureSettings::Defaults(TIrCaptureKind::QVX);
    settings.analysis = method;
    TIrCaptureResult r;
    TIrCaptureAnalysis::Analyse(TIrCaptureKind::QVX, settings, false, bytes.data(),
                                static_cast<int32_t>(bytes.size()), r);
    return Stored(r);
  };
  EXPECT_NE(direct(TIrAnalysisMethod::Specified), direct(TIrAnalysisMethod::Enhanced));
  EXPECT_EQ(inDialog(std::nullopt), direct(TIrAnalysisMethod::Enhanced));
  EXPECT_EQ(inDialog(TIrAnalysisMethod::Specified), direct(TIrAnalysisMethod::Specified));
  std::remove(path.c_str());
}

// The capture states the dialog follows besides 2 to 5: a full buffer ends
// the capture like a complete one, and states above 5 only say the device
// is being checked.
TEST_F(LearnDlgTest, BufferFullAcknowledgesAndHigherStatesOnlyReportChecking) {
  auto dlg = Open(Driver({{"POWER", false}, {"PLAY", false}}));
  dlg->Learn();
  link.captureState = "IRS 4";
  dlg->Tick();
  link.requests.clear();
  link.captureState = "IRS 1";
  dlg->Tick();
  EXPECT_EQ(dlg->GetStatusText(), "Buffer Overflow");
  EXPECT_EQ(dlg->GetAnimation(), 6);
  EXPECT_EQ(link.requests, (std::vector<uint32_t>{32}));
  // The capturing flag is cleared: going idle now is not a time-out, and
  // the suppressed "Ready" is not shown either.
  link.captureState = "IRS 0";
  dlg->Tick();
  EXPECT_EQ(dlg->GetStatusText(), "Buffer Overflow");

  link.typeName = "HalvarIP-1";
  dlg->Learn();
  link.captureState = "IRS 4";
  dlg->Tick();
  link.captureState = "IRS 1";
  dlg->Tick();
  EXPECT_EQ(dlg->GetAnimation(), 13);

  const auto requestsBefore = link.requests.size();
  link.captureState = "IRS 7";
  dlg->Tick();
  EXPECT_EQ(dlg->GetStatusText(), "Checking Quillon device");
  EXPECT_EQ(link.requests.size(), requestsBefore);
  link.captureState = "status 12 of 3";  // the first run of digits counts
  dlg->Tick();
  EXPECT_EQ(dlg->GetStatusText(), "Checking Quillon device");
}

TEST_F(LearnDlgTest, UnsupportedFirmwareEndsInNotReadyWithItsMessageBox) {
  auto dlg = Open(Driver({{"POWER", false}}));
  link.pending.AddNew(26);
  dlg->Tick();
  EXPECT_EQ(dlg->GetState(), CLearnDlg::State::NotReady);
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"Firmware not supported."}));
  EXPECT_FALSE(dlg->GetLearnButton().visible);
}

// A capture that started just before midnight counts as long at the first
// tick of the new day, well before the 2 s limit.
TEST_F(LearnDlgTest, LongCaptureAlsoWhenTheCalendarDateChanges) {
  std::time_t t = static_cast<std::time_t>(now / 1000);
  std::tm local{};
  localtime_r(&t, &local);
  local.tm_hour = 23;
  local.tm_min = 59;
  local.tm_sec = 59;
  now = static_cast<int64_t>(std::mktime(&local)) * 1000 + 500;
  auto dlg = Open(Driver({{"POWER", false}}));
  dlg->Learn();
  link.captureState = "IRS 5";
  dlg->Tick();
  EXPECT_EQ(dlg->GetAnimation(), 4);
  now += 300;  // still the same day
  dlg->Tick();
  EXPECT_EQ(dlg->GetAnimation(), 4);
  now += 400;  // 00:00:00.2 of the next day, 0.7 s into the capture
  dlg->Tick();
  EXPECT_EQ(dlg->GetAnimation(), 5);
}

}  // namespace
}  // namespace quillon
