#pragma once
// The program's file dialogs (Qt's own, not the desktop's, so a note can be
// added under the file list). Tests queue the names the next dialogs return
// (SetNextFileName; an empty name is a cancelled dialog).
#include <QString>
#include <QStringList>

class QWidget;

namespace quillon::ui {

class FileDialog {
 public:
  struct Options {
    QString caption;
    QString folder;     // the folder the dialog starts in
    QString fileName;   // the name proposed (save) or selected (open)
    QString filter;     // Qt filter text: "Velmor IR Drivers (*.vir);;All Files (*)"
    QString note;       // a line shown under the file list; empty: none
    QString defaultSuffix;
  };

  // One existing file, or empty when cancelled.
  static QString GetOpenFileName(QWidget* parent, const Options& options);
  // Existing files, or none when cancelled.
  static QStringList GetOpenFileNames(QWidget* parent, const Options& options);
  // A file to write (the dialog asks before replacing), or empty.
  static QString GetSaveFileName(QWidget* parent, const Options& options);

  // --- Test seams ------------------------------------------------------
  static void SetNextFileName(const QString& name);
  static void SetNextFileNames(const QStringList& names);
  // The options of the last dialog asked for (shown or answered).
  static const Options& LastOptions();
  // The filter the user had chosen when the last dialog closed (empty for a
  // queued answer).
  static QString SelectedFilter();
};

}  // namespace quillon::ui
