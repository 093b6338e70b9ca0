#pragma once
// What the "Functions" pane shows for the functions selected in a driver
// window: the minimum repeat count and modulation its controls edit, and the
// "Key" / "Value" rows describing the selection. Texts are driver bytes
// (Windows-1252), as the names are.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

class TQVXIr;

class CFunctionSettings {
 public:
  enum class Modulation {
    kNone,   // no sub-function selected: nothing to show
    kOff,    // every selected sub-function is sent without the carrier
    kOn,     // every selected sub-function is modulated
    kMixed,  // some are, some are not
  };

  // The settings of the functions at POSITIONS of DRIVER (unknown positions
  // are ignored).
  static CFunctionSettings Of(const TQVXIr& driver, const std::vector<int>& positions);

  // Whether any function is selected (the controls are enabled only then).
  bool HasSelection() const { return m_count > 0; }
  int SelectedCount() const { return m_count; }
  // The repeat count of the first sub-function of the selection, or nothing
  // when the selected functions hold no sub-function.
  const std::optional<int>& RepeatCount() const { return m_repeatCount; }
  Modulation GetModulation() const { return m_modulation; }
  // The rows of the settings list.
  const std::vector<std::pair<std::string, std::string>>& Rows() const { return m_rows; }

  // The state of one function's flags as the list shows it: "New",
  // "Modified", "Learned", "Learn Failed" joined by ", ", and "Unchanged"
  // when none applies.
  static std::string StatusText(unsigned flags);

 private:
  int m_count = 0;
  std::optional<int> m_repeatCount;
  Modulation m_modulation = Modulation::kNone;
  std::vector<std::pair<std::string, std::string>> m_rows;
};

}  // namespace quillon
