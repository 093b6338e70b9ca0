#pragma once
// A connection description for a device on a serial port: port number
// (1 = the first port) and line parameters. Connection text
// "SERIAL:port,bitrate,parity,databits,stopbits,flow,name,scrambled password"
// with the parameter texts of CSerialParamTable; display text
// "Port 1 9600,None,8,1,Off, name". The port may also be a device path
// ("SERIAL:/dev/ttyUSB0,9600,..."): a port that has no number, such as a USB
// adapter or a pseudo-terminal; its port number is then 0.
#include <cstdint>
#include <string>
#include <string_view>

#include "devicelink/CQVXConnectionType.h"

namespace quillon {

class CQVXConnectionSerial : public CQVXConnectionType {
 public:
  // Port 1, 9600 baud, one stop bit, no parity, 8 data bits, no flow control;
  // valid, texts built.
  CQVXConnectionSerial();

  void UpdateText() override;
  void CopyFrom(const CQVXConnectionType& other) override;
  int IsEqual(const CQVXConnectionType& other) const override;
  int ParseText(std::string_view text) override;
  int IsSerial() const override { return 1; }

  void SetPort(int port);
  void SetBitRate(int bitRate);
  void SetStopBits(int code);
  void SetParity(int code);
  void SetDataBits(int dataBits);
  void SetFlowControl(int code);
  // Names the port by its device path instead of its number (empty: by number).
  void SetDevicePath(const std::string& path);

  int GetPort() const { return m_Port; }
  int GetBitRate() const { return m_BitRate; }
  int GetStopBits() const { return m_StopBits; }
  int GetParity() const { return m_Parity; }
  int GetDataBits() const { return m_DataBits; }
  int GetFlowControl() const { return m_FlowControl; }
  const std::string& GetDevicePath() const { return m_DevicePath; }

 private:
  int m_Port = 1;
  int m_BitRate = 9600;
  int m_StopBits = 0;
  int8_t m_Parity = 0;
  int m_DataBits = 8;
  int m_FlowControl = 0;
  std::string m_DevicePath;
};

}  // namespace quillon
