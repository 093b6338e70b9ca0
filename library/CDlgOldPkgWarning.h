#pragma once
// The old-package warning without its window: shown once per run when both
// the newer ("driverpath2") and the older ("driverpath") driver library are
// installed, unless the user asked not to see it again. The message is
// composed of three texts around the two folders; the check box's state is
// stored as "skip_pkg_warning" when the dialog closes.
//
// A window shows GetMessageRichText() (or the plain parts) and binds its
// check box to Get/SetDontShowAgain; the library folder choice calls
// OnClose() once the window has closed, however it was closed.
#include <string>

namespace quillon {

class CDlgOldPkgWarning {
 public:
  static constexpr const char* kTitle = "Older Driver Package Found";
  // The three texts around the folders, in the order they are shown.
  static constexpr const char* kOlderPackageText =
      "An installation of an older generation driver package was found on this computer. "
      "Quillon uses the newer driver package, which is preferred. The older drivers are in this folder:";
  static constexpr const char* kCopyLooseText =
      "If that folder holds drivers of your own (loose .vir files), copy them to the folder of the newer "
      "driver package:";
  static constexpr const char* kNotFoundText =
      "Otherwise the \"Open From Database...\" command will not find them.";
  static constexpr const char* kCheckBoxText = "Do not show this warning again";

  // OLDERFOLDER: the "driverpath" value; NEWERFOLDER: the "driverpath2" value.
  CDlgOldPkgWarning(std::string olderFolder, std::string newerFolder);

  const std::string& GetOlderFolder() const { return m_olderFolder; }
  const std::string& GetNewerFolder() const { return m_newerFolder; }
  // The message as plain text: the five parts separated by blank lines.
  std::string GetMessageText() const;
  // The message as rich text (HTML) for a rich-text box: folders in bold,
  // every text escaped.
  std::string GetMessageRichText() const;

  bool GetDontShowAgain() const { return m_dontShowAgain; }
  void SetDontShowAgain(bool checked) { m_dontShowAgain = checked; }
  // Stores the check box as "skip_pkg_warning" (1 checked, 0 not). False
  // when the setting could not be written.
  bool OnClose();

 private:
  std::string m_olderFolder;
  std::string m_newerFolder;
  bool m_dontShowAgain = false;
};

// How a warning is shown: a window implements this to run the dialog
// modally over the core, leaving the check box's final state in it.
class IOldPkgWarningView {
 public:
  virtual ~IOldPkgWarningView() = default;
  virtual void ShowModal(CDlgOldPkgWarning& dialog) = 0;
};

}  // namespace quillon
