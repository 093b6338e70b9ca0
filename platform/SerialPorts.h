#pragma once
// The serial ports this machine offers: the device nodes /dev/ttyS*,
// /dev/ttyUSB* and /dev/ttyACM* that exist.
#include <string>
#include <vector>

namespace quillon {

class SerialPorts {
 public:
  // Paths of the existing serial device nodes, sorted by family (ttyS, ttyUSB,
  // ttyACM) and then by number. DEV_DIR is the folder to look in.
  static std::vector<std::string> List(const std::string& dev_dir = "/dev");

  // The number of serial ports found; the connection dialog offers COM1..COMn.
  static int Count(const std::string& dev_dir = "/dev");
};

}  // namespace quillon
