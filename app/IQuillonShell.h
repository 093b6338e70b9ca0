#pragma once
// What the program's start-up asks of the windows: the main frame, the
// driver windows, and the places where the restored and command-line
// connections end up. The Qt main frame implements it; tests record the
// calls.
#include <memory>
#include <string>

namespace quillon {

class CQVXConnectionType;
class CQVXConnectionTypeList;
class IOldPkgWarningView;

class IQuillonShell {
 public:
  virtual ~IQuillonShell() = default;

  // Creates the main frame: it accepts dropped files and open requests of
  // other copies of the program. False when it cannot be created.
  virtual bool CreateMainFrame() = 0;
  // The main frame's list of recent connections, filled at start-up.
  virtual CQVXConnectionTypeList& RecentConnections() = 0;
  // Makes DESCRIPTION (possibly none) the main frame's current connection.
  // SERIALDEVICEPATH names the serial device directly ("" for the device
  // of the port number).
  virtual void SetCurrentConnection(std::unique_ptr<CQVXConnectionType> description,
                                    const std::string& serialDevicePath) = 0;
  // Tells the windows the name of the private clipboard format.
  virtual void RegisterClipboardFormat(const std::string& name) = 0;
  // A new empty driver window; false when it cannot be made.
  virtual bool NewDriver() = 0;
  // A driver window for the file at PATH; false (message shown) when the
  // file cannot be read.
  virtual bool OpenDriver(const std::string& path) = 0;
  // Shows the main frame.
  virtual void ShowMainFrame() = 0;
  // The window that shows the old-package warning when the library folder
  // is chosen; null: the warning is asked through the prompt.
  virtual IOldPkgWarningView* OldPkgWarningView() { return nullptr; }
};

}  // namespace quillon
