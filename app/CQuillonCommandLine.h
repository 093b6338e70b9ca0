#pragma once
// The command line of the quillon program:
//
//   quillon [/IPa.b.c.d[:port]] [/COMport,baud,parity,data,stop[,flow]]
//           [/PWDpassword] [/MAKEINI] [FILE.vir...]
//   quillon --help | --version
//
// The device options are found in an upper-cased copy of the line, so their
// names are case-insensitive; the password (and a serial port given as a
// device path) are taken from the line as typed. An option counts only at the
// start of an argument, and an argument that names an existing file is a
// driver file even when it begins like an option ("/ipod/tv.vir"), so the
// slashes of Linux paths never read as options.
#include <memory>
#include <string>
#include <vector>

#include "devicelink/CQVXConnectionType.h"

namespace quillon {

class CQuillonCommandLine {
 public:
  static constexpr const char* kSerialParametersMessage = "Invalid/Unsupported Serial Configuration parameters";
  static constexpr int kDefaultTcpPort = 23;

  CQuillonCommandLine() = default;
  CQuillonCommandLine(CQuillonCommandLine&&) noexcept = default;
  CQuillonCommandLine& operator=(CQuillonCommandLine&&) noexcept = default;

  // Parses ARGS (the arguments after the program name). FILEEXISTS decides
  // whether an argument that begins like an option names a file instead
  // (default: the file system).
  static CQuillonCommandLine Parse(const std::vector<std::string>& args);
  static CQuillonCommandLine Parse(const std::vector<std::string>& args,
                                   bool (*fileExists)(const std::string& path));

  // Whether ARGS asks for --help or --version (checked before anything
  // else, so they work without a display).
  static bool WantsHelp(const std::vector<std::string>& args);
  static bool WantsVersion(const std::vector<std::string>& args);
  // The text of --help.
  static std::string HelpText();

  // --- What the line holds ---------------------------------------------
  // The line as typed (the arguments joined by single blanks) and its
  // upper-cased copy.
  const std::string& GetText() const { return m_text; }
  const std::string& GetUpperText() const { return m_upper; }
  bool IsEmpty() const { return m_text.empty(); }

  // A usage error ("unknown option -x"); the program exits with status 2.
  const std::string& GetUsageError() const { return m_usageError; }
  bool HasHelp() const { return m_help; }
  bool HasVersion() const { return m_version; }

  // "/MAKEINI": write the embedded INI files.
  bool HasMakeIni() const { return m_makeIni; }
  // The driver files to open, as typed, in order.
  const std::vector<std::string>& GetDriverFiles() const { return m_files; }

  // "/IP" appeared (whether or not it held an address); "/COM" is then not used.
  bool HasIpOption() const { return m_hasIp; }
  bool HasComOption() const { return m_hasCom; }
  // "/COM" was used and its fields were refused: the start-up shows
  // kSerialParametersMessage and sets no connection.
  bool HasSerialError() const { return m_serialError; }
  // "/PWD" followed by at least one character.
  bool HasPassword() const { return m_hasPassword; }
  const std::string& GetPassword() const { return m_password; }
  // A serial port given as a device path ("/COM/dev/ttyUSB0,9600,N,8,1"),
  // as typed; empty when the port was a number.
  const std::string& GetSerialDevicePath() const { return m_serialDevicePath; }

  // The connection the device options describe, with the password set when
  // one was given; none when there is no usable /IP or /COM. Each call
  // makes a new description.
  std::unique_ptr<CQVXConnectionType> CreateConnection() const;

  // Whether the line holds anything a running program could take over: only
  // driver files (no device option, no /MAKEINI, no usage error).
  bool IsOpenRequestOnly() const;

 private:
  struct Tcp {
    unsigned address[4] = {0, 0, 0, 0};
    int port = kDefaultTcpPort;
  };
  struct Serial {
    int port = 1;
    int bitRate = 9600;
    int parity = 0;
    int dataBits = 8;
    int stopBits = 0;
    int flowControl = 0;
  };

  void ParseDeviceOptions(const std::vector<std::size_t>& optionStarts);
  bool ParseSerialFields(std::size_t valueStart);

  std::string m_text;
  std::string m_upper;
  std::string m_usageError;
  bool m_help = false;
  bool m_version = false;
  bool m_makeIni = false;
  bool m_anyOption = false;
  std::vector<std::string> m_files;
  bool m_hasIp = false;
  bool m_hasCom = false;
  bool m_hasTcp = false;
  Tcp m_tcp;
  bool m_hasSerial = false;
  Serial m_serial;
  std::string m_serialDevicePath;
  bool m_serialError = false;
  bool m_hasPassword = false;
  std::string m_password;
};

}  // namespace quillon
