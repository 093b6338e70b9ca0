// "learn": learns functions of a driver from a learning device, the way the
// learn dialog does, printing each status line as the dialog shows it (on
// stderr), and saves the driver.
//
//   learn DRIVER.vir --functions A,B,... [--verify] [--repeats N] [--type TYPE]
//         [--attempts N] [--capture-timeout MS] [--analysis specified|enhanced] [--progress]
//         (--ip ... | --com ...) [--pwd P]
//
// A driver file that does not exist yet is created, laid out along the
// command list of --type. Functions named that the driver lacks are added.
// The functions are learned in the order given. Nothing learned is lost: when
// the link drops, the device stops answering or the user presses Ctrl-C,
// the functions accepted so far are saved, the missing ones are named and
// the exit status is 1.
#include <strings.h>

#include <atomic>
#include <csignal>
#include <iostream>
#include <memory>

#include "app/CCommandLibrary.h"
#include "app/CConfigFiles.h"
#include "capture/CLearnDlg.h"
#include "capture/TIrCaptureSettings.h"
#include "devicelink/CQVXDeviceType.h"
#include "deviceops/CLearnAutomation.h"
#include "deviceops/CLearnCommand.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/CDriverDocText.h"
#include "irmodel/TQVXIrFunction.h"
#include "platform/Cp1252.h"
#include "platform/SafeFile.h"
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
  bool progress = false;
};

std::atomic<bool> g_interrupted{false};

void OnInterrupt(int) { g_interrupted = true; }

// Ctrl-C (and a polite kill) stop the session cleanly instead of ending the
// program, for as long as this object lives.
class InterruptGuard {
 public:
  InterruptGuard() {
    g_interrupted = false;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &m_oldInt);
    ::sigaction(SIGTERM, &action, &m_oldTerm);
  }
  ~InterruptGuard() {
    ::sigaction(SIGINT, &m_oldInt, nullptr);
    ::sigaction(SIGTERM, &m_oldTerm, nullptr);
  }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction m_oldInt {};
  struct sigaction m_oldTerm {};
};

std::string Stored(const std::string& typed) {
  const auto text = Utf8ToCp1252(typed);
  if (!text) throw UsageError("'" + typed + "' cannot be stored in a driver (Windows-1252 only)");
  return *text;
}

// The names of --functions, checked: not empty, none given twice.
std::vector<std::string> CheckedNames(const std::vector<std::string>& typed) {
  if (typed.empty()) throw UsageError("--functions names no function");
  std::vector<std::string> names;
  for (std::size_t i = 0; i < typed.size(); ++i) {
    if (typed[i].empty()) throw UsageError("--functions holds an empty name");
    const std::string name = Stored(typed[i]);
    for (const std::string& earlier : names) {
      if (strcasecmp(earlier.c_str(), name.c_str()) == 0) throw UsageError("--functions names " + typed[i] + " twice");
    }
    names.push_back(name);
  }
  return names;
}

// Opens the driver, or creates it along the command list of TYPE.
void OpenOrCreate(CDriverDoc& doc, const LearnOptions& options) {
  if (OutputExists(options.driver)) {
    if (!doc.OnOpenDocument(options.driver) || doc.LoadFailed()) throw CliError(doc.GetLastError());
    return;
  }
  doc.OnNewDocument();
  if (!options.type.empty()) {
    CheckedDeviceType(options.type);
    CDriverDoc::HeaderFields fields = doc.GetHeaderFields();
    fields.deviceType = Stored(options.type);
    doc.ApplyHeaderEdits(fields);
    doc.ChooseDeviceType(Stored(options.type));
  }
}

// Selects the named functions, adding those the driver lacks. Returns the
// rows of the learn dialog in the order the names were given (the dialog
// lists the selected functions in driver order).
std::vector<int> SelectFunctions(CDriverDoc& doc, CliYesPrompt& prompt, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (doc.GetDriver().IndexOfFunction(name) >= 0) continue;
    const int position = doc.NewFunction();
    if (position < 0) throw CliError(doc.GetPathName() + ": the driver already holds 126 functions");
    if (!doc.RenameFunction(position, name)) {
      throw CliError(prompt.messages.empty() ? "cannot name a function '" + Cp1252ToUtf8(name) + "'"
                                             : prompt.messages.back());
    }
  }
  std::vector<int> positions;
  for (const std::string& name : names) positions.push_back(doc.GetDriver().IndexOfFunction(name));
  doc.SetSelection(positions);
  const std::vector<int> listed = doc.GetSelection();  // driver order, as the dialog shows them
  std::vector<int> order;
  for (const int position : positions) {
    for (std::size_t row = 0; row < listed.size(); ++row) {
      if (listed[row] == position) order.push_back(static_cast<int>(row));
    }
  }
  return order;
}

// A device that has no learner would only ever answer "Ready": refuse it.
void RequireLearner(CliDeviceSession& session) {
  const std::unique_ptr<CQVXDeviceType> type = session.Link().GetDeviceType();
  if (type && (type->IsQVXLearner() || type->IsHalvarLearner())) return;
  const std::string part = session.Link().GetPartNumber();
  throw CliError(session.Endpoint() + ": the device cannot learn IR (part number " +
                 (part.empty() ? std::string("unknown") : Cp1252ToUtf8(part)) + ": " +
                 (type ? "its device type " + type->GetName() + " has no learner" : std::string("not in the device table")) +
                 ")");
}

void RunLearn(const LearnOptions& options) {
  const std::vector<std::string> names = CheckedNames(options.functions);
  const auto analysis = TIrCaptureSettings::ParseAnalysis(options.analysis);
  if (!options.analysis.empty() && !analysis) {
    throw UsageError("--analysis must be specified or enhanced, not '" + options.analysis + "'");
  }
  options.session.connection.Build();  // a malformed --ip or --com is a usage error before anything else
  // The driver must be writable before the first capture, not after.
  CheckOutput(options.driver, true);

  CliYesPrompt prompt;
  CDriverDoc doc(prompt, CliCommandLibrary());
  OpenOrCreate(doc, options);
  const std::vector<int> order = SelectFunctions(doc, prompt, names);

  CliDeviceSession session(options.session);
  RequireLearner(session);
  const std::string settings =
      options.session.settings.empty() ? CConfigFiles::LocateIniFile(CConfigFiles::kSettingsFile) : options.session.settings;
  CLearnCommand command(&session.Link(), prompt, settings);
  command.SetAnalysis(analysis);
  CLearnAutomation::Options automation;
  automation.verify = options.verify;
  automation.attempts = options.attempts;
  automation.captureTimeoutMs = options.captureTimeout;
  automation.order = order;
  CLearnAutomation runner(automation);
  std::string last;
  runner.SetStatusListener([&](const std::string& name, const std::string& status) {
    const std::string line = "[" + Cp1252ToUtf8(name) + "] " + Cp1252ToUtf8(status);
    if (line != last) std::cerr << line << "\n" << std::flush;
    last = line;
  });
  Progress progress(options.progress);
  runner.SetProgressListener([&](int done, int total, const std::string&) {
    progress.Show("Learning", done, total, "functions");
  });
  InterruptGuard interrupts;
  runner.SetStopRequest([] { return g_interrupted.load(); });

  const std::string repeats = options.repeats >= 0 ? std::to_string(options.repeats) : std::string();
  std::string stopped;
  const CLearnDlg::EndResult end =
      command.Run(&doc, repeats, [&](CLearnDlg& dlg) { stopped = runner.Run(dlg); });
  progress.Finish();
  if (end != CLearnDlg::EndResult::Ok) {
    throw CliError(session.Endpoint() + ": " +
                   (!stopped.empty() ? stopped : prompt.messages.empty() ? "nothing was learned" : prompt.messages.back()));
  }

  std::vector<std::string> learned;
  std::vector<std::string> missing;
  for (const std::string& name : names) {
    const TQVXIrFunction* function = doc.GetDriver().FindFunction(name);
    if (function && (function->GetFlags() & TQVXIrFunction::kLearned))
      learned.push_back(Cp1252ToUtf8(name));
    else
      missing.push_back(Cp1252ToUtf8(name));
  }
  if (!doc.OnSaveDocument(options.driver)) throw CliError(doc.GetLastError());
  std::cout << learned.size() << " learned, " << missing.size() << " " << (stopped.empty() ? "failed" : "missing");
  if (options.verify) std::cout << ", " << runner.GetVerified() << " verified";
  std::cout << "; saved " << options.driver << "\n" << std::flush;

  std::string missingList;
  for (const std::string& name : missing) missingList += (missingList.empty() ? "" : ", ") + name;
  if (!stopped.empty()) {
    throw CliError(session.Endpoint() + ": " + stopped + "; " + options.driver + " keeps the " +
                   std::to_string(learned.size()) + " function(s) learned" +
                   (missing.empty() ? std::string() : "; not learned: " + missingList));
  }
  if (!missing.empty()) throw CliError(std::to_string(missing.size()) + " function(s) could not be learned: " + missingList);
  if (options.verify && runner.GetVerified() < static_cast<int>(learned.size())) {
    throw CliError(std::to_string(static_cast<int>(learned.size()) - runner.GetVerified()) + " function(s) did not verify");
  }
}

void RegisterLearn(CLI::App& app) {
  auto options = std::make_shared<LearnOptions>();
  auto* cmd = app.add_subcommand(
      "learn",
      "Learn functions of a driver from a learning device, in the order given, and save it; status lines go to "
      "stderr. When the link drops, the device stops answering or Ctrl-C is pressed, the functions learned so far "
      "are saved and the missing ones named (exit status 1)");
  options->session.AddTo(cmd);
  cmd->add_option("DRIVER", options->driver, "Driver file (.vir); created when missing")->required();
  cmd->add_option("--functions", options->functions, "Functions to learn, comma-separated, in order")
      ->delimiter(',')
      ->allow_extra_args(false)
      ->required();
  cmd->add_flag("--verify", options->verify,
                "Verify every learned function with a second capture (the device must see the button twice)");
  cmd->add_option("--repeats", options->repeats, "Minimum repeat count of the learned functions (0..15, default 4)")
      ->check(CLI::Range(0, 15));
  cmd->add_option("--type", options->type, "Device type of a new driver (\"DVD\", \"TV\", ...)");
  cmd->add_option("--attempts", options->attempts, "Captures tried per function before giving up (default 3)")
      ->check(CLI::Range(1, 100));
  cmd->add_option("--capture-timeout", options->captureTimeout, "Milliseconds to wait for one capture (default 20000)")
      ->check(CLI::Range(100, 3600000));
  cmd->add_option("--analysis", options->analysis,
                  "Analysis of every capture, learned and verified: specified or enhanced "
                  "(default: the learn dialog's choice, else the settings file's)");
  AddProgressFlag(cmd, options->progress);
  cmd->callback([options] { RunLearn(*options); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(learn, quillon::cli::RegisterLearn);
