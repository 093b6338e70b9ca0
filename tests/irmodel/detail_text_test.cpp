// What the detail panes of a driver window show, computed without a window:
// the summary, the settings of the selected functions, the sub-function rows
// and data, and the document operations the panes and the list use.
#include "irmodel/CDriverSummary.h"
#include "irmodel/CDriverDocText.h"
#include "irmodel/CFunctionClipboard.h"
#include "irmodel/CFunctionSettings.h"
#include "irmodel/CSubFunctionText.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "tests/irmodel/doc_test_support.h"

namespace quillon {
namespace {

using doctest::MakeFunction;
using doctest::MakeSub;
using doctest::Names;
using Row = std::pair<std::string, std::string>;

TEST(SubFunctionText, ListRowAndDataRowsUseTheirFormats) {
  auto sub = MakeSub(1736, 5);  // times 0x20 0x40; header 01; body 10 11
  sub->SetGranularity(2);
  sub->SetFlags(TQVXIrSubFunction::kX10);
  EXPECT_EQ(CSubFunctionText::ListRow(3, *sub),
            (std::vector<std::string>{"3", "38.0KHz", "5", "2", "1", "2"}));
  const auto rows = CSubFunctionText::DataRows(*sub);
  ASSERT_EQ(rows.size(), 6u);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Carrier Divider", "0x06C8"},          {"Divider Gran.", "0x0002"}, {"Min. Repeats (dec)", "5"},
      {"Time Values", "0x0020 0x0040"}, {"Header selectors", "01"},  {"Body selectors", "10 11"}};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].heading, expected[i].first);
    EXPECT_EQ(rows[i].data, expected[i].second);
  }
  // 66,000,000 / 1,000 = 66,000 Hz.
  sub->SetDivider(1000);
  EXPECT_EQ(CSubFunctionText::CarrierText(*sub), "66.0KHz");
}

TEST(SubFunctionText, BrokenSubFunctionsAreShownWithoutFailing) {
  TQVXIrSubFunction sub;  // divider 0, no arrays
  sub.SetHeaderCount(3);
  sub.SetBodyCount(4);
  EXPECT_EQ(CSubFunctionText::CarrierText(sub), "no carrier");
  const auto rows = CSubFunctionText::DataRows(sub);
  EXPECT_EQ(rows[3].data, "");
  // Counts beyond the selector array show only what is there.
  EXPECT_EQ(rows[4].data, "");
  EXPECT_EQ(rows[5].data, "");

  TQVXIrFunction function;
  function.AddSubFunction(MakeSub(1736));
  function.AddSubFunction(MakeSub(2000));
  const auto list = CSubFunctionText::ListRows(function);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].index, 1);
  EXPECT_EQ(list[1].cells[1], "33.0KHz");
}

TEST(FunctionSettings, ModulationRepeatCountAndRowsOfTheSelection) {
  TQVXIr driver;
  driver.Append(MakeFunction("POWER", 2));
  driver.Append(MakeFunction("PLAY"));
  auto placeholder = std::make_unique<TQVXIrFunction>();
  placeholder->SetName("*Empty*");
  placeholder->SetNew(true);
  driver.Append(std::move(placeholder));

  EXPECT_FALSE(CFunctionSettings::Of(driver, {}).HasSelection());
  EXPECT_FALSE(CFunctionSettings::Of(driver, {9}).HasSelection());

  const CFunctionSettings power = CFunctionSettings::Of(driver, {0});
  EXPECT_EQ(power.GetModulation(), CFunctionSettings::Modulation::kOn);
  EXPECT_EQ(power.RepeatCount(), 3);
  EXPECT_EQ(power.Rows()[0], Row("Name", "POWER"));
  EXPECT_EQ(power.Rows()[2], Row("Sub-Functions", "2"));
  EXPECT_EQ(power.Rows().back(), Row("Status", "Unchanged"));

  driver.GetFunction(1)->GetSubFunction(0)->SetFlags(0);
  const CFunctionSettings both = CFunctionSettings::Of(driver, {0, 1});
  EXPECT_EQ(both.GetModulation(), CFunctionSettings::Modulation::kMixed);
  EXPECT_EQ(both.Rows()[0], Row("Selected", "2 functions"));
  EXPECT_EQ(both.Rows()[1], Row("Names", "POWER, PLAY"));

  const CFunctionSettings empty = CFunctionSettings::Of(driver, {2});
  EXPECT_TRUE(empty.HasSelection());
  EXPECT_EQ(empty.GetModulation(), CFunctionSettings::Modulation::kNone);
  EXPECT_FALSE(empty.RepeatCount().has_value());
  EXPECT_EQ(empty.Rows().back(), Row("Status", "New"));
  EXPECT_EQ(CFunctionSettings::StatusText(TQVXIrFunction::kModified | TQVXIrFunction::kLearnFailed),
            "Modified, Learn Failed");
}

TEST(DriverSummary, KindNameAndHeaderFields) {
  TQVXIr driver;
  driver.SetKind(TQVXIr::kMultiFunctionDriver);
  driver.GetHeader().AddText(TQVXIrHeaderEntry::kDeviceManufacturer, "Sony");
  driver.GetHeader().AddText(TQVXIrHeaderEntry::kProgramVersion, "1.2.3");
  const CDriverSummary summary = CDriverSummary::Of(driver, "tv.vir");
  EXPECT_EQ(summary.KindText() + summary.Name(), "Multifunction IR Driver:  tv.vir");
  EXPECT_EQ(summary.Field("Manufacturer"), "Sony");
  EXPECT_EQ(summary.Field("Learner"), "1.2.3");
  EXPECT_EQ(summary.Field("Model"), "");
  ASSERT_EQ(summary.Fields().size(), 8u);
  EXPECT_EQ(summary.Fields()[0].first, "Type");
  EXPECT_EQ(summary.Fields()[7].first, "Version");
}

TEST(DriverDocPanes, CutIntoABlockExportBuiltFirstAndTheSpinRules) {
  doctest::ScriptedPrompt prompt;
  CDriverDoc doc(prompt);
  bool supported = false;
  doc.SetAccessTests([] { return true; }, [&supported] { return supported; });
  doc.OnNewDocument();
  CMemINI ini;
  EXPECT_FALSE(doc.BuildExport(ini));  // no function: nothing to export

  doc.GetDriver().Append(MakeFunction("A"));
  doc.GetDriver().Append(MakeFunction("B"));
  doc.SetSelection({1});
  ASSERT_TRUE(doc.BuildExport(ini));
  EXPECT_EQ(ini.GetString("HEADER", "function_count", ""), "1");
  EXPECT_EQ(ini.GetString("function_0", "function_name", ""), "B");

  CFunctionClipboard::Instance().Clear();
  std::vector<std::uint8_t> block;
  ASSERT_TRUE(doc.CutSelected(&block));
  EXPECT_EQ(Names(doc.GetDriver()), std::vector<std::string>{"A"});
  EXPECT_TRUE(CFunctionClipboard::ImageOf(block).has_value());
  EXPECT_FALSE(CFunctionClipboard::Instance().HasBlock());  // the caller places the block

  EXPECT_FALSE(doc.SupportedDriverTest());
  supported = true;
  EXPECT_TRUE(doc.SupportedDriverTest());

  EXPECT_EQ(CDriverDocText::SpinRepeatCount(15, 1), 15);
  EXPECT_EQ(CDriverDocText::SpinRepeatCount(0, -1), 0);
  EXPECT_EQ(CDriverDocText::SpinRepeatCount(4, -1), 3);
}

}  // namespace
}  // namespace quillon
