#pragma once
// Works a learn dialog the way a user at the keyboard does, one function
// after the other: learn it (a failed capture is tried again, then accepted
// as failed) and, when asked, verify it with the next capture, as a user
// presses the same button a second time. Used by the command-line tool and
// by scripted learning.
#include <functional>
#include <string>
#include <vector>

#include "capture/CLearnDlg.h"

namespace quillon {

class CLearnAutomation {
 public:
  struct Options {
    bool verify = false;
    int attempts = 3;               // captures tried per function
    int captureTimeoutMs = 20000;   // one capture, before it is aborted
    std::vector<int> order;         // rows in the order to learn them; empty: list order
  };

  explicit CLearnAutomation(Options options) : m_options(options) {}

  // Called with the current function's name and every status line shown.
  void SetStatusListener(std::function<void(const std::string&, const std::string&)> listener) {
    m_listener = std::move(listener);
  }

  // Polled while a capture runs: when it answers true (the user pressed
  // Ctrl-C), the capture is aborted and the run stops with "interrupted".
  void SetStopRequest(std::function<bool()> stop) { m_stop = std::move(stop); }
  // Called before each function is learned: its place in the run (from 0),
  // the number of functions and its name.
  void SetProgressListener(std::function<void(int, int, const std::string&)> listener) {
    m_progress = std::move(listener);
  }

  // Runs the opened dialog to its end. Returns "" or the text that stopped
  // it (not connected, disconnected, the device stopped answering,
  // interrupted). Either way the dialog ends with OK, so what was learned
  // and accepted before a stop is kept; the rows not learned keep their
  // old contents.
  std::string Run(CLearnDlg& dlg);

  int GetVerified() const { return m_verified; }

 private:
  bool LearnRow(CLearnDlg& dlg, int row);
  void VerifyRow(CLearnDlg& dlg, int row);
  void WaitForOutcome(CLearnDlg& dlg);

  Options m_options;
  std::function<void(const std::string&, const std::string&)> m_listener;
  std::function<bool()> m_stop;
  std::function<void(int, int, const std::string&)> m_progress;
  int m_verified = 0;
};

}  // namespace quillon
