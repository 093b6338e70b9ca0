#pragma once
// The texts and small rules of the device command protocol: the fixed
// commands, the escape-form command texts other parts queue, the firmware
// gate and the free-space rule of uploads.
#include <cstdint>
#include <string>

namespace quillon {

class CQVXProtocol {
 public:
  static constexpr char kEsc = 0x1B;
  static constexpr char kCr = 0x0D;

  // Bare and bar commands, sent exactly as written.
  static constexpr const char* kSerialNumber = "n|";
  static constexpr const char* kName = "Wcn|";
  static constexpr const char* kInfo2 = "1I";
  static constexpr const char* kInfo3 = "2I";
  static constexpr const char* kFirmware = "Q";
  static constexpr const char* kMemory = "4I";
  static constexpr const char* kPartNumber = "N";
  static constexpr const char* kIrStatus = "WIL|";
  static constexpr const char* kRunningEvents = "WAE|";
  static constexpr const char* kFlash = "W1FF|";
  static constexpr const char* kLearnOn = "W1IL|";
  static constexpr const char* kLearnOff = "W0IL|";
  static constexpr const char* kCapture = "W2*0*0IL|";
  static constexpr const char* kFileList = "Wdf|";

  // Capacity assumed when the memory text does not tell it.
  static constexpr int64_t kDefaultCapacity = 12000000;
  // Largest capture record count and download length accepted; larger
  // counts are treated as a buffer that cannot be allocated.
  static constexpr uint32_t kMaxCaptureSamples = 1u << 20;
  static constexpr uint32_t kMaxDownloadBytes = 64u << 20;

  // ESC "+UF" count "," name CR
  static std::string UploadCommand(int32_t count, const std::string& name);
  // ESC name "SF" CR
  static std::string DownloadCommand(const std::string& name);
  // ESC name "EF" CR: delete a file.
  static std::string DeleteCommand(const std::string& name);
  // ESC "0AE" CR / ESC "1AE" CR: stop / start running events.
  static std::string RunningEventsCommand(bool start);

  // The firmware reply read as a decimal number; 0 when it is not one.
  static float ParseFirmware(const std::string& reply);
  // Firmware below 1.03 is refused on a few older models.
  static bool IsFirmwareGated(float version, const std::string& partNumber);
  // Free room for an upload from the memory text: capacity (the number
  // after the last blank, 12000000 when missing or below 1) minus the
  // used amount (the number at the start, in KiB or MiB when the
  // character after the first blank is k or m).
  static int64_t FreeSpace(const std::string& memoryText);
};

}  // namespace quillon
