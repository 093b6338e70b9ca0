// What the learn dialog shows of its latest capture: the picture's lanes,
// the carrier and the per-duration comparison after a verify.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "capture/CLearnDlg.h"
#include "capture/ILearnLink.h"
#include "capture/IrSynth.h"
#include "devicelink/CQVXEventList.h"
#include "devicelink/CQVXIrDataQVX.h"
#include "irmodel/TQVXIrFunction.h"
#include "signals/TIrCaptureOverview.h"

namespace quillon {
namespace {

class Link : public ILearnLink {
 public:
  std::string captureState = "IRS 0";
  CQVXEventList pending;
  int GetConnectionState() override { return 6; }
  std::string GetCaptureStateText() override { return captureState; }
  std::string GetDeviceTypeName() override { return "QVX"; }
  void TakeEvents(CQVXEventList& list) override { list.TakeAll(pending); }
  void SetRequestBits(uint32_t) override {}
  void SetCaptureSignal(bool) override {}
  void DiscardCommandsAndClose() override {}
};

class NullPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string&, const std::string&, PromptButtons, PromptIcon) override {
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
};

std::vector<uint8_t> Nec(uint32_t command, uint32_t seed) {
  IrSynth::Options options;
  options.command = command;
  options.seed = seed;
  return IrSynth::ToQVX(IrSynth::Make("nec", options), options);
}

class OverviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TQVXIr driver;
    for (const char* name : {"POWER", "PLAY", "STOP"}) {
      auto function = std::make_unique<TQVXIrFunction>();
      function->SetName(name);
      driver.Append(std::move(function));
    }
    dlg = std::make_unique<CLearnDlg>(std::move(driver), &link, prompt, "");
    dlg->Open(true);
    dlg->SetAutoSelect(false);
    dlg->Tick();
  }
  void Capture(std::vector<uint8_t> bytes) {
    for (const char* s : {"IRS 4", "IRS 5", "IRS 2"}) {
      link.captureState = s;
      dlg->Tick();
    }
    link.captureState = "IRS 0";
    link.pending.Add(std::make_unique<CQVXIrDataQVX>(std::move(bytes)));
    dlg->Tick();
  }

  Link link;
  NullPrompt prompt;
  std::unique_ptr<CLearnDlg> dlg;
};

TEST_F(OverviewTest, ALearnedCaptureIsDrawnWithTheFunctionItGave) {
  TIrCaptureOverview none = TIrCaptureOverview::Of(*dlg);
  EXPECT_EQ(none.sequence, 0);
  EXPECT_EQ(none.caption, "No capture yet");
  EXPECT_TRUE(none.lanes.empty());
  EXPECT_EQ(TIrCaptureOverview::Progress(*dlg), "0 of 3 learned");

  dlg->Learn();
  Capture(Nec(0x08, 1));
  ASSERT_EQ(dlg->GetRows()[0].status, "Learned");
  const TIrCaptureOverview o = TIrCaptureOverview::Of(*dlg);
  EXPECT_EQ(TIrCaptureOverview::Progress(*dlg), "1 of 3 learned");
  EXPECT_EQ(o.sequence, 1);
  EXPECT_EQ(o.caption, "Last capture (learn)");
  EXPECT_EQ(o.function_name, "POWER");
  EXPECT_TRUE(o.analysed);
  EXPECT_EQ(o.carrier_text, "Carrier 38.0 kHz");
  ASSERT_EQ(o.lanes.size(), 2u);
  EXPECT_EQ(o.lanes[0].label, "Captured");
  EXPECT_EQ(o.lanes[1].label, "Learned");
  // Both start with NEC's 9 ms leader at the same moment.
  for (const auto& lane : o.lanes) {
    ASSERT_FALSE(lane.segments.empty());
    EXPECT_EQ(lane.segments[0].start_us, 0u);
    EXPECT_TRUE(lane.segments[0].mark);
    EXPECT_NEAR(lane.segments[0].duration_us, 9000.0, 400.0);
  }
  // The last space (the learner listening on) is no longer than the
  // longest space inside the capture.
  uint32_t longest = 0;
  const auto& captured = o.lanes[0].segments;
  for (std::size_t i = 1; i + 1 < captured.size(); i += 2) longest = std::max(longest, captured[i].duration_us);
  EXPECT_LE(captured.back().duration_us, longest);
  EXPECT_TRUE(o.comparison.empty());
}

TEST_F(OverviewTest, AVerifyComparesEveryDurationAndSaysWhichAreOff) {
  dlg->Learn();
  Capture(Nec(0x08, 1));
  dlg->Verify();
  Capture(Nec(0x08, 2));
  ASSERT_EQ(dlg->GetStatusText(), "Verify Successful");
  TIrCaptureOverview o = TIrCaptureOverview::Of(*dlg);
  EXPECT_EQ(o.caption, "Last capture (verify)");
  ASSERT_EQ(o.lanes.size(), 2u);
  EXPECT_EQ(o.lanes[1].label, "Stored");
  ASSERT_GE(o.comparison.size(), 3u);
  EXPECT_EQ(o.comparison[0].rfind("Carrier 38.0 kHz stored, 38.0 kHz captured", 0), 0u) << o.comparison[0];
  for (const std::string& line : o.comparison) EXPECT_EQ(line.substr(line.size() - 2), "ok") << line;
  dlg->Accept();

  // Another button: the same durations, but bits in other places.
  dlg->Verify();
  Capture(Nec(0x2C, 3));
  ASSERT_EQ(dlg->GetStatusText(), "Captured data does not match function data");
  o = TIrCaptureOverview::Of(*dlg);
  int off = 0;
  for (const std::string& line : o.comparison) off += line.find("outside 10 %") != std::string::npos ? 1 : 0;
  EXPECT_GT(off, 0);
  dlg->Accept();

  // A capture the analysis refuses is drawn alone, with what can be read.
  dlg->Verify();
  Capture(std::vector<uint8_t>{0, 0, 0, 2, 0, 0, 0, 0, 0, 1, 0, 30, 0, 0, 6, 200});
  o = TIrCaptureOverview::Of(*dlg);
  EXPECT_FALSE(o.analysed);
  ASSERT_EQ(o.lanes.size(), 1u);
  EXPECT_EQ(o.lanes[0].segments.size(), 1u);
  EXPECT_TRUE(o.comparison.empty());
}

}  // namespace
}  // namespace quillon
