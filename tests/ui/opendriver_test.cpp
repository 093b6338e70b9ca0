// File -> Open From Database... over generated driver libraries: the real
// package reader (registered into the test's registry store) reads the
// packages; the "Open Driver" dialog is driven through its widgets.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <functional>

#include "app/ComRegistration.h"
#include "app/CReferenceLists.h"
#include "app/CRegistry.h"
#include "library/CLibraryFolder.h"
#include "tests/library/LibraryBuilders.h"
#include "tests/ui/ShellFixture.h"
#include "ui/FileDialog.h"
#include "ui/OldPkgWarningDlg.h"
#include "ui/OpenDriverDlg.h"

namespace quillon::ui {
namespace {

using namespace ::quillon::testing;
using ::quillon::ui::testing::WriteDriver;

// The functions of A and B are the same: names, and every sub-function's
// data.
void ExpectSameFunctions(const TQVXIr& a, const TQVXIr& b) {
  ASSERT_EQ(a.GetFunctionCount(), b.GetFunctionCount());
  for (int i = 0; i < a.GetFunctionCount(); ++i) {
    const TQVXIrFunction* fa = a.GetFunction(i);
    const TQVXIrFunction* fb = b.GetFunction(i);
    ASSERT_EQ(fa->HasName(), fb->HasName());
    if (fa->HasName()) {
      EXPECT_STREQ(fa->GetName(), fb->GetName());
    }
    ASSERT_EQ(fa->GetSubFunctionCount(), fb->GetSubFunctionCount()) << i;
    for (int s = 0; s < fa->GetSubFunctionCount(); ++s) {
      const TQVXIrSubFunction* sa = fa->GetSubFunction(s);
      const TQVXIrSubFunction* sb = fb->GetSubFunction(s);
      ASSERT_EQ(sa == nullptr, sb == nullptr);
      if (!sa) continue;
      EXPECT_EQ(sa->GetFlags(), sb->GetFlags());
      EXPECT_EQ(sa->GetDivider(), sb->GetDivider());
      EXPECT_EQ(sa->GetCounts(), sb->GetCounts());
      EXPECT_EQ(sa->GetTimes(), sb->GetTimes());
      EXPECT_EQ(sa->GetSelectors(), sb->GetSelectors());
    }
  }
}

// The window shows what opening the package member as a file shows: the
// member's functions (and the device type's standard slots the document
// adds around them).
void ExpectShowsMember(const CDriverDoc& shown, const std::vector<std::uint8_t>& member, const std::string& scratch) {
  WriteFile(scratch, member);
  testing::SilentPrompt prompt;
  CDriverDoc reference(prompt, &CReferenceLists::Library());
  ASSERT_TRUE(reference.OnOpenDocument(scratch));
  ExpectSameFunctions(shown.GetDriver(), reference.GetDriver());
  // The member's own functions are among them, with their data.
  TQVXIr raw;
  LoadFromBytes(raw, member);
  int found = 0;
  for (int i = 0; i < raw.GetFunctionCount(); ++i) {
    for (int j = 0; j < shown.GetDriver().GetFunctionCount(); ++j) {
      const TQVXIrFunction* f = shown.GetDriver().GetFunction(j);
      if (f->HasName() && std::string(f->GetName()) == raw.GetFunction(i)->GetName() &&
          f->GetSubFunctionCount() == raw.GetFunction(i)->GetSubFunctionCount() &&
          f->GetSubFunction(0)->GetSelectors() == raw.GetFunction(i)->GetSubFunction(0)->GetSelectors()) {
        ++found;
        break;
      }
    }
  }
  EXPECT_EQ(found, raw.GetFunctionCount());
}

class OpenDriverTest : public testing::ShellTest {
 protected:
  OpenDriverTest() {
    CLibraryFolder::Reset();
    m_fallback = ComRegistration::SearchFallback();
    // The component libraries are found through their registration only.
    ComRegistration::SetSearchFallback(false);
    const std::string bin = QUILLON_BINARY_DIR;
    EXPECT_EQ(ComRegistration::RegisterServerLibrary(bin + "/filetools/libVelmorFileTools.so", false), com::S_OK);
    EXPECT_EQ(ComRegistration::RegisterServerLibrary(bin + "/pkgreader/libVelmorPackageReader.so", false), com::S_OK);
  }
  ~OpenDriverTest() override {
    CLibraryFolder::Reset();
    ComRegistration::SetSearchFallback(m_fallback);
  }

  // A library of an archive package (a model in two versions, one in one)
  // and a resource package, plus a loose driver.
  void MakeLibrary(const std::string& folder) {
    std::filesystem::create_directories(folder);
    const std::string functions = KeyedSection("main", "type_count", "type", {{3, "DVD"}, {4, "VCR"}}) +
                                  KeyedSection("mfg", "mfg_count", "mfg", {{235, "Arvella"}, {327, "???"}});
    const std::string support = "[supported]\r\nNum=1\r\n" + ModelSection(0, 3, 235, "DVP-1", "ABC", "1, 4") +
                                ModelSection(1, 4, 327, "VC-2", "VC2", "3");
    m_abc4 = DriverBytes("DVD", "Arvella", "DVP-1", "4", 5);
    WriteArchivePackage(folder + "pack1.pkg", {{"irfunction.ini", Bytes(functions)},
                                               {"irsupport.ini", Bytes(support)},
                                               {"ABC_1.vir", DriverBytes("DVD", "Arvella", "DVP-1", "1", 2)},
                                               {"ABC_4.vir", m_abc4},
                                               {"VC2_3.vir", DriverBytes("VCR", "???", "VC-2", "3", 3)}});
    m_vx7 = DriverBytes("VCR", "Brightline", "VX-7", "7", 4);
    WriteResourcePackage(folder + "pack2.pkg",
                         {{"irsupport.ini", Bytes(KeyedSection("mfg", "mfg_count", "mfg", {{17, "Brightline"}}) +
                                                  "[supported]\r\nNum=1\r\n" + ModelSection(0, 4, 17, "VX-7", "VX", "7"))},
                          {"VX_7.vir", m_vx7}});
    WriteFile(folder + "loose.vir", DriverBytes("DVD", "Corvex", "Loose-9", "2", 1));
  }
  void SetLibraryFolder(const char* value, const std::string& folder) {
    ASSERT_TRUE(CRegistry::SetString(RegistryRoot::Machine, CLibraryFolder::kCommonKey, value, folder));
  }

  // Runs WORK on the first modal dialog of type T once it is shown (polled,
  // so it works whichever event loop shows it).
  template <class T>
  void WhenShown(std::function<void(T*)> work) {
    // The fixture owns the timer, so one left waiting by a failed case ends
    // with it.
    auto* poll = new QTimer(&m_timers);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, work] {
      auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      poll->stop();
      work(dialog);
    });
    poll->start();
  }

  // Lets the dialog's loading thread finish and the lists fill.
  static void WaitLoaded(COpenDriverDlg* dialog) {
    QElapsedTimer clock;
    clock.start();
    while (dialog->Core().IsLoading() && clock.elapsed() < 3000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(dialog->Core().IsLoading());
  }
  template <class W>
  static W* Child(QWidget* dialog, const char* name) {
    auto* widget = dialog->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  static void Choose(QWidget* dialog, const char* list, const char* text) {
    auto* combo = Child<QComboBox>(dialog, list);
    const int row = combo->findText(QString::fromUtf8(text));
    ASSERT_GE(row, 0) << list << ": " << text;
    combo->setCurrentIndex(row);
  }
  static QStringList Items(QWidget* dialog, const char* list) {
    auto* combo = Child<QComboBox>(dialog, list);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
  }

  std::vector<std::uint8_t> m_abc4, m_vx7;

 private:
  QObject m_timers;
  bool m_fallback = true;
};

TEST_F(OpenDriverTest, OpensAPackagedDriverIntoAWindowTitledWithItsName) {
  const std::string folder = Dir().File("library/");
  MakeLibrary(folder);
  SetLibraryFolder(CLibraryFolder::kNewerValue, folder);
  ASSERT_TRUE(Start({}));
  EXPECT_TRUE(App().IsLibraryAvailable());
  const std::size_t before = Frame().Documents().size();

  bool shown = false;
  WhenShown<COpenDriverDlg>([&](COpenDriverDlg* dialog) {
    shown = true;
    WaitLoaded(dialog);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Open Driver"));
    EXPECT_GE(dialog->width(), dialog->DialogUnitSize().width());
    // Sorted by name; "???" shown as "Other"; the loose driver's maker added.
    EXPECT_EQ(Items(dialog, "typeList"), (QStringList{"DVD", "VCR"}));
    EXPECT_EQ(Items(dialog, "manufacturerList"), (QStringList{"Arvella", "Brightline", "Corvex", "Other"}));
    EXPECT_EQ(Items(dialog, "modelList"), (QStringList{"DVP-1", "Loose-9", "VC-2", "VX-7"}));
    auto* ok = Child<QPushButton>(dialog, "okButton");
    EXPECT_FALSE(ok->isEnabled());

    Choose(dialog, "typeList", "VCR");
    EXPECT_EQ(Items(dialog, "modelList"), (QStringList{"VC-2", "VX-7"}));
    Choose(dialog, "manufacturerList", "Arvella");
    EXPECT_TRUE(Items(dialog, "modelList").isEmpty());
    EXPECT_FALSE(Child<QComboBox>(dialog, "modelList")->isEnabled());
    Choose(dialog, "typeList", "DVD");
    Choose(dialog, "modelList", "DVP-1");
    // Two versions: the list appears and nothing is chosen until one is.
    EXPECT_TRUE(Child<QComboBox>(dialog, "versionList")->isVisible());
    EXPECT_EQ(Items(dialog, "versionList"), (QStringList{"1", "4"}));
    EXPECT_TRUE(Child<QLineEdit>(dialog, "filenameText")->text().isEmpty());
    EXPECT_FALSE(ok->isEnabled());
    Choose(dialog, "versionList", "4");
    EXPECT_EQ(Child<QLineEdit>(dialog, "filenameText")->text(), QStringLiteral("ABC_4.vir"));
    EXPECT_EQ(Child<QLineEdit>(dialog, "locationText")->text(), QString::fromStdString(folder + "pack1.pkg"));
    ASSERT_TRUE(ok->isEnabled());
    ok->click();
  });
  Trigger("actionFileOpenDatabase");
  ASSERT_TRUE(shown);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  ASSERT_EQ(Frame().Documents().size(), before + 1);
  DriverDocument* document = Frame().Documents().back();
  EXPECT_EQ(document->Title(), QStringLiteral("ABC_4.vir"));
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Quillon - [ABC_4.vir]"));
  EXPECT_TRUE(document->Doc().GetPathName().empty());
  EXPECT_FALSE(document->Doc().IsModified());
  EXPECT_EQ(document->Doc().GetFileLength(), m_abc4.size());
  ExpectShowsMember(document->Doc(), m_abc4, DriverPath("abc4-member.vir"));

  // Again, from the resource package: a single version opens at once, and
  // the lists start afresh.
  WhenShown<COpenDriverDlg>([&](COpenDriverDlg* dialog) {
    WaitLoaded(dialog);
    EXPECT_EQ(Child<QComboBox>(dialog, "typeList")->currentIndex(), -1);
    Choose(dialog, "modelList", "VX-7");
    EXPECT_FALSE(Child<QComboBox>(dialog, "versionList")->isVisible());
    EXPECT_EQ(Child<QLineEdit>(dialog, "filenameText")->text(), QStringLiteral("VX_7.vir"));
    Child<QPushButton>(dialog, "okButton")->click();
  });
  Trigger("actionFileOpenDatabase");
  ASSERT_EQ(Frame().Documents().size(), before + 2);
  EXPECT_EQ(Frame().Documents().back()->Title(), QStringLiteral("VX_7.vir"));
  ExpectShowsMember(Frame().Documents().back()->Doc(), m_vx7, DriverPath("vx7-member.vir"));

  // A loose driver opens from its file.
  WhenShown<COpenDriverDlg>([&](COpenDriverDlg* dialog) {
    WaitLoaded(dialog);
    Choose(dialog, "modelList", "Loose-9");
    EXPECT_EQ(Child<QLineEdit>(dialog, "locationText")->text(), QString::fromStdString(folder));
    Child<QPushButton>(dialog, "okButton")->click();
  });
  Trigger("actionFileOpenDatabase");
  ASSERT_EQ(Frame().Documents().size(), before + 3);
  EXPECT_EQ(Frame().Documents().back()->Doc().GetPathName(), folder + "loose.vir");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(OpenDriverTest, WithoutALibraryTheOrdinaryOpenDialogTakesOver) {
  const std::string driver = DriverPath("tv.vir");
  WriteDriver(driver, {"POWER", "MUTE"});
  // A library folder that holds no driver counts as none.
  const std::string folder = Dir().File("empty-library/");
  std::filesystem::create_directories(folder);
  SetLibraryFolder(CLibraryFolder::kOlderValue, folder);
  ASSERT_TRUE(Start({}));
  EXPECT_FALSE(App().IsLibraryAvailable());
  const std::size_t before = Frame().Documents().size();

  bool shown = false;
  WhenShown<COpenDriverDlg>([&](COpenDriverDlg* dialog) {
    shown = true;
    dialog->reject();
  });
  FileDialog::SetNextFileName(QString::fromStdString(driver));
  Trigger("actionFileOpenDatabase");
  EXPECT_EQ(FileDialog::LastOptions().caption, QStringLiteral("Open"));
  ASSERT_EQ(Frame().Documents().size(), before + 1);
  EXPECT_EQ(Frame().Documents().back()->Doc().GetPathName(), driver);
  // Every later use goes straight to the open dialog too.
  FileDialog::SetNextFileName(QString());
  Trigger("actionFileOpenDatabase");
  EXPECT_EQ(Frame().Documents().size(), before + 1);
  Settle();
  EXPECT_FALSE(shown);
}

TEST_F(OpenDriverTest, BrowseClosesTheDialogOnlyWhenADriverWasOpened) {
  const std::string folder = Dir().File("library/");
  MakeLibrary(folder);
  SetLibraryFolder(CLibraryFolder::kNewerValue, folder);
  const std::string elsewhere = DriverPath("elsewhere.vir");
  WriteDriver(elsewhere, {"POWER"});
  ASSERT_TRUE(Start({}));
  const std::size_t before = Frame().Documents().size();

  bool stayedOpen = false;
  WhenShown<COpenDriverDlg>([&](COpenDriverDlg* dialog) {
    WaitLoaded(dialog);
    auto* browse = Child<QPushButton>(dialog, "browseButton");
    FileDialog::SetNextFileName(QString());  // cancelled
    browse->click();
    stayedOpen = dialog->isVisible();
    FileDialog::SetNextFileName(QString::fromStdString(elsewhere));
    browse->click();
  });
  Trigger("actionFileOpenDatabase");
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  ASSERT_EQ(Frame().Documents().size(), before + 1);
  EXPECT_EQ(Frame().Documents().back()->Doc().GetPathName(), elsewhere);
}

TEST_F(OpenDriverTest, CancelStopsALoadInProgress) {
  // Enough packages that the window is up well before they are all read.
  const std::string folder = Dir().File("big-library/");
  std::filesystem::create_directories(folder);
  const int packages = 1500;
  for (int i = 0; i < packages; ++i) {
    const std::string n = std::to_string(i);
    WriteArchivePackage(folder + "p" + n + ".pkg",
                        {{"irsupport.ini", Bytes("[supported]\r\nNum=1\r\n" + ModelSection(0, 3, 5, "M" + n, "D" + n, "1"))}});
  }
  SetLibraryFolder(CLibraryFolder::kNewerValue, folder);
  ASSERT_TRUE(Start({}));

  WhenShown<COpenDriverDlg>([&](COpenDriverDlg* dialog) {
    auto* progress = Child<QProgressBar>(dialog, "loadProgress");
    ASSERT_TRUE(dialog->Core().IsLoading());
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->maximum(), packages);
    EXPECT_LT(progress->value(), packages);
    EXPECT_FALSE(Child<QComboBox>(dialog, "typeList")->isEnabled());
    Child<QPushButton>(dialog, "cancelButton")->click();
    EXPECT_FALSE(dialog->Core().IsLoading());
  });
  QElapsedTimer clock;
  clock.start();
  Trigger("actionFileOpenDatabase");
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  // The next opening reads the whole library.
  WhenShown<COpenDriverDlg>([&](COpenDriverDlg* dialog) {
    WaitLoaded(dialog);
    EXPECT_EQ(Child<QComboBox>(dialog, "modelList")->count(), packages);
    EXPECT_FALSE(Child<QProgressBar>(dialog, "loadProgress")->isVisible());
    dialog->reject();
  });
  Trigger("actionFileOpenDatabase");
}

TEST_F(OpenDriverTest, WithoutThePackageReaderTheLooseDriversStillListAndTheReasonIsShown) {
  const std::string bin = QUILLON_BINARY_DIR;
  ASSERT_EQ(ComRegistration::RegisterServerLibrary(bin + "/pkgreader/libVelmorPackageReader.so", true), com::S_OK);
  const std::string folder = Dir().File("library/");
  MakeLibrary(folder);
  SetLibraryFolder(CLibraryFolder::kNewerValue, folder);
  ASSERT_TRUE(Start({}));

  WhenShown<COpenDriverDlg>([&](COpenDriverDlg* dialog) {
    WaitLoaded(dialog);
    EXPECT_EQ(Items(dialog, "modelList"), QStringList{"Loose-9"});
    // The status line counts what was left out.
    EXPECT_TRUE(Child<QLabel>(dialog, "loadStatus")->text().contains(QStringLiteral("2 left out")))
        << Child<QLabel>(dialog, "loadStatus")->text().toStdString();
    EXPECT_TRUE(Child<QLabel>(dialog, "loadStatus")->toolTip().contains(QStringLiteral("pack1.pkg")));
    dialog->reject();
  });
  QtPrompt::SetNextAnswer(PromptAnswer::Ok);
  Trigger("actionFileOpenDatabase");
  const std::vector<std::string> messages = TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].find("The drivers inside packages cannot be listed: cannot create the package reader"), 0u)
      << messages[0];
}

TEST_F(OpenDriverTest, OldPackageWarningShowsBothFoldersOnceAndStoresItsCheckBox) {
  const std::string newer = Dir().File("library/");
  MakeLibrary(newer);
  const std::string older = Dir().File("old drivers/");
  std::filesystem::create_directories(older);
  SetLibraryFolder(CLibraryFolder::kNewerValue, newer);
  SetLibraryFolder(CLibraryFolder::kOlderValue, older);

  int warnings = 0;
  WhenShown<COldPkgWarningDlg>([&](COldPkgWarningDlg* dialog) {
    ++warnings;
    const QString message = dialog->MessageText();
    EXPECT_TRUE(message.contains(QString::fromStdString(older))) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromStdString(newer)));
    EXPECT_LT(message.indexOf(QString::fromStdString(older)), message.indexOf(QString::fromStdString(newer)));
    EXPECT_FALSE(dialog->IsDontShowAgainChecked());
    Child<QCheckBox>(dialog, "dontShowAgain")->setChecked(true);
    dialog->reject();  // closed without OK: the box is stored all the same
  });
  ASSERT_TRUE(Start({}));
  EXPECT_EQ(warnings, 1);
  EXPECT_EQ(CRegistry::GetDword(RegistryRoot::Machine, CLibraryFolder::kProgramKey, CLibraryFolder::kSkipWarningValue),
            std::optional<std::uint32_t>(1));
  EXPECT_TRUE(App().IsLibraryAvailable());

  // The run keeps its choice: the dialog lists the newer library, and no
  // second warning comes.
  ASSERT_TRUE(CRegistry::SetDword(RegistryRoot::Machine, CLibraryFolder::kProgramKey,
                                  CLibraryFolder::kSkipWarningValue, 0));
  WhenShown<COldPkgWarningDlg>([&](COldPkgWarningDlg* dialog) {
    ++warnings;
    dialog->reject();
  });
  WhenShown<COpenDriverDlg>([&](COpenDriverDlg* dialog) {
    EXPECT_EQ(dialog->Core().GetLibraryFolder(), newer);
    dialog->reject();
  });
  Trigger("actionFileOpenDatabase");
  EXPECT_EQ(warnings, 1);
}

}  // namespace
}  // namespace quillon::ui
