#pragma once
// Puts the signals of an interchange file into a driver: each signal is
// learned as a device would learn it (TIrSignalLearner) and becomes a
// function named by the file's button name, made to follow the driver's
// name rules. A placeholder of the same name (a standard command without IR
// data) takes the signal; other name clashes get a numbered name.
#include <string>
#include <vector>

#include "capture/TIrCaptureSettings.h"
#include "signals/TIrNamedSignal.h"

namespace quillon {

class TQVXIr;

class TIrImporter {
 public:
  // The most functions a driver holds after an import, as the New function
  // command and the INI import allow.
  static constexpr int kMaxFunctions = 126;
  // Names this long or longer are cut (the driver's limit for generated
  // names).
  static constexpr std::size_t kMaxNameLength = 127;

  struct Report {
    // Functions added or filled.
    int imported = 0;
    // Names that had to change ("tv.ir:12: \"Vol<+>\": stored as \"Vol+\"
    // (...)"); the function is complete.
    std::vector<std::string> notes;
    // Signals left out, each with the reason.
    std::vector<std::string> warnings;
  };

  explicit TIrImporter(TIrCaptureKind kind = TIrCaptureKind::QVX) : m_kind(kind) {}

  // Adds SIGNALS to DRIVER in their order; FILE names the file in messages.
  // Added functions are marked new.
  Report Import(const std::vector<TIrNamedSignal>& signals, TQVXIr& driver, const std::string& file) const;

  // NAME (UTF-8) as a driver stores it: Windows-1252 (characters it lacks
  // become '_'), without the characters function names may not hold
  // (" & " becomes " and "), without control characters and surrounding
  // blanks, at most kMaxNameLength bytes, "Signal" when nothing is left.
  // WHY receives the reason when the name changed.
  static std::string StoredName(const std::string& name, std::string& why);

 private:
  TIrCaptureKind m_kind;
};

}  // namespace quillon
