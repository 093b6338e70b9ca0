#pragma once
// "Confirm File Replace": an upload's target name is already taken on the
// device. Shows the device's file (size and time) and the driver that would
// replace it (size and the local file's modification time); only Yes goes on.
#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>

namespace Ui {
class CDialogConfirmFileReplace;
}

namespace quillon::ui {

class CDialogConfirmFileReplace : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kTitle = "Confirm File Replace";

  // What the question shows. A size below 0 is not known; an empty time is
  // shown as such (a driver never saved has no file time).
  struct Details {
    std::string name;
    std::int64_t deviceSize = -1;
    std::string deviceTime;
    std::int64_t localSize = -1;
    std::string localTime;
  };

  explicit CDialogConfirmFileReplace(const Details& details, QWidget* parent = nullptr);
  ~CDialogConfirmFileReplace() override;

  // Asks; true only for Yes.
  static bool Ask(QWidget* parent, const Details& details);

  // "1,234 bytes\nmodified Tuesday, December 08, 2026, 02:25:00 PM".
  static QString FileText(std::int64_t size, const std::string& time);

 private:
  std::unique_ptr<Ui::CDialogConfirmFileReplace> m_ui;
};

}  // namespace quillon::ui
