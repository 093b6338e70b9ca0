#include "devicelink/CConnectionDialogCore.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "devicelink/CQVXDeviceTypeList.h"
#include "devicelink/CQVXIrFinder.h"
#include "platform/SerialPorts.h"

namespace quillon {
namespace {

constexpr SerialParam kParams[5] = {SerialParam::BitRate, SerialParam::Parity, SerialParam::DataBits,
                                    SerialParam::StopBits, SerialParam::FlowControl};

// The leading integer of TEXT by the C atoi rules, held within the int range.
int ToInt(const char* text) {
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// The index of VALUE's text in TABLE, or the first entry when it has none.
int IndexOfValue(SerialParam table, int value) {
  const char* text = CSerialParamTable::LookupText(table, value);
  const int index = text ? CSerialParamTable::FindText(table, text) : -1;
  return index < 0 ? 0 : index;
}

}  // namespace

CConnectionDialogCore::CConnectionDialogCore(IPrompt& prompt, const CQVXDeviceTypeList* types)
    : m_Prompt(prompt), m_Types(types ? types : &CQVXDeviceTypeList::Program()) {
  for (SerialParam p : kParams) m_ParamIndex[static_cast<int>(p)] = CSerialParamTable::GetDefaultIndex(p);
}

void CConnectionDialogCore::Open(const CQVXConnectionType* current, int serialPortCount) {
  m_SerialPorts.clear();
  if (serialPortCount < 0) serialPortCount = SerialPorts::Count();
  for (int i = 1; i <= serialPortCount; ++i) m_SerialPorts.push_back("COM" + std::to_string(i));
  m_SerialPortText = m_SerialPorts.empty() ? std::string() : m_SerialPorts.front();
  for (SerialParam p : kParams) m_ParamIndex[static_cast<int>(p)] = CSerialParamTable::GetDefaultIndex(p);
  m_AddressText.clear();
  m_PortText = "23";
  m_PasswordText.clear();
  m_Rows.clear();
  m_SelectedRow = -1;
  m_SelectedName.clear();
  m_Page = Page::TCP;
  Fill(current);
}

void CConnectionDialogCore::ChooseRecent(const CQVXConnectionType* description) {
  if (!description) return;
  Fill(description);
  if (description->IsTCP()) m_SelectedName = description->GetName();
}

void CConnectionDialogCore::Fill(const CQVXConnectionType* current) {
  if (const auto* tcp = dynamic_cast<const CQVXConnectionTCP*>(current)) {
    m_TCP.CopyFrom(*tcp);
    m_Page = Page::TCP;
    m_AddressText = tcp->GetAddress();
    m_PortText = std::to_string(tcp->GetPort());
    SetPasswordText(tcp->GetPassword());
  } else if (const auto* serial = dynamic_cast<const CQVXConnectionSerial*>(current)) {
    m_Serial.CopyFrom(*serial);
    m_Page = Page::Serial;
    // A port the machine does not list (a converter unplugged, a port of
    // another machine's settings) is still offered rather than lost.
    const std::string port = "COM" + std::to_string(serial->GetPort());
    if (std::find(m_SerialPorts.begin(), m_SerialPorts.end(), port) == m_SerialPorts.end()) {
      m_SerialPorts.push_back(port);
    }
    m_SerialPortText = port;
    m_ParamIndex[static_cast<int>(SerialParam::BitRate)] = IndexOfValue(SerialParam::BitRate, serial->GetBitRate());
    m_ParamIndex[static_cast<int>(SerialParam::Parity)] = IndexOfValue(SerialParam::Parity, serial->GetParity());
    m_ParamIndex[static_cast<int>(SerialParam::DataBits)] =
        IndexOfValue(SerialParam::DataBits, serial->GetDataBits());
    m_ParamIndex[static_cast<int>(SerialParam::StopBits)] =
        IndexOfValue(SerialParam::StopBits, serial->GetStopBits());
    m_ParamIndex[static_cast<int>(SerialParam::FlowControl)] =
        IndexOfValue(SerialParam::FlowControl, serial->GetFlowControl());
  }
}

void CConnectionDialogCore::SetPortText(const std::string& text) {
  m_PortText.clear();
  for (char c : text) {
    if (c >= '0' && c <= '9') m_PortText += c;
  }
}

void CConnectionDialogCore::SetPasswordText(const std::string& text) {
  m_PasswordText = text.substr(0, kPasswordLimit);
}

void CConnectionDialogCore::StartDiscovery(CQVXIrFinder& finder) {
  m_Finder = &finder;
  m_Finder->Start();
}

bool CConnectionDialogCore::OnTimer() {
  if (!m_Finder) return false;
  std::vector<CQVXDatagram> records;
  m_Finder->CopyRecords(records);
  return Refresh(records);
}

void CConnectionDialogCore::ScanRefresh() {
  if (!m_Finder) return;
  m_Finder->ClearRecords();
  m_Finder->SendAsk();
  m_Finder->SendAsk("127.0.0.1");
}

void CConnectionDialogCore::StopDiscovery() {
  if (m_Finder) m_Finder->Stop();
  m_Finder = nullptr;
}

bool CConnectionDialogCore::Refresh(const std::vector<CQVXDatagram>& records) {
  std::vector<CQVXDatagram> shown;
  for (const auto& record : records) {
    if (m_LearnersOnly && !m_Types->IsLearner(record.m_PartNumber)) continue;
    shown.push_back(record);
    shown.back().m_AddressText = record.FormatAddress();
    shown.back().m_Selected = 0;
  }
  bool rebuild = shown.size() != m_Rows.size();
  for (size_t i = 0; !rebuild && i < shown.size(); ++i) {
    bool listed = false;
    for (const auto& row : m_Rows) {
      if (row.m_AddressText == shown[i].m_AddressText && row.m_Name == shown[i].m_Name) listed = true;
    }
    if (!listed) rebuild = true;
  }
  if (!rebuild) return false;

  const std::string selectedAddress =
      m_SelectedRow >= 0 && m_SelectedRow < static_cast<int>(m_Rows.size()) ? m_Rows[m_SelectedRow].m_AddressText
                                                                           : std::string();
  m_Rows = std::move(shown);
  m_SelectedRow = -1;
  if (!selectedAddress.empty()) {
    for (size_t i = 0; i < m_Rows.size(); ++i) {
      if (m_Rows[i].m_AddressText == selectedAddress) {
        m_Rows[i].m_Selected = 1;
        m_SelectedRow = static_cast<int>(i);
        break;
      }
    }
  }
  return true;
}

void CConnectionDialogCore::SelectRow(int index) {
  if (index < 0 || index >= static_cast<int>(m_Rows.size())) return;
  for (auto& row : m_Rows) row.m_Selected = 0;
  m_Rows[index].m_Selected = 1;
  m_SelectedRow = index;
  m_AddressText = m_Rows[index].m_AddressText;
  m_SelectedName = m_Rows[index].m_Name;
}

void CConnectionDialogCore::SetParamIndex(SerialParam table, int index) {
  if (index < 0 || index >= CSerialParamTable::GetCount(table)) return;
  m_ParamIndex[static_cast<int>(table)] = index;
}

std::string CConnectionDialogCore::GetParamText(SerialParam table) const {
  const int index = GetParamIndex(table);
  if (index < 0 || index >= CSerialParamTable::GetCount(table)) return {};
  return CSerialParamTable::GetTable(table)[index].text;
}

CConnectionDialogCore::Result CConnectionDialogCore::Accept(bool connect, bool linkConnected,
                                                            std::unique_ptr<CQVXConnectionType>& selected) {
  const CQVXConnectionType* filled = nullptr;
  if (m_Page == Page::Serial) {
    if (m_SerialPortText.size() <= 3) {
      m_Prompt.MessageBox(kSelectPortMessage, "Quillon", PromptButtons::Ok, PromptIcon::Warning);
      return Result::StayOpen;
    }
    m_Serial.SetPort(ToInt(m_SerialPortText.c_str() + 3));
    m_Serial.SetBitRate(CSerialParamTable::LookupValue(SerialParam::BitRate, GetParamText(SerialParam::BitRate)));
    m_Serial.SetParity(CSerialParamTable::LookupValue(SerialParam::Parity, GetParamText(SerialParam::Parity)));
    m_Serial.SetDataBits(
        CSerialParamTable::LookupValue(SerialParam::DataBits, GetParamText(SerialParam::DataBits)));
    m_Serial.SetStopBits(
        CSerialParamTable::LookupValue(SerialParam::StopBits, GetParamText(SerialParam::StopBits)));
    m_Serial.SetFlowControl(
        CSerialParamTable::LookupValue(SerialParam::FlowControl, GetParamText(SerialParam::FlowControl)));
    filled = &m_Serial;
  } else {
    // The address field holds four numbers; blank fields count as 0.
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::sscanf(m_AddressText.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
    m_TCP.SetAddress(a, b, c, d);
    m_TCP.SetPort(m_PortText.empty() ? 23 : ToInt(m_PortText.c_str()));
    m_TCP.SetPassword(m_PasswordText);
    m_TCP.SetName(m_SelectedName);
    filled = &m_TCP;
  }
  if (!linkConnected) selected = CQVXConnectionType::CreateCopy(filled);
  return connect ? Result::Connect : Result::Ok;
}

}  // namespace quillon
