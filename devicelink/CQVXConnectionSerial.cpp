#include "devicelink/CQVXConnectionSerial.h"

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "devicelink/CSerialParamTable.h"

namespace quillon {
namespace {

// The leading integer of TEXT by the C atoi rules, held within the int range.
int ToInt(std::string_view text) {
  const std::string copy(text);
  const long long value = std::strtoll(copy.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// The table text of VALUE, or "???" when the table has none.
std::string TextOf(SerialParam table, int value) {
  const char* text = CSerialParamTable::LookupText(table, value);
  return text ? text : "???";
}

}  // namespace

CQVXConnectionSerial::CQVXConnectionSerial() {
  m_Valid = 1;
  UpdateText();
}

void CQVXConnectionSerial::UpdateText() {
  const std::string params = TextOf(SerialParam::BitRate, m_BitRate) + "," + TextOf(SerialParam::Parity, m_Parity) +
                             "," + TextOf(SerialParam::DataBits, m_DataBits) + "," +
                             TextOf(SerialParam::StopBits, m_StopBits) + "," +
                             TextOf(SerialParam::FlowControl, m_FlowControl);
  const std::string port = m_DevicePath.empty() ? std::to_string(m_Port) : m_DevicePath;
  m_ConnectionText = "SERIAL:" + port + "," + params + "," + m_Name + "," + ScramblePassword(m_Password);
  m_DisplayText = "Port " + port + " " + params + ", " + m_Name;
}

void CQVXConnectionSerial::CopyFrom(const CQVXConnectionType& other) {
  if (&other == this) return;
  const auto* serial = dynamic_cast<const CQVXConnectionSerial*>(&other);
  if (!serial) {
    m_Valid = 0;
    return;
  }
  m_Port = serial->m_Port;
  m_BitRate = serial->m_BitRate;
  m_StopBits = serial->m_StopBits;
  m_Parity = serial->m_Parity;
  m_DataBits = serial->m_DataBits;
  m_FlowControl = serial->m_FlowControl;
  m_DevicePath = serial->m_DevicePath;
  CopyBaseFrom(other);
}

int CQVXConnectionSerial::IsEqual(const CQVXConnectionType& other) const {
  const auto* serial = dynamic_cast<const CQVXConnectionSerial*>(&other);
  if (!serial) return 0;
  return m_Port == serial->m_Port && m_BitRate == serial->m_BitRate && m_StopBits == serial->m_StopBits &&
                 m_Parity == serial->m_Parity && m_DataBits == serial->m_DataBits &&
                 m_FlowControl == serial->m_FlowControl && m_DevicePath == serial->m_DevicePath
             ? 1
             : 0;
}

int CQVXConnectionSerial::ParseText(std::string_view text) {
  ResetForParse();
  if (text.substr(0, 7) == "SERIAL:") text.remove_prefix(7);

  // The six parameter fields; a seventh field (the name) and the rest (the
  // scrambled password) are optional.
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (fields.size() < 6) {
    const size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) {
      fields.push_back(text.substr(start));
      start = text.size() + 1;
      break;
    }
    fields.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  static const char* const kFieldNames[] = {"port", "bit rate", "parity", "data bits", "stop bits", "flow control"};
  if (fields.size() < 6) {
    m_ParseProblem = "expected PORT,BIT RATE,PARITY,DATA BITS,STOP BITS,FLOW CONTROL";
    return m_Valid;
  }
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].empty()) {
      m_ParseProblem = std::string(kFieldNames[i]) + ": empty";
      return m_Valid;
    }
  }

  // The port: a number, or the device path of a port without a number.
  m_DevicePath.clear();
  m_Port = 0;
  if (fields[0].front() == '/') {
    m_DevicePath = std::string(fields[0]);
  } else if (fields[0].find_first_not_of("0123456789") == std::string_view::npos && fields[0].size() <= 9 &&
             ToInt(fields[0]) >= 1 && ToInt(fields[0]) <= 65535) {
    m_Port = ToInt(fields[0]);
  } else {
    m_ParseProblem = "port: '" + std::string(fields[0]) + "' is not a port number (1..65535) or a device path";
    return m_Valid;
  }
  m_Valid = 1;
  m_BitRate = CSerialParamTable::LookupValue(SerialParam::BitRate, fields[1]);
  m_Parity = static_cast<int8_t>(CSerialParamTable::LookupValue(SerialParam::Parity, fields[2]));
  m_DataBits = CSerialParamTable::LookupValue(SerialParam::DataBits, fields[3]);
  m_StopBits = CSerialParamTable::LookupValue(SerialParam::StopBits, fields[4]);
  m_FlowControl = CSerialParamTable::LookupValue(SerialParam::FlowControl, fields[5]);
  // An unknown table text keeps the description valid (it reads -1); the
  // problem names the first such field and what the table offers.
  const SerialParam tables[] = {SerialParam::BitRate, SerialParam::Parity, SerialParam::DataBits,
                                SerialParam::StopBits, SerialParam::FlowControl};
  for (int i = 0; i < 5 && m_ParseProblem.empty(); ++i) {
    if (CSerialParamTable::LookupValue(tables[i], fields[static_cast<size_t>(i) + 1]) >= 0) continue;
    std::string offered;
    for (int e = 0; e < CSerialParamTable::GetCount(tables[i]); ++e) {
      offered += (e == 0 ? "" : ", ") + std::string(CSerialParamTable::GetTable(tables[i])[e].text);
    }
    m_ParseProblem = std::string(kFieldNames[i + 1]) + ": '" + std::string(fields[static_cast<size_t>(i) + 1]) +
                     "' is not one of " + offered;
  }

  if (start <= text.size()) {
    // A seventh field: the name up to the next comma, then the password.
    const std::string_view rest = text.substr(start);
    const size_t comma = rest.find(',');
    if (comma == std::string_view::npos) {
      m_Name = std::string(rest);
    } else {
      m_Name = std::string(rest.substr(0, comma));
      if (comma + 1 < rest.size()) m_Password = UnscramblePassword(rest.substr(comma + 1));
    }
  }
  UpdateText();
  return m_Valid;
}

void CQVXConnectionSerial::SetPort(int port) {
  m_Port = port;
  UpdateText();
}

void CQVXConnectionSerial::SetDevicePath(const std::string& path) {
  m_DevicePath = path;
  if (!path.empty()) m_Port = 0;
  UpdateText();
}

void CQVXConnectionSerial::SetBitRate(int bitRate) {
  m_BitRate = bitRate;
  UpdateText();
}

void CQVXConnectionSerial::SetStopBits(int code) {
  m_StopBits = code;
  UpdateText();
}

void CQVXConnectionSerial::SetParity(int code) {
  m_Parity = static_cast<int8_t>(code);
  UpdateText();
}

void CQVXConnectionSerial::SetDataBits(int dataBits) {
  m_DataBits = dataBits;
  UpdateText();
}

void CQVXConnectionSerial::SetFlowControl(int code) {
  m_FlowControl = code;
  UpdateText();
}

}  // namespace quillon
