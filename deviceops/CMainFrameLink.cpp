#include "deviceops/CMainFrameLink.h"

#include <cstdio>
#include <ctime>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXDeviceType.h"
#include "devicelink/CQVXDownloadable.h"
#include "devicelink/CQVXEvent.h"
#include "devicelink/CQVXEventFile.h"
#include "devicelink/CQVXEventList.h"
#include "devicelink/CQVXFileList.h"

namespace quillon {
namespace {

// Sets a flag for the lifetime of a scope and tells a listener each change.
class HandlingScope {
 public:
  explicit HandlingScope(const std::function<void(bool)>& set) : m_set(set) { m_set(true); }
  ~HandlingScope() { m_set(false); }
  HandlingScope(const HandlingScope&) = delete;
  HandlingScope& operator=(const HandlingScope&) = delete;

 private:
  const std::function<void(bool)>& m_set;
};

std::string Format(const char* format, const std::string& text) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, text.c_str());
  return buffer;
}

}  // namespace

CMainFrameLink::CMainFrameLink(CQVX& link, IPrompt& prompt)
    : m_link(link), m_prompt(prompt), m_queue(link), m_transfers(link, prompt), m_playback(m_queue),
      m_state(link.GetState()) {}

CMainFrameLink::~CMainFrameLink() = default;

// --- The timer ----------------------------------------------------------------

bool CMainFrameLink::Tick() {
  if (m_suspended > 0 || m_handling || (m_learnActive && m_learnActive())) return false;
  const std::function<void(bool)> set = [this](bool on) { SetHandling(on); };
  HandlingScope scope(set);
  const int shown = GetShownState();

  // A connection given on the command line is made at the first tick.
  if (m_commandLineSet && m_commandLineSet()) {
    if (CanConnect()) {
      Connect();
    } else {
      ClearCommandLineFlag();
    }
  }

  CQVXEventList events;
  m_link.TakeEvents(events);
  for (int i = 0; i < events.GetCount(); ++i) HandleEvent(*events.At(i));
  events.Clear();

  // A link that could not be opened says why, when the link shows its errors.
  if (const auto text = m_link.TakeSocketErrorToShow()) {
    m_prompt.MessageBox(*text, kSocketErrorTitle, PromptButtons::Ok, PromptIcon::Error);
  }
  ShowState(shown);
  return true;
}

void CMainFrameLink::SetHandling(bool on) {
  m_handling = on;
  if (m_handlingListener) m_handlingListener(on);
}

void CMainFrameLink::HandleEvent(const CQVXEvent& event) {
  const auto kind = static_cast<CQVXEventKind>(event.GetType());
  switch (kind) {
    case CQVXEventKind::kConnected:
      // The connect toolbar follows the state, shown after the events.
      return;
    case CQVXEventKind::kClosing:
      m_link.DropCommandQueue();
      m_link.ClearTransfers();
      return;
    case CQVXEventKind::kInfoRefreshed:
      RefreshDeviceInfo();
      return;
    case CQVXEventKind::kUploadDone:
    case CQVXEventKind::kUploadNoRoom:
    case CQVXEventKind::kUploadUnusable: {
      const bool waiting = IsAlertWaiting();
      m_transfers.HandleEvent(event, &m_deviceBar, nullptr);
      // The new file shows in the device bar at the next pass of the worker.
      if (kind == CQVXEventKind::kUploadDone) m_link.SetRequestBits(CQVX::kRequestFileList);
      if (waiting && !IsAlertWaiting() && m_listener) m_listener->AlertChanged();
      return;
    }
    case CQVXEventKind::kDownloadReceived: {
      const auto* file = dynamic_cast<const CQVXEventFile*>(&event);
      const CQVXDownloadable* item = file ? file->GetObject<CQVXDownloadable>() : nullptr;
      m_transfers.HandleEvent(event, &m_deviceBar, [this](const CQVXDownloadable& received) {
        if (m_listener) m_listener->DocumentReceived(received);
      });
      if (item && item->GetKind() == CQVXDownloadable::kKindPlayback && m_listener) m_listener->DeviceBarChanged();
      return;
    }
    case CQVXEventKind::kDownloadEmptyName:
    case CQVXEventKind::kDownloadFailed: {
      // A driver the user asked for is reported; the device bar's own
      // request may be made again by selecting the file again.
      const auto* file = dynamic_cast<const CQVXEventFile*>(&event);
      const CQVXDownloadable* item = file ? file->GetObject<CQVXDownloadable>() : nullptr;
      if (!item) return;
      if (item->GetKind() == CQVXDownloadable::kKindDocument) {
        m_prompt.MessageBox(Format(kDownloadError, item->GetRemoteName()), "Quillon", PromptButtons::Ok,
                            PromptIcon::Warning);
      } else {
        m_deviceBar.Forget();
        if (m_listener) m_listener->DeviceBarChanged();
      }
      return;
    }
    case CQVXEventKind::kLinkNotOpened:
      m_runEnd = CQVX::kConnectionFailed;
      return;
    case CQVXEventKind::kWorkerException:
      // The worker stopped on a transport or protocol error: the link was lost.
      m_runEnd = CQVX::kConnectionLost;
      return;
    case CQVXEventKind::kNoFirmware:
    case CQVXEventKind::kSerialPortBusy:
    case CQVXEventKind::kUnreachable:
    case CQVXEventKind::kWrongPassword:
    case CQVXEventKind::kNotAdministrator:
      m_transfers.HandleEvent(event, &m_deviceBar, nullptr);
      return;
    default:
      // Kinds 1, 2, 4, 5, 8, 9, 11, 12, 14, 19, 22 and all above 25 are
      // passed over; a learn dialog takes the captures itself.
      return;
  }
}

void CMainFrameLink::RefreshDeviceInfo() {
  DeviceInfo info;
  info.name = m_link.GetInfo1();
  info.version = m_link.GetInfo2();
  info.firmware = m_link.GetFirmware();
  info.memory = m_link.GetMemoryText();
  info.partNumber = m_link.GetPartNumber();
  m_type = m_link.GetDeviceType();
  info.typeName = m_type ? m_type->GetName() : std::string();
  m_portCount = m_type ? m_type->GetPortCount() : 0;

  const std::string listText = m_link.GetFileListText();
  const bool filesChanged = listText != m_fileListText;
  if (filesChanged) {
    m_fileListText = listText;
    m_files.clear();
    m_link.WithFileList([this](const CQVXFileList& list) {
      for (size_t i = 0; i < list.GetCount(); ++i) m_files.push_back(*list.GetAt(i));
    });
  }
  if (filesChanged || !(info == m_info)) {
    m_info = std::move(info);
    if (m_listener) m_listener->DeviceInfoChanged();
  }
}

void CMainFrameLink::ShowState(int shown) {
  const int state = m_link.GetState();
  // The device bar lists the device only while a connection runs.
  const bool running = state == CQVX::kConnected || state == CQVX::kConnecting;
  if (!running && (!m_files.empty() || !(m_info == DeviceInfo()) || m_deviceBar.HasDriver())) {
    m_info = DeviceInfo();
    m_files.clear();
    m_fileListText.clear();
    m_type.reset();
    m_portCount = 0;
    m_deviceBar.Forget();
    if (m_listener) {
      m_listener->DeviceInfoChanged();
      m_listener->DeviceBarChanged();
    }
  }
  // An upload cannot finish once the link is gone: the alert says so
  // instead of waiting for ever.
  if (!running && IsAlertWaiting()) {
    CProgressAlert& alert = m_transfers.GetAlert();
    alert.SetCompletionText(Format("Error encountered while uploading %s", alert.GetFileName()));
    alert.SetFileName("");
    alert.Finish();
    if (m_listener) m_listener->AlertChanged();
  }
  // A new run forgets how the last one ended.
  if (running) m_runEnd = 0;
  if (state != m_state || shown != GetShownState()) {
    m_state = state;
    if (m_listener) m_listener->StateChanged();
  }
}

int CMainFrameLink::GetShownState() const {
  return m_state == CQVX::kDisconnected && m_runEnd != 0 ? m_runEnd : m_state;
}

bool CMainFrameLink::IsAlertWaiting() {
  const CProgressAlert& alert = m_transfers.GetAlert();
  return !alert.IsFinished() && !alert.GetFileName().empty();
}

// --- Connections -------------------------------------------------------------

void CMainFrameLink::SetCurrentConnection(std::unique_ptr<CQVXConnectionType> description) {
  m_current = std::move(description);
}

void CMainFrameLink::SetCommandLineConnection(std::function<bool()> isSet, std::function<void()> clear) {
  m_commandLineSet = std::move(isSet);
  m_commandLineClear = std::move(clear);
}

void CMainFrameLink::ClearCommandLineFlag() {
  if (m_commandLineClear && m_commandLineSet && m_commandLineSet()) m_commandLineClear();
}

int CMainFrameLink::Connect() {
  ClearCommandLineFlag();
  const int shown = GetShownState();
  m_runEnd = 0;
  if (m_current && m_current->IsValid()) {
    m_recent.AddCopyAtHead(m_current.get());
    m_recent.SaveRecentToProfile(m_current.get());
  }
  m_link.Connect(m_current.get());
  ShowState(shown);
  return m_state;
}

int CMainFrameLink::Disconnect() {
  ClearCommandLineFlag();
  const int shown = GetShownState();
  m_runEnd = 0;
  m_link.Disconnect();
  ShowState(shown);
  return m_state;
}

// --- What the window shows ---------------------------------------------------

std::string CMainFrameLink::StatusText(int state) {
  return std::string(kStatusPrefix) + " " + CQVX::StateText(state);
}

bool CMainFrameLink::IsConnectPressed() const {
  return m_state == CQVX::kConnecting || m_state == CQVX::kConnected;
}

bool CMainFrameLink::CanConnect() const { return !IsConnectPressed() && m_state != CQVX::kDisconnecting; }

bool CMainFrameLink::CanDisconnect() const { return IsConnectPressed(); }

bool CMainFrameLink::IsConnected() const { return m_state == CQVX::kConnected; }

std::string CMainFrameLink::FileDateText(const CQVXFile& file) {
  std::tm tm{};
  const bool shortYear = file.GetYear() < 100;
  tm.tm_year = (shortYear ? file.GetYear() + 2000 : file.GetYear()) - 1900;
  tm.tm_mon = file.GetMonth() - 1;
  tm.tm_mday = file.GetDay();
  tm.tm_hour = file.GetHour();
  tm.tm_min = file.GetMinute();
  tm.tm_sec = file.GetSecond();
  // The device clock counts universal time.
  const std::time_t when = timegm(&tm);
  std::tm local{};
  if (!file.IsValid() || when == static_cast<std::time_t>(-1) || !localtime_r(&when, &local)) {
    return file.GetDateText();
  }
  const int year = local.tm_year + 1900;
  char text[48];
  std::snprintf(text, sizeof text, "%d/%d/%d", local.tm_mon + 1, local.tm_mday, shortYear ? year % 100 : year);
  return text;
}

// --- Commands ----------------------------------------------------------------

bool CMainFrameLink::CheckConnected() {
  if (m_link.GetState() == CQVX::kConnected) return true;
  m_prompt.MessageBox(kNotConnected, "Quillon", PromptButtons::Ok, PromptIcon::Warning);
  return false;
}

void CMainFrameLink::SelectDeviceFile(const std::string& name) {
  // A playback download of a file no longer selected is refused when it
  // arrives.
  m_deviceBar.Deselect();
  if (name.empty() || m_link.GetState() != CQVX::kConnected) return;
  for (const CQVXFile& file : m_files) {
    if (file.GetName() != name) continue;
    if (file.IsDriver() != 1) return;
    const bool had = m_deviceBar.HasDriver();
    const bool requested = m_deviceBar.SelectFile(file, m_link);
    if ((requested || had != m_deviceBar.HasDriver()) && m_listener) m_listener->DeviceBarChanged();
    return;
  }
}

PlaybackDeviceInfo CMainFrameLink::PlaybackInfo() const {
  PlaybackDeviceInfo info;
  if (m_type) {
    info.partNumber = m_type->GetPartNumber();
    info.learnTypeQvx = m_type->IsQVXLearner();
    info.firstSIPort = m_type->GetFirstSharedPort();
    info.lastSIPort = m_type->GetLastSharedPort();
  }
  return info;
}

bool CMainFrameLink::Play(int port, int row, bool continuous) {
  if (!CheckConnected() || !m_deviceBar.HasDriver()) return false;
  return m_playback.Play(port, m_deviceBar.GetLoadedName(), row, continuous, PlaybackInfo());
}

void CMainFrameLink::StopPlayback() {
  if (m_link.GetState() == CQVX::kConnected) m_playback.Stop();
}

std::string CMainFrameLink::Upload(CDriverDoc& doc, IUploadUi& ui) {
  if (!CheckConnected()) return "";
  return m_transfers.Upload(doc, ui);
}

int CMainFrameLink::Download(const std::vector<std::string>& names) {
  if (!CheckConnected()) return 0;
  return m_transfers.Download(names);
}

int CMainFrameLink::Delete(const std::vector<std::string>& names) {
  if (!CheckConnected()) return 0;
  const bool had = m_deviceBar.HasDriver();
  const int queued = m_transfers.Delete(names, &m_deviceBar);
  if (queued > 0) m_link.SetRequestBits(CQVX::kRequestFileList);
  if (had != m_deviceBar.HasDriver() && m_listener) m_listener->DeviceBarChanged();
  return queued;
}

}  // namespace quillon
