#pragma once
// One report from the device worker to the user interface.
#include <array>
#include <cstdint>
#include <string>
#include <utility>

namespace quillon {

// The kinds of worker event, named once. The state a kind sets when posted
// and what the main window does with it are given where they are handled.
enum class CQVXEventKind : uint32_t {
  kConnected = 0,            // greeting or serial part-number check
  kLinkOpened = 1,           // log-in starts
  kFlashAnswered = 2,        // request bit 0x1 answered
  kClosing = 3,              // the link is being closed
  kWorkerEnded = 4,
  kUploadStarts = 5,
  kUploadDone = 6,           // text: the file name
  kInfoRefreshed = 7,        // device information or file list refreshed
  kIrData = 9,               // a capture record (CQVXIrData)
  kDownloadReceived = 10,    // a download record carrying the file
  kWorkerException = 11,     // text: what stopped the worker
  kDownloadNotMade = 12,     // no record could be made
  kNoFirmware = 13,          // "Connection Timeout."
  kLinkNotOpened = 14,
  kSerialPortBusy = 15,      // the serial port cannot be opened
  kUnreachable = 16,         // no answer to the ICMP echo
  kWrongPassword = 17,
  kNotAdministrator = 18,
  kUploadNoRoom = 20,        // text: the file name
  kUploadUnusable = 21,      // text: the file name
  kDownloadEmptyName = 23,   // a download record with an empty name
  kDownloadFailed = 24,      // a download record without the file
  kFirmwareTooOld = 26,
};

constexpr uint32_t KindValue(CQVXEventKind kind) { return static_cast<uint32_t>(kind); }

class CQVXEvent {
 public:
  CQVXEvent(uint32_t type, std::string text = std::string(), uint32_t p1 = 0, uint32_t p2 = 0,
            uint32_t p3 = 0, uint32_t p4 = 0);
  virtual ~CQVXEvent();

  CQVXEvent(const CQVXEvent&) = delete;
  CQVXEvent& operator=(const CQVXEvent&) = delete;

  uint32_t GetType() const { return m_type; }
  bool Is(CQVXEventKind kind) const { return m_type == KindValue(kind); }
  const std::string& GetText() const { return m_text; }
  // Parameter 1..4; any other number yields 0.
  uint32_t GetParam(int number) const;
  uint32_t GetP1() const { return m_params[0]; }
  uint32_t GetP2() const { return m_params[1]; }
  uint32_t GetP3() const { return m_params[2]; }
  uint32_t GetP4() const { return m_params[3]; }

 protected:
  // Lets an event class choose its description while it is being built.
  void SetText(std::string text) { m_text = std::move(text); }

 private:
  uint32_t m_type;
  std::string m_text;
  std::array<uint32_t, 4> m_params;
};

}  // namespace quillon
