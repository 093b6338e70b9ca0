#pragma once
// The device link: settings of the link, identity of the connected device,
// the queues of work for the device and the queue of events for the user
// interface. The conversation runs on the worker thread of CQVXSocket; the
// user interface only sets request bits, queues commands and transfers, and
// takes events.
//
// Lock A guards the device information, the address, port and password, the
// command queue, request bits, flags, the running-event count and the event
// list; lock B guards the upload and download lists. No operation holds both.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devicelink/CQVXDeviceType.h"
#include "devicelink/CQVXDownloadable.h"
#include "devicelink/CQVXEventList.h"
#include "devicelink/CQVXFileList.h"
#include "devicelink/CQVXSettings.h"
#include "devicelink/CQVXUploadable.h"
#include "platform/Event.h"

namespace quillon {

class CMemINI;
class CQVXConnectionType;
class CQVXDeviceTypeList;
class CQVXSocket;

class CQVX {
 public:
  enum ConnectionState {
    kNoConnection = 0,
    kConnectionFailed = 1,
    kConnectionLost = 2,
    kDisconnecting = 3,
    kDisconnected = 4,
    kConnecting = 5,
    kConnected = 6,
  };

  // Request bits.
  static constexpr uint32_t kRequestFlash = 0x1;      // "W1FF|"
  static constexpr uint32_t kRequestLearnOn = 0x8;    // "W1IL|"
  static constexpr uint32_t kRequestLearnOff = 0x10;  // "W0IL|"
  static constexpr uint32_t kRequestCapture = 0x20;   // read a capture
  static constexpr uint32_t kRequestFileList = 0x1000;

  // Fills the store it is given with the settings file's contents; false
  // when there is none (the defaults then apply).
  using SettingsSource = std::function<bool(CMemINI& store)>;

  CQVX();
  virtual ~CQVX();
  CQVX(const CQVX&) = delete;
  CQVX& operator=(const CQVX&) = delete;

  // The status text of a connection state ("No Connection", ...); empty for
  // an unknown state.
  static const char* StateText(int state);

  // --- connection ---
  // Starts a connection run (stopping a running one first); returns the state.
  int Connect(const CQVXConnectionType* description);
  int Disconnect();
  // Sets the disconnect event and waits until the worker has ended.
  void StopWorker();
  bool IsRunning() const;
  int GetState() const { return m_state.load(); }
  int IsSerialLink() const { return m_serialLink.load(); }

  // Names the serial device of the next serial connection directly (a
  // pseudo-terminal, say); empty uses the path derived from the port number.
  void SetSerialDevicePath(const std::string& path);

  // --- link errors ---
  // The system's text for the last failure to open the link ("Connection
  // refused", "Permission denied" for a serial port), kept until the next
  // Connect; empty when there was none. Callers name the address or device.
  std::string GetLastSocketError() const;
  // The show-socket-errors switch of the transport: when on, a window shows
  // each new error in a "Socket Error" box; TakeSocketErrorToShow gives it
  // exactly once (none while showing is off or nothing new happened).
  void SetShowSocketErrors(bool show);
  bool GetShowSocketErrors() const;
  std::optional<std::string> TakeSocketErrorToShow();

  // --- settings ---
  // Where the settings are read from before every Connect (by default the
  // program's quillon.ini as located, else its embedded copy); without a
  // source only the defaults apply.
  void SetSettingsSource(SettingsSource source);
  // Reads the settings from a file at every Connect.
  void SetSettingsFile(const std::string& path);
  // Resets the settings to their defaults and reads them from the source.
  void ApplySettings();
  CQVXSettings GetSettings() const;
  // The device table used to identify devices; not owned. Without one, the
  // table is read from the settings source at every Connect.
  void SetDeviceTable(const CQVXDeviceTypeList* table);

  // --- device information (copies under lock A) ---
  std::string GetInfo1() const;
  std::string GetInfo2() const;
  std::string GetInfo3() const;
  std::string GetFirmware() const;
  std::string GetMemoryText() const;
  std::string GetPartNumber() const;
  std::string GetFileListText() const;
  std::string GetIrStatus() const;
  int GetRunningEventCount() const;
  // A copy of the connected device's type; none when it has no type.
  std::unique_ptr<CQVXDeviceType> GetDeviceType() const;
  bool TakeInfoChanged();
  // Calls fn with the device's file list (parsed from the last file-list
  // reply) while the list is locked.
  void WithFileList(const std::function<void(const CQVXFileList&)>& fn) const;

  // --- requests ---
  void QueueCommand(const std::string& text);
  void SetRequestBits(uint32_t bits);
  void SetTransferEnable(bool enable);
  bool GetTransferEnable() const;
  // Adds a transfer; false (the item is destroyed) when it cannot be added.
  bool AddUpload(std::unique_ptr<CQVXUploadable> item);
  bool AddDownload(std::unique_ptr<CQVXDownloadable> item);
  std::unique_ptr<CQVXUploadable> TakeNextUpload();
  std::unique_ptr<CQVXDownloadable> TakeNextDownload();
  void ClearUploads();
  void ClearDownloads();
  void ClearTransfers();
  int GetUploadCount() const;
  int GetDownloadCount() const;

  // --- events ---
  // Moves every pending event, in order, to the end of list.
  void TakeEvents(CQVXEventList& list);
  Event& StateChangedEvent() { return m_stateChanged; }
  Event& IrStatusPollEvent() { return m_irStatusPoll; }

  // --- used by the worker ---
  std::vector<std::string> TakeCommandQueue();
  void DropCommandQueue();
  bool TakePending();
  uint32_t TakeRequestBits();
  // Posts a simple event (kinds 0, 3, 4 and 14 set the state).
  void PostEvent(uint32_t kind, const std::string& text = std::string(), uint32_t p1 = 0, uint32_t p2 = 0,
                 uint32_t p3 = 0, uint32_t p4 = 0);
  // Posts a prepared record (the wider map: 0, 1, 3, 4, 11, 14 set states).
  void PostRecord(std::unique_ptr<CQVXEvent> record);
  void GetTarget(std::string* address, int* port, std::string* password) const;
  void SetTarget(const std::string& address, int port, const std::string& password);
  void ClearDeviceInfo();
  enum InfoField { kInfo1, kInfo2, kInfo3, kFirmware, kMemory, kPartNumber, kFileList, kIrStatus };
  void SetInfo(InfoField field, const std::string& value);
  void SetRunningEventCount(int count);
  // Looks the part number up in the device table and keeps the match.
  void IdentifyDeviceType(const std::string& partNumber);
  void SetLastSocketError(const std::string& text);
  // Bytes of the upload or download under way, and its size (both 0 when
  // none runs); set by the worker while the data moves.
  void SetTransferProgress(int64_t done, int64_t total);
  void GetTransferProgress(int64_t* done, int64_t* total) const;

 private:
  void SetState(int state);
  void StartWorker();

  mutable std::mutex m_lockA;
  mutable std::mutex m_lockB;

  CQVXSettings m_settings;
  SettingsSource m_settingsSource;
  const CQVXDeviceTypeList* m_deviceTable = nullptr;
  std::unique_ptr<CQVXDeviceTypeList> m_ownTable;

  Event m_stateChanged{true, false};
  Event m_irStatusPoll{true, false};
  std::atomic<int> m_serialLink{0};
  std::unique_ptr<CQVXDeviceType> m_deviceType;
  std::unique_ptr<CQVXSocket> m_worker;

  std::string m_address;
  int m_port = 23;
  std::string m_password;
  std::string m_serialDevicePath;
  std::string m_lastSocketError;
  bool m_showSocketErrors = false;
  bool m_socketErrorShown = true;
  std::atomic<int64_t> m_transferDone{0};
  std::atomic<int64_t> m_transferTotal{0};

  std::string m_info[8];
  int m_runningEvents = 0;
  CQVXFileList m_fileList;
  bool m_infoChanged = false;

  std::vector<std::string> m_commands;
  bool m_pending = false;
  uint32_t m_requestBits = 0;
  bool m_transferEnable = true;
  CQVXUploadList m_uploads;
  CQVXDownloadList m_downloads;
  CQVXEventList m_events;
  std::atomic<int> m_state{kNoConnection};
};

}  // namespace quillon
