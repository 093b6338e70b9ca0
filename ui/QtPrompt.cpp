#include "ui/QtPrompt.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QVBoxLayout>
#include <map>

namespace quillon::ui {
namespace {

std::deque<PromptAnswer>& AnswerQueue() {
  static std::deque<PromptAnswer> queue;
  return queue;
}

std::deque<int>& ChoiceQueue() {
  static std::deque<int> queue;
  return queue;
}

std::map<std::string, QtPrompt::MessageDialog>& MessageDialogs() {
  static std::map<std::string, QtPrompt::MessageDialog> dialogs;
  return dialogs;
}

std::map<std::string, QtPrompt::ChoiceDialog>& ChoiceDialogs() {
  static std::map<std::string, QtPrompt::ChoiceDialog> dialogs;
  return dialogs;
}

std::vector<QtPrompt::Shown>& ShownList() {
  static std::vector<QtPrompt::Shown> shown;
  return shown;
}

QMessageBox::StandardButtons ButtonsOf(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::Ok: return QMessageBox::Ok;
    case PromptButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case PromptButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case PromptButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::Error: return QMessageBox::Critical;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

PromptAnswer AnswerOf(int button, PromptButtons buttons) {
  switch (button) {
    case QMessageBox::Ok: return PromptAnswer::Ok;
    case QMessageBox::Cancel: return PromptAnswer::Cancel;
    case QMessageBox::Abort: return PromptAnswer::Abort;
    case QMessageBox::Retry: return PromptAnswer::Retry;
    case QMessageBox::Ignore: return PromptAnswer::Ignore;
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    default: break;
  }
  // Closed with the window's close button: the box's escape answer.
  switch (buttons) {
    case PromptButtons::Ok: return PromptAnswer::Ok;
    case PromptButtons::YesNo: return PromptAnswer::No;
    case PromptButtons::AbortRetryIgnore: return PromptAnswer::Abort;
    default: return PromptAnswer::Cancel;
  }
}

}  // namespace

QString QtPrompt::DefaultCaption() { return QStringLiteral("Quillon"); }

PromptAnswer QtPrompt::MessageBox(const std::string& text, const std::string& caption, PromptButtons buttons,
                                  PromptIcon icon) {
  ShownList().push_back({text, caption, buttons, icon});
  if (!AnswerQueue().empty()) {
    const PromptAnswer answer = AnswerQueue().front();
    AnswerQueue().pop_front();
    return answer;
  }
  if (const auto found = MessageDialogs().find(caption); found != MessageDialogs().end())
    return found->second(m_parent, text, buttons, icon);
  QMessageBox box(IconOf(icon), caption.empty() ? DefaultCaption() : QString::fromStdString(caption),
                  QString::fromStdString(text), ButtonsOf(buttons), m_parent);
  box.setObjectName(QStringLiteral("promptBox"));
  return AnswerOf(box.exec(), buttons);
}

int QtPrompt::Choose(const std::string& title, const std::string& text, const std::vector<std::string>& options) {
  ShownList().push_back({text, title, PromptButtons::OkCancel, PromptIcon::Question});
  if (!ChoiceQueue().empty()) {
    const int index = ChoiceQueue().front();
    ChoiceQueue().pop_front();
    return index;
  }
  if (const auto found = ChoiceDialogs().find(title); found != ChoiceDialogs().end())
    return found->second(m_parent, text, options);
  QDialog dialog(m_parent);
  dialog.setObjectName(QStringLiteral("chooseDialog"));
  dialog.setWindowTitle(title.empty() ? DefaultCaption() : QString::fromStdString(title));
  auto* layout = new QVBoxLayout(&dialog);
  auto* label = new QLabel(QString::fromStdString(text), &dialog);
  label->setWordWrap(true);
  layout->addWidget(label);
  auto* list = new QListWidget(&dialog);
  list->setObjectName(QStringLiteral("choiceList"));
  for (const std::string& option : options) list->addItem(QString::fromStdString(option));
  if (!options.empty()) list->setCurrentRow(0);
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
  if (dialog.exec() != QDialog::Accepted) return -1;
  return list->currentRow();
}

void QtPrompt::RegisterMessageDialog(const std::string& caption, MessageDialog dialog) {
  MessageDialogs()[caption] = std::move(dialog);
}

void QtPrompt::RegisterChoiceDialog(const std::string& title, ChoiceDialog dialog) {
  ChoiceDialogs()[title] = std::move(dialog);
}

void QtPrompt::SetNextAnswer(PromptAnswer answer) { AnswerQueue().push_back(answer); }
void QtPrompt::SetNextChoice(int index) { ChoiceQueue().push_back(index); }
const std::vector<QtPrompt::Shown>& QtPrompt::ShownBoxes() { return ShownList(); }
void QtPrompt::ClearShown() { ShownList().clear(); }
std::size_t QtPrompt::PendingAnswers() { return AnswerQueue().size() + ChoiceQueue().size(); }

}  // namespace quillon::ui
