// Whole files through drivers, on the corpus' real signals: .ir files
// imported into a driver and exported again, and the cross-format path
// .ir -> driver -> Pronto -> driver, LIRC and raw text, keeping every
// duration within the tolerance a learned function is judged by.
#include <gtest/gtest.h>

#include <iostream>

#include "app/IPrompt.h"
#include "capture/TIrRenderCheck.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "signals/TIrDecoder.h"
#include "signals/TIrImporter.h"
#include "signals/TIrInterchange.h"
#include "signals/TIrProtocol.h"
#include "signals/TIrSignalRender.h"
#include "signals/TIrSignalsFile.h"
#include "tests/signals/CorpusSignals.h"

namespace {

using namespace quillon;
using quillon::testing_support::Corpus;
using quillon::testing_support::CorpusSignal;

class SilentPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string&, const std::string&, PromptButtons, PromptIcon) override {
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
};

// An .ir file of the corpus signals: one raw entry per signal (its first
// frame as one press) and, with CODES, one parsed entry per protocol
// rendering instead. A driver holds 126 functions, so the file holds the
// corpus' first or second hundred.
std::string CorpusIrFile(bool codes, int hundred) {
  std::vector<TIrNamedSignal> entries;
  for (std::size_t i = static_cast<std::size_t>(hundred) * 100; i < Corpus().size() && i < (hundred + 1) * 100u; ++i) {
    const CorpusSignal& s = Corpus()[i];
    TIrNamedSignal e;
    e.name = s.id;
    if (codes && s.parsed) {
      e.code = s.code;
    } else {
      e.signal = TIrSignal::FromSequence(s.StoredPress(), s.carrier_hz, kDefaultGapUs);
    }
    entries.push_back(e);
  }
  std::vector<std::string> notes;
  return TIrSignalsFile::Write(entries, notes);
}

struct Imported {
  SilentPrompt prompt;
  CDriverDoc doc{prompt};
  TIrInterchange::Outcome outcome;
};

std::unique_ptr<Imported> Import(TIrFormat format, const std::string& text, TIrCaptureKind kind = TIrCaptureKind::QVX) {
  auto imported = std::make_unique<Imported>();
  imported->doc.OnNewDocument();
  imported->outcome = TIrInterchange::ImportText(imported->doc, format, text, "in", kind);
  return imported;
}

const CorpusSignal* ById(const std::string& id) {
  for (const CorpusSignal& s : Corpus()) {
    if (s.id == id) return &s;
  }
  return nullptr;
}


// Every function of A is in B under the same name and plays the same press
// within the verify tolerance (the pause after the press too, unless
// WITHOUTPAUSE); returns the number of A's functions B lacks.
int CompareDrivers(const TQVXIr& a, const TQVXIr& b, const std::string& label, bool withoutPause = false) {
  int missing = 0;
  for (int i = 0; i < a.GetFunctionCount(); ++i) {
    const TQVXIrFunction* fa = a.GetFunction(i);
    const TQVXIrFunction* fb = b.FindFunction(fa->GetName());
    if (!fb) {
      ++missing;
      continue;
    }
    const TIrSignal sa = TIrSignalRender::FromFunction(*fa), sb = TIrSignalRender::FromFunction(*fb);
    const auto pa = sa.Press(), pb = sb.Press();
    EXPECT_EQ(pa.size(), pb.size()) << label << " " << fa->GetName();
    const int compared = static_cast<int>(pa.size()) - (withoutPause ? 1 : 0);
    EXPECT_EQ(TIrRenderCheck::Compare(pb, sb.carrier_hz, pa, compared, sa.carrier_hz), "") << label << " " << fa->GetName();
  }
  return missing;
}

TEST(Interchange, RawIrEntriesSurviveDriverAndBack) {
  int imported = 0, survived = 0;
  for (int hundred : {0, 1}) {
    const auto file = Import(TIrFormat::Signals, CorpusIrFile(false, hundred));
    imported += file->outcome.functions;
    EXPECT_EQ(file->outcome.warnings.size(), 100u - static_cast<std::size_t>(file->outcome.functions));
    TIrInterchange::Outcome out;
    const std::string text = TIrInterchange::ExportText(file->doc.GetDriver(), TIrFormat::Signals, "", {false}, out);
    const TIrParsedFile back = TIrSignalsFile::Parse(text, "out.ir");
    ASSERT_EQ(static_cast<int>(back.entries.size()), file->outcome.functions);
    for (const TIrNamedSignal& e : back.entries) {
      const CorpusSignal* s = ById(e.name);
      ASSERT_NE(s, nullptr) << e.name;
      const std::vector<uint32_t> original = s->StoredPress();
      std::vector<uint32_t> data = e.signal.Press();
      data.pop_back();  // the pause supplied on reading
      const std::string diff =
          TIrRenderCheck::Compare(data, e.signal.carrier_hz, original, static_cast<int>(original.size()), s->carrier_hz);
      if (data.size() == original.size() && diff.empty()) {
        ++survived;
      } else {
        std::cout << "[ signals  ] " << e.name << ": " << data.size() << " durations against " << original.size()
                  << (diff.empty() ? "" : ", ") << diff << "\n";
      }
    }
  }
  std::cout << "[ signals  ] .ir raw -> driver -> .ir: " << imported << "/" << Corpus().size() << " import, " << survived
            << "/" << Corpus().size() << " within 10 % a duration\n";
  // What a function can hold comes back: today all but the four signals
  // whose frames exceed 510 durations or whose carrier is below 30 kHz.
  EXPECT_EQ(survived, imported);
  EXPECT_GE(survived, 190);
}

TEST(Interchange, ParsedEntriesImportAsTheirProtocolAndExportAsCodes) {
  int codes = 0;
  for (int hundred : {0, 1}) {
    const auto imported = Import(TIrFormat::Signals, CorpusIrFile(true, hundred));
    const TQVXIr& driver = imported->doc.GetDriver();
    TIrInterchange::Outcome out;
    const TIrParsedFile back =
        TIrSignalsFile::Parse(TIrInterchange::ExportText(driver, TIrFormat::Signals, "", {true}, out), "out.ir");
    for (const TIrNamedSignal& e : back.entries) {
      const CorpusSignal* s = ById(e.name);
      if (!s->parsed) continue;
      EXPECT_EQ(TIrDecoder::DecodeFunction(*driver.FindFunction(e.name)), TIrProtocol::Canonical(s->code)) << e.name;
      ASSERT_TRUE(e.code) << e.name;
      EXPECT_EQ(*e.code, TIrProtocol::Canonical(s->code)) << e.name;
      ++codes;
    }
  }
  EXPECT_EQ(codes, 50);
}

TEST(Interchange, IrToDriverToProntoToDriverKeepsTheTimings) {
  for (int hundred : {0, 1}) {
    const auto first = Import(TIrFormat::Signals, CorpusIrFile(true, hundred));
    // Through the driver file itself.
    const std::vector<uint8_t> image = first->doc.PrepareSaveImage("corpus.vir");
    TQVXIr saved;
    TQVXIrLoadBuffer in(image.data(), image.size());
    saved.Load(in);
    TIrInterchange::Outcome out;
    const std::string pronto = TIrInterchange::ExportText(saved, TIrFormat::Pronto, "", {}, out);
    EXPECT_TRUE(out.warnings.empty());
    const auto second = Import(TIrFormat::Pronto, pronto);
    EXPECT_TRUE(second->outcome.warnings.empty()) << second->outcome.warnings.front();
    EXPECT_EQ(CompareDrivers(saved, second->doc.GetDriver(), "pronto"), 0);
  }
}

TEST(Interchange, LircAndRawTextKeepTheTimings) {
  for (int hundred : {0, 1}) {
    const auto first = Import(TIrFormat::Signals, CorpusIrFile(false, hundred));
    for (TIrFormat format : {TIrFormat::Lirc, TIrFormat::Raw}) {
      TIrInterchange::Outcome out;
      const std::string text = TIrInterchange::ExportText(first->doc.GetDriver(), format, "corpus", {}, out);
      const auto second = Import(format, text);
      EXPECT_TRUE(second->outcome.warnings.empty()) << TIrFileFormat::Name(format);
      // A LIRC remote has one pause after every press.
      EXPECT_EQ(CompareDrivers(first->doc.GetDriver(), second->doc.GetDriver(), TIrFileFormat::Name(format),
                               format == TIrFormat::Lirc),
                0);
    }
  }
}

TEST(Interchange, HalvarLearnerImportsTheProtocolsToo) {
  int recognised = 0;
  for (int hundred : {0, 1}) {
    const auto imported = Import(TIrFormat::Signals, CorpusIrFile(true, hundred), TIrCaptureKind::Halvar);
    for (const CorpusSignal& s : Corpus()) {
      if (!s.parsed) continue;
      const TQVXIrFunction* f = imported->doc.GetDriver().FindFunction(s.id);
      if (f && TIrDecoder::DecodeFunction(*f) == TIrProtocol::Canonical(s.code)) ++recognised;
    }
  }
  // The Halvar learner stops at 62 kHz: the RCA renderings (56 kHz) still fit.
  EXPECT_EQ(recognised, 50);
}

TEST(Interchange, NamesFollowTheDriverRules) {
  SilentPrompt prompt;
  CDriverDoc doc(prompt);
  doc.OnNewDocument();
  // A placeholder takes a signal of its name; a function with IR data keeps
  // its own and the newcomer is numbered.
  auto placeholder = std::make_unique<TQVXIrFunction>();
  placeholder->SetName("POWER");
  doc.GetDriver().Append(std::move(placeholder));
  const std::string nec = "type: parsed\nprotocol: NEC\naddress: 04 00 00 00\ncommand: 08 00 00 00\n";
  const std::string text = "Filetype: IR signals file\nVersion: 1\nname: power\n" + nec + "name: Vol <+> & 'x'\n" +
                           nec + "name: POWER\n" + nec + "name: Caf\xC3\xA9 \xE2\x82\xAC\xE2\x98\x83\n" + nec +
                           "name: *Empty*\n" + nec;
  const auto outcome = TIrInterchange::ImportText(doc, TIrFormat::Signals, text, "t.ir");
  EXPECT_EQ(outcome.functions, 5);
  EXPECT_TRUE(outcome.warnings.empty());
  const TQVXIr& d = doc.GetDriver();
  ASSERT_EQ(d.GetFunctionCount(), 5);
  EXPECT_STREQ(d.GetFunction(0)->GetName(), "POWER");
  EXPECT_EQ(d.GetFunction(0)->GetSubFunctionCount(), 1);
  EXPECT_STREQ(d.GetFunction(1)->GetName(), "Vol + and x");
  EXPECT_STREQ(d.GetFunction(2)->GetName(), "POWER_0");
  EXPECT_STREQ(d.GetFunction(3)->GetName(), "Caf\xE9 \x80_");
  EXPECT_STREQ(d.GetFunction(4)->GetName(), "Signal");
  ASSERT_EQ(outcome.notes.size(), 4u);
  EXPECT_EQ(outcome.notes[0],
            "t.ir:8: \"Vol <+> & 'x'\": stored as \"Vol + and x\" (function names may not hold <, >, ', \" or &)");
  EXPECT_EQ(outcome.notes[1], "t.ir:13: \"POWER\": stored as \"POWER_0\" (a function of that name exists)");
  EXPECT_TRUE(doc.IsModified());
}

TEST(Interchange, StopsAtTheDriversFunctionLimit) {
  std::string text = "Filetype: IR signals file\nVersion: 1\n";
  for (int i = 0; i < TIrImporter::kMaxFunctions + 2; ++i) {
    text += "name: F" + std::to_string(i) + "\ntype: parsed\nprotocol: NEC\naddress: 01 00 00 00\ncommand: " +
            (i < 16 ? "0" : "") + [i] {
              char hex[4];
              std::snprintf(hex, sizeof hex, "%X", i & 0xFF);
              return std::string(hex);
            }() + " 00 00 00\n";
  }
  const auto imported = Import(TIrFormat::Signals, text);
  EXPECT_EQ(imported->outcome.functions, TIrImporter::kMaxFunctions);
  ASSERT_EQ(imported->outcome.warnings.size(), 2u);
  EXPECT_NE(imported->outcome.warnings[0].find("already holds 126 functions"), std::string::npos);
}

}  // namespace
