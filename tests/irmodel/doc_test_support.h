#pragma once
// Shared pieces of the driver document tests: a prompt that records what it
// was asked and answers from a script, a small command library, and helpers
// that build functions and temporary folders.
#include <gtest/gtest.h>

#include <unistd.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/CCommandLibrary.h"
#include "app/CMemINI.h"
#include "app/IPrompt.h"
#include "irmodel/CDriverDoc.h"

namespace quillon::doctest {

struct ScriptedPrompt : IPrompt {
  struct Shown {
    std::string text;
    std::string caption;
  };
  std::vector<Shown> boxes;
  std::vector<std::string> questions;
  std::deque<int> choices;  // answers to Choose, in order; -1 when empty

  PromptAnswer MessageBox(const std::string& text, const std::string& caption, PromptButtons, PromptIcon) override {
    boxes.push_back({text, caption});
    return PromptAnswer::Ok;
  }
  int Choose(const std::string& title, const std::string& text, const std::vector<std::string>& options) override {
    EXPECT_EQ(title, "Conflicting Function Names");
    EXPECT_EQ(options.size(), 6u);
    questions.push_back(text);
    if (choices.empty()) return -1;
    const int answer = choices.front();
    choices.pop_front();
    return answer;
  }
};

// Types "Tiny" (POWER, PLAY, STOP), "Two" (POWER, MUTE) and "Other" (none).
inline std::unique_ptr<CCommandLibrary> SmallLibrary() {
  CMemINI ini;
  ini.LoadBuffer(std::string("[main]\ntype_count=3\ntype0=1,Tiny\ntype1=2,Two\ntype2=3,Other\n"
                             "[Tiny]\ncount=3\ncmd0=POWER\ncmd1=PLAY\ncmd2=STOP\n"
                             "[Two]\ncount=2\ncmd0=POWER\ncmd1=MUTE\n[Other]\ncount=0\n"));
  auto library = std::make_unique<CCommandLibrary>();
  library->Load(ini);
  return library;
}

inline std::unique_ptr<TQVXIrSubFunction> MakeSub(std::uint16_t divider, int repeat = 3) {
  auto sub = std::make_unique<TQVXIrSubFunction>();
  sub->SetFlags(TQVXIrSubFunction::kModulated);
  sub->SetDivider(divider);
  const std::vector<std::uint16_t> times = {0x20, 0x40};
  sub->SetTimes(times);
  const std::uint8_t header[1] = {0x01};
  const std::uint8_t body[2] = {0x10, 0x11};
  sub->SetHeaderAndBody(header, 1, body, 2);
  sub->SetCounts(static_cast<std::uint8_t>(repeat * 16 + 2));
  return sub;
}

inline std::unique_ptr<TQVXIrFunction> MakeFunction(const std::string& name, int subs = 1, std::uint16_t divider = 1736) {
  auto function = std::make_unique<TQVXIrFunction>();
  function->SetName(name);
  for (int i = 0; i < subs; ++i) function->AddSubFunction(MakeSub(static_cast<std::uint16_t>(divider + i)));
  return function;
}

inline std::vector<std::string> Names(const TQVXIr& driver) {
  std::vector<std::string> names;
  for (int i = 0; i < driver.GetFunctionCount(); ++i) {
    const char* name = driver.GetFunction(i)->GetName();
    names.push_back(name ? name : "<null>");
  }
  return names;
}

class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("quillon_doc_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
             std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace quillon::doctest
