#include "app/CQuillonCommandLine.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdint>

#include "devicelink/CQVXConnectionSerial.h"
#include "devicelink/CQVXConnectionTCP.h"

namespace quillon {
namespace {

constexpr const char* kOptionNames[] = {"/IP", "/COM", "/PWD", "/MAKEINI"};

bool ExistsOnDisk(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

std::string UpperCopy(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool BeginsLikeOption(const std::string& arg) {
  if (arg.empty() || arg[0] != '/') return false;
  const std::string upper = UpperCopy(arg);
  for (const char* name : kOptionNames) {
    if (StartsWith(upper, name)) return true;
  }
  return false;
}

// Reads one number the way "%u" of scanf does (blanks skipped, an optional
// sign, at least one digit); values beyond 32 bits are held at their cap so
// that the range checks of the caller refuse them.
bool ReadNumber(const std::string& text, std::size_t& pos, int64_t& value) {
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos]))) return false;
  int64_t number = 0;
  while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
    if (number < (int64_t{1} << 33)) number = number * 10 + (text[pos] - '0');
    ++pos;
  }
  value = negative ? -number : number;
  return true;
}

// A field of decimal digits only (at most nine of them).
bool DecimalField(const std::string& field, int& value) {
  if (field.empty() || field.size() > 9) return false;
  for (char c : field) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  value = std::stoi(field);
  return true;
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    fields.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return fields;
}

// The text of an option's value: from VALUESTART up to the next blank or
// the end of the line.
std::string ValueText(const std::string& line, std::size_t valueStart) {
  if (valueStart >= line.size()) return std::string();
  const std::size_t blank = line.find(' ', valueStart);
  return line.substr(valueStart, blank == std::string::npos ? std::string::npos : blank - valueStart);
}

}  // namespace

bool CQuillonCommandLine::WantsHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

bool CQuillonCommandLine::WantsVersion(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--version") return true;
  }
  return false;
}

std::string CQuillonCommandLine::HelpText() {
  return "Usage: quillon [OPTION...] [FILE.vir...]\n"
         "Build infrared remote-control drivers: opens each driver FILE in a window of its own\n"
         "(a new empty driver when none is given). When Quillon is already running, the\n"
         "files are opened in the running program.\n"
         "\n"
         "Device options (names in any letter case, the value written right after the name):\n"
         "  /IPa.b.c.d[:PORT]          the device on the network (TCP port 23 when omitted)\n"
         "  /COMPORT,BAUD,PARITY,DATA,STOP[,FLOW]\n"
         "                             the device on a serial port: PORT is a number (1 is the\n"
         "                             first port) or a device path; PARITY one of N O E M S;\n"
         "                             STOP 1 or 2; FLOW H (hardware) or N (none)\n"
         "  /PWDPASSWORD               the device's administrator password (as typed)\n"
         "  /MAKEINI                   write the default irfunctions.ini and quillon.ini into the\n"
         "                             common data folder\n"
         "The device given becomes the current connection; Connect to Device connects to it.\n"
         "When both /IP and /COM are given, /IP is used.\n"
         "\n"
         "  -h, --help                 show this help and exit\n"
         "      --version              show the version and exit\n"
         "  --                         every argument after it is a driver file\n"
         "\n"
         "Examples:\n"
         "  quillon tv.vir\n"
         "  quillon /IP10.0.0.5 /PWDsecret tv.vir\n"
         "  quillon /COM1,9600,N,8,1 dvd.vir\n"
         "\n"
         "Exit status: 0 when the program ran and closed normally, 1 when start-up failed,\n"
         "2 for a usage error.\n";
}

CQuillonCommandLine CQuillonCommandLine::Parse(const std::vector<std::string>& args) {
  return Parse(args, &ExistsOnDisk);
}

CQuillonCommandLine CQuillonCommandLine::Parse(const std::vector<std::string>& args,
                                               bool (*fileExists)(const std::string& path)) {
  CQuillonCommandLine line;
  std::vector<std::size_t> optionStarts;
  bool filesOnly = false;
  for (const std::string& arg : args) {
    if (arg.empty()) continue;
    if (!line.m_text.empty()) line.m_text += ' ';
    const std::size_t start = line.m_text.size();
    line.m_text += arg;
    if (filesOnly) {
      line.m_files.push_back(arg);
    } else if (arg == "--") {
      filesOnly = true;
    } else if (arg == "--help" || arg == "-h") {
      line.m_help = true;
    } else if (arg == "--version") {
      line.m_version = true;
    } else if (arg == "-") {
      // A window program never waits on its standard input.
      if (line.m_usageError.empty()) line.m_usageError = "drivers are not read from standard input (\"-\")";
    } else if (arg[0] == '-') {
      if (line.m_usageError.empty()) line.m_usageError = "unknown option " + arg + " (see quillon --help)";
    } else if (BeginsLikeOption(arg) && !(fileExists && fileExists(arg))) {
      optionStarts.push_back(start);
    } else {
      line.m_files.push_back(arg);
    }
  }
  line.m_upper = UpperCopy(line.m_text);
  line.m_anyOption = !optionStarts.empty();
  line.ParseDeviceOptions(optionStarts);
  return line;
}

void CQuillonCommandLine::ParseDeviceOptions(const std::vector<std::size_t>& optionStarts) {
  // The first argument that begins with NAME, as an offset into the line.
  auto find = [&](const char* name) -> std::size_t {
    for (std::size_t start : optionStarts) {
      if (m_upper.compare(start, std::char_traits<char>::length(name), name) == 0) return start;
    }
    return std::string::npos;
  };

  if (find("/MAKEINI") != std::string::npos) m_makeIni = true;

  // The password runs from right after "/PWD", past its first character, up
  // to the next blank or the end of the line, as typed.
  const std::size_t pwd = find("/PWD");
  if (pwd != std::string::npos) {
    const std::size_t from = pwd + 4;
    if (from < m_text.size()) {
      const std::size_t blank = m_text.find(' ', from + 1);
      m_password = m_text.substr(from, blank == std::string::npos ? std::string::npos : blank - from);
      m_hasPassword = true;
    }
  }

  const std::size_t ip = find("/IP");
  if (ip != std::string::npos) {
    m_hasIp = true;
    // "%u.%u.%u.%u:%u": fewer than four numbers leave the option unused.
    std::size_t pos = ip + 3;
    int64_t numbers[5] = {0, 0, 0, 0, kDefaultTcpPort};
    int read = 0;
    for (; read < 5; ++read) {
      if (read > 0) {
        const char separator = read < 4 ? '.' : ':';
        if (pos >= m_upper.size() || m_upper[pos] != separator) break;
        ++pos;
      }
      if (!ReadNumber(m_upper, pos, numbers[read])) break;
    }
    bool usable = read >= 4;
    for (int i = 0; i < 4 && usable; ++i) usable = numbers[i] >= 0 && numbers[i] <= 255;
    if (usable) usable = numbers[4] >= 1 && numbers[4] <= 65535;
    if (usable) {
      m_hasTcp = true;
      for (int i = 0; i < 4; ++i) m_tcp.address[i] = static_cast<unsigned>(numbers[i]);
      m_tcp.port = static_cast<int>(numbers[4]);
    }
    return;  // "/COM" is used only when "/IP" is absent
  }

  const std::size_t com = find("/COM");
  if (com != std::string::npos) {
    m_hasCom = true;
    if (ParseSerialFields(com + 4)) {
      m_hasSerial = true;
    } else {
      m_serialError = true;
      m_serialDevicePath.clear();
    }
  }
}

bool CQuillonCommandLine::ParseSerialFields(std::size_t valueStart) {
  const std::vector<std::string> fields = SplitCommas(ValueText(m_upper, valueStart));
  if (fields.size() < 5) return false;
  for (int i = 0; i < 5; ++i) {
    if (fields[static_cast<std::size_t>(i)].empty()) return false;
  }
  Serial serial;
  if (fields[0][0] == '/') {
    // A device path keeps the letter case it was typed in.
    m_serialDevicePath = SplitCommas(ValueText(m_text, valueStart))[0];
    serial.port = 1;
  } else if (!DecimalField(fields[0], serial.port) || serial.port < 1) {
    return false;
  }
  if (!DecimalField(fields[1], serial.bitRate) || serial.bitRate < 1) return false;
  if (fields[2].size() != 1) return false;
  switch (fields[2][0]) {
    case 'N': serial.parity = 0; break;
    case 'O': serial.parity = 1; break;
    case 'E': serial.parity = 2; break;
    case 'M': serial.parity = 3; break;
    case 'S': serial.parity = 4; break;
    default: return false;
  }
  if (!DecimalField(fields[3], serial.dataBits)) return false;
  int stopBits = 0;
  if (!DecimalField(fields[4], stopBits) || (stopBits != 1 && stopBits != 2)) return false;
  serial.stopBits = stopBits == 2 ? 2 : 0;
  if (fields.size() > 5 && !fields[5].empty()) {
    switch (fields[5][0]) {
      case 'H': serial.flowControl = 1; break;
      case 'N':
      case 'O': serial.flowControl = 0; break;
      default: return false;
    }
  }
  m_serial = serial;
  return true;
}

std::unique_ptr<CQVXConnectionType> CQuillonCommandLine::CreateConnection() const {
  std::unique_ptr<CQVXConnectionType> description;
  if (m_hasTcp) {
    auto tcp = std::make_unique<CQVXConnectionTCP>();
    tcp->SetAddress(m_tcp.address[0], m_tcp.address[1], m_tcp.address[2], m_tcp.address[3]);
    tcp->SetPort(m_tcp.port);
    description = std::move(tcp);
  } else if (m_hasSerial) {
    auto serial = std::make_unique<CQVXConnectionSerial>();
    serial->SetPort(m_serial.port);
    serial->SetBitRate(m_serial.bitRate);
    serial->SetParity(m_serial.parity);
    serial->SetDataBits(m_serial.dataBits);
    serial->SetStopBits(m_serial.stopBits);
    serial->SetFlowControl(m_serial.flowControl);
    description = std::move(serial);
  }
  if (description && m_hasPassword) description->SetPassword(m_password);
  return description;
}

bool CQuillonCommandLine::IsOpenRequestOnly() const {
  return !m_files.empty() && m_usageError.empty() && !m_help && !m_version && !m_anyOption;
}

}  // namespace quillon
