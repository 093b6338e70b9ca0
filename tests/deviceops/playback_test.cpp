#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deviceops/CPlayback.h"
#include "deviceops/CRunningEvents.h"

namespace quillon {
namespace {

// Collects the command texts the operations queue.
class RecordingQueue : public IDeviceQueue {
 public:
  int running = 0;
  std::vector<std::string> sent;
  int GetRunningEventCount() override { return running; }
  bool QueueCommandText(const std::string& text) override {
    sent.push_back(text);
    return true;
  }
};

class ScriptedPrompt : public IPrompt {
 public:
  explicit ScriptedPrompt(PromptAnswer answer) : m_answer(answer) {}
  int asked = 0;
  std::string lastText;
  PromptAnswer MessageBox(const std::string& text, const std::string&, PromptButtons,
                          PromptIcon) override {
    ++asked;
    lastText = text;
    return m_answer;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override {
    return -1;
  }

 private:
  PromptAnswer m_answer;
};

TEST(RunningEvents, NoEventsMeansNoQuestionAndNoCommands) {
  RecordingQueue device;
  ScriptedPrompt prompt(PromptAnswer::No);
  CRunningEvents events(device);
  EXPECT_TRUE(events.StopBeforeLearn(prompt));
  events.RestartAfterLearn();
  EXPECT_EQ(prompt.asked, 0);
  EXPECT_TRUE(device.sent.empty());
}

TEST(RunningEvents, NoAnswerSendsNothingAndRefusesTheDialog) {
  RecordingQueue device;
  device.running = 3;
  ScriptedPrompt prompt(PromptAnswer::No);
  CRunningEvents events(device);
  EXPECT_FALSE(events.StopBeforeLearn(prompt));
  events.RestartAfterLearn();
  EXPECT_TRUE(device.sent.empty());
  EXPECT_EQ(prompt.lastText,
            "There are 3 events running on the QVX device.\nQuillon needs to stop these events "
            "before continuing. \n\nProceed?");
}

TEST(RunningEvents, YesStopsThenRestartsOnce) {
  RecordingQueue device;
  device.running = 1;
  ScriptedPrompt prompt(PromptAnswer::Yes);
  CRunningEvents events(device);
  EXPECT_TRUE(events.StopBeforeLearn(prompt));
  events.RestartAfterLearn();
  events.RestartAfterLearn();
  EXPECT_EQ(device.sent, (std::vector<std::string>{"\x1b" "0AE\r", "\x1b" "1AE\r"}));
}

TEST(Playback, PlainPlayCommand) {
  RecordingQueue device;
  CPlayback playback(device);
  EXPECT_TRUE(playback.Play(3, "12.vir", 0, false, {}));
  EXPECT_EQ(device.sent, (std::vector<std::string>{"\x1b" "3,12,1,0IR\r"}));
  EXPECT_EQ(playback.GetContinuousPort(), 0);
}

TEST(Playback, PortOffsetOnDualPartNumbersUsesOriginalPortForSIRTest) {
  RecordingQueue device;
  CPlayback playback(device);
  PlaybackDeviceInfo info{"71-2204-01", true, 1, 2};
  EXPECT_TRUE(playback.Play(2, "5.vir", 1, false, info));
  EXPECT_EQ(device.sent, (std::vector<std::string>{"\x1b" "10,0IC\r", "\x1b" "10,5,2,0IR\r"}));
  device.sent.clear();
  info.partNumber = "71-2204-02";
  info.learnTypeQvx = false;  // the offset applies to QVX learners only
  EXPECT_TRUE(playback.Play(4, "5.vir", 0, false, info));
  EXPECT_EQ(device.sent, (std::vector<std::string>{"\x1b" "4,5,1,0IR\r"}));
}

TEST(Playback, SecondContinuousPlaybackStopsTheFirst) {
  RecordingQueue device;
  CPlayback playback(device);
  EXPECT_TRUE(playback.Play(3, "12.vir", 0, true, {}));
  EXPECT_TRUE(playback.Play(4, "12.vir", 2, true, {}));
  playback.Stop();
  playback.Stop();
  EXPECT_EQ(device.sent, (std::vector<std::string>{"\x1b" "3,12,1,1IR\r", "\x1b" "3IR\r",
                                                   "\x1b" "4,12,3,1IR\r", "\x1b" "4IR\r"}));
}

TEST(Playback, RefusesWhatCannotPlay) {
  RecordingQueue device;
  CPlayback playback(device);
  EXPECT_FALSE(playback.Play(3, "abc.vir", 0, false, {}));
  EXPECT_FALSE(playback.Play(0, "12.vir", 0, false, {}));
  EXPECT_FALSE(playback.Play(3, "12.vir", -1, false, {}));
  EXPECT_FALSE(playback.Play(3, ".vir", 0, false, {}));
  EXPECT_TRUE(device.sent.empty());
  EXPECT_EQ(CPlayback::FileNumber("dir/07.VIR"), 7);
}

}  // namespace
}  // namespace quillon
