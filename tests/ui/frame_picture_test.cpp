// Pictures of every tab of a driver window, taken offscreen: each tab must
// draw something, and with QUILLON_UI_GRAB_DIR set the pictures are kept
// there as PNG files for a person to look at.
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QAbstractButton>
#include <QTabWidget>

#include "app/CAccessCodes.h"
#include "tests/ui/frame_test_support.h"
#include "ui/DetailView.h"
#include "ui/DriverFrame.h"
#include "ui/FunctionView.h"
#include "ui/CopyConflictDlg.h"
#include "ui/ImportErrorDlg.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrIni.h"

namespace quillon::ui {
namespace {

using namespace frametest;

// How many distinct colours a picture holds (an empty pane has one or two).
int Colours(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  }
  return colours.size();
}

TEST_F(FrameTest, EveryTabDrawsItsContent) {
  CAccessCodes::SetAdvancedMode();
  for (char c : std::string("velmorseal")) CAccessCodes::Keystrokes().Add(c);
  DriverDocument& document = Open(WriteDriver("dvd.vir", "DVD", {"POWER", "PLAY", "MY_FAVOURITE"}));
  CDriverFrame frame(document);
  frame.resize(760, 420);
  frame.show();
  frame.FunctionView()->SelectPositions({0});
  const QString keep = qEnvironmentVariable("QUILLON_UI_GRAB_DIR");
  QTabWidget* tabs = frame.DetailView()->Tabs();
  ASSERT_EQ(tabs->count(), 5);
  for (int i = 0; i < tabs->count(); ++i) {
    tabs->setCurrentIndex(i);
    QApplication::processEvents();
    const QImage picture = frame.grab().toImage();
    EXPECT_GT(Colours(tabs->currentWidget()->grab().toImage()), 8) << tabs->tabText(i).toStdString();
    if (!keep.isEmpty()) {
      QDir().mkpath(keep);
      picture.save(keep + QStringLiteral("/frame-%1.png").arg(tabs->tabText(i)));
    }
  }
}

TEST_F(FrameTest, TheConflictAndImportErrorDialogsDrawTheirTexts) {
  const QString keep = qEnvironmentVariable("QUILLON_UI_GRAB_DIR");
  CCopyConflictDlg conflict(QStringLiteral("A function named \"POWER\" already exists in this driver."),
                            CDriverDoc::ConflictOptions());
  conflict.show();
  QApplication::processEvents();
  // Every choice is readable in full.
  for (QWidget* choice : conflict.findChildren<QAbstractButton*>())
    EXPECT_GE(choice->width(), choice->sizeHint().width()) << choice->objectName().toStdString();
  const QImage conflictPicture = conflict.grab().toImage();
  EXPECT_GT(Colours(conflictPicture), 8);

  CDlgImportError errors(QString::fromStdString(TQVXIrIni::ErrorHeading()),
                         {QStringLiteral("sub of fcn 0: Invalid timebase"), QStringLiteral("fcn 1: Bad/Duplicate name")});
  errors.show();
  QApplication::processEvents();
  const QImage errorPicture = errors.grab().toImage();
  EXPECT_GT(Colours(errorPicture), 8);
  if (!keep.isEmpty()) {
    QDir().mkpath(keep);
    conflictPicture.save(keep + QStringLiteral("/conflict-dialog.png"));
    errorPicture.save(keep + QStringLiteral("/import-errors-dialog.png"));
  }
}

}  // namespace
}  // namespace quillon::ui
