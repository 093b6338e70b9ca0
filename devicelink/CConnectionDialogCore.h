#pragma once
// The rules of the "Connection Parameters" dialog without its windows: which
// page a description opens on, the fields of the "TCP" and "Serial" pages,
// the list of devices found on the network, and what "OK" and "Connect"
// produce. The windows show this state and forward the user's actions.
#include <memory>
#include <string>
#include <vector>

#include "app/IPrompt.h"
#include "devicelink/CQVXConnectionSerial.h"
#include "devicelink/CQVXConnectionTCP.h"
#include "devicelink/CQVXDatagram.h"
#include "devicelink/CSerialParamTable.h"

namespace quillon {

class CQVXDeviceTypeList;
class CQVXIrFinder;

class CConnectionDialogCore {
 public:
  enum class Page { TCP = 0, Serial = 1 };
  // What closing the dialog asks for: nothing (it stays open), the ordinary
  // OK result, or connecting at once.
  enum class Result { StayOpen = 0, Ok = 1, Connect = 2 };

  // Texts and sizes the windows show.
  static constexpr const char* kTitle = "Connection Parameters";
  static constexpr const char* kTcpPage = "TCP";
  static constexpr const char* kSerialPage = "Serial";
  static constexpr const char* kLearnersOnlyLabel = "Show IR Learning devices only";
  static constexpr const char* kScanButton = "Scan / Refresh";
  static constexpr const char* kSelectPortMessage = "Please select a COM port";
  struct Column {
    const char* title;
    int width;  // pixels
  };
  static constexpr Column kColumns[4] = {{"Address", 80}, {"Name", 128}, {"Part Num.", 64}, {"Firmware", 54}};
  static constexpr int kPasswordLimit = 12;
  static constexpr int kTimerInterval = 250;  // ms between polls of the discovery list

  // PROMPT shows the dialog's messages; TYPES is the device table (null = the
  // program-wide table).
  explicit CConnectionDialogCore(IPrompt& prompt, const CQVXDeviceTypeList* types = nullptr);

  // Fills the pages from the currently selected description (none: the TCP
  // page); SERIAL_PORT_COUNT ports are offered as "COM1".."COMn" (-1: as
  // many as the machine has). A serial description's port that the machine
  // does not list is offered too, so the description opens as it is.
  void Open(const CQVXConnectionType* current, int serialPortCount = -1);
  // A recent connection chosen in the dialog: its page and fields are filled
  // from DESCRIPTION as on opening, and a TCP description keeps its name; the
  // discovery list stays as it is.
  void ChooseRecent(const CQVXConnectionType* description);
  Page GetPage() const { return m_Page; }
  void SetPage(Page page) { m_Page = page; }

  // --- "TCP" page ---
  const std::string& GetAddressText() const { return m_AddressText; }
  void SetAddressText(const std::string& text) { m_AddressText = text; }
  const std::string& GetPortText() const { return m_PortText; }
  // The port field accepts digits only; other characters are dropped.
  void SetPortText(const std::string& text);
  const std::string& GetPasswordText() const { return m_PasswordText; }
  // The password field holds at most 12 characters.
  void SetPasswordText(const std::string& text);
  bool GetLearnersOnly() const { return m_LearnersOnly; }
  void SetLearnersOnly(bool learnersOnly) { m_LearnersOnly = learnersOnly; }

  // Discovery while the TCP page is open: Start on opening, OnTimer every
  // 250 ms, ScanRefresh for the "Scan / Refresh" button, Stop on closing.
  // The ask is broadcast, and sent to this machine's loopback address as
  // well, where a broadcast does not arrive (an emulated device there).
  void StartDiscovery(CQVXIrFinder& finder);
  bool OnTimer();
  void ScanRefresh();
  void StopDiscovery();

  // One poll of the discovery list: shows RECORDS (only learners when
  // "Show IR Learning devices only" is checked) and rebuilds the rows when
  // their number changed or a record is not listed yet (same address and
  // name), keeping the selected row by address. True when rebuilt.
  bool Refresh(const std::vector<CQVXDatagram>& records);
  const std::vector<CQVXDatagram>& GetRows() const { return m_Rows; }
  int GetSelectedRow() const { return m_SelectedRow; }
  // Selecting a row puts its address into the address field and takes its name.
  void SelectRow(int index);
  const std::string& GetSelectedName() const { return m_SelectedName; }

  // --- "Serial" page ---
  const std::vector<std::string>& GetSerialPortEntries() const { return m_SerialPorts; }
  // The port combo's text ("" when nothing is selected).
  const std::string& GetSerialPortText() const { return m_SerialPortText; }
  void SetSerialPortText(const std::string& text) { m_SerialPortText = text; }
  // The selected entry of a parameter combo (an index into its table).
  int GetParamIndex(SerialParam table) const { return m_ParamIndex[static_cast<int>(table)]; }
  void SetParamIndex(SerialParam table, int index);
  std::string GetParamText(SerialParam table) const;

  // "OK" (CONNECT false) or "Connect" (CONNECT true). The page on show decides
  // the kind. While the device link is connected (LINK_CONNECTED) SELECTED is
  // left unchanged; otherwise it becomes a copy of the filled-in description.
  Result Accept(bool connect, bool linkConnected, std::unique_ptr<CQVXConnectionType>& selected);

  const CQVXConnectionTCP& GetTCP() const { return m_TCP; }
  const CQVXConnectionSerial& GetSerial() const { return m_Serial; }

 private:
  // Fills the page and fields of DESCRIPTION's kind.
  void Fill(const CQVXConnectionType* description);

  IPrompt& m_Prompt;
  const CQVXDeviceTypeList* m_Types;
  CQVXIrFinder* m_Finder = nullptr;

  Page m_Page = Page::TCP;
  CQVXConnectionTCP m_TCP;
  CQVXConnectionSerial m_Serial;

  std::string m_AddressText;
  std::string m_PortText = "23";
  std::string m_PasswordText;
  bool m_LearnersOnly = true;
  std::vector<CQVXDatagram> m_Rows;
  int m_SelectedRow = -1;
  std::string m_SelectedName;

  std::vector<std::string> m_SerialPorts;
  std::string m_SerialPortText;
  int m_ParamIndex[5] = {0, 0, 0, 0, 0};
};

}  // namespace quillon
