#include "tools/cli/CliConnectionOptions.h"

#include <cctype>
#include <chrono>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "devicelink/CQVXConnectionSerial.h"
#include "devicelink/CQVXConnectionTCP.h"
#include "devicelink/CQVXEventList.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {

namespace {

const char kSerialMessage[] = "Invalid/Unsupported Serial Configuration parameters";

bool ParseNumber(const std::string& text, long* value) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  if (text.size() > 9) return false;
  *value = std::strtol(text.c_str(), nullptr, 10);
  return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> fields;
  std::string field;
  for (char c : text) {
    if (c == separator) {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  fields.push_back(field);
  return fields;
}

}  // namespace

void CliConnectionOptions::AddTo(CLI::App* command) {
  command->add_option("--ip", ip, "Device address ADDR[:PORT] (TCP, port 23 by default)");
  command->add_option("--com", com,
                      "Serial link PORT,BAUD,PARITY,DATA,STOP[,FLOW]; PORT is a number or a device path");
  command->add_option("--pwd", pwd, "Administrator password of the device");
}

std::unique_ptr<CQVXConnectionType> CliConnectionOptions::ParseIp(const std::string& text) {
  unsigned a = 0, b = 0, c = 0, d = 0, port = 23;
  char tail = 0;
  const int n = std::sscanf(text.c_str(), "%u.%u.%u.%u:%u%c", &a, &b, &c, &d, &port, &tail);
  if (n != 4 && n != 5) throw UsageError("--ip needs ADDR[:PORT] with a dotted IPv4 address, got \"" + text + "\"");
  if (n == 4 && text.find(':') != std::string::npos) throw UsageError("--ip: bad port in \"" + text + "\"");
  if (a > 255 || b > 255 || c > 255 || d > 255 || port > 65535) {
    throw UsageError("--ip: address or port out of range in \"" + text + "\"");
  }
  auto tcp = std::make_unique<CQVXConnectionTCP>();
  tcp->SetAddress(a, b, c, d);
  tcp->SetPort(static_cast<int>(port));
  return tcp;
}

std::unique_ptr<CQVXConnectionType> CliConnectionOptions::ParseCom(const std::string& text, std::string* devicePath) {
  const std::vector<std::string> fields = Split(text, ',');
  if (fields.size() < 5 || fields.size() > 6) throw UsageError(kSerialMessage);
  for (int i = 0; i < 5; ++i) {
    if (fields[static_cast<std::size_t>(i)].empty()) throw UsageError(kSerialMessage);
  }
  long port = 1;
  std::string path;
  if (fields[0].find('/') != std::string::npos) {
    path = fields[0];
  } else if (!ParseNumber(fields[0], &port) || port < 1) {
    throw UsageError(kSerialMessage);
  }
  long baud = 0, dataBits = 0, stopBits = 0;
  if (!ParseNumber(fields[1], &baud) || !ParseNumber(fields[3], &dataBits) || !ParseNumber(fields[4], &stopBits)) {
    throw UsageError(kSerialMessage);
  }
  if (fields[2].size() != 1) throw UsageError(kSerialMessage);
  int parity = -1;
  switch (std::toupper(static_cast<unsigned char>(fields[2][0]))) {
    case 'N': parity = 0; break;
    case 'O': parity = 1; break;
    case 'E': parity = 2; break;
    case 'M': parity = 3; break;
    case 'S': parity = 4; break;
    default: throw UsageError(kSerialMessage);
  }
  if (stopBits != 1 && stopBits != 2) throw UsageError(kSerialMessage);
  int flow = 0;
  if (fields.size() == 6 && !fields[5].empty()) {
    switch (std::toupper(static_cast<unsigned char>(fields[5][0]))) {
      case 'H': flow = 1; break;
      case 'X': flow = 5; break;
      case 'N':
      case 'O': flow = 0; break;
      default: throw UsageError(kSerialMessage);
    }
  }
  auto serial = std::make_unique<CQVXConnectionSerial>();
  serial->SetPort(static_cast<int>(port));
  serial->SetBitRate(static_cast<int>(baud));
  serial->SetParity(parity);
  serial->SetDataBits(static_cast<int>(dataBits));
  serial->SetStopBits(stopBits == 2 ? 2 : 0);
  serial->SetFlowControl(flow);
  if (devicePath) *devicePath = path;
  return serial;
}

std::unique_ptr<CQVXConnectionType> CliConnectionOptions::Build(std::string* devicePath) const {
  if (devicePath) devicePath->clear();
  if (ip.empty() && com.empty()) throw UsageError("give the device with --ip ADDR[:PORT] or --com PORT,BAUD,PARITY,DATA,STOP");
  if (!ip.empty() && !com.empty()) throw UsageError("--ip and --com exclude each other");
  std::unique_ptr<CQVXConnectionType> description = ip.empty() ? ParseCom(com, devicePath) : ParseIp(ip);
  description->SetPassword(pwd);
  return description;
}

}  // namespace quillon::cli

namespace quillon::cli {

namespace {

const char* EventMeaning(uint32_t kind) {
  switch (kind) {
    case 0: return "connected";
    case 1: return "link opened, log-in starts";
    case 2: return "flash command answered";
    case 3: return "link being closed";
    case 4: return "worker ended";
    case 5: return "upload starts";
    case 6: return "upload done";
    case 7: return "device information refreshed";
    case 9: return "IR data";
    case 10: return "file received";
    case 11: return "worker stopped by an error";
    case 12: return "download record not made";
    case 13: return "Connection Timeout.";
    case 14: return "link not opened";
    case 15: return "Invalid serial connection parameters or specified port is in use.";
    case 16: return "Invalid Address";
    case 17: return "Invalid password.";
    case 18: return "Administrative privileges required.";
    case 20: return "not enough room for the upload";
    case 21: return "upload item unusable";
    case 23: return "download with an empty name";
    case 24: return "download failed";
    case 26: return "Firmware not supported.";
    default: return "";
  }
}

}  // namespace

std::string DescribeEvent(const CQVXEvent& event) {
  std::string line = "event " + std::to_string(event.GetType());
  const char* meaning = EventMeaning(event.GetType());
  if (*meaning) line += std::string(" ") + meaning;
  if (!event.GetText().empty()) line += ": " + event.GetText();
  return line;
}

bool PumpLink(CQVX& link, std::ostream* out, int timeoutMs, const std::function<bool()>& done,
              const std::function<void(const CQVXEvent&)>& onEvent) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  static thread_local int lastState = -1;
  for (;;) {
    const int state = link.GetState();
    CQVXEventList events;
    link.TakeEvents(events);
    for (int i = 0; i < events.GetCount(); ++i) {
      const CQVXEvent* event = events.At(i);
      if (out) *out << DescribeEvent(*event) << "\n";
      if (onEvent) onEvent(*event);
    }
    const int now = link.GetState();
    if (now != lastState || state != now) {
      if (out) *out << "state " << now << " " << CQVX::StateText(now) << "\n";
      lastState = now;
    }
    if (out) out->flush();
    if (done && done()) return true;
    if (!link.IsRunning() && events.GetCount() == 0) {
      // Catch what the worker posted while ending.
      CQVXEventList last;
      link.TakeEvents(last);
      for (int i = 0; i < last.GetCount(); ++i) {
        if (out) *out << DescribeEvent(*last.At(i)) << "\n";
        if (onEvent) onEvent(*last.At(i));
      }
      if (last.GetCount() == 0) return done && done();
      continue;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void ConnectAndWait(CQVX& link, const CliConnectionOptions& options, std::ostream* out, int timeoutMs) {
  std::string devicePath;
  std::unique_ptr<CQVXConnectionType> description = options.Build(&devicePath);
  link.SetSerialDevicePath(devicePath);
  link.Connect(description.get());
  int refreshes = 0;
  std::string failure;
  const bool ok = PumpLink(
      link, out, timeoutMs,
      // Identified and the file list read. Without a greeting a TCP link
      // stays "Connecting" although it works, so the state is not waited for.
      [&] { return refreshes >= 2 && link.IsRunning(); },
      [&](const CQVXEvent& event) {
        const uint32_t kind = event.GetType();
        if (kind == 7) ++refreshes;
        if (kind == 11) failure = "connection lost: " + event.GetText();
        if (kind == 13 || kind == 14 || (kind >= 15 && kind <= 18) || kind == 26) {
          if (failure.empty()) failure = *EventMeaning(kind) && kind != 14 ? EventMeaning(kind) : "Connection Failed";
        }
      });
  if (!ok) {
    link.Disconnect();
    if (failure.empty()) {
      failure = link.GetState() == CQVX::kConnectionFailed ? "Connection Failed" : "no answer from the device in time";
    }
    throw CliError(failure);
  }
}

}  // namespace quillon::cli
