#include "ui/FileDialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <deque>

namespace quillon::ui {
namespace {

std::deque<QStringList>& Queue() {
  static std::deque<QStringList> queue;
  return queue;
}

FileDialog::Options& Last() {
  static FileDialog::Options last;
  return last;
}

QString& LastFilter() {
  static QString filter;
  return filter;
}

QStringList Run(QWidget* parent, const FileDialog::Options& options, QFileDialog::FileMode mode,
                QFileDialog::AcceptMode accept) {
  Last() = options;
  LastFilter().clear();
  if (!Queue().empty()) {
    QStringList names = Queue().front();
    Queue().pop_front();
    names.removeAll(QString());
    return names;
  }
  QFileDialog dialog(parent, options.caption, options.folder, options.filter);
  dialog.setObjectName(QStringLiteral("fileDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setFileMode(mode);
  dialog.setAcceptMode(accept);
  if (!options.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(options.defaultSuffix);
  if (!options.fileName.isEmpty()) dialog.selectFile(options.fileName);
  if (!options.note.isEmpty()) {
    // Qt's own dialog lays itself out in a grid; the note goes under it,
    // across every column.
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
      auto* note = new QLabel(options.note, &dialog);
      note->setObjectName(QStringLiteral("fileDialogNote"));
      note->setWordWrap(true);
      grid->addWidget(note, grid->rowCount(), 0, 1, grid->columnCount());
    }
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  LastFilter() = dialog.selectedNameFilter();
  return dialog.selectedFiles();
}

}  // namespace

QString FileDialog::GetOpenFileName(QWidget* parent, const Options& options) {
  const QStringList names = Run(parent, options, QFileDialog::ExistingFile, QFileDialog::AcceptOpen);
  return names.isEmpty() ? QString() : names.front();
}

QStringList FileDialog::GetOpenFileNames(QWidget* parent, const Options& options) {
  return Run(parent, options, QFileDialog::ExistingFiles, QFileDialog::AcceptOpen);
}

QString FileDialog::GetSaveFileName(QWidget* parent, const Options& options) {
  const QStringList names = Run(parent, options, QFileDialog::AnyFile, QFileDialog::AcceptSave);
  return names.isEmpty() ? QString() : names.front();
}

void FileDialog::SetNextFileName(const QString& name) { Queue().push_back(QStringList{name}); }
void FileDialog::SetNextFileNames(const QStringList& names) { Queue().push_back(names); }
const FileDialog::Options& FileDialog::LastOptions() { return Last(); }
QString FileDialog::SelectedFilter() { return LastFilter(); }

}  // namespace quillon::ui
