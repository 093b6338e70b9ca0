// The conversation of the device worker: log-in and identification, then
// the loop of status polls, requests and transfers until the link is told
// to disconnect.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>
#include <vector>

#include "devicelink/CQVX.h"
#include "devicelink/CQVXDeviceType.h"
#include "devicelink/CQVXEventFile.h"
#include "devicelink/CQVXIrData.h"
#include "devicelink/CQVXIrDataHalvar.h"
#include "devicelink/CQVXIrDataQVX.h"
#include "devicelink/CQVXProtocol.h"
#include "devicelink/CQVXSocket.h"

namespace quillon {

namespace {

constexpr int kWriteT1 = 5000;
constexpr int kWriteT2 = 3000;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

uint32_t BigEndian32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) | (static_cast<uint32_t>(p[2]) << 8) |
         static_cast<uint32_t>(p[3]);
}

}  // namespace

void CQVXSocket::Start() {
  Join();
  m_running.Set();
  m_thread = std::thread(&CQVXSocket::ThreadMain, this);
}

void CQVXSocket::Join() {
  if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

void CQVXSocket::ThreadMain() {
  // Below-normal priority: the user interface stays responsive.
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 1);
  m_running.Set();
  try {
    if (Run() != 0) OnRunEnd();
  } catch (const CQVXSocketException& e) {
    Close();
    if (m_parent) m_parent->PostRecord(std::make_unique<CQVXEvent>(11, e.GetMessage(), e.GetCode()));
  } catch (const std::exception& e) {
    Close();
    if (m_parent) m_parent->PostRecord(std::make_unique<CQVXEvent>(11, e.what()));
  }
  m_disconnect.Reset();
  if (m_parent) {
    m_parent->PostEvent(4);
    m_parent->StateChangedEvent().Set();
    m_parent->ClearTransfers();
    m_parent->DropCommandQueue();
  }
  m_running.Reset();
}

void CQVXSocket::OnRunEnd() {
  if (m_parent) m_parent->PostEvent(4);
}

int CQVXSocket::Run() {
  if (m_parent == nullptr) return 0;
  // A copy of what this run uses: settings changed later apply to the next connection.
  const CQVXSettings settings = m_parent->GetSettings();

  if (!Open()) {
    m_parent->PostEvent(14);
  } else {
    m_parent->PostEvent(1);
    m_parent->StateChangedEvent().Set();
    m_parent->ClearDeviceInfo();
    if (LogIn(settings)) {
      m_parent->StateChangedEvent().Set();
      bool firstUpdate = true;
      bool updateDue = true;
      int64_t lastUpdate = NowMs();
      int64_t lastStatusPoll = 0;
      while (!StopRequested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const int64_t now = NowMs();
        std::vector<std::string> commands = m_parent->TakeCommandQueue();
        const bool pending = m_parent->TakePending();
        const uint32_t bits = m_parent->TakeRequestBits();
        const bool transfers = m_parent->GetTransferEnable();
        int transferCount = 0;
        if (transfers) transferCount = m_parent->GetUploadCount() + m_parent->GetDownloadCount();
        if (!commands.empty() || pending || bits != 0 || transferCount > 0 ||
            IntervalPassed(lastUpdate, now, settings.update_interval)) {
          updateDue = true;
        }
        if (m_parent->IrStatusPollEvent().IsSet() && IntervalPassed(lastStatusPoll, now, settings.irs_interval)) {
          std::string status;
          Query(CQVXProtocol::kIrStatus, settings.gen_query_timeout, settings.gen_query_timeout,
                settings.gen_query_eoftimeout, false, &status);
          m_parent->SetInfo(CQVX::kIrStatus, status);
          lastStatusPoll = now;
        }
        if (!updateDue) continue;
        lastUpdate = now;
        updateDue = false;
        FullUpdate(settings, firstUpdate, commands, bits, transfers);
        firstUpdate = false;
      }
      Close();
      m_parent->PostEvent(3);
      m_parent->StateChangedEvent().Set();
    }
  }
  m_parent->PostEvent(4);
  return 0;
}

void CQVXSocket::Query(const std::string& command, int resend, int t1, int t2, bool raw, std::string* reply) {
  m_resendWait = resend;
  WriteText(command, kWriteT1, kWriteT2);
  std::string text = raw ? ReadString(t1, t2) : ReadLine(t1, t2);
  if (reply) *reply = std::move(text);
}

void CQVXSocket::CloseLinkWithEvent(uint32_t kind) {
  m_parent->PostEvent(kind);
  Close();
  m_parent->PostEvent(3);
}

bool CQVXSocket::LogIn(const CQVXSettings& s) {
  std::string password;
  m_parent->GetTarget(nullptr, nullptr, &password);
  m_resendWait = 0;

  std::string greeting;
  if (WaitReadable(500, false)) {
    greeting = Lower(ReadLine(500, 100));
    m_parent->PostEvent(0);
  }
  if (greeting.find("password:") != std::string::npos) {
    m_resendWait = 500;
    WriteText(password + "\r", kWriteT1, kWriteT2);
    const std::string answer = Lower(ReadLine(500, 100));
    if (answer.find("password:") != std::string::npos) {
      CloseLinkWithEvent(17);
      return false;
    }
    if (answer.find("login admin") == std::string::npos) {
      CloseLinkWithEvent(18);
      return false;
    }
  }

  std::string reply;
  Query(CQVXProtocol::kSerialNumber, s.gen_query_timeout, s.gen_query_timeout, s.gen_query_eoftimeout, false, &reply);
  if (!m_linkIsTCP && !reply.empty()) {
    reply.erase(std::remove(reply.begin(), reply.end(), '-'), reply.end());
    if (std::all_of(reply.begin(), reply.end(), [](char c) { return c >= '0' && c <= '9'; })) m_parent->PostEvent(0);
  }

  struct Step {
    const char* command;
    CQVX::InfoField field;
    bool resend;
    bool raw;
  };
  static constexpr Step kSteps[] = {
      {CQVXProtocol::kName, CQVX::kInfo1, false, false},     {CQVXProtocol::kInfo2, CQVX::kInfo2, true, false},
      {CQVXProtocol::kInfo3, CQVX::kInfo3, true, false},     {CQVXProtocol::kFirmware, CQVX::kFirmware, true, false},
      {CQVXProtocol::kMemory, CQVX::kMemory, true, true},    {CQVXProtocol::kPartNumber, CQVX::kPartNumber, true, false},
  };
  std::string firmware;
  std::string partNumber;
  for (const Step& step : kSteps) {
    Query(step.command, step.resend ? s.gen_query_timeout : 0, s.gen_query_timeout, s.gen_query_eoftimeout, step.raw,
          &reply);
    m_parent->SetInfo(step.field, reply);
    if (step.field == CQVX::kFirmware) firmware = reply;
    if (step.field == CQVX::kPartNumber) partNumber = reply;
  }
  m_parent->IdentifyDeviceType(partNumber);
  m_parent->PostEvent(7);

  const float version = CQVXProtocol::ParseFirmware(firmware);
  if (firmware.empty() || version == 0.0f) {
    CloseLinkWithEvent(13);
    return false;
  }
  if (CQVXProtocol::IsFirmwareGated(version, partNumber)) {
    CloseLinkWithEvent(26);
    return false;
  }
  return true;
}

void CQVXSocket::FullUpdate(const CQVXSettings& s, bool firstUpdate, const std::vector<std::string>& commands,
                            uint32_t bits, bool transfers) {
  // Bleed: whatever a resent command left behind is dropped.
  if (WaitReadable(s.bleed_timeout, false)) ReadString(s.bleed_timeout, s.bleed_timeout);

  for (const std::string& command : commands) {
    Query(command, s.gen_query_timeout, s.gen_query_timeout, s.gen_query_eoftimeout, true, nullptr);
  }

  std::string reply;
  Query(CQVXProtocol::kIrStatus, s.gen_query_timeout, s.gen_query_timeout, s.gen_query_eoftimeout, false, &reply);
  m_parent->SetInfo(CQVX::kIrStatus, reply);
  Query(CQVXProtocol::kRunningEvents, s.gen_query_timeout, s.gen_query_timeout, 5, false, &reply);
  if (!reply.empty()) m_parent->SetRunningEventCount(std::atoi(reply.c_str()));

  if (bits & CQVX::kRequestFlash) {
    Query(CQVXProtocol::kFlash, s.flash_cmd_timeout, s.flash_cmd_timeout, s.flash_cmd_eoftimeout, false, nullptr);
    m_parent->PostEvent(2);
  }
  if (bits & CQVX::kRequestLearnOn) {
    Query(CQVXProtocol::kLearnOn, s.ir_cmd_timeout, s.ir_cmd_timeout, s.ir_cmd_eoftimeout, true, nullptr);
  }
  if (bits & CQVX::kRequestLearnOff) {
    Query(CQVXProtocol::kLearnOff, s.ir_cmd_timeout, s.ir_cmd_timeout, s.ir_cmd_eoftimeout, true, nullptr);
  }
  if (bits & CQVX::kRequestCapture) Capture(s);
  if (StopRequested()) return;

  if (!transfers) return;
  Query(CQVXProtocol::kMemory, s.gen_query_timeout, s.gen_query_timeout, s.gen_query_eoftimeout, true, &reply);
  m_parent->SetInfo(CQVX::kMemory, reply);
  if (m_linkIsTCP || firstUpdate || (bits & CQVX::kRequestFileList)) {
    Query(CQVXProtocol::kFileList, s.file_list_timeout, s.file_list_timeout, s.file_list_eoftimeout, true, &reply);
    m_parent->SetInfo(CQVX::kFileList, reply);
    m_parent->PostEvent(7);
  }
  if (auto upload = m_parent->TakeNextUpload()) ServeUpload(s, std::move(upload));
  if (StopRequested()) return;
  if (auto download = m_parent->TakeNextDownload()) ServeDownload(s, std::move(download));
}

void CQVXSocket::Capture(const CQVXSettings& s) {
  const std::unique_ptr<CQVXDeviceType> type = m_parent->GetDeviceType();
  if (type && type->IsQVXLearner()) {
    m_resendWait = s.ir_cmd_timeout;
    WriteText(CQVXProtocol::kCapture, kWriteT1, kWriteT2);
    uint8_t countBytes[4] = {0, 0, 0, 0};
    ReadBytes(countBytes, 4, 60000, 1000);
    const uint32_t samples = BigEndian32(countBytes);
    // A count no device can send is taken as a buffer that cannot be had.
    if (samples > CQVXProtocol::kMaxCaptureSamples) throw CQVXSocketException("Socket Memory Error", 0);
    std::vector<uint8_t> buffer(static_cast<std::size_t>(samples) * 6 + 4, 0);
    std::copy(countBytes, countBytes + 4, buffer.begin());
    if (samples > 0) ReadBytes(buffer.data() + 4, static_cast<int>(samples * 6), s.ir_cmd_timeout, 1000);
    m_parent->PostRecord(std::make_unique<CQVXIrDataQVX>(std::move(buffer)));
  } else if (type && type->IsHalvarLearner()) {
    m_resendWait = s.ir_cmd_timeout;
    WriteText(CQVXProtocol::kCapture, kWriteT1, kWriteT2);
    std::vector<uint8_t> buffer(CQVXIrDataHalvar::kCaptureSize, 0);
    ReadBytes(buffer.data(), CQVXIrDataHalvar::kCaptureSize, s.ir_cmd_timeout, 1000);
    m_parent->PostRecord(std::make_unique<CQVXIrDataHalvar>(std::move(buffer)));
  } else {
    m_parent->PostRecord(std::make_unique<CQVXIrData>(CQVXIrDataQVX::kTextNoData));
  }
}

void CQVXSocket::ServeUpload(const CQVXSettings& s, std::unique_ptr<CQVXUploadable> item) {
  m_parent->PostEvent(5);
  const std::string name = item->GetName();
  if (name.empty() || item->GetData() == nullptr || item->GetSize() < 1) {
    m_parent->PostEvent(21, name);
    return;
  }
  if (static_cast<int64_t>(item->GetSize()) >= CQVXProtocol::FreeSpace(m_parent->GetMemoryText())) {
    m_parent->PostEvent(20, name);
    return;
  }
  m_resendWait = 0;
  WriteText(CQVXProtocol::UploadCommand(item->GetSize(), name), kWriteT1, kWriteT2);
  m_parent->SetTransferProgress(0, item->GetSize());
  m_reportProgress = true;
  try {
    WriteBytes(item->GetData(), item->GetSize(), s.upload_timeout, 3000);
  } catch (...) {
    m_reportProgress = false;
    throw;
  }
  m_reportProgress = false;
  ReadString(s.upload_ack_timeout, s.upload_ack_eoftimeout);
  m_parent->PostEvent(6, name);
}

void CQVXSocket::ServeDownload(const CQVXSettings& s, std::unique_ptr<CQVXDownloadable> item) {
  const std::string name = item->GetRemoteName();
  uint32_t code = 24;
  if (name.empty()) {
    code = 23;
  } else {
    m_resendWait = s.download_timeout;
    WriteText(CQVXProtocol::DownloadCommand(name), kWriteT1, kWriteT2);
    uint8_t lengthBytes[4] = {0, 0, 0, 0};
    if (ReadBytes(lengthBytes, 4, s.download_timeout, 1000) == 4) {
      const uint32_t length = BigEndian32(lengthBytes);
      if (length > 0 && length <= CQVXProtocol::kMaxDownloadBytes) {
        std::vector<uint8_t> data(length);
        m_parent->SetTransferProgress(0, length);
        m_reportProgress = true;
        int got = 0;
        try {
          got = ReadBytes(data.data(), static_cast<int>(length), s.download_timeout, 1000);
        } catch (...) {
          m_reportProgress = false;
          throw;
        }
        m_reportProgress = false;
        if (got == static_cast<int>(length)) {
          item->SetData(std::move(data));
          code = 10;
        }
      }
    }
  }
  m_parent->PostRecord(std::make_unique<CQVXEventFile>(code, name, std::move(item)));
}

}  // namespace quillon
