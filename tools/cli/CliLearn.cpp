// "learn": learns functions of a driver from a learning device, the way the
// learn dialog does, printing each status line as the dialog shows it, and
// saves the driver.
//
//   learn DRIVER.vir --functions A,B,... [--verify] [--repeats N] [--type TYPE]
//         [--attempts N] [--capture-timeout MS] [--analysis specified|enhanced]
//         (--ip ... | --com ...) [--pwd P]
//
// A driver file that does not exist yet is created, laid out along the
// command list of --type. Functions named that the driver lacks are added.
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/CConfigFiles.h"
#include "capture/CLearnDlg.h"
#include "capture/TIrCaptureSettings.h"
#include "deviceops/CLearnAutomation.h"
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
  std::string analysis;
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

void RunLearn(const LearnOptions& options) {
  if (options.functions.empty()) throw UsageError("--functions names no function");
  const auto analysis = TIrCaptureSettings::ParseAnalysis(options.analysis);
  if (!options.analysis.empty() && !analysis) {
    throw UsageError("--analysis must be specified or enhanced, not '" + options.analysis + "'");
  }
  CliYesPrompt prompt;
  CDriverDoc doc(prompt, CliCommandLibrary());
  OpenOrCreate(doc, prompt, options);
  SelectFunctions(doc, prompt, options.functions);

  CliDeviceSession session(options.session);
  const std::string settings =
      options.session.settings.empty() ? CConfigFiles::LocateIniFile(CConfigFiles::kSettingsFile) : options.session.settings;
  CLearnCommand command(&session.Link(), prompt, settings);
  command.SetAnalysis(analysis);
  CLearnAutomation::Options automation;
  automation.verify = options.verify;
  automation.attempts = options.attempts;
  automation.captureTimeoutMs = options.captureTimeout;
  CLearnAutomation runner(automation);
  std::string last;
  runner.SetStatusListener([&](const std::string& name, const std::string& status) {
    const std::string line = "[" + Cp1252ToUtf8(name) + "] " + Cp1252ToUtf8(status);
    if (line != last) std::cout << line << "\n" << std::flush;
    last = line;
  });
  const std::string repeats = options.repeats >= 0 ? std::to_string(options.repeats) : std::string();
  std::string failure;
  const CLearnDlg::EndResult end =
      command.Run(&doc, repeats, [&](CLearnDlg& dlg) { failure = runner.Run(dlg); });
  if (!failure.empty()) throw CliError(failure);
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
  if (options.verify) std::cout << ", " << runner.GetVerified() << " verified";
  std::cout << "; saved " << options.driver << "\n";
  if (failed > 0) throw CliError(std::to_string(failed) + " function(s) could not be learned");
  if (options.verify && runner.GetVerified() < learned) {
    throw CliError(std::to_string(learned - runner.GetVerified()) + " function(s) did not verify");
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
  cmd->add_option("--analysis", options->analysis,
                  "Analysis of every capture, learned and verified: specified or enhanced "
                  "(default: the learn dialog's choice, else the settings file's)");
  cmd->callback([options] { RunLearn(*options); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(learn, quillon::cli::RegisterLearn);
