#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CQuillonCommandLine.h"
#include "devicelink/CQVXConnectionSerial.h"
#include "devicelink/CQVXConnectionTCP.h"

namespace quillon {
namespace {

bool NothingExists(const std::string&) { return false; }
bool IpodExists(const std::string& path) { return path == "/ipod/tv.vir"; }

CQuillonCommandLine Parse(const std::vector<std::string>& args) {
  return CQuillonCommandLine::Parse(args, &NothingExists);
}

std::unique_ptr<CQVXConnectionTCP> Tcp(const CQuillonCommandLine& line) {
  std::unique_ptr<CQVXConnectionType> description = line.CreateConnection();
  if (!description || !description->IsTCP()) return nullptr;
  return std::unique_ptr<CQVXConnectionTCP>(static_cast<CQVXConnectionTCP*>(description.release()));
}

std::unique_ptr<CQVXConnectionSerial> Serial(const CQuillonCommandLine& line) {
  std::unique_ptr<CQVXConnectionType> description = line.CreateConnection();
  if (!description || !description->IsSerial()) return nullptr;
  return std::unique_ptr<CQVXConnectionSerial>(static_cast<CQVXConnectionSerial*>(description.release()));
}

TEST(CommandLineIp, OptionNamesIgnoreCaseAndThePortDefaultsTo23) {
  auto tcp = Tcp(Parse({"/ip192.168.1.5"}));
  ASSERT_TRUE(tcp);
  EXPECT_EQ(tcp->GetAddress(), "192.168.1.5");
  EXPECT_EQ(tcp->GetPort(), 23);
  EXPECT_TRUE(tcp->IsValid());

  auto withPort = Tcp(Parse({"/Ip10.0.0.5:4000", "tv.vir"}));
  ASSERT_TRUE(withPort);
  EXPECT_EQ(withPort->GetPort(), 4000);
}

TEST(CommandLineIp, MalformedAddressesAreIgnoredWithoutAMessage) {
  for (const char* option : {"/IP10.0.0", "/IP", "/IPhost", "/IP10.0.0.300", "/IP10.0.0.5:70000", "/IP10.0.0.5:0"}) {
    const CQuillonCommandLine line = Parse({option});
    EXPECT_TRUE(line.HasIpOption()) << option;
    EXPECT_FALSE(line.CreateConnection()) << option;
    EXPECT_FALSE(line.HasSerialError()) << option;
  }
}

TEST(CommandLineIp, TcpWinsOverSerialEvenWhenTheAddressIsUnusable) {
  const CQuillonCommandLine both = Parse({"/COM1,9600,N,8,1", "/IP10.0.0.1:4000"});
  auto tcp = Tcp(both);
  ASSERT_TRUE(tcp);
  EXPECT_EQ(tcp->GetAddress(), "10.0.0.1");
  EXPECT_EQ(tcp->GetPort(), 4000);
  // "/COM" is used only when "/IP" is absent, so even a bad "/COM" says nothing.
  const CQuillonCommandLine badBoth = Parse({"/IP10.0", "/COM1,9600,X,8,1"});
  EXPECT_FALSE(badBoth.CreateConnection());
  EXPECT_FALSE(badBoth.HasSerialError());
}

TEST(CommandLineCom, FieldsBecomeASerialDescription) {
  auto serial = Serial(Parse({"/COM2,9600,n,8,1,h"}));
  ASSERT_TRUE(serial);
  EXPECT_EQ(serial->GetPort(), 2);
  EXPECT_EQ(serial->GetBitRate(), 9600);
  EXPECT_EQ(serial->GetParity(), 0);
  EXPECT_EQ(serial->GetDataBits(), 8);
  EXPECT_EQ(serial->GetStopBits(), 0);
  EXPECT_EQ(serial->GetFlowControl(), 1);

  auto emptyFlow = Serial(Parse({"/com3,19200,E,7,2,"}));
  ASSERT_TRUE(emptyFlow);
  EXPECT_EQ(emptyFlow->GetParity(), 2);
  EXPECT_EQ(emptyFlow->GetDataBits(), 7);
  EXPECT_EQ(emptyFlow->GetStopBits(), 2);
  EXPECT_EQ(emptyFlow->GetFlowControl(), 0);

  for (const char* flow : {"N", "o", "none", "OFF"}) {
    auto none = Serial(Parse({std::string("/COM1,9600,S,8,1,") + flow}));
    ASSERT_TRUE(none) << flow;
    EXPECT_EQ(none->GetFlowControl(), 0) << flow;
    EXPECT_EQ(none->GetParity(), 4) << flow;
  }
}

TEST(CommandLineCom, BadFieldsAreReportedAndCreateNothing) {
  for (const char* option :
       {"/COM2,9600,X,8,1", "/COM2,9600,N,8,3", "/COM2,9600,N,8", "/COM2,,N,8,1", "/COM2,9600,NO,8,1",
        "/COMA,9600,N,8,1", "/COM0,9600,N,8,1", "/COM2,96x0,N,8,1", "/COM2,9600,N,8,1,X", "/COM"}) {
    const CQuillonCommandLine line = Parse({option});
    EXPECT_TRUE(line.HasSerialError()) << option;
    EXPECT_FALSE(line.CreateConnection()) << option;
  }
}

TEST(CommandLineCom, APortGivenAsADevicePathKeepsItsCase) {
  const CQuillonCommandLine line = Parse({"/COM/dev/ttyUSB0,115200,N,8,1"});
  EXPECT_FALSE(line.HasSerialError());
  EXPECT_EQ(line.GetSerialDevicePath(), "/dev/ttyUSB0");
  auto serial = Serial(line);
  ASSERT_TRUE(serial);
  EXPECT_EQ(serial->GetBitRate(), 115200);
}

TEST(CommandLinePassword, TakenAsTypedUpToTheNextBlank) {
  const CQuillonCommandLine line = Parse({"/IP10.0.0.5", "/PWDabc", "def"});
  EXPECT_TRUE(line.HasPassword());
  EXPECT_EQ(line.GetPassword(), "abc");
  auto tcp = Tcp(line);
  ASSERT_TRUE(tcp);
  EXPECT_EQ(tcp->GetPassword(), "abc");
  // The word after the password is an ordinary argument: a driver file.
  EXPECT_EQ(line.GetDriverFiles(), std::vector<std::string>{"def"});

  EXPECT_EQ(Parse({"/pwdMiXeD"}).GetPassword(), "MiXeD");
  // The text runs past its first character, which may itself be a blank.
  EXPECT_EQ(Parse({"/PWD", "secret"}).GetPassword(), " secret");
  EXPECT_FALSE(Parse({"/PWD"}).HasPassword());
  // A password without a device option sets no connection.
  EXPECT_FALSE(Parse({"/PWDabc"}).CreateConnection());
}

TEST(CommandLineFiles, PathsAreKeptAsTypedAndNeverReadAsOptions) {
  const CQuillonCommandLine line =
      CQuillonCommandLine::Parse({"/ipod/tv.vir", "/home/me/Computers/Dvd.VIR", "/MakeIni"}, &IpodExists);
  EXPECT_EQ(line.GetDriverFiles(), (std::vector<std::string>{"/ipod/tv.vir", "/home/me/Computers/Dvd.VIR"}));
  EXPECT_FALSE(line.HasIpOption());
  EXPECT_FALSE(line.HasComOption());
  EXPECT_FALSE(line.HasSerialError());
  EXPECT_TRUE(line.HasMakeIni());
  EXPECT_EQ(line.GetText(), "/ipod/tv.vir /home/me/Computers/Dvd.VIR /MakeIni");
  EXPECT_EQ(line.GetUpperText(), "/IPOD/TV.VIR /HOME/ME/COMPUTERS/DVD.VIR /MAKEINI");

  const CQuillonCommandLine dashed = Parse({"--", "-odd.vir", "/IP10.0.0.1"});
  EXPECT_EQ(dashed.GetDriverFiles(), (std::vector<std::string>{"-odd.vir", "/IP10.0.0.1"}));
  EXPECT_FALSE(dashed.CreateConnection());
}

TEST(CommandLineFiles, OnlyPlainFileListsGoToARunningProgram) {
  EXPECT_TRUE(Parse({"a.vir", "b.vir"}).IsOpenRequestOnly());
  EXPECT_FALSE(Parse({}).IsOpenRequestOnly());
  EXPECT_FALSE(Parse({"a.vir", "/IP10.0.0.5"}).IsOpenRequestOnly());
  EXPECT_FALSE(Parse({"a.vir", "/PWD"}).IsOpenRequestOnly());
  EXPECT_FALSE(Parse({"a.vir", "/MAKEINI"}).IsOpenRequestOnly());
}

TEST(CommandLineGnu, HelpVersionAndUnknownDashOptions) {
  EXPECT_TRUE(CQuillonCommandLine::WantsHelp({"tv.vir", "--help"}));
  EXPECT_TRUE(CQuillonCommandLine::WantsVersion({"--version"}));
  EXPECT_FALSE(CQuillonCommandLine::WantsHelp({"--", "--help"}));
  const CQuillonCommandLine unknown = Parse({"-x", "tv.vir"});
  EXPECT_NE(unknown.GetUsageError().find("-x"), std::string::npos);
  EXPECT_FALSE(Parse({"-"}).GetUsageError().empty());
  EXPECT_NE(CQuillonCommandLine::HelpText().find("/COMPORT,BAUD,PARITY,DATA,STOP[,FLOW]"), std::string::npos);
}

}  // namespace
}  // namespace quillon
