// Connection descriptions: connection and display texts, parsing and
// rebuilding, password scrambling, the recent-connection list and its profile
// form, and the rules of the connection dialog.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/CMemINI.h"
#include "app/IPrompt.h"
#include "devicelink/CConnectionDialogCore.h"
#include "devicelink/CQVXConnectionSerial.h"
#include "devicelink/CQVXConnectionTCP.h"
#include "devicelink/CQVXConnectionTypeList.h"
#include "devicelink/CQVXDeviceTypeList.h"
#include "devicelink/CSerialParamTable.h"
#include "platform/SerialPorts.h"
#include "tests/app/RegistryEnv.h"

namespace quillon {
namespace {

std::unique_ptr<CQVXConnectionType> Parse(const std::string& text) { return CQVXConnectionType::CreateFromText(text); }

TEST(ConnectionText, TcpWithoutNameRebuildsCanonicalForm) {
  auto c = Parse("TCP:10.0.0.5,23");
  ASSERT_TRUE(c);
  EXPECT_TRUE(c->IsTCP());
  EXPECT_FALSE(c->IsSerial());
  EXPECT_EQ(c->IsValid(), 1);
  EXPECT_EQ(c->GetName(), "");
  EXPECT_EQ(c->GetPassword(), "");
  EXPECT_EQ(c->GetConnectionText(), "TCP:10.0.0.5,23,,9d");
  EXPECT_EQ(c->GetDisplayText(), "10.0.0.5:23  ");
}

TEST(ConnectionText, MalformedTextsGiveInvalidOrNone) {
  auto noPort = Parse("TCP:10.0.0.5");
  ASSERT_TRUE(noPort);
  EXPECT_EQ(noPort->IsValid(), 0);
  EXPECT_FALSE(Parse("TCP:"));
  EXPECT_FALSE(Parse("SERIAL:"));
  EXPECT_FALSE(Parse("10.0.0.5,23"));
  EXPECT_FALSE(Parse(""));
  EXPECT_FALSE(Parse("tcp:10.0.0.5,23"));  // the prefixes are case-sensitive
  auto garbage = Parse("TCP:a.b.c.d,xx");
  ASSERT_TRUE(garbage);
  EXPECT_EQ(garbage->IsValid(), 0);
}

TEST(ConnectionText, TcpNameAndPasswordSurviveTheRoundTrip) {
  CQVXConnectionTCP tcp;
  EXPECT_EQ(tcp.IsValid(), 0);
  EXPECT_EQ(tcp.GetConnectionText(), "TCP:0.0.0.0,23,,9d");
  tcp.SetAddress(192, 168, 254, 254);
  tcp.SetPort(4001);
  tcp.SetName("Lab rack");
  tcp.SetPassword("s3cret!");
  EXPECT_EQ(tcp.IsValid(), 1);
  EXPECT_EQ(tcp.GetDisplayText(), "192.168.254.254:4001  Lab rack");
  const std::string text = tcp.GetConnectionText();
  EXPECT_EQ(text.rfind("TCP:192.168.254.254,4001,Lab rack,", 0), 0u);

  auto back = Parse(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetName(), "Lab rack");
  EXPECT_EQ(back->GetPassword(), "s3cret!");
  EXPECT_EQ(back->GetConnectionText(), text);
  EXPECT_TRUE(back->IsSameEndpoint(tcp));

  // Address bytes are taken modulo 256.
  tcp.SetAddress(256 + 10, 0, 0, 1);
  uint8_t a = 0, d = 0;
  EXPECT_EQ(tcp.GetAddress(&a, nullptr, nullptr, &d), "10.0.0.1");
  EXPECT_EQ(a, 10);
  EXPECT_EQ(d, 1);
}

TEST(ConnectionText, TcpNameWithoutPasswordAndBadPassword) {
  auto nameOnly = Parse("TCP:10.1.2.3,23,Bench");
  ASSERT_TRUE(nameOnly);
  EXPECT_EQ(nameOnly->GetName(), "Bench");
  EXPECT_EQ(nameOnly->GetPassword(), "");
  auto badPassword = Parse("TCP:10.1.2.3,23,Bench,zz");
  ASSERT_TRUE(badPassword);
  EXPECT_EQ(badPassword->IsValid(), 1);
  EXPECT_EQ(badPassword->GetPassword(), "");
  EXPECT_EQ(badPassword->GetConnectionText(), "TCP:10.1.2.3,23,Bench,9d");
}

TEST(ConnectionText, SerialUnknownBitRatePrintsQuestionMarks) {
  auto c = Parse("SERIAL:2,19200,None,8,1,Off");
  ASSERT_TRUE(c);
  ASSERT_TRUE(c->IsSerial());
  EXPECT_EQ(c->IsValid(), 1);
  auto* serial = static_cast<CQVXConnectionSerial*>(c.get());
  EXPECT_EQ(serial->GetPort(), 2);
  EXPECT_EQ(serial->GetBitRate(), -1);
  EXPECT_EQ(c->GetConnectionText(), "SERIAL:2,???,None,8,1,Off,,9d");
  EXPECT_EQ(c->GetDisplayText(), "Port 2 ???,None,8,1,Off, ");
}

TEST(ConnectionText, SerialFieldsNameAndTableTexts) {
  auto named = Parse("SERIAL:3,115200,even,7,2,xon/xoff (software),Rack A");
  ASSERT_TRUE(named);
  auto* s = static_cast<CQVXConnectionSerial*>(named.get());
  EXPECT_EQ(named->GetName(), "Rack A");
  EXPECT_EQ(s->GetBitRate(), 115200);
  EXPECT_EQ(s->GetParity(), 2);
  EXPECT_EQ(s->GetDataBits(), 7);
  EXPECT_EQ(s->GetStopBits(), 2);
  EXPECT_EQ(s->GetFlowControl(), 5);
  EXPECT_EQ(named->GetConnectionText(), "SERIAL:3,115200,Even,7,2,XOn/XOff (Software),Rack A,9d");
  EXPECT_EQ(named->GetDisplayText(), "Port 3 115200,Even,7,2,XOn/XOff (Software), Rack A");

  auto five = Parse("SERIAL:2,9600,None,8,1");
  ASSERT_TRUE(five);
  EXPECT_EQ(five->IsValid(), 0);
  auto emptyField = Parse("SERIAL:2,9600,,8,1,Off");
  ASSERT_TRUE(emptyField);
  EXPECT_EQ(emptyField->IsValid(), 0);

  CQVXConnectionSerial fresh;
  EXPECT_EQ(fresh.IsValid(), 1);
  EXPECT_EQ(fresh.GetConnectionText(), "SERIAL:1,9600,None,8,1,Off,,9d");
  EXPECT_EQ(fresh.GetDisplayText(), "Port 1 9600,None,8,1,Off, ");
  fresh.SetPassword("pw");
  fresh.SetName("Desk");
  auto back = Parse(fresh.GetConnectionText());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetPassword(), "pw");
  EXPECT_EQ(back->GetName(), "Desk");
  EXPECT_EQ(back->GetConnectionText(), fresh.GetConnectionText());
}

// A field out of range makes the text not valid (999.0.0.1 is never taken
// as 231.0.0.1), and the problem names the field; a serial port may be a
// device path, which the texts carry back.
TEST(ConnectionText, OutOfRangeFieldsAreRefusedAndNamed) {
  struct Case {
    const char* text;
    const char* problem;
  };
  const Case bad[] = {{"TCP:999.0.0.1,23", "address: 999 is not 0..255"},
                      {"TCP:10.0.0.1,99999", "port: 99999 is not 1..65535"},
                      {"TCP:10.0.0.1,0", "port: 0 is not 1..65535"},
                      {"TCP:10.0.-1.1,23", "address: -1 is not 0..255"},
                      {"SERIAL:0,9600,None,8,1,Off", "port: '0' is not a port number (1..65535) or a device path"},
                      {"SERIAL:COM2,9600,None,8,1,Off", "port: 'COM2' is not a port number (1..65535) or a device path"},
                      {"SERIAL:2,9600,,8,1,Off", "parity: empty"}};
  for (const Case& c : bad) {
    auto parsed = Parse(c.text);
    ASSERT_TRUE(parsed) << c.text;
    EXPECT_EQ(parsed->IsValid(), 0) << c.text;
    EXPECT_EQ(parsed->GetParseProblem(), c.problem) << c.text;
  }
  auto unknown = Parse("SERIAL:2,19200,None,8,1,Off");
  EXPECT_EQ(unknown->IsValid(), 1);
  EXPECT_EQ(unknown->GetParseProblem().rfind("bit rate: '19200' is not one of 300, 600,", 0), 0u);
  EXPECT_EQ(Parse("TCP:10.0.0.5,23")->GetParseProblem(), "");

  auto path = Parse("SERIAL:/dev/ttyUSB0,9600,None,8,1,Off,Bench");
  ASSERT_TRUE(path);
  auto* serial = static_cast<CQVXConnectionSerial*>(path.get());
  EXPECT_EQ(path->IsValid(), 1);
  EXPECT_EQ(serial->GetDevicePath(), "/dev/ttyUSB0");
  EXPECT_EQ(serial->GetPort(), 0);
  EXPECT_EQ(path->GetConnectionText(), "SERIAL:/dev/ttyUSB0,9600,None,8,1,Off,Bench,9d");
  EXPECT_EQ(path->GetDisplayText(), "Port /dev/ttyUSB0 9600,None,8,1,Off, Bench");
  CQVXConnectionSerial numbered;
  EXPECT_FALSE(numbered.IsSameEndpoint(*path));
  numbered.SetDevicePath("/dev/ttyUSB0");
  EXPECT_TRUE(numbered.IsSameEndpoint(*path));
}

TEST(SerialParamTable, FixedTablesAndLookups) {
  EXPECT_EQ(CSerialParamTable::GetCount(SerialParam::BitRate), 14);
  EXPECT_EQ(CSerialParamTable::GetCount(SerialParam::Parity), 5);
  EXPECT_EQ(CSerialParamTable::GetCount(SerialParam::DataBits), 2);
  EXPECT_EQ(CSerialParamTable::GetCount(SerialParam::StopBits), 2);
  EXPECT_EQ(CSerialParamTable::GetCount(SerialParam::FlowControl), 6);
  const auto* end = CSerialParamTable::GetTable(SerialParam::Parity) + 5;
  EXPECT_EQ(end->text, nullptr);
  EXPECT_EQ(end->resourceId, -1);
  EXPECT_STREQ(CSerialParamTable::GetTable(SerialParam::BitRate)[CSerialParamTable::GetDefaultIndex(SerialParam::BitRate)].text,
               "9600");
  EXPECT_STREQ(CSerialParamTable::LookupText(SerialParam::FlowControl, 1), "CTR/CRS (Hardware)");
  EXPECT_STREQ(CSerialParamTable::LookupText(SerialParam::StopBits, 2), "2");
  EXPECT_EQ(CSerialParamTable::LookupText(SerialParam::StopBits, 1), nullptr);
  EXPECT_EQ(CSerialParamTable::LookupValue(SerialParam::Parity, "SPACE"), 4);
  EXPECT_EQ(CSerialParamTable::LookupValue(SerialParam::Parity, "Nonee"), -1);
}

TEST(PasswordScrambling, KnownFormAndRoundTrip) {
  EXPECT_EQ(CQVXConnectionType::ScramblePassword(""), "9d");
  EXPECT_EQ(CQVXConnectionType::ScramblePassword("a"), "9c3a");
  EXPECT_EQ(CQVXConnectionType::UnscramblePassword("9c3a"), "a");
  std::string password;
  for (int n = 0; n <= 64; ++n) {
    EXPECT_EQ(CQVXConnectionType::UnscramblePassword(CQVXConnectionType::ScramblePassword(password)), password)
        << "length " << n;
    password += static_cast<char>(n % 2 ? 'A' + n % 26 : 0x80 + n);
  }
  const std::string seventy(70, 'x');
  EXPECT_EQ(CQVXConnectionType::ScramblePassword(seventy).size(), 130u);
  CQVXConnectionTCP tcp;
  tcp.SetAddress(10, 0, 0, 1);
  tcp.SetPassword(seventy);
  auto back = Parse(tcp.GetConnectionText());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetPassword(), seventy.substr(0, 64));
}

TEST(PasswordScrambling, MalformedTextsReadAsEmpty) {
  EXPECT_EQ(CQVXConnectionType::UnscramblePassword(""), "");
  EXPECT_EQ(CQVXConnectionType::UnscramblePassword("9d"), "");      // shorter than 4
  EXPECT_EQ(CQVXConnectionType::UnscramblePassword("9c3"), "");     // odd length
  EXPECT_EQ(CQVXConnectionType::UnscramblePassword("9c3a00"), "");  // length disagrees with its count
  EXPECT_EQ(CQVXConnectionType::UnscramblePassword("!!??"), "");
}

TEST(ConnectionCompare, EqualityCopyAndKinds) {
  auto a = Parse("TCP:10.0.0.5,23,One");
  auto b = Parse("TCP:10.0.0.5,23,Two,9c3a");
  auto c = Parse("TCP:10.0.0.5,24,One");
  auto s1 = Parse("SERIAL:1,9600,None,8,1,Off,A");
  auto s2 = Parse("SERIAL:1,9600,None,8,1,CTS/DTR,A");
  ASSERT_TRUE(a && b && c && s1 && s2);
  EXPECT_TRUE(a->IsSameEndpoint(*b));
  EXPECT_FALSE(a->IsSameEndpoint(*c));
  EXPECT_FALSE(a->IsSameEndpoint(*s1));
  EXPECT_FALSE(s1->IsSameEndpoint(*a));
  EXPECT_FALSE(s1->IsSameEndpoint(*s2));

  auto copy = CQVXConnectionType::CreateCopy(b.get());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->IsTCP());
  EXPECT_EQ(copy->GetConnectionText(), b->GetConnectionText());
  EXPECT_EQ(copy->GetDisplayText(), b->GetDisplayText());
  EXPECT_EQ(copy->GetPassword(), "a");
  EXPECT_FALSE(CQVXConnectionType::CreateCopy(nullptr));

  CQVXConnectionTCP tcp;
  tcp.SetAddress(1, 2, 3, 4);
  tcp.CopyFrom(*s1);
  EXPECT_EQ(tcp.IsValid(), 0);
  EXPECT_EQ(tcp.GetAddress(), "1.2.3.4");
}

TEST(ConnectionList, AddingReplacesTheSameEndpoint) {
  CQVXConnectionTypeList list;
  EXPECT_EQ(list.AddFromText("TCP:10.0.0.1,23,A"), 0);
  EXPECT_EQ(list.AddFromText("TCP:10.0.0.2,23,B"), 0);
  EXPECT_EQ(list.AddFromText("SERIAL:1,9600,None,8,1,Off"), 0);
  EXPECT_EQ(list.AddFromText("bogus"), -1);
  EXPECT_EQ(list.GetCount(), 3);

  auto renamed = Parse("TCP:10.0.0.2,23,Renamed");
  EXPECT_EQ(list.AddCopyAtHead(renamed.get()), 0);
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.GetAt(0)->GetName(), "Renamed");
  EXPECT_EQ(list.GetAt(1)->GetName(), "A");
  EXPECT_TRUE(list.GetAt(2)->IsSerial());
  EXPECT_EQ(list.AddCopyAtHead(nullptr), -1);
  EXPECT_EQ(list.GetAt(-1), nullptr);
  EXPECT_EQ(list.GetAt(3), nullptr);

  // Adding from text moves an equal endpoint to the tail.
  EXPECT_EQ(list.AddFromText("TCP:10.0.0.1,23,Again"), 0);
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.GetAt(2)->GetName(), "Again");
  list.Clear();
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(RecentConnections, SavingSixWritesFourAndTheEndMarker) {
  CQVXConnectionTypeList list;
  for (int i = 1; i <= 6; ++i) list.AddFromText("TCP:10.0.0." + std::to_string(i) + ",23");
  std::vector<std::pair<std::string, std::string>> written;
  auto selected = Parse("SERIAL:2,9600,None,8,1,Off");
  list.SaveRecent(selected.get(), [&](const std::string& k, const std::string& v) { written.emplace_back(k, v); });
  ASSERT_EQ(written.size(), 6u);
  EXPECT_EQ(written[0], std::make_pair(std::string("pendingConnection"), selected->GetConnectionText()));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(written[1 + i].first, "recentConnection_" + std::to_string(i));
    EXPECT_EQ(written[1 + i].second, "TCP:10.0.0." + std::to_string(i + 1) + ",23,,9d");
  }
  EXPECT_EQ(written[5], std::make_pair(std::string("recentConnection_4"), std::string(" ")));

  written.clear();
  CQVXConnectionTypeList empty;
  empty.SaveRecent(nullptr, [&](const std::string& k, const std::string& v) { written.emplace_back(k, v); });
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written[0].second, " ");
  EXPECT_EQ(written[1], std::make_pair(std::string("recentConnection_0"), std::string(" ")));
}

TEST(RecentConnections, LoadingStopsAtTheMarkerAndCollapsesDuplicates) {
  std::map<std::string, std::string> profile = {
      {"pendingConnection", "TCP:10.0.0.9,23,Sel"},
      {"recentConnection_0", "TCP:10.0.0.1,23,First"},
      {"recentConnection_1", "TCP:10.0.0.1,23,Dup"},
      {"recentConnection_2", "SERIAL:4,9600,None,8,1,Off"},
      {"recentConnection_3", " "},
      {"recentConnection_4", "TCP:10.0.0.7,23"},
  };
  auto reader = [&](const std::string& k) {
    auto it = profile.find(k);
    return it == profile.end() ? std::string() : it->second;
  };
  CQVXConnectionTypeList list;
  list.AddFromText("TCP:1.1.1.1,23");
  auto selected = list.LoadRecent(reader);
  ASSERT_TRUE(selected);
  EXPECT_EQ(selected->GetName(), "Sel");
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetAt(0)->GetName(), "Dup");
  EXPECT_TRUE(list.GetAt(1)->IsSerial());

  profile["pendingConnection"] = " ";
  profile["recentConnection_3"] = "TCP:10.0.0.3,23";
  EXPECT_FALSE(list.LoadRecent(reader));
  EXPECT_EQ(list.GetCount(), 3);  // never more than four keys are read
}

TEST(RecentConnections, PerUserProfileRoundTrip) {
  testing::RegistryEnv env;
  CQVXConnectionTypeList list;
  list.AddFromText("TCP:10.0.0.1,23,Lab,9c3a");
  list.AddFromText("SERIAL:2,57600,Odd,7,2,DSR/RTS,Bench");
  auto selected = Parse("TCP:10.0.0.1,23,Lab,9c3a");
  list.SaveRecentToProfile(selected.get());

  CQVXConnectionTypeList loaded;
  auto restored = loaded.LoadRecentFromProfile();
  ASSERT_TRUE(restored);
  EXPECT_EQ(restored->GetConnectionText(), selected->GetConnectionText());
  ASSERT_EQ(loaded.GetCount(), 2);
  EXPECT_EQ(loaded.GetAt(0)->GetConnectionText(), list.GetAt(0)->GetConnectionText());
  EXPECT_EQ(loaded.GetAt(1)->GetConnectionText(), list.GetAt(1)->GetConnectionText());
}

class RecordingPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string& text, const std::string&, PromptButtons, PromptIcon icon) override {
    messages.push_back(text);
    icons.push_back(icon);
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
  std::vector<std::string> messages;
  std::vector<PromptIcon> icons;
};

CQVXDatagram Record(uint32_t address, const std::string& part, const std::string& name) {
  const std::string answer = part + '\0' + "1.0" + '\0' + name + '\0';
  return CQVXDatagram::FromAnswer(reinterpret_cast<const uint8_t*>(answer.data()), answer.size(), address, 0);
}

class ConnectionDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    CMemINI ini;
    ini.LoadBuffer(
        "[supported_learners]\nlearner_count=2\nlearner0=Learner\nlearner1=Switch\n"
        "[Learner]\npartnumber=71-2204-01\nlearntype=QVX\nfirstPort=1\nlastPort=4\n"
        "[Switch]\npartnumber=71-500-01\nfirstPort=1\nlastPort=2\n");
    types.Load(ini);
  }
  RecordingPrompt prompt;
  CQVXDeviceTypeList types;
};

TEST_F(ConnectionDialog, OpensOnThePageOfTheDescription) {
  CConnectionDialogCore dialog(prompt, &types);
  dialog.Open(nullptr, 3);
  EXPECT_EQ(dialog.GetPage(), CConnectionDialogCore::Page::TCP);
  EXPECT_EQ(dialog.GetPortText(), "23");
  EXPECT_EQ(dialog.GetSerialPortEntries(), (std::vector<std::string>{"COM1", "COM2", "COM3"}));
  EXPECT_EQ(dialog.GetParamText(SerialParam::BitRate), "9600");
  EXPECT_EQ(dialog.GetParamText(SerialParam::FlowControl), "Off");

  auto tcp = Parse("TCP:10.0.0.5,4000,Name,9c3a");
  dialog.Open(tcp.get(), 3);
  EXPECT_EQ(dialog.GetPage(), CConnectionDialogCore::Page::TCP);
  EXPECT_EQ(dialog.GetAddressText(), "10.0.0.5");
  EXPECT_EQ(dialog.GetPortText(), "4000");
  EXPECT_EQ(dialog.GetPasswordText(), "a");

  auto serial = Parse("SERIAL:2,19200,Mark,7,2,DSR/DTR");
  dialog.Open(serial.get(), 3);
  EXPECT_EQ(dialog.GetPage(), CConnectionDialogCore::Page::Serial);
  EXPECT_EQ(dialog.GetSerialPortText(), "COM2");
  EXPECT_EQ(dialog.GetParamText(SerialParam::BitRate), "300");  // no entry for 19200: the first
  EXPECT_EQ(dialog.GetParamText(SerialParam::Parity), "Mark");
  EXPECT_EQ(dialog.GetParamText(SerialParam::DataBits), "7");
  EXPECT_EQ(dialog.GetParamText(SerialParam::StopBits), "2");
  EXPECT_EQ(dialog.GetParamText(SerialParam::FlowControl), "DSR/DTR");
}

TEST_F(ConnectionDialog, SerialNeedsAPortAndConnectedLeavesTheSelection) {
  CConnectionDialogCore dialog(prompt, &types);
  auto serial = Parse("SERIAL:5,9600,None,8,1,Off");
  dialog.Open(serial.get(), 0);
  std::unique_ptr<CQVXConnectionType> selected;
  EXPECT_EQ(dialog.Accept(false, false, selected), CConnectionDialogCore::Result::StayOpen);
  ASSERT_EQ(prompt.messages, std::vector<std::string>{"Please select a COM port"});
  EXPECT_EQ(prompt.icons[0], PromptIcon::Warning);
  EXPECT_FALSE(selected);

  dialog.Open(serial.get(), 8);
  dialog.SetSerialPortText("COM7");
  dialog.SetParamIndex(SerialParam::BitRate, CSerialParamTable::FindText(SerialParam::BitRate, "57600"));
  EXPECT_EQ(dialog.Accept(true, false, selected), CConnectionDialogCore::Result::Connect);
  ASSERT_TRUE(selected);
  EXPECT_EQ(selected->GetConnectionText(), "SERIAL:7,57600,None,8,1,Off,,9d");

  auto before = selected->GetConnectionText();
  dialog.SetSerialPortText("COM3");
  EXPECT_EQ(dialog.Accept(false, true, selected), CConnectionDialogCore::Result::Ok);
  EXPECT_EQ(selected->GetConnectionText(), before);
}

TEST_F(ConnectionDialog, TcpPageUsesTheDiscoveryList) {
  CConnectionDialogCore dialog(prompt, &types);
  dialog.Open(nullptr, 0);
  const std::vector<CQVXDatagram> records = {Record(0x0A000001, "71-2204-01", "Rack"),
                                             Record(0x0A000002, "71-500-01", "Switch"),
                                             Record(0x0A000003, "71-2204-01", "Desk")};
  EXPECT_TRUE(dialog.Refresh(records));
  ASSERT_EQ(dialog.GetRows().size(), 2u);  // the switch is known but not a learner
  EXPECT_EQ(dialog.GetRows()[1].m_AddressText, "10.0.0.3");
  EXPECT_FALSE(dialog.Refresh(records));

  dialog.SelectRow(1);
  EXPECT_EQ(dialog.GetAddressText(), "10.0.0.3");
  dialog.SetLearnersOnly(false);
  EXPECT_TRUE(dialog.Refresh(records));
  ASSERT_EQ(dialog.GetRows().size(), 3u);
  EXPECT_EQ(dialog.GetSelectedRow(), 2);  // kept by address
  EXPECT_EQ(dialog.GetRows()[2].m_Selected, 1);

  dialog.SetPortText("");
  dialog.SetPasswordText("a-password-longer-than-twelve");
  EXPECT_EQ(dialog.GetPasswordText(), "a-password-l");
  std::unique_ptr<CQVXConnectionType> selected;
  EXPECT_EQ(dialog.Accept(false, false, selected), CConnectionDialogCore::Result::Ok);
  ASSERT_TRUE(selected);
  EXPECT_EQ(selected->GetDisplayText(), "10.0.0.3:23  Desk");
  EXPECT_EQ(selected->GetPassword(), "a-password-l");

  dialog.SetPortText("40x01");
  EXPECT_EQ(dialog.GetPortText(), "4001");
}

TEST(SerialPortList, OnlyExistingSerialDeviceNodes) {
  testing::TempDir dir;
  dir.Write("ttyS0", "");  // a plain file is not a serial port
  EXPECT_TRUE(SerialPorts::List(dir.Path()).empty());
  EXPECT_TRUE(SerialPorts::List("/nonexistent-folder").empty());
  for (const auto& path : SerialPorts::List()) {
    EXPECT_TRUE(path.rfind("/dev/ttyS", 0) == 0 || path.rfind("/dev/ttyUSB", 0) == 0 ||
                path.rfind("/dev/ttyACM", 0) == 0)
        << path;
  }
  RecordingPrompt prompt;
  CQVXDeviceTypeList types;
  CConnectionDialogCore dialog(prompt, &types);
  dialog.Open(nullptr);
  EXPECT_EQ(dialog.GetSerialPortEntries().size(), SerialPorts::List().size());
}

}  // namespace
}  // namespace quillon
