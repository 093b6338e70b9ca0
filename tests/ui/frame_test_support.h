#pragma once
// Shared pieces of the driver-window tests: the reference lists loaded, the
// registry and profile kept in a temporary folder, sample drivers written
// through the real document, and helpers that find widgets by name and
// answer a modal dialog the moment it opens.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QTableView>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CReferenceLists.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIr.h"
#include "ui/DriverDocument.h"
#include "ui/QtPrompt.h"

namespace quillon::ui::frametest {

inline std::unique_ptr<TQVXIrSubFunction> MakeSub(std::uint16_t divider, int repeat = 3, bool modulated = true) {
  auto sub = std::make_unique<TQVXIrSubFunction>();
  sub->SetFlags(modulated ? TQVXIrSubFunction::kModulated : 0);
  sub->SetDivider(divider);
  sub->SetTimes(std::vector<std::uint16_t>{0x20, 0x40, 0x1A0});
  const std::uint8_t header[1] = {0x02};
  const std::uint8_t body[2] = {0x01, 0x10};
  sub->SetHeaderAndBody(header, 1, body, 2);
  sub->SetCounts(static_cast<std::uint8_t>(repeat * 16 + 3));
  return sub;
}

inline std::unique_ptr<TQVXIrFunction> MakeFunction(const std::string& name, int subs = 1) {
  auto function = std::make_unique<TQVXIrFunction>();
  function->SetName(name);
  for (int i = 0; i < subs; ++i) function->AddSubFunction(MakeSub(static_cast<std::uint16_t>(1736 + i)));
  return function;
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() /
            ("quillon-ui-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
    qputenv("QUILLON_USER_REGISTRY", QByteArray::fromStdString((m_dir / "user.ini").string()));
    qputenv("QUILLON_MACHINE_REGISTRY", QByteArray::fromStdString((m_dir / "machine.ini").string()));
    if (CReferenceLists::Library().GetCount() == 0)
      CReferenceLists::LoadEmbedded(CReferenceLists::Library(), CReferenceLists::Manufacturers());
    QtPrompt::ClearShown();
  }
  void TearDown() override {
    EXPECT_EQ(QtPrompt::PendingAnswers(), 0u) << "an expected message box or choice never came";
    std::filesystem::remove_all(m_dir);
  }

  std::string Path(const std::string& name) const { return (m_dir / name).string(); }

  // Writes a driver of device type TYPE holding FUNCTIONS (named, with IR
  // data) through the real document, and returns its path.
  std::string WriteDriver(const std::string& name, const std::string& type,
                          const std::vector<std::string>& functions) {
    QtPrompt prompt;
    CDriverDoc doc(prompt, &CReferenceLists::Library());
    doc.OnNewDocument();
    CDriverDoc::HeaderFields fields;
    fields.deviceType = type;
    fields.manufacturer = "Sony";
    fields.model = "RDR-" + name;
    fields.comments = "Living room";
    fields.version = "3";
    doc.ApplyHeaderEdits(fields);
    for (const std::string& function : functions) {
      if (TQVXIrFunction* existing = doc.GetDriver().FindFunction(function)) *existing = *MakeFunction(function);
      else doc.GetDriver().Append(MakeFunction(function));
    }
    const std::string path = Path(name);
    EXPECT_TRUE(doc.OnSaveDocument(path));
    return path;
  }

  // A document opened from PATH (owned by the fixture).
  DriverDocument& Open(const std::string& path) {
    m_documents.push_back(std::make_unique<DriverDocument>(m_prompt));
    DriverDocument& document = *m_documents.back();
    EXPECT_TRUE(document.Doc().OnOpenDocument(path));
    document.NotifyChanged();
    return document;
  }

  QtPrompt m_prompt;
  std::filesystem::path m_dir;
  std::vector<std::unique_ptr<DriverDocument>> m_documents;
};

// The child of PARENT named NAME, of type T (fails the test when absent).
template <typename T>
T* Find(QWidget* parent, const char* name) {
  T* child = parent->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << "no " << name;
  return child;
}

// The texts of COLUMN of a list, in the order shown.
inline std::vector<std::string> Column(const QAbstractItemView* view, int column) {
  std::vector<std::string> texts;
  const QAbstractItemModel* model = view->model();
  for (int row = 0; row < model->rowCount(); ++row)
    texts.push_back(model->index(row, column).data().toString().toStdString());
  return texts;
}

// Runs ANSWER on the first top-level widget of type T once it is shown
// (polling, so it works for dialogs opened in a nested event loop).
template <typename T>
void WhenShown(std::function<void(T*)> answer, int attempts = 200) {
  QTimer::singleShot(10, [answer, attempts] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* found = qobject_cast<T*>(widget); found != nullptr && found->isVisible()) {
        answer(found);
        return;
      }
    }
    if (attempts > 0) WhenShown<T>(answer, attempts - 1);
    else ADD_FAILURE() << "the expected dialog never opened";
  });
}

}  // namespace quillon::ui::frametest
