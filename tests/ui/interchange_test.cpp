// File > Import... and Export..., Edit > Undo and Redo, and the "Protocol"
// column, through the main window: tests/data's .ir file of corpus signals
// imported into a new driver window, undone and redone; every protocol
// rendering of the corpus shown with its protocol; a selection exported and
// read back; failures that name the file and leave the driver alone.
#include <QStatusBar>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <set>

#include "tests/signals/CorpusSignals.h"
#include "tests/ui/ShellFixture.h"
#include "ui/DriverFrame.h"
#include "ui/FileDialog.h"
#include "ui/FunctionListModel.h"
#include "ui/FunctionView.h"
#include "ui/InterchangeReportDlg.h"
#include "signals/TIrInterchangeFile.h"
#include "signals/TIrProtocol.h"

namespace quillon::ui {
namespace {

using testing::ShellTest;
using testing::WriteDriver;

const std::string kRemotes = std::string(QUILLON_TEST_DATA_DIR) + "/signals/remotes.ir";

// Accepts the import/export report the moment it opens, keeping what it
// said; a report that never came leaves shown false.
class ReportAnswerer {
 public:
  ReportAnswerer() {
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<CInterchangeReportDlg*>(widget);
        if (dialog == nullptr || !dialog->isVisible()) continue;
        shown = true;
        title = dialog->windowTitle();
        heading = dialog->Heading();
        messages = dialog->Messages();
        warnings = dialog->WarningCount();
        dialog->accept();
        m_timer.stop();
        return;
      }
    });
    m_timer.start();
  }

  bool shown = false;
  QString title;
  QString heading;
  QStringList messages;
  int warnings = 0;

 private:
  QTimer m_timer;
};

std::vector<std::string> ColumnOf(const CDriverFrame& frame, int column, int role = Qt::DisplayRole) {
  std::vector<std::string> texts;
  const QAbstractItemModel* model = frame.FunctionView()->model();
  for (int row = 0; row < model->rowCount(); ++row)
    texts.push_back(model->index(row, column).data(role).toString().toStdString());
  return texts;
}

class InterchangeShellTest : public ShellTest {
 protected:
  // Imports PATH through File > Import...; the report (if any) is answered.
  ReportAnswerer* Import(const std::string& path) {
    FileDialog::SetNextFileName(QString::fromStdString(path));
    m_report = std::make_unique<ReportAnswerer>();
    Trigger("actionFileImport");
    return m_report.get();
  }
  std::vector<std::string> Names() { return ColumnOf(*Frame().ActiveFrame(), CFunctionListModel::kNameColumn); }
  std::vector<std::string> Protocols() {
    return ColumnOf(*Frame().ActiveFrame(), CFunctionListModel::kProtocolColumn);
  }
  int FunctionCount() { return Frame().ActiveFrame()->Document().Doc().GetDriver().GetFunctionCount(); }
  std::string Status() { return Frame().statusBar()->currentMessage().toStdString(); }

  std::unique_ptr<ReportAnswerer> m_report;
};

TEST_F(InterchangeShellTest, AnIrFileImportsIntoANewDriverWindowWithItsProtocolsAndUndoesAsOneEdit) {
  ASSERT_TRUE(Start({}));
  Trigger("actionFileClose");  // the empty driver the program starts with
  ASSERT_TRUE(Frame().Documents().empty());
  const ReportAnswerer* report = Import(kRemotes);

  ASSERT_EQ(Frame().Documents().size(), 1u);
  ASSERT_TRUE(report->shown) << "the renamed function is reported";
  EXPECT_EQ(report->title, QStringLiteral("Import"));
  EXPECT_EQ(report->heading.toStdString(), "10 functions imported from remotes.ir. 1 name changed.");
  EXPECT_EQ(report->messages,
            QStringList{"remotes.ir:46: \"POWER\": stored as \"POWER_0\" (a function of that name exists)"});
  EXPECT_EQ(Status(), report->heading.toStdString());
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [VIR2*]"));

  // The file's names; the raw entries' protocols are recognised too.
  EXPECT_EQ(Names(), (std::vector<std::string>{"Up", "MUTE", "Power", "P_Size", "Sound", "Info", "SKIPFOR",
                                               "POWER_0", "Fan_2", "back"}));
  const auto shown = Protocols();
  EXPECT_EQ(shown, (std::vector<std::string>{"NEC", "RC5", "SIRC15", "Samsung32", "RC6", "NEC", "SIRC", "NECext",
                                             "unknown", "unknown"}));
  const auto tips = ColumnOf(*Frame().ActiveFrame(), CFunctionListModel::kProtocolColumn, Qt::ToolTipRole);
  EXPECT_EQ(tips[0], "NEC: address 62 (0x3e), command 45 (0x2d)");
  EXPECT_EQ(tips[8], "unknown: the signal matches none of the protocols Quillon recognises");

  // Undone as a whole: the new driver is empty and unmodified again.
  EXPECT_EQ(Action("actionEditUndo")->text(), QStringLiteral("&Undo Import remotes.ir"));
  EXPECT_FALSE(Action("actionEditRedo")->isEnabled());
  Trigger("actionEditUndo");
  EXPECT_EQ(FunctionCount(), 0);
  EXPECT_TRUE(Names().empty());
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [VIR2]"));
  EXPECT_FALSE(Action("actionEditUndo")->isEnabled());
  EXPECT_EQ(Action("actionEditRedo")->text(), QStringLiteral("&Redo Import remotes.ir"));

  Trigger("actionEditRedo");
  EXPECT_EQ(FunctionCount(), 10);
  EXPECT_EQ(Protocols(), shown);
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [VIR2*]"));
  EXPECT_TRUE(Action("actionEditUndo")->isEnabled());
  EXPECT_FALSE(Action("actionEditRedo")->isEnabled());
}

TEST_F(InterchangeShellTest, EveryProtocolRenderingOfTheCorpusShowsItsProtocol) {
  // The corpus' protocol renderings as raw entries of one .ir file, as a
  // user would bring recordings of those remotes.
  std::string text = "Filetype: IR signals file\nVersion: 1\n";
  std::vector<testing_support::CorpusSignal> parsed;
  for (const auto& signal : testing_support::Corpus()) {
    if (!signal.parsed) continue;
    parsed.push_back(signal);
    text += "#\nname: " + signal.id + "\ntype: raw\nfrequency: " + std::to_string(signal.carrier_hz) +
            "\nduty_cycle: 0.330000\ndata:";
    for (std::uint32_t duration : signal.StoredPress()) text += " " + std::to_string(duration);
    text += "\n";
  }
  ASSERT_GE(parsed.size(), 15u);
  const std::string path = DriverPath("renderings.ir");
  std::ofstream(path, std::ios::binary) << text;

  ASSERT_TRUE(Start({}));
  Import(path);
  ASSERT_EQ(FunctionCount(), static_cast<int>(parsed.size())) << Status();
  const auto protocols = Protocols();
  const auto tips = ColumnOf(*Frame().ActiveFrame(), CFunctionListModel::kProtocolColumn, Qt::ToolTipRole);
  std::set<std::string> seen;
  for (std::size_t i = 0; i < parsed.size(); ++i) {
    // Numbered as the database numbers them (RC5X below command 64 is RC5).
    const TIrCode code = TIrProtocol::Canonical(parsed[i].code);
    EXPECT_EQ(protocols[i], code.protocol) << parsed[i].id;
    EXPECT_EQ(tips[i].rfind(code.protocol + ": address " + std::to_string(code.address) + " (", 0), 0u)
        << parsed[i].id << ": " << tips[i];
    EXPECT_NE(tips[i].find(", command " + std::to_string(code.command) + " ("), std::string::npos)
        << parsed[i].id << ": " << tips[i];
    seen.insert(parsed[i].code.protocol);
  }
  EXPECT_EQ(seen.size(), 15u);
}

TEST_F(InterchangeShellTest, AFileThatCannotBeImportedIsNamedAndLeavesTheDriverAlone) {
  // Without a driver: no empty window is opened for a file that fails.
  ASSERT_TRUE(Start({}));
  Trigger("actionFileClose");
  const std::string bad = DriverPath("bad.ir");
  std::ofstream(bad) << "Filetype: IR signals file\nVersion: 1\nname: A\ntype: raw\nfrequency: 38000\ndata: 9000 x\n";
  QtPrompt::SetNextAnswer(PromptAnswer::Ok);
  Import(bad);
  EXPECT_TRUE(Frame().Documents().empty());
  EXPECT_EQ(TakeMessages(),
            std::vector<std::string>{bad + ":6: data: \"x\" is not a duration in microseconds (at most 10000000)"});

  // Into an open driver: it stays as it was, with nothing to undo.
  const std::string tv = DriverPath("tv.vir");
  WriteDriver(tv, {"POWER", "MENU"});
  ASSERT_TRUE(Frame().OpenDriver(tv));
  Settle();
  const std::string codes = DriverPath("codes.dat");
  std::ofstream(codes) << "0000 006D 0002 0000 0157 00AC 0015 0689\n";
  QtPrompt::SetNextAnswer(PromptAnswer::Ok);
  Import(codes);
  EXPECT_EQ(TakeMessages(),
            std::vector<std::string>{codes + ": not a file Quillon can import (.ir, .pronto, .txt, .conf or .raw)"});
  EXPECT_EQ(Names(), (std::vector<std::string>{"POWER", "MENU"}));
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [tv.vir]"));
  EXPECT_FALSE(Action("actionEditUndo")->isEnabled());

  // An entry that cannot be used is left out and reported as a warning; the
  // rest is imported.
  const std::string mixed = DriverPath("mixed.ir");
  std::ofstream(mixed) << "Filetype: IR signals file\nVersion: 1\nname: A\ntype: parsed\nprotocol: XYZ\n"
                          "address: 00 00 00 00\ncommand: 00 00 00 00\n#\nname: B\ntype: parsed\nprotocol: NEC\n"
                          "address: 04 00 00 00\ncommand: 08 00 00 00\n";
  const ReportAnswerer* report = Import(mixed);
  ASSERT_TRUE(report->shown);
  EXPECT_EQ(report->warnings, 1);
  EXPECT_EQ(report->heading.toStdString(), "1 function imported from mixed.ir. 1 entry left out or altered.");
  ASSERT_EQ(report->messages.size(), 1);
  EXPECT_TRUE(report->messages[0].startsWith(QStringLiteral("mixed.ir:5: \"A\": unknown protocol")))
      << report->messages[0].toStdString();
  EXPECT_EQ(Names(), (std::vector<std::string>{"POWER", "MENU", "B"}));
  Trigger("actionEditUndo");

  // A good file goes into the open driver (no second window), undone to the
  // saved driver.
  Import(kRemotes);
  EXPECT_EQ(Frame().Documents().size(), 1u);
  EXPECT_EQ(FunctionCount(), 12);
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [tv.vir*]"));
  Trigger("actionEditUndo");
  EXPECT_EQ(Names(), (std::vector<std::string>{"POWER", "MENU"}));
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [tv.vir]"));
}

TEST_F(InterchangeShellTest, ExportWritesTheSelectionOrTheWholeDriverAndReadsBack) {
  ASSERT_TRUE(Start({}));
  Import(kRemotes);
  ASSERT_EQ(FunctionCount(), 10);
  Frame().ActiveFrame()->FunctionView()->SelectPositions({0, 1});

  // Some selected: asked which; the name without an extension gets the
  // format's.
  QtPrompt::SetNextChoice(0);
  FileDialog::SetNextFileName(QString::fromStdString(DriverPath("picked")));
  ReportAnswerer report;
  Trigger("actionFileExport");
  ASSERT_EQ(QtPrompt::ShownBoxes().size(), 1u);
  EXPECT_EQ(QtPrompt::ShownBoxes()[0].text, "Which functions are to be exported?");
  QtPrompt::ClearShown();
  EXPECT_EQ(Status(), "2 functions exported to picked.ir.");
  const TIrInterchangeFile::Source picked = TIrInterchangeFile::Read(DriverPath("picked.ir"));
  ASSERT_EQ(picked.parsed.entries.size(), 2u);
  EXPECT_EQ(picked.parsed.entries[0].name, "Up");
  EXPECT_EQ(picked.parsed.entries[0].code, (TIrCode{"NEC", 62, 45}));
  EXPECT_EQ(picked.parsed.entries[1].name, "MUTE");
  EXPECT_EQ(picked.parsed.entries[1].code, (TIrCode{"RC5", 0, 13}));

  // All of them, as Pronto codes: every function once, and the export is no
  // edit of the driver.
  QtPrompt::SetNextChoice(1);
  FileDialog::SetNextFileName(QString::fromStdString(DriverPath("all.pronto")));
  Trigger("actionFileExport");
  QtPrompt::ClearShown();
  const TIrInterchangeFile::Source all = TIrInterchangeFile::Read(DriverPath("all.pronto"));
  ASSERT_EQ(all.parsed.entries.size(), 10u);
  EXPECT_EQ(all.parsed.entries[9].name, "back");
  EXPECT_EQ(Action("actionEditUndo")->text(), QStringLiteral("&Undo Import remotes.ir"));

  // A name that gets its extension here is asked about when that file
  // exists; "No" leaves it as it was.
  QtPrompt::SetNextChoice(0);
  QtPrompt::SetNextAnswer(PromptAnswer::No);
  FileDialog::SetNextFileName(QString::fromStdString(DriverPath("all")));
  std::ofstream(DriverPath("all.ir")) << "kept";
  Trigger("actionFileExport");
  const auto asked = TakeMessages();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1], DriverPath("all.ir") + " already exists.\nDo you want to replace it?");
  EXPECT_EQ(::quillon::testing::TempDir::Read(DriverPath("all.ir")), "kept");

  // A file that cannot be written is named with the reason, and nothing is
  // left behind.
  const std::string nowhere = DriverPath("gone") + "/codes.ir";
  QtPrompt::SetNextChoice(0);
  QtPrompt::SetNextAnswer(PromptAnswer::Ok);
  FileDialog::SetNextFileName(QString::fromStdString(nowhere));
  Trigger("actionFileExport");
  const auto messages = TakeMessages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1].rfind(nowhere + ": ", 0), 0u) << messages[1];
  EXPECT_FALSE(std::filesystem::exists(DriverPath("gone")));
}

TEST_F(InterchangeShellTest, UndoAndRedoFollowTheWindowsEditsAndTheSavedDriver) {
  const std::string tv = DriverPath("tv.vir");
  WriteDriver(tv, {"POWER", "MENU", "MUTE"});
  ASSERT_TRUE(Start({tv}));
  EXPECT_FALSE(Action("actionEditUndo")->isEnabled());
  CFunctionView* list = Frame().ActiveFrame()->FunctionView();

  list->SelectPositions({0});
  Trigger("actionEditCut");
  EXPECT_EQ(Names(), (std::vector<std::string>{"MENU", "MUTE"}));
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [tv.vir*]"));
  list->SelectPositions({1});
  Trigger("actionEditNewFunction");
  EXPECT_EQ(FunctionCount(), 3);
  EXPECT_EQ(Action("actionEditUndo")->text(), QStringLiteral("&Undo New Function"));

  Trigger("actionEditUndo");
  EXPECT_EQ(Names(), (std::vector<std::string>{"MENU", "MUTE"}));
  EXPECT_EQ(Action("actionEditUndo")->text(), QStringLiteral("&Undo Cut POWER"));
  Trigger("actionEditUndo");
  // Back at the saved driver, with the cut function selected again.
  EXPECT_EQ(Names(), (std::vector<std::string>{"POWER", "MENU", "MUTE"}));
  EXPECT_EQ(list->SelectedPositions(), std::vector<int>{0});
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [tv.vir]"));

  Trigger("actionEditRedo");
  EXPECT_EQ(Names(), (std::vector<std::string>{"MENU", "MUTE"}));
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [tv.vir*]"));
  // Saved here: this is the clean state, and going back marks it modified.
  Trigger("actionFileSave");
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [tv.vir]"));
  EXPECT_EQ(Action("actionEditRedo")->text(), QStringLiteral("&Redo New Function"));
  Trigger("actionEditUndo");
  EXPECT_EQ(Names(), (std::vector<std::string>{"POWER", "MENU", "MUTE"}));
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [tv.vir*]"));
  // A new edit drops the steps that could be redone.
  list->SelectPositions({2});
  Trigger("actionEditCut");
  EXPECT_FALSE(Action("actionEditRedo")->isEnabled());
  EXPECT_EQ(Names(), (std::vector<std::string>{"POWER", "MENU"}));
}

}  // namespace
}  // namespace quillon::ui
