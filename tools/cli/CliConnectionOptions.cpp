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
#include "platform/SerialPort.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {

namespace {

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

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::vector<std::string> NormaliseSerialFields(std::vector<std::string> fields) {
  // fields[0] is the port; 1 bit rate, 2 parity, 3 data bits, 4 stop bits, 5 flow.
  if (fields.size() > 2) {
    static const char* const kParity[][2] = {{"N", "None"}, {"O", "Odd"}, {"E", "Even"}, {"M", "Mark"}, {"S", "Space"}};
    for (const auto& [letter, text] : kParity) {
      if (Upper(fields[2]) == letter) fields[2] = text;
    }
  }
  if (fields.size() > 5) {
    const std::string flow = Upper(fields[5]);
    if (flow == "N" || flow == "O" || flow == "NONE" || flow == "OFF") fields[5] = "Off";
    if (flow == "H" || flow == "HARDWARE" || flow == "RTS/CTS" || flow == "CTS/RTS") fields[5] = "CTR/CRS (Hardware)";
    if (flow == "X" || flow == "SOFTWARE" || flow == "XON/XOFF") fields[5] = "XOn/XOff (Software)";
  }
  return fields;
}

void CliConnectionOptions::AddTo(CLI::App* command) {
  command->add_option("--ip", ip, "Device address ADDR[:PORT] (TCP, port 23 by default)");
  command->add_option("--com", com,
                      "Serial link PORT,BAUD,PARITY,DATA,STOP[,FLOW]; PORT is a number or a device path, PARITY "
                      "N|O|E|M|S or its name, FLOW Off|Hardware|Software (H, X) or a table text");
  command->add_option("--pwd", pwd, "Administrator password of the device");
}

std::unique_ptr<CQVXConnectionType> CliConnectionOptions::ParseIp(const std::string& text) {
  // ADDR[:PORT] becomes the connection text "TCP:ADDR,PORT": one parser
  // decides, and names the field it cannot take.
  const std::size_t colon = text.find(':');
  const std::string address = text.substr(0, colon);
  const std::string port = colon == std::string::npos ? std::string("23") : text.substr(colon + 1);
  if (address.find(',') != std::string::npos || port.empty() ||
      port.find_first_not_of("0123456789") != std::string::npos) {
    throw UsageError("--ip: expected ADDR[:PORT] with a dotted IPv4 address, got '" + text + "'");
  }
  auto tcp = std::make_unique<CQVXConnectionTCP>();
  if (!tcp->ParseText("TCP:" + address + "," + port)) {
    throw UsageError("--ip '" + text + "': " + tcp->GetParseProblem());
  }
  return tcp;
}

std::unique_ptr<CQVXConnectionType> CliConnectionOptions::ParseCom(const std::string& text) {
  std::vector<std::string> fields = Split(text, ',');
  if (fields.size() < 5 || fields.size() > 6) {
    throw UsageError("--com: expected PORT,BAUD,PARITY,DATA,STOP[,FLOW], got '" + text + "'");
  }
  if (fields.size() == 5) fields.push_back("Off");
  fields = NormaliseSerialFields(fields);
  std::string normalised = "SERIAL:";
  for (std::size_t i = 0; i < fields.size(); ++i) normalised += (i ? "," : "") + fields[i];
  auto serial = std::make_unique<CQVXConnectionSerial>();
  if (!serial->ParseText(normalised) || !serial->GetParseProblem().empty()) {
    throw UsageError("--com '" + text + "': " + serial->GetParseProblem());
  }
  return serial;
}

std::unique_ptr<CQVXConnectionType> CliConnectionOptions::Build() const {
  if (ip.empty() && com.empty()) throw UsageError("give the device with --ip ADDR[:PORT] or --com PORT,BAUD,PARITY,DATA,STOP");
  if (!ip.empty() && !com.empty()) throw UsageError("--ip and --com exclude each other");
  std::unique_ptr<CQVXConnectionType> description = ip.empty() ? ParseCom(com) : ParseIp(ip);
  description->SetPassword(pwd);
  return description;
}

std::string CliConnectionOptions::Endpoint() const {
  if (!ip.empty()) return ip.find(':') == std::string::npos ? ip + ":23" : ip;
  const std::string port = Split(com, ',').front();
  if (port.find('/') != std::string::npos) return port;
  return "COM" + port + " (" + SerialPort::PathForPort(std::atoi(port.c_str())) + ")";
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

std::string LinkFailure(CQVX& link, const std::string& endpoint, const CQVXEvent& event) {
  const uint32_t kind = event.GetType();
  const std::string reason = link.GetLastSocketError();
  switch (kind) {
    case 11: {
      std::string text = endpoint + ": connection lost: " + event.GetText();
      if (!reason.empty()) text += " (" + reason + ")";
      return text;
    }
    case 3: return endpoint + ": the device closed the connection";
    case 14: return endpoint + ": " + (reason.empty() ? std::string("Connection Failed") : reason);
    case 15: return endpoint + ": " + EventMeaning(kind) + (reason.empty() ? "" : " (" + reason + ")");
    case 16: return endpoint + ": " + EventMeaning(kind) + " (no answer to an ICMP echo)";
    case 13:
    case 17:
    case 18:
    case 26: return endpoint + ": " + EventMeaning(kind);
    default: return std::string();
  }
}

void ConnectAndWait(CQVX& link, const CliConnectionOptions& options, std::ostream* out, int timeoutMs) {
  std::unique_ptr<CQVXConnectionType> description = options.Build();
  const std::string endpoint = options.Endpoint();
  link.Connect(description.get());
  int refreshes = 0;
  std::string failure;
  const bool ok = PumpLink(
      link, out, timeoutMs,
      // Identified and the file list read. Without a greeting a TCP link
      // stays "Connecting" although it works, so the state is not waited for.
      [&] { return refreshes >= 2 && link.IsRunning(); },
      [&](const CQVXEvent& event) {
        if (event.GetType() == 7) ++refreshes;
        if (failure.empty() && event.GetType() != 3) failure = LinkFailure(link, endpoint, event);
      });
  if (!ok) {
    link.Disconnect();
    if (failure.empty()) {
      const std::string reason = link.GetLastSocketError();
      failure = endpoint + ": " +
                (link.GetState() == CQVX::kConnectionFailed
                     ? (reason.empty() ? std::string("Connection Failed") : reason)
                     : "no answer from the device within " + std::to_string(timeoutMs) + " ms");
    }
    throw CliError(failure);
  }
}

}  // namespace quillon::cli
