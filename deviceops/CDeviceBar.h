#pragma once
// The device bar's driver for test playback: a driver file of the device,
// downloaded when the user selects it, and the functions it lists.
#include <memory>
#include <string>
#include <vector>

#include "irmodel/TQVXIr.h"

namespace quillon {

class CQVX;
class CQVXDownloadable;
class CQVXFile;

class CDeviceBar {
 public:
  // The user selected FILE in the device file list. When it is not the file
  // already loaded, the function list is cleared and the file is requested
  // from the device (a playback download). Returns whether a request was
  // queued.
  bool SelectFile(const CQVXFile& file, CQVX& link);

  // A playback download arrived; it is loaded only while it is still the
  // selected file. Returns whether it was loaded.
  bool OnFileReceived(const CQVXDownloadable& item);

  // No single driver file is selected any more (none, several, or a file
  // that is not a driver): a playback download still on its way is then
  // refused. The loaded driver stays.
  void Deselect();

  // Forgets the loaded driver (after files were deleted on the device).
  void Forget();

  bool HasDriver() const { return m_driver != nullptr; }
  const TQVXIr* GetDriver() const { return m_driver.get(); }
  const std::string& GetLoadedName() const { return m_loadedName; }
  // Names of the loaded driver's functions, in order.
  std::vector<std::string> GetFunctionNames() const;
  // Playback controls show only with a loaded driver.
  bool ArePlaybackControlsVisible() const { return HasDriver(); }

 private:
  std::string m_selectedName;
  int32_t m_selectedKey = 0;
  int32_t m_selectedSize = 0;
  std::unique_ptr<TQVXIr> m_driver;
  std::string m_loadedName;
  int32_t m_loadedKey = 0;
  int32_t m_loadedSize = 0;
};

}  // namespace quillon
