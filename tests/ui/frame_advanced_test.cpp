// Advanced mode in the driver windows: the Driver and SubFunctions tabs of
// windows opened after it is unlocked, the INI import with its error list,
// the export, the "Is Velmor Driver" mark and the sub-function data shown
// only while the supported-driver code matches; and a window whose pane
// cannot be created.
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "app/CAccessCodes.h"
#include "app/CProfile.h"
#include "tests/ui/frame_test_support.h"
#include "ui/DetailView.h"
#include "ui/DriverFrame.h"
#include "ui/FileDialog.h"
#include "ui/FunctionView.h"
#include "ui/ImportErrorDlg.h"

namespace quillon::ui {
namespace {

using namespace frametest;

void TypeKeys(const std::string& text) {
  CAccessCodes::Keystrokes().Clear();
  for (char c : text) CAccessCodes::Keystrokes().Add(c);
}

TEST_F(FrameTest, WindowsOpenedAfterAdvancedModeHaveTheDriverAndSubFunctionsTabs) {
  DriverDocument& document = Open(WriteDriver("a.vir", "Other", {"A"}));
  if (CAccessCodes::IsAdvancedMode()) GTEST_SKIP() << "advanced mode was unlocked earlier in this process";
  CDriverFrame before(document);
  EXPECT_FALSE(before.DetailView()->IsAdvancedMode());
  EXPECT_EQ(before.DetailView()->TabLabels(), (QStringList{"Summary", "Header", "Functions"}));
  EXPECT_EQ(before.findChild<QWidget*>("driverPane"), nullptr);

  CAccessCodes::SetAdvancedMode();
  CDriverFrame after(document);
  EXPECT_TRUE(after.DetailView()->IsAdvancedMode());
  EXPECT_EQ(after.DetailView()->TabLabels(),
            (QStringList{"Summary", "Header", "Driver", "Functions", "SubFunctions"}));
  // The window opened before keeps what it decided when it was made.
  document.NotifyChanged();
  EXPECT_EQ(before.DetailView()->Tabs()->count(), 3);
}

TEST_F(FrameTest, LoadShowsTheImportErrorsInTheirListAndReplacesTheFunctions) {
  CAccessCodes::SetAdvancedMode();
  DriverDocument& document = Open(WriteDriver("a.vir", "Other", {"OLD"}));
  CDriverFrame frame(document);
  frame.show();
  const std::string ini = Path("in.ini");
  QFile file(QString::fromStdString(ini));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[HEADER]\ndevice_type=DVD\nfunction_count=2\n"
             "[function_0]\nfunction_name=POWER\nsub_function_count=1\nsub0_divider=3000\n"
             "sub0_times=0x20,0x40\nsub0_header_selectors=0x01\nsub0_body_selectors=0x10\n"
             "[function_1]\nfunction_name=power\n");
  file.close();

  Find<QLineEdit>(&frame, "iniPathEdit")->setText(QString::fromStdString(ini));
  QString heading;
  QStringList messages;
  QString caption;
  WhenShown<CDlgImportError>([&](CDlgImportError* dialog) {
    caption = dialog->windowTitle();
    heading = dialog->Heading();
    messages = dialog->Messages();
    dialog->accept();
  });
  Find<QPushButton>(&frame, "loadButton")->click();
  EXPECT_EQ(caption, "Errors");
  EXPECT_EQ(heading, "The following errors were encountered during the import process.  The driver may not be usable.");
  EXPECT_EQ(messages, (QStringList{"sub of fcn 0: Invalid timebase", "fcn 1: Bad/Duplicate name"}));
  EXPECT_EQ(Column(frame.FunctionView(), 1), (std::vector<std::string>{"POWER", ""}));
  EXPECT_EQ(document.Doc().GetDriver().GetFunction(0)->GetSubFunction(0)->GetDivider(), 100);
  EXPECT_TRUE(document.Doc().IsModified());

  // A file that is not there is named with the reason, not passed over.
  QtPrompt::SetNextAnswer(PromptAnswer::Ok);
  Find<QLineEdit>(&frame, "iniPathEdit")->setText(QString::fromStdString(Path("missing.ini")));
  Find<QPushButton>(&frame, "loadButton")->click();
  ASSERT_FALSE(QtPrompt::ShownBoxes().empty());
  EXPECT_NE(QtPrompt::ShownBoxes().back().text.find("missing.ini: "), std::string::npos);
}

TEST_F(FrameTest, ExportWritesTheSelectedFunctionsUnderTheProposedNameAndAutoSelectIsKept) {
  CAccessCodes::SetAdvancedMode();
  DriverDocument& document = Open(WriteDriver("a.vir", "Other", {"A", "B", "C"}));
  CDriverFrame frame(document);
  frame.show();
  frame.FunctionView()->SelectPositions({1, 2});
  const std::string out = Path("out.ini");
  FileDialog::SetNextFileName(QString::fromStdString(out));
  Find<QPushButton>(&frame, "exportButton")->click();
  EXPECT_EQ(FileDialog::LastOptions().fileName, "Sony_RDR-a.vir");
  EXPECT_EQ(FileDialog::LastOptions().filter, "INI Files (*.ini);;All Files (*.*)");
  CMemINI written;
  ASSERT_TRUE(written.LoadFile(out));
  EXPECT_EQ(written.GetString("HEADER", "function_count", ""), "2");
  EXPECT_EQ(written.GetString("function_0", "function_name", ""), "B");
  EXPECT_EQ(written.GetString("function_1", "function_name", ""), "C");

  auto* autoSelect = Find<QCheckBox>(&frame, "autoSelectCheck");
  EXPECT_TRUE(autoSelect->isChecked());  // the learn preference, 1 by default
  autoSelect->click();
  EXPECT_EQ(CProfile::GetLearnAutoSelect(), 0);

  // Cancelling the dialog writes nothing.
  std::filesystem::remove(out);
  FileDialog::SetNextFileName(QString());
  Find<QPushButton>(&frame, "exportButton")->click();
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(FrameTest, VelmorMarkAndSubFunctionDataNeedTheSupportedDriverCode) {
  CAccessCodes::SetAdvancedMode();
  const std::string path = WriteDriver("a.vir", "Other", {"A"});
  DriverDocument& document = Open(path);
  document.Doc().GetDriver().GetFunction(0)->AddSubFunction(MakeSub(2000, 7, false));
  document.Doc().GetDriver().GetFunction(0)->GetSubFunction(1)->SetFlags(TQVXIrSubFunction::kX10);
  TypeKeys("nothing");
  CDriverFrame frame(document);
  frame.show();
  frame.FunctionView()->SelectPositions({0});
  auto* subFunctions = Find<QTableView>(&frame, "subFunctionList");
  auto* data = Find<QTableView>(&frame, "dataList");
  EXPECT_EQ(subFunctions->model()->rowCount(), 0);
  EXPECT_EQ(data->model()->rowCount(), 0);
  auto* velmor = Find<QCheckBox>(&frame, "velmorCheck");
  velmor->click();
  EXPECT_FALSE(velmor->isChecked());
  EXPECT_FALSE(document.Doc().GetVelmorFlag());

  TypeKeys("VelmorSeal");
  document.NotifyChanged();
  ASSERT_EQ(subFunctions->model()->rowCount(), 2);
  EXPECT_EQ(Column(subFunctions, 1), (std::vector<std::string>{"38.0KHz", "33.0KHz"}));
  EXPECT_EQ(subFunctions->currentIndex().row(), 0);  // the first row is selected
  ASSERT_EQ(data->model()->rowCount(), 6);
  EXPECT_EQ(Column(data, 0)[0], "Carrier Divider");
  EXPECT_EQ(Column(data, 1)[0], "0x06C8");
  EXPECT_TRUE(Find<QCheckBox>(&frame, "modulatedBox")->isChecked());
  subFunctions->setCurrentIndex(subFunctions->model()->index(1, 0));
  EXPECT_EQ(Column(data, 1)[0], "0x07D0");
  EXPECT_EQ(Column(data, 1)[2], "7");
  EXPECT_FALSE(Find<QCheckBox>(&frame, "modulatedBox")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>(&frame, "x10Box")->isChecked());

  velmor->click();
  EXPECT_TRUE(velmor->isChecked());
  EXPECT_TRUE(document.Doc().GetVelmorFlag());
}

TEST_F(FrameTest, AWindowWhosePaneCannotBeMadeIsNotOpened) {
  DriverDocument& document = Open(WriteDriver("a.vir", "Other", {"A"}));
  CDetailView::FailNextPaneForTest(QStringLiteral("Header"));
  QtPrompt::SetNextAnswer(PromptAnswer::Ok);
  EXPECT_EQ(CDriverFrame::Create(document), nullptr);
  ASSERT_EQ(QtPrompt::ShownBoxes().size(), 1u);
  EXPECT_EQ(QtPrompt::ShownBoxes()[0].text, "Could not create view window");
  std::unique_ptr<CDriverFrame> frame(CDriverFrame::Create(document));  // the next one is made
  EXPECT_NE(frame, nullptr);
}

}  // namespace
}  // namespace quillon::ui
