#include "devicelink/CQVX.h"

#include <chrono>
#include <exception>
#include <thread>
#include <utility>

#include "app/CConfigFiles.h"
#include "app/CMemINI.h"
#include "devicelink/CQVXConnectionSerial.h"
#include "devicelink/CQVXConnectionTCP.h"
#include "devicelink/CQVXConnectionType.h"
#include "devicelink/CQVXDeviceType.h"
#include "devicelink/CQVXDeviceTypeList.h"
#include "devicelink/CQVXSocket.h"

namespace quillon {

namespace {

// The state a simple event sets when posted; -1 for none.
int StateOfSimpleEvent(uint32_t kind) {
  switch (kind) {
    case 0: return CQVX::kConnected;
    case 3: return CQVX::kDisconnecting;
    case 4: return CQVX::kDisconnected;
    case 14: return CQVX::kConnectionFailed;
    default: return -1;
  }
}

// The wider map applied to prepared records.
int StateOfRecord(uint32_t kind) {
  switch (kind) {
    case 0: return CQVX::kConnected;
    case 1: return CQVX::kConnecting;
    case 3: return CQVX::kDisconnecting;
    case 4: return CQVX::kDisconnected;
    case 11: return CQVX::kConnectionLost;
    case 14: return CQVX::kConnectionFailed;
    default: return -1;
  }
}

}  // namespace

CQVX::CQVX() : m_worker(std::make_unique<CQVXSocket>(this, "127.0.0.1", 23)) {
  // The program's settings file: the located quillon.ini, else the embedded copy.
  m_settingsSource = [](CMemINI& store) {
    try {
      CConfigFiles::LoadSettingsIni(store);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  };
}

CQVX::~CQVX() {
  StopWorker();
  m_worker.reset();
}

const char* CQVX::StateText(int state) {
  switch (state) {
    case kNoConnection: return "No Connection";
    case kConnectionFailed: return "Connection Failed";
    case kConnectionLost: return "Connection Lost";
    case kDisconnecting: return "Disconnecting";
    case kDisconnected: return "Disconnected";
    case kConnecting: return "Connecting";
    case kConnected: return "Connected";
    default: return "";
  }
}

void CQVX::SetState(int state) {
  if (m_state.exchange(state) != state) m_stateChanged.Set();
}

int CQVX::Connect(const CQVXConnectionType* description) {
  if (IsRunning()) {
    StopWorker();
    m_worker->DisconnectEvent().Reset();
  }
  ApplySettings();
  {
    std::lock_guard<std::mutex> lock(m_lockA);
    m_lastSocketError.clear();
    m_socketErrorShown = true;
  }
  SetTransferProgress(0, 0);
  if (description == nullptr || !description->IsValid()) {
    SetState(kConnectionFailed);
    return GetState();
  }
  if (description->IsTCP()) {
    const auto* tcp = static_cast<const CQVXConnectionTCP*>(description);
    m_serialLink = 0;
    SetTarget(tcp->GetAddress(), tcp->GetPort(), tcp->GetPassword());
    m_worker->SetTCP(tcp->GetAddress(), tcp->GetPort());
  } else if (description->IsSerial()) {
    const auto* serial = static_cast<const CQVXConnectionSerial*>(description);
    // A description naming its device path wins over the path set here.
    std::string path = serial->GetDevicePath();
    if (path.empty()) {
      std::lock_guard<std::mutex> lock(m_lockA);
      path = m_serialDevicePath;
    }
    m_worker->SetSerialDevicePath(path);
    if (!m_worker->SetSerial(serial->GetPort(), serial->GetBitRate(), serial->GetParity(), serial->GetDataBits(),
                             serial->GetStopBits(), serial->GetFlowControl())) {
      SetState(kConnectionFailed);
      return GetState();
    }
    m_serialLink = 1;
    std::lock_guard<std::mutex> lock(m_lockA);
    m_password = serial->GetPassword();
  } else {
    SetState(kConnectionFailed);
    return GetState();
  }
  // The state is set before the worker starts: a run that fails at once
  // must not have its final state overwritten by "Connecting".
  SetState(kConnecting);
  StartWorker();
  return kConnecting;
}

void CQVX::StartWorker() {
  m_worker->DisconnectEvent().Reset();
  m_worker->Start();
}

int CQVX::Disconnect() {
  SetState(kDisconnecting);
  if (!IsRunning()) {
    m_worker->Join();
    SetState(kNoConnection);
  } else {
    StopWorker();
  }
  return GetState();
}

void CQVX::StopWorker() {
  if (!m_worker) return;
  m_worker->DisconnectEvent().Set();
  while (m_worker->RunningEvent().IsSet()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  // The thread has cleared its running event; let it finish its last steps
  // so nothing of the old run reaches a new one.
  m_worker->Join();
}

bool CQVX::IsRunning() const { return m_worker && m_worker->RunningEvent().IsSet(); }

std::string CQVX::GetLastSocketError() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_lastSocketError;
}

void CQVX::SetLastSocketError(const std::string& text) {
  std::lock_guard<std::mutex> lock(m_lockA);
  m_lastSocketError = text;
  m_socketErrorShown = false;
}

void CQVX::SetShowSocketErrors(bool show) {
  std::lock_guard<std::mutex> lock(m_lockA);
  m_showSocketErrors = show;
}

bool CQVX::GetShowSocketErrors() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_showSocketErrors;
}

std::optional<std::string> CQVX::TakeSocketErrorToShow() {
  std::lock_guard<std::mutex> lock(m_lockA);
  if (!m_showSocketErrors || m_socketErrorShown || m_lastSocketError.empty()) return std::nullopt;
  m_socketErrorShown = true;
  return m_lastSocketError;
}

void CQVX::SetTransferProgress(int64_t done, int64_t total) {
  m_transferTotal = total;
  m_transferDone = done;
}

void CQVX::GetTransferProgress(int64_t* done, int64_t* total) const {
  if (done) *done = m_transferDone.load();
  if (total) *total = m_transferTotal.load();
}

void CQVX::SetSerialDevicePath(const std::string& path) {
  std::lock_guard<std::mutex> lock(m_lockA);
  m_serialDevicePath = path;
}

void CQVX::SetSettingsSource(SettingsSource source) {
  std::lock_guard<std::mutex> lock(m_lockA);
  m_settingsSource = std::move(source);
}

void CQVX::SetSettingsFile(const std::string& path) {
  SetSettingsSource([path](CMemINI& store) { return store.LoadFile(path); });
}

void CQVX::ApplySettings() {
  SettingsSource source;
  {
    std::lock_guard<std::mutex> lock(m_lockA);
    source = m_settingsSource;
  }
  CQVXSettings settings;
  CMemINI store;
  const bool loaded = source && source(store);
  if (loaded) settings.Read(store);
  std::unique_ptr<CQVXDeviceTypeList> table;
  if (m_deviceTable == nullptr) {
    table = std::make_unique<CQVXDeviceTypeList>();
    if (loaded) table->Load(store);
  }
  std::lock_guard<std::mutex> lock(m_lockA);
  m_settings = settings;
  if (table) m_ownTable = std::move(table);
}

CQVXSettings CQVX::GetSettings() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_settings;
}

void CQVX::SetDeviceTable(const CQVXDeviceTypeList* table) {
  std::lock_guard<std::mutex> lock(m_lockA);
  m_deviceTable = table;
}

std::string CQVX::GetInfo1() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_info[kInfo1];
}
std::string CQVX::GetInfo2() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_info[kInfo2];
}
std::string CQVX::GetInfo3() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_info[kInfo3];
}
std::string CQVX::GetFirmware() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_info[kFirmware];
}
std::string CQVX::GetMemoryText() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_info[kMemory];
}
std::string CQVX::GetPartNumber() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_info[kPartNumber];
}
std::string CQVX::GetFileListText() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_info[kFileList];
}
std::string CQVX::GetIrStatus() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_info[kIrStatus];
}
int CQVX::GetRunningEventCount() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_runningEvents;
}

std::unique_ptr<CQVXDeviceType> CQVX::GetDeviceType() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  if (!m_deviceType) return nullptr;
  return std::make_unique<CQVXDeviceType>(*m_deviceType);
}

bool CQVX::TakeInfoChanged() {
  std::lock_guard<std::mutex> lock(m_lockA);
  return std::exchange(m_infoChanged, false);
}

void CQVX::WithFileList(const std::function<void(const CQVXFileList&)>& fn) const {
  std::lock_guard<std::mutex> lock(m_lockA);
  fn(m_fileList);
}

void CQVX::QueueCommand(const std::string& text) {
  std::lock_guard<std::mutex> lock(m_lockA);
  m_commands.push_back(text);
}

void CQVX::SetRequestBits(uint32_t bits) {
  std::lock_guard<std::mutex> lock(m_lockA);
  m_pending = true;
  m_requestBits |= bits;
}

void CQVX::SetTransferEnable(bool enable) {
  std::lock_guard<std::mutex> lock(m_lockA);
  m_transferEnable = enable;
}

bool CQVX::GetTransferEnable() const {
  std::lock_guard<std::mutex> lock(m_lockA);
  return m_transferEnable;
}

bool CQVX::AddUpload(std::unique_ptr<CQVXUploadable> item) {
  if (!item) return false;
  std::lock_guard<std::mutex> lock(m_lockB);
  m_uploads.push_back(std::move(item));
  return true;
}

bool CQVX::AddDownload(std::unique_ptr<CQVXDownloadable> item) {
  if (!item || !item->IsKindValid()) return false;
  std::lock_guard<std::mutex> lock(m_lockB);
  m_downloads.push_back(std::move(item));
  return true;
}

std::unique_ptr<CQVXUploadable> CQVX::TakeNextUpload() {
  std::lock_guard<std::mutex> lock(m_lockB);
  if (m_uploads.empty()) return nullptr;
  auto item = std::move(m_uploads.front());
  m_uploads.pop_front();
  return item;
}

std::unique_ptr<CQVXDownloadable> CQVX::TakeNextDownload() {
  std::lock_guard<std::mutex> lock(m_lockB);
  if (m_downloads.empty()) return nullptr;
  auto item = std::move(m_downloads.front());
  m_downloads.pop_front();
  return item;
}

void CQVX::ClearUploads() {
  std::lock_guard<std::mutex> lock(m_lockB);
  m_uploads.clear();
}

void CQVX::ClearDownloads() {
  std::lock_guard<std::mutex> lock(m_lockB);
  m_downloads.clear();
}

void CQVX::ClearTransfers() {
  ClearUploads();
  ClearDownloads();
}

int CQVX::GetUploadCount() const {
  std::lock_guard<std::mutex> lock(m_lockB);
  return static_cast<int>(m_uploads.size());
}

int CQVX::GetDownloadCount() const {
  std::lock_guard<std::mutex> lock(m_lockB);
  return static_cast<int>(m_downloads.size());
}

void CQVX::TakeEvents(CQVXEventList& list) {
  std::lock_guard<std::mutex> lock(m_lockA);
  list.TakeAll(m_events);
}

std::vector<std::string> CQVX::TakeCommandQueue() {
  std::lock_guard<std::mutex> lock(m_lockA);
  return std::exchange(m_commands, {});
}

void CQVX::DropCommandQueue() {
  std::lock_guard<std::mutex> lock(m_lockA);
  m_commands.clear();
}

bool CQVX::TakePending() {
  std::lock_guard<std::mutex> lock(m_lockA);
  return std::exchange(m_pending, false);
}

uint32_t CQVX::TakeRequestBits() {
  std::lock_guard<std::mutex> lock(m_lockA);
  return std::exchange(m_requestBits, 0u);
}

void CQVX::PostEvent(uint32_t kind, const std::string& text, uint32_t p1, uint32_t p2, uint32_t p3, uint32_t p4) {
  {
    std::lock_guard<std::mutex> lock(m_lockA);
    m_events.AddNew(kind, text, p1, p2, p3, p4);
  }
  const int state = StateOfSimpleEvent(kind);
  if (state >= 0) SetState(state);
}

void CQVX::PostRecord(std::unique_ptr<CQVXEvent> record) {
  if (!record) return;
  const uint32_t kind = record->GetType();
  {
    std::lock_guard<std::mutex> lock(m_lockA);
    m_events.Add(std::move(record));
  }
  const int state = StateOfRecord(kind);
  if (state >= 0) SetState(state);
}

void CQVX::GetTarget(std::string* address, int* port, std::string* password) const {
  std::lock_guard<std::mutex> lock(m_lockA);
  if (address) *address = m_address;
  if (port) *port = m_port;
  if (password) *password = m_password;
}

void CQVX::SetTarget(const std::string& address, int port, const std::string& password) {
  std::lock_guard<std::mutex> lock(m_lockA);
  m_address = address;
  m_port = port;
  m_password = password;
}

void CQVX::ClearDeviceInfo() {
  std::lock_guard<std::mutex> lock(m_lockA);
  for (auto& text : m_info) {
    if (!text.empty()) m_infoChanged = true;
    text.clear();
  }
  m_fileList.Clear();
  m_deviceType.reset();
}

void CQVX::SetInfo(InfoField field, const std::string& value) {
  std::lock_guard<std::mutex> lock(m_lockA);
  if (m_info[field] != value) m_infoChanged = true;
  m_info[field] = value;
  if (field == kFileList) m_fileList.Parse(value);
}

void CQVX::SetRunningEventCount(int count) {
  std::lock_guard<std::mutex> lock(m_lockA);
  if (m_runningEvents != count) m_infoChanged = true;
  m_runningEvents = count;
}

void CQVX::IdentifyDeviceType(const std::string& partNumber) {
  std::lock_guard<std::mutex> lock(m_lockA);
  const CQVXDeviceTypeList* table = m_deviceTable ? m_deviceTable : m_ownTable.get();
  const CQVXDeviceType* match = (table && !partNumber.empty()) ? table->Find(partNumber) : nullptr;
  m_deviceType = match ? std::make_unique<CQVXDeviceType>(*match) : nullptr;
}

}  // namespace quillon
