// "learn": learns functions of a driver from a learning device, the way the
// learn dialog does, printing each status line as the dialog shows it, and
// saves the driver.
//
//   learn DRIVER.vir --functions A,B,... [--verify] [--repeats N] [--type TYPE]
//         [--attempts N] [--capture-timeout MS] (--ip ... | --com ...) [--pwd P]
//
// A driver file that does not exist yet is created, laid out along the
// command list of --type. Functions named that the driver lacks are added.
#include <strings.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>

#include "app/CConfigFiles.h"
#include "capture/CLearnDlg.h"
#include "deviceops/CLearnCommand.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrFunction.h"
#include "platform/Cp1252.h"
#include "tools/cli/CliCommand.h"
#include "tools/cli/CliDeviceSession.h"

namespace quillon::cli {
namespace {

struct LearnOptions {
  DeviceSessionOptions session;
  std::string driver;
  std::vector<std::string> functions;
  std::string type;
  bool verify = false;
  int repeats = -1;
  int attempts = 3;
  int captureTimeout = 20000;
};

std::string Stored(const std::string& typed) {
  const auto text = Utf8ToCp1252(typed);
  if (!text) throw UsageError("'" + typed + "' cannot be stored in a driver (Windows-1252 only)");
  return *text;
}

// Opens the driver, or creates it along the command list of TYPE.
void OpenOrCreate(CDriverDoc& doc, CliYesPrompt& prompt, const LearnOptions& options) {
  if (std::filesystem::exists(options.driver)) {
    if (!doc.OnOpenDocument(options.driver)) {
      throw CliError(prompt.messages.empty() ? "cannot open " + options.driver : prompt.messages.back());
    }
    return;
  }
  doc.OnNewDocument();
  if (!options.type.empty()) {
    CDriverDoc::HeaderFields fields = doc.GetHeaderFields();
    fields.deviceType = Stored(options.type);
    doc.ApplyHeaderEdits(fields);
    doc.ChooseDeviceType(Stored(options.type));
  }
}

// Selects the named functions, adding those the driver lacks.
void SelectFunctions(CDriverDoc& doc, CliYesPrompt& prompt, const std::vector<std::string>& names) {
  std::vector<int> positions;
  for (const std::string& typed : names) {
    const std::string name = Stored(typed);
    int position = doc.GetDriver().IndexOfFunction(name);
    if (position < 0) {
      position = doc.NewFunction();
      if (position < 0) throw CliError("the driver already holds 126 functions");
      if (!doc.RenameFunction(position, name)) {
        throw CliError(prompt.messages.empty() ? "cannot name a function '" + typed + "'" : prompt.messages.back());
      }
      position = doc.GetDriver().IndexOfFunction(name);
    }
    positions.push_back(position);
  }
  doc.SetSelection(positions);
}

// Drives the dialog like a user at the keyboard, one function after the
// other: learn it (a failed capture is tried again, then accepted as
// failed) and, with --verify, verify it with the next capture, the way a
// user presses the same button a second time.
class DialogRunner {
 public:
  explicit DialogRunner(const LearnOptions& options) : m_options(options) {}

  void Run(CLearnDlg& dlg) {
    std::string last;
    dlg.SetStatusListener([&](const std::string& status) {
      const std::string line = "[" + Cp1252ToUtf8(dlg.GetCurrentName()) + "] " + Cp1252ToUtf8(status);
      if (line != last) std::cout << line << "\n" << std::flush;
      last = line;
    });
    if (dlg.GetState() == CLearnDlg::State::NotReady) {
      dlg.Cancel();
      throw CliError(dlg.GetStatusText());
    }
    // The runner chooses the rows itself; the user's auto-select choice is
    // given back before the dialog closes.
    const bool autoSelect = dlg.GetAutoSelect();
    dlg.SetAutoSelect(false);
    const int rows = static_cast<int>(dlg.GetRows().size());
    for (int r = 0; r < rows; ++r) {
      if (LearnRow(dlg, r) && m_options.verify) VerifyRow(dlg, r);
    }
    dlg.SetAutoSelect(autoSelect);
    dlg.Ok();
  }

  int Verified() const { return m_verified; }

 private:
  bool IsLearned(CLearnDlg& dlg, int row) {
    return dlg.GetDriver().GetFunction(row)->GetFlags() & TQVXIrFunction::kLearned;
  }

  bool LearnRow(CLearnDlg& dlg, int row) {
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

  void VerifyRow(CLearnDlg& dlg, int row) {
    dlg.ClickRow(row);
    dlg.Verify();
    for (int attempt = 1;; ++attempt) {
      WaitForOutcome(dlg);
      const bool ok = strcasecmp(dlg.GetStatusText().c_str(), "Verify Successful") == 0;
      const bool last = attempt >= m_options.attempts;
      if (dlg.GetState() == CLearnDlg::State::Result) {
        if (ok || last) {
          dlg.Accept();
        } else {
          dlg.ReLearn();  // reads "Re-Verify" in verify mode
          continue;
        }
      } else if (!last) {
        dlg.ClickRow(row);
        dlg.Verify();
        continue;
      }
      if (ok) ++m_verified;
      return;
    }
  }

  // Ticks the dialog every 100 ms until it leaves the capturing state.
  void WaitForOutcome(CLearnDlg& dlg) {
    const auto start = std::chrono::steady_clock::now();
    bool aborted = false;
    while (dlg.GetState() == CLearnDlg::State::Capturing) {
      std::this_thread::sleep_for(std::chrono::milliseconds(CLearnDlg::kTimerIntervalMs));
      dlg.Tick();
      if (dlg.GetEndResult() != CLearnDlg::EndResult::Running) throw CliError("the learn dialog ended");
      const auto waited = std::chrono::steady_clock::now() - start;
      if (!aborted && waited > std::chrono::milliseconds(m_options.captureTimeout)) {
        dlg.Abort();
        aborted = true;
      } else if (aborted && waited > std::chrono::milliseconds(m_options.captureTimeout + 5000)) {
        throw CliError("the device did not finish the capture");
      }
    }
    if (dlg.GetState() == CLearnDlg::State::NotReady) throw CliError(dlg.GetStatusText());
  }

  const LearnOptions& m_options;
  int m_verified = 0;
};

void RunLearn(const LearnOptions& options) {
  if (options.functions.empty()) throw UsageError("--functions names no function");
  CliYesPrompt prompt;
  CDriverDoc doc(prompt, CliCommandLibrary());
  OpenOrCreate(doc, prompt, options);
  SelectFunctions(doc, prompt, options.functions);

  CliDeviceSession session(options.session);
  const std::string settings =
      options.session.settings.empty() ? CConfigFiles::LocateIniFile(CConfigFiles::kSettingsFile) : options.session.settings;
  CLearnCommand command(&session.Link(), prompt, settings);
  DialogRunner runner(options);
  const std::string repeats = options.repeats >= 0 ? std::to_string(options.repeats) : std::string();
  const CLearnDlg::EndResult end = command.Run(&doc, repeats, [&](CLearnDlg& dlg) { runner.Run(dlg); });
  if (end != CLearnDlg::EndResult::Ok) {
    throw CliError(prompt.messages.empty() ? "nothing was learned" : prompt.messages.back());
  }

  int learned = 0;
  int failed = 0;
  for (const int position : doc.GetSelection()) {
    const TQVXIrFunction* function = doc.GetDriver().GetFunction(position);
    if (!function) continue;
    if (function->GetFlags() & TQVXIrFunction::kLearned) {
      ++learned;
    } else {
      ++failed;
    }
  }
  if (!doc.OnSaveDocument(options.driver)) {
    throw CliError(prompt.messages.empty() ? "cannot save " + options.driver : prompt.messages.back());
  }
  std::cout << learned << " learned, " << failed << " failed";
  if (options.verify) std::cout << ", " << runner.Verified() << " verified";
  std::cout << "; saved " << options.driver << "\n";
  if (failed > 0) throw CliError(std::to_string(failed) + " function(s) could not be learned");
  if (options.verify && runner.Verified() < learned) {
    throw CliError(std::to_string(learned - runner.Verified()) + " function(s) did not verify");
  }
}

void RegisterLearn(CLI::App& app) {
  auto options = std::make_shared<LearnOptions>();
  auto* cmd = app.add_subcommand("learn", "Learn functions of a driver from a learning device and save it");
  options->session.AddTo(cmd);
  cmd->add_option("DRIVER", options->driver, "Driver file (.vir); created when missing")->required();
  cmd->add_option("--functions", options->functions, "Functions to learn, in order")->delimiter(',')->required();
  cmd->add_flag("--verify", options->verify, "Verify every learned function with a second capture");
  cmd->add_option("--repeats", options->repeats, "Minimum repeat count of the learned functions (0..15, default 4)");
  cmd->add_option("--type", options->type, "Device type of a new driver (\"DVD\", \"TV\", ...)");
  cmd->add_option("--attempts", options->attempts, "Captures tried per function before giving up (default 3)");
  cmd->add_option("--capture-timeout", options->captureTimeout, "Milliseconds to wait for one capture (default 20000)");
  cmd->callback([options] { RunLearn(*options); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(learn, quillon::cli::RegisterLearn);
