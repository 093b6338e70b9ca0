#pragma once
// The main window's side of the device link, without the window: the work of
// its 250 ms timer (take the worker's events unless the timer is suspended,
// a previous tick is still being handled or a learn dialog has the events;
// act on each; show the state), the connection chosen and the recent
// connections, connecting and disconnecting, what the connect toolbar and the
// device bar show, and the device operations the window's commands start
// (transfers and playback). The window redraws from the getters when the
// listener tells it something changed.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/IPrompt.h"
#include "devicelink/CQVXConnectionType.h"
#include "devicelink/CQVXConnectionTypeList.h"
#include "devicelink/CQVXFile.h"
#include "deviceops/CDeviceBar.h"
#include "deviceops/CPlayback.h"
#include "deviceops/CQVXDeviceQueue.h"
#include "deviceops/CTransfers.h"

namespace quillon {

class CDriverDoc;
class CQVX;
class CQVXDeviceType;
class CQVXDownloadable;
class CQVXEvent;

// What the window is told; each call means "redraw that part from the
// getters". Every call comes from Tick or from a command of the core.
class IMainFrameLinkListener {
 public:
  virtual ~IMainFrameLinkListener() = default;
  // The state shown changed: status text, connect buttons, device bar.
  virtual void StateChanged() {}
  // The device information or the file list changed (event 7, or the
  // connection ended and they were emptied).
  virtual void DeviceInfoChanged() {}
  // The device bar loaded or forgot the driver it plays from.
  virtual void DeviceBarChanged() {}
  // A driver file downloaded to be opened as a new driver window.
  virtual void DocumentReceived(const CQVXDownloadable& /*item*/) {}
  // The upload's progress alert changed (it finished).
  virtual void AlertChanged() {}
};

class CMainFrameLink {
 public:
  static constexpr int kTimerId = 4387;
  static constexpr int kTimerInterval = 250;  // ms
  static constexpr const char* kStatusPrefix = "Connection Status:";
  static constexpr const char* kSocketErrorTitle = "Socket Error";
  static constexpr const char* kNotConnected = "Not connected to an Velmor IR Learning device.";
  static constexpr const char* kDownloadError = "Error encountered while downloading %s";

  // What the connect toolbar and the device bar show of the connected device.
  struct DeviceInfo {
    std::string name;        // "Wcn|"
    std::string version;     // "1I"
    std::string firmware;    // "Q"
    std::string memory;      // "4I": the user RAM
    std::string partNumber;  // "N"
    std::string typeName;    // the device table's name for it ("" when unknown)
    bool operator==(const DeviceInfo&) const = default;
  };

  CMainFrameLink(CQVX& link, IPrompt& prompt);
  ~CMainFrameLink();
  CMainFrameLink(const CMainFrameLink&) = delete;
  CMainFrameLink& operator=(const CMainFrameLink&) = delete;

  void SetListener(IMainFrameLinkListener* listener) { m_listener = listener; }

  // --- The timer ----------------------------------------------------------
  // One tick. False when it did nothing: suspended, a previous tick still
  // being handled (a message box of it is open), or a learn dialog active.
  bool Tick();
  // While a learn dialog runs, the dialog takes the worker's events itself.
  void SetLearnActiveQuery(std::function<bool()> query) { m_learnActive = std::move(query); }
  // Whether a tick is handling events now; LISTENER hears every change (the
  // learn command refuses to start meanwhile).
  bool IsHandlingEvents() const { return m_handling; }
  void SetHandlingListener(std::function<void(bool)> listener) { m_handlingListener = std::move(listener); }
  // The running-events question before learning suspends the timer; calls
  // nest and each Suspend needs its Resume.
  void Suspend() { ++m_suspended; }
  void Resume() {
    if (m_suspended > 0) --m_suspended;
  }
  bool IsSuspended() const { return m_suspended > 0; }

  // --- Connections --------------------------------------------------------
  CQVXConnectionTypeList& RecentConnections() { return m_recent; }
  const CQVXConnectionType* CurrentConnection() const { return m_current.get(); }
  void SetCurrentConnection(std::unique_ptr<CQVXConnectionType> description);
  // The start-up's command-line connection: while IS_SET reports one, the
  // next tick connects to the current connection (as "Connect to Device"
  // does) and CLEAR is called; connecting or disconnecting clears it too.
  void SetCommandLineConnection(std::function<bool()> isSet, std::function<void()> clear);
  // "Connect to Device": a valid current connection is copied to the head of
  // the recent connections, which are saved to the profile, and the link
  // connects. Returns the link's state (1 without a valid connection).
  int Connect();
  // "Disconnect from Device".
  int Disconnect();

  // --- What the window shows ----------------------------------------------
  // The link's state at the last tick or command.
  int GetState() const { return m_state; }
  // The state the status bar shows: the link's, except that a run which
  // ended because the link could not be opened or was lost keeps showing
  // "Connection Failed" or "Connection Lost" once the worker has ended,
  // instead of a plain "Disconnected", until the user connects or
  // disconnects again.
  int GetShownState() const;
  // "Connection Status: Connected".
  std::string GetStatusText() const { return StatusText(GetShownState()); }
  static std::string StatusText(int state);
  // "Connect to Device" is shown pressed while connecting or connected.
  bool IsConnectPressed() const;
  bool CanConnect() const;
  bool CanDisconnect() const;
  bool IsConnected() const;
  const DeviceInfo& GetDeviceInfo() const { return m_info; }
  // The device's files as last listed; empty unless connected.
  const std::vector<CQVXFile>& GetFiles() const { return m_files; }
  // The date column of a device file: the device's clock shown in local
  // time as month/day/year.
  static std::string FileDateText(const CQVXFile& file);
  // The IR ports the connected device plays on (0 when its type is unknown).
  int GetPortCount() const { return m_portCount; }

  // --- Commands -----------------------------------------------------------
  // Shows "Not connected to an Velmor IR Learning device." unless connected.
  bool CheckConnected();
  // The device bar: NAME was selected in its file list ("" for none).
  void SelectDeviceFile(const std::string& name);
  const CDeviceBar& GetDeviceBar() const { return m_deviceBar; }
  // Plays function ROW of the device bar's driver on PORT; false when
  // nothing was sent.
  bool Play(int port, int row, bool continuous);
  void StopPlayback();
  // File menu transfers; each refuses (with the message) when not connected.
  std::string Upload(CDriverDoc& doc, IUploadUi& ui);
  int Download(const std::vector<std::string>& names);
  int Delete(const std::vector<std::string>& names);
  CProgressAlert& GetAlert() { return m_transfers.GetAlert(); }
  // The upload alert still waits for the worker.
  bool IsAlertWaiting();

 private:
  void HandleEvent(const CQVXEvent& event);
  void RefreshDeviceInfo();
  // Takes the link's state; SHOWN is the state shown before the events.
  void ShowState(int shown);
  void SetHandling(bool on);
  void ClearCommandLineFlag();
  PlaybackDeviceInfo PlaybackInfo() const;

  CQVX& m_link;
  IPrompt& m_prompt;
  CQVXDeviceQueue m_queue;
  CTransfers m_transfers;
  CDeviceBar m_deviceBar;
  CPlayback m_playback;
  IMainFrameLinkListener* m_listener = nullptr;

  CQVXConnectionTypeList m_recent;
  std::unique_ptr<CQVXConnectionType> m_current;
  std::function<bool()> m_commandLineSet;
  std::function<void()> m_commandLineClear;

  std::function<bool()> m_learnActive;
  std::function<void(bool)> m_handlingListener;
  bool m_handling = false;
  int m_suspended = 0;

  int m_state = 0;
  int m_runEnd = 0;  // 1 or 2 when the run ended by failing or by loss
  DeviceInfo m_info;
  std::vector<CQVXFile> m_files;
  std::string m_fileListText;
  std::unique_ptr<CQVXDeviceType> m_type;
  int m_portCount = 0;
};

}  // namespace quillon
