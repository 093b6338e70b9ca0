#include "deviceops/CLearnAutomation.h"

#include <strings.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "irmodel/TQVXIrFunction.h"

namespace quillon {
namespace {

// Ends a run early with the text the dialog shows.
struct Stopped : std::runtime_error {
  using std::runtime_error::runtime_error;
};

bool IsLearned(const CLearnDlg& dlg, int row) {
  return dlg.GetDriver().GetFunction(row)->GetFlags() & TQVXIrFunction::kLearned;
}

}  // namespace

std::string CLearnAutomation::Run(CLearnDlg& dlg) {
  dlg.SetStatusListener([this, &dlg](const std::string& status) {
    if (m_listener) m_listener(dlg.GetCurrentName(), status);
  });
  if (dlg.GetState() == CLearnDlg::State::NotReady) {
    const std::string text = dlg.GetStatusText();
    dlg.Cancel();
    return text;
  }
  // The rows are chosen here; the user's auto-select choice is given back
  // before the dialog closes.
  const bool autoSelect = dlg.GetAutoSelect();
  dlg.SetAutoSelect(false);
  std::vector<int> order = m_options.order;
  const int rows = static_cast<int>(dlg.GetRows().size());
  if (order.empty()) {
    for (int r = 0; r < rows; ++r) order.push_back(r);
  }
  try {
    for (std::size_t i = 0; i < order.size(); ++i) {
      const int r = order[i];
      if (r < 0 || r >= rows) continue;
      if (m_progress) m_progress(static_cast<int>(i), static_cast<int>(order.size()), dlg.GetRows()[static_cast<std::size_t>(r)].name);
      if (m_stop && m_stop()) throw Stopped("interrupted");
      if (LearnRow(dlg, r) && m_options.verify) VerifyRow(dlg, r);
    }
  } catch (const Stopped& stopped) {
    // What was accepted so far is kept: OK writes the learned rows back,
    // and the rows not learned are the unchanged copies.
    dlg.SetAutoSelect(autoSelect);
    dlg.Ok();
    return stopped.what();
  }
  dlg.SetAutoSelect(autoSelect);
  dlg.Ok();
  return "";
}

bool CLearnAutomation::LearnRow(CLearnDlg& dlg, int row) {
  dlg.ClickRow(row);
  dlg.Learn();
  for (int attempt = 1;; ++attempt) {
    WaitForOutcome(dlg);
    // A successful capture is accepted at once and leaves the dialog ready.
    if (IsLearned(dlg, row)) return true;
    const bool last = attempt >= m_options.attempts;
    if (dlg.GetState() == CLearnDlg::State::Result) {
      if (last) {
        dlg.Accept();  // marks the function "Error"
        return false;
      }
      dlg.ReLearn();
    } else {
      if (last) return false;
      dlg.ClickRow(row);
      dlg.Learn();
    }
  }
}

void CLearnAutomation::VerifyRow(CLearnDlg& dlg, int row) {
  dlg.ClickRow(row);
  dlg.Verify();
  for (int attempt = 1;; ++attempt) {
    WaitForOutcome(dlg);
    const bool ok = strcasecmp(dlg.GetStatusText().c_str(), "Verify Successful") == 0;
    const bool last = attempt >= m_options.attempts;
    if (dlg.GetState() == CLearnDlg::State::Result) {
      if (!ok && !last) {
        dlg.ReLearn();  // reads "Re-Verify" in verify mode
        continue;
      }
      dlg.Accept();
    } else if (!last) {
      dlg.ClickRow(row);
      dlg.Verify();
      continue;
    }
    if (ok) ++m_verified;
    return;
  }
}

void CLearnAutomation::WaitForOutcome(CLearnDlg& dlg) {
  const auto start = std::chrono::steady_clock::now();
  const auto limit = std::chrono::milliseconds(m_options.captureTimeoutMs);
  bool aborted = false;
  bool interrupted = false;
  auto abortedAt = start;
  while (dlg.GetState() == CLearnDlg::State::Capturing) {
    std::this_thread::sleep_for(std::chrono::milliseconds(CLearnDlg::kTimerIntervalMs));
    dlg.Tick();
    if (dlg.GetEndResult() != CLearnDlg::EndResult::Running) throw Stopped("the learn dialog ended");
    const auto now = std::chrono::steady_clock::now();
    if (!interrupted && m_stop && m_stop()) {
      // Ctrl-C: the device is told to stop capturing before the run ends.
      interrupted = true;
      if (!aborted) {
        dlg.Abort();
        aborted = true;
        abortedAt = now;
      }
    }
    if (!aborted && now - start > limit) {
      dlg.Abort();
      aborted = true;
      abortedAt = now;
    } else if (aborted && now - abortedAt > std::chrono::seconds(interrupted ? 2 : 5)) {
      if (interrupted) break;
      throw Stopped("the device stopped answering: the capture did not finish");
    }
  }
  if (interrupted) throw Stopped("interrupted");
  if (dlg.GetState() == CLearnDlg::State::NotReady) throw Stopped(dlg.GetStatusText());
}

}  // namespace quillon
