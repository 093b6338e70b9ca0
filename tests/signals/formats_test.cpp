// The interchange formats read and written on small texts: what each reads,
// the exact text each writes, and the file-and-line errors of bad input.
#include <gtest/gtest.h>

#include "signals/TIrEncoder.h"
#include "signals/TIrFileFormat.h"
#include "signals/TIrLircFile.h"
#include "signals/TIrProntoFile.h"
#include "signals/TIrRawTextFile.h"
#include "signals/TIrSignalsFile.h"
#include "signals/TIrTextReader.h"

namespace {

using namespace quillon;

// The message of the TIrFormatError TEXT raises in FORMAT.
std::string ErrorOf(TIrFormat format, const std::string& text) {
  try {
    TIrFileFormat::Parse(format, text, "f.txt");
  } catch (const TIrFormatError& e) {
    return e.what();
  }
  return "no error";
}

TEST(SignalsFile, ReadsParsedAndRawEntries) {
  const std::string text =
      "Filetype: IR signals file\r\nVersion: 1\r\n#\r\n# A comment\r\nname: Power\r\ntype: parsed\r\n"
      "protocol: necext\r\naddress: EE 87 00 00\r\ncommand: 5D A0 00 00\r\n#\r\nname: Vol up\r\ntype: raw\r\n"
      "frequency: 36000\r\nduty_cycle: 0.330000\r\ndata: 504 3432 502 483 500\r\n";
  const TIrParsedFile file = TIrSignalsFile::Parse(text, "tv.ir");
  ASSERT_EQ(file.entries.size(), 2u);
  EXPECT_TRUE(file.messages.empty());
  const TIrNamedSignal& power = file.entries[0];
  EXPECT_EQ(power.name, "Power");
  EXPECT_EQ(power.line, 5);
  ASSERT_TRUE(power.code);
  EXPECT_EQ(*power.code, (TIrCode{"NECext", 0x87EE, 0xA05D}));
  EXPECT_EQ(power.signal.once, TIrEncoder::Encode(*power.code).once);
  const TIrNamedSignal& vol = file.entries[1];
  EXPECT_FALSE(vol.code);
  EXPECT_EQ(vol.signal.carrier_hz, 36000);
  EXPECT_TRUE(vol.signal.once.empty());
  // One press; the missing pause after the last mark is supplied.
  EXPECT_EQ(vol.signal.repeat, (std::vector<uint32_t>{504, 3432, 502, 483, 500, kDefaultGapUs}));
}

TEST(SignalsFile, WritesParsedAndRawEntries) {
  TIrNamedSignal parsed{"Power", TIrEncoder::Encode({"NEC", 4, 8}), TIrCode{"NEC", 4, 8}, 0};
  TIrSignal raw;
  raw.carrier_hz = 38000;
  raw.once = {9000, 4500};
  raw.repeat = {560, 560, 560, 40000};
  raw.repeats = 2;
  std::vector<std::string> notes;
  const std::string text = TIrSignalsFile::Write({parsed, {"Vol\xC3\xA9", raw, std::nullopt, 0}}, notes);
  EXPECT_EQ(text,
            "Filetype: IR signals file\nVersion: 1\n#\nname: Power\ntype: parsed\nprotocol: NEC\n"
            "address: 04 00 00 00\ncommand: 08 00 00 00\n#\nname: Vol_\ntype: raw\nfrequency: 38000\n"
            "duty_cycle: 0.330000\ndata: 9000 4500 560 560 560 40000 560 560 560\n");
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("printable ASCII"), std::string::npos);
}

TEST(SignalsFile, SkipsEntriesItCannotSendAndCutsOversizedFields) {
  const std::string text =
      "Filetype: IR signals file\nVersion: 1\nname: A\ntype: parsed\nprotocol: Teletext\naddress: 01 00 00 00\n"
      "command: 01 00 00 00\nname: B\nprotocol: NEC\nname: C\ntype: parsed\nprotocol: RC6\n"
      "address: FB 0E 00 00\ncommand: 08 00 00 00\n";
  const TIrParsedFile file = TIrSignalsFile::Parse(text, "tv.ir");
  ASSERT_EQ(file.entries.size(), 1u);
  EXPECT_EQ(*file.entries[0].code, (TIrCode{"RC6", 0xEFB, 8}));
  ASSERT_EQ(file.messages.size(), 3u);
  EXPECT_EQ(file.messages[0], "tv.ir:5: \"A\": unknown protocol \"Teletext\"; entry skipped");
  EXPECT_EQ(file.messages[1], "tv.ir:8: \"B\": no \"type:\"; entry skipped");
  EXPECT_EQ(file.messages[2], "tv.ir:10: \"C\": address 3835, command 8 do not fit RC6's 8 and 8 bits; sent as 251, 8");
}

TEST(SignalsFile, RefusesMalformedTextNamingTheLine) {
  EXPECT_EQ(ErrorOf(TIrFormat::Signals, "Filetype: Sub-GHz file\n"),
            "f.txt:1: not an IR signals file (expected \"Filetype: IR signals file\")");
  EXPECT_EQ(ErrorOf(TIrFormat::Signals, "Filetype: IR signals file\nVersion: 2\n"),
            "f.txt:2: version 2 is not supported (only version 1)");
  EXPECT_EQ(ErrorOf(TIrFormat::Signals, "Filetype: IR signals file\nVersion: 1\ntype: raw\n"),
            "f.txt:3: \"type\" before the first \"name:\"");
  EXPECT_EQ(ErrorOf(TIrFormat::Signals,
                    "Filetype: IR signals file\nVersion: 1\nname: X\ntype: raw\nfrequency: 38000\ndata: 100 -5\n"),
            "f.txt:6: data: \"-5\" is not a duration in microseconds (at most 10000000)");
  EXPECT_EQ(ErrorOf(TIrFormat::Signals,
                    "Filetype: IR signals file\nVersion: 1\nname: X\ntype: parsed\nprotocol: NEC\n"
                    "address: 100 00\ncommand: 00 00 00 00\n"),
            "f.txt:6: address \"100 00\" is not four hex bytes");
  EXPECT_EQ(ErrorOf(TIrFormat::Signals, "Filetype: IR signals file\nVersion: 1\nname: X\nbroken line\n"),
            "f.txt:4: expected \"key: value\", found \"broken line\"");
  EXPECT_EQ(ErrorOf(TIrFormat::Signals, std::string("Filetype: IR signals file\nVersion: 1\0", 38)),
            "f.txt:2: a NUL byte: not a text file");
}

TEST(Pronto, ReadsTheLearnedFormAndWritesIt) {
  // 38 kHz, one pair sent once, one pair repeated.
  const TIrSignal s = TIrProntoFile::FromWords({0x0000, 0x006D, 0x0001, 0x0001, 0x0156, 0x00AB, 0x0015, 0x0E6E});
  EXPECT_EQ(s.carrier_hz, 38029);
  EXPECT_EQ(s.once, (std::vector<uint32_t>{8993, 4497}));
  EXPECT_EQ(s.repeat, (std::vector<uint32_t>{552, 97137}));
  EXPECT_EQ(TIrProntoFile::ToText(TIrProntoFile::ToWords(s)), "0000 006D 0001 0001 0156 00AB 0015 0E6E");
  // Unmodulated.
  EXPECT_EQ(TIrProntoFile::FromWords({0x0100, 0x006D, 0x0000, 0x0001, 0x0010, 0x0100}).carrier_hz, 0);
  EXPECT_THROW(TIrProntoFile::FromWords({0x5000, 0x0073, 0x0000, 0x0001, 0x0000, 0x0001}), std::invalid_argument);
  EXPECT_THROW(TIrProntoFile::FromWords({0x0000, 0x006D, 0x0001, 0x0001, 0x0010}), std::invalid_argument);
}

TEST(Pronto, ReadsNamesCodesOverSeveralLinesAndUnnamedCodes) {
  const std::string text =
      "# remote\nPOWER\n0000 006D 0000 0002\n0010 0020 0010 0400\n\nMUTE: 0000 006D 0001 0000 0010 0400\n"
      "0000 006D 0001 0000 0011 0400\nEJECT\n5000 0073 0000 0001 0001 0002\n";
  const TIrParsedFile file = TIrProntoFile::Parse(text, "codes.txt");
  ASSERT_EQ(file.entries.size(), 3u);
  EXPECT_EQ(file.entries[0].name, "POWER");
  EXPECT_EQ(file.entries[0].line, 3);
  EXPECT_EQ(file.entries[0].signal.repeat.size(), 4u);
  EXPECT_EQ(file.entries[1].name, "MUTE");
  EXPECT_EQ(file.entries[2].name, "Signal 1");
  ASSERT_EQ(file.messages.size(), 1u);
  EXPECT_EQ(file.messages[0], "codes.txt:9: \"EJECT\": form 5000 is not the learned form 0000 or 0100; code skipped");
  EXPECT_EQ(ErrorOf(TIrFormat::Pronto, "X\n0000 006D 0001 0000 0010\n\n"),
            "f.txt:3: the code that starts on line 2 ends after 5 of 6 words");
  EXPECT_EQ(ErrorOf(TIrFormat::Pronto, "0000 006D 0001 0000 0010 0400 0010\n"),
            "f.txt:1: more words than the code's counts say");
  EXPECT_EQ(ErrorOf(TIrFormat::Pronto, "0000 006D 0002 0000 0010 zz10\n"),
            "f.txt:1: \"zz10\" is not a four-digit hex word");
}

TEST(Lirc, ReadsRawRemotesAndSkipsBitCodedOnes) {
  const std::string text =
      "# made by hand\nbegin remote\n  name  tv\n  flags RAW_CODES|CONST_LENGTH\n  frequency 36000\n"
      "  gap 100000\n  min_repeat 1\n  begin raw_codes\n    name KEY_POWER\n      9000 4500 560\n"
      "      560 560\n    name KEY_MUTE 1000 1000 1000 30000\n  end raw_codes\nend remote\n"
      "begin remote\n  name  amp\n  bits 16\n  begin codes\n    KEY_1 0x01\n    KEY_2 0x02\n  end codes\nend remote\n";
  const TIrParsedFile file = TIrLircFile::Parse(text, "lircd.conf");
  ASSERT_EQ(file.entries.size(), 2u);
  const TIrSignal& power = file.entries[0].signal;
  EXPECT_EQ(file.entries[0].name, "KEY_POWER");
  EXPECT_EQ(power.carrier_hz, 36000);
  // The constant frame length leaves 100000 - 15180 us of pause.
  EXPECT_EQ(power.repeat, (std::vector<uint32_t>{9000, 4500, 560, 560, 560, 84820}));
  EXPECT_EQ(power.repeats, 2);
  // A code that ends with a space keeps it.
  EXPECT_EQ(file.entries[1].signal.repeat, (std::vector<uint32_t>{1000, 1000, 1000, 30000}));
  ASSERT_EQ(file.messages.size(), 1u);
  EXPECT_EQ(file.messages[0],
            "lircd.conf:15: remote \"amp\": 2 codes described by bit timings skipped (only raw codes are read)");
  EXPECT_EQ(ErrorOf(TIrFormat::Lirc, "begin remote\n name x\n begin raw_codes\n  name A\n   100 x1\n"),
            "f.txt:5: \"x1\" is not a duration in microseconds (at most 10000000)");
  EXPECT_EQ(ErrorOf(TIrFormat::Lirc, "begin remote\n name x\n begin raw_codes\n  name A\n   100\n end raw_codes\n"),
            "f.txt:6: the remote that starts on line 1 has no \"end remote\"");
  EXPECT_EQ(ErrorOf(TIrFormat::Lirc, "# nothing\n"), "f.txt: no \"begin remote\" block");
}

TEST(Lirc, WritesOneRemotePerCarrierWithNamesLircCanRead) {
  TIrSignal a;
  a.carrier_hz = 38000;
  a.repeat = {500, 600, 700, 45000};
  TIrSignal b = a;
  b.carrier_hz = 36000;
  std::vector<std::string> notes;
  const std::string text = TIrLircFile::Write({{"Sound Effect", a, std::nullopt, 0}, {"B", b, std::nullopt, 0}}, "tv", notes);
  EXPECT_NE(text.find("name  tv_38000\n"), std::string::npos);
  EXPECT_NE(text.find("name  tv_36000\n"), std::string::npos);
  EXPECT_NE(text.find("  gap          45000\n"), std::string::npos);
  EXPECT_NE(text.find("          name Sound_Effect\n                  500     600     700\n"), std::string::npos);
  ASSERT_EQ(notes.size(), 1u);
  const TIrParsedFile back = TIrLircFile::Parse(text, "out.conf");
  ASSERT_EQ(back.entries.size(), 2u);
  EXPECT_EQ(back.entries[0].signal.repeat, a.repeat);
  EXPECT_EQ(back.entries[1].signal.carrier_hz, 36000);
}

TEST(RawText, ReadsSignsAlternationDumpsAndCarriers) {
  const std::string text =
      "carrier: 40000\n+2400 -600 +1200\n-600 +600 -600\n+600 +600 -25000\n"  // same-kind values join
      "name: B\ncarrier: 0\n1000 2000 3000\n"
      "name: C\npulse 500\nspace 700\npulse 500\n";
  const TIrParsedFile file = TIrRawTextFile::Parse(text, "dir/sony.raw");
  ASSERT_EQ(file.entries.size(), 3u);
  EXPECT_EQ(file.entries[0].name, "sony");
  EXPECT_EQ(file.entries[0].signal.carrier_hz, 40000);
  EXPECT_EQ(file.entries[0].signal.repeat, (std::vector<uint32_t>{2400, 600, 1200, 600, 600, 600, 1200, 25000}));
  EXPECT_EQ(file.entries[1].signal.carrier_hz, 0);
  EXPECT_EQ(file.entries[1].signal.repeat, (std::vector<uint32_t>{1000, 2000, 3000, kDefaultGapUs}));
  EXPECT_EQ(file.entries[2].signal.carrier_hz, 40000);
  EXPECT_EQ(file.entries[2].signal.repeat, (std::vector<uint32_t>{500, 700, 500, kDefaultGapUs}));
  EXPECT_EQ(ErrorOf(TIrFormat::Raw, "+100 -x\n"), "f.txt:1: \"-x\" is not a duration in microseconds (at most 10000000)");
  EXPECT_EQ(ErrorOf(TIrFormat::Raw, "freq: 1\n"), "f.txt:1: unknown key \"freq\" (expected name: or carrier:)");
  std::vector<std::string> notes;
  EXPECT_EQ(TIrRawTextFile::Write({file.entries[2]}, notes),
            "# Raw IR signals: name, carrier in Hz, then +mark -space durations in microseconds\n\nname: C\n"
            "carrier: 40000\n+500 -700 +500 -40000\n");
}

TEST(Formats, ChosenByNameOrExtension) {
  EXPECT_EQ(TIrFileFormat::FromPath("a/b.IR"), TIrFormat::Signals);
  EXPECT_EQ(TIrFileFormat::FromPath("codes.txt"), TIrFormat::Pronto);
  EXPECT_EQ(TIrFileFormat::FromPath("x.pronto"), TIrFormat::Pronto);
  EXPECT_EQ(TIrFileFormat::FromPath("lircd.conf"), TIrFormat::Lirc);
  EXPECT_EQ(TIrFileFormat::FromPath("t.raw"), TIrFormat::Raw);
  EXPECT_EQ(TIrFileFormat::FromPath("t.vir"), TIrFormat::Driver);
  EXPECT_EQ(TIrFileFormat::FromPath("dir.ir/noext"), std::nullopt);
  EXPECT_EQ(TIrFileFormat::FromName("LIRC"), TIrFormat::Lirc);
  EXPECT_EQ(TIrFileFormat::FromName("csv"), std::nullopt);
}

}  // namespace
