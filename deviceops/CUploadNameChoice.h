#pragma once
// The state and rules of the "Upload Driver" name dialog: auto-selected
// numeric name, a numeric name of the user's choice, or the local file name.
#include <string>

namespace quillon {

class CUploadNameChoice {
 public:
  enum Choice { kAutoNumber = 0, kNumber = 1, kLocalName = 2 };

  // NEXTFREE: the device's next free number (-1 when all are taken);
  // LOCALNAME: name and extension of the document's file ("" when untitled).
  CUploadNameChoice(int nextFree, std::string localName);

  bool IsChoiceEnabled(int choice) const;
  int GetChoice() const { return m_choice; }
  // Selects CHOICE when it is enabled; returns whether it was taken.
  bool SetChoice(int choice);

  // The number field is enabled only while choice 1 is selected.
  bool IsNumberEnabled() const { return m_choice == kNumber; }
  int GetNumber() const { return m_number; }
  // Values outside 0..99 are clamped.
  void SetNumber(int number);

  const std::string& GetLocalName() const { return m_localName; }

  // The target name on OK. NEXTFREENOW is the next free number looked up
  // again. Empty when no name can be formed (all numbers taken by then).
  std::string TargetName(int nextFreeNow) const;

  static constexpr const char* kTitle = "Upload Driver";
  static constexpr const char* kGroup = "Select Host Filename";
  static constexpr const char* kSuffix = ".VIR";
  static constexpr const char* kChoiceTexts[3] = {
      "Auto select numeric filename", "Specify numeric filename",
      "Use local filename (WARNING: Driver functions may not be playable)"};

 private:
  bool m_autoEnabled;
  std::string m_localName;
  int m_choice;
  int m_number;
};

}  // namespace quillon
