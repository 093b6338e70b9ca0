// The GUI test program: one QApplication on the offscreen platform for every
// test, so the real windows run without a display.
#include <gtest/gtest.h>

#include <QApplication>

// Under the leak checker: the session bus library of the X platform keeps one
// buffer for the life of the process; that is the system's, not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
