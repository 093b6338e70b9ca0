#pragma once
// Driver transfers between Quillon and a control processor: upload of the
// active driver, download of device files into new documents, deletion of
// device files, and the main window's handling of the worker's transfer
// events.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/IPrompt.h"
#include "deviceops/CProgressAlert.h"
#include "deviceops/CUploadNameChoice.h"

namespace quillon {

class CDeviceBar;
class CDriverDoc;
class CQVX;
class CQVXDownloadable;
class CQVXEvent;
class CQVXFile;

// The dialogs of an upload: the name choice and the replace confirmation.
class IUploadUi {
 public:
  virtual ~IUploadUi() = default;
  // Shows the "Upload Driver" dialog; false on Cancel.
  virtual bool ChooseName(CUploadNameChoice& choice) = 0;
  // "Confirm File Replace": true only for Yes.
  virtual bool ConfirmReplace(const std::string& name, const std::string& deviceTime,
                              const std::string& localTime) = 0;
  // Shows the progress alert until the worker reports the outcome.
  virtual void ShowProgress(CProgressAlert& alert) = 0;
};

class CTransfers {
 public:
  CTransfers(CQVX& link, IPrompt& prompt) : m_link(link), m_prompt(prompt) {}

  // Uploads the document's driver. Returns the target name it was queued
  // under, or "" when nothing was queued. LOCALNAME replaces the name the
  // document's path gives for the "local file name" choice.
  std::string Upload(CDriverDoc& doc, IUploadUi& ui, const std::string& localName = "");

  // The driver image an upload sends: the driver saved with names and with
  // the standard slot count of its device type. Empty when the driver has no
  // functions or cannot be saved.
  static std::vector<uint8_t> UploadImage(const CDriverDoc& doc);

  // Asks, then queues a document download for every selected driver file.
  // Returns the number of downloads queued.
  int Download(const std::vector<std::string>& selectedNames);

  // Asks, then queues the delete command for each selected name and makes
  // the device bar forget its driver. Returns the number of commands queued.
  int Delete(const std::vector<std::string>& selectedNames, CDeviceBar* bar);

  // Handles one worker event as the main window does. A received document
  // (event 10, kind 1) goes to ONDOCUMENT; a playback file to the device bar.
  // Returns true when the event was one of the transfer or connection events.
  bool HandleEvent(const CQVXEvent& event, CDeviceBar* bar,
                   const std::function<void(const CQVXDownloadable&)>& onDocument);

  CProgressAlert& GetAlert() { return m_alert; }

  // "%A, %B %d, %Y, %I:%M:%S %p" of a device file's time stamp.
  static std::string DeviceTimeText(const CQVXFile& file);
  // The same format for a local file's modification time ("" when absent).
  static std::string LocalTimeText(const std::string& path);

 private:
  bool AskSelection(const std::vector<std::string>& names, const char* one, const char* many,
                    const char* title, bool requireFound);

  CQVX& m_link;
  IPrompt& m_prompt;
  CProgressAlert m_alert;
};

}  // namespace quillon
