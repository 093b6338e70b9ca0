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
  const std::string port = std::to_string(m_Port);
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
  CopyBaseFrom(other);
}

int CQVXConnectionSerial::IsEqual(const CQVXConnectionType& other) const {
  const auto* serial = dynamic_cast<const CQVXConnectionSerial*>(&other);
  if (!serial) return 0;
  return m_Port == serial->m_Port && m_BitRate == serial->m_BitRate && m_StopBits == serial->m_StopBits &&
                 m_Parity == serial->m_Parity && m_DataBits == serial->m_DataBits &&
                 m_FlowControl == serial->m_FlowControl
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
  if (fields.size() < 6) return m_Valid;
  for (const auto& field : fields) {
    if (field.empty()) return m_Valid;
  }

  m_Valid = 1;
  m_Port = ToInt(fields[0]);
  m_BitRate = CSerialParamTable::LookupValue(SerialParam::BitRate, fields[1]);
  m_Parity = static_cast<int8_t>(CSerialParamTable::LookupValue(SerialParam::Parity, fields[2]));
  m_DataBits = CSerialParamTable::LookupValue(SerialParam::DataBits, fields[3]);
  m_StopBits = CSerialParamTable::LookupValue(SerialParam::StopBits, fields[4]);
  m_FlowControl = CSerialParamTable::LookupValue(SerialParam::FlowControl, fields[5]);

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
