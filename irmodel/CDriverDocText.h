#pragma once
// Fixed texts of the driver document and the small text rules it applies to
// names and header fields typed by the user.
#include <ctime>
#include <string>
#include <string_view>

namespace quillon {

class CDriverDocText {
 public:
  // Message boxes and their captions.
  static constexpr const char* kLoadErrorFormat = "Error loading %s\nErrorID - %d\nCause: %s";
  static constexpr const char* kLoadErrorCaption = "Error Loading File";
  static constexpr const char* kUnexpectedLoadError = "Unexpected Load Error";
  static constexpr const char* kSaveErrorFormat = "Error saving %s\nErrorID - %d\nCause: %s";
  static constexpr const char* kSaveErrorCaption = "Error Saving File";
  static constexpr const char* kUnexpectedFileError = "Unexpected CFileException";
  static constexpr const char* kFileErrorCaption = "save error";
  static constexpr const char* kUnexpectedSaveError = "Unexpected Save Error";
  static constexpr const char* kIllegalNameMessage =
      "Illegal XML characters: <, >, ', \" and & in function name.";
  static constexpr const char* kCopyError = "Error copying selected functions";
  static constexpr const char* kRenameErrorsFormat = "%d File(s) could not be copied due to renaming errors";
  static constexpr const char* kRenameErrorsCaption = "Copy Error(s) encoutnered";
  static constexpr const char* kConflictTitle = "Conflicting Function Names";
  static constexpr const char* kIllegalCharactersRemoved = "Illegal Characters removed.";
  static constexpr const char* kProgramCaption = "Quillon";
  static constexpr const char* kDocumentTemplate =
      "\nVIR\nVIR\nVelmor IR Drivers (*.vir)\n.vir\nQuillon.Driver\nVelmor IR Driver";
  static constexpr const char* kSaveFolderNoteFormat =
      "Note! The IR driver should be saved in the \"%s\" folder.  Velmor software applications will "
      "not be able to locate the driver if it is not saved in this folder.";
  static constexpr const char* kOtherDeviceType = "OTHER";
  static constexpr const char* kFormatVersion = "1.00";

  // "IR Driver:  ", "X10 Driver:  " or "Multifunction IR Driver:  " (kinds 2
  // and 3); other kinds show nothing.
  static const char* DriverKindText(int kind);

  // True when NAME holds <, >, &, ' or ", which function names may not.
  static bool HasIllegalNameCharacters(std::string_view name);

  // Cleans a device type, manufacturer or model text: removes <, >, " and ',
  // turns " & " into " and ", then removes the remaining &. Returns true when
  // TEXT held any of those characters (the text is then changed).
  static bool CleanHeaderText(std::string& text);

  // The driver version typed by the user: the first run of digits (1 when
  // there is none), clamped to 1..255.
  static int ConfirmVersion(std::string_view text);

  // The version after its spin control added DELTA, clamped to 1..255.
  static int SpinVersion(int value, int delta);

  // The minimum repeat count after its spin control added DELTA, kept within
  // what a sub-function can hold (0..15).
  static int SpinRepeatCount(int value, int delta);

  // TIME as "%a, %b %#d, %Y, %I:%M%p" in local time (the day without a
  // leading zero), e.g. "Mon, Dec 7, 2026, 09:43PM".
  static std::string FormatSavedTime(std::time_t time);

  // The program's version as "%d.%d.%d", empty when it is 0.0.0 or unknown.
  static std::string ProgramVersionText();

  // The file name and extension of PATH, cut to its last 250 characters.
  static std::string FileNameEntry(std::string_view path);

  // A printf-style "%d" / "%s" substitution for the fixed formats above.
  static std::string Format(const char* format, const std::string& text);
  static std::string Format(const char* format, int number);
  static std::string FormatError(const char* format, const std::string& path, int code, const char* cause);
};

}  // namespace quillon
