#pragma once
// The learn dialog for the screenshots: learning the first functions of a
// new DVD driver from the emulated learner, drawn while it captures the
// second function with the picture of the first capture beside it.
#include <QDir>

namespace quillon::ui {
class CMainFrame;
}

// PORT is the emulated learner's TCP port on 127.0.0.1. Writes
// learn-dialog.png into OUT; false (with a message) when it could not.
bool ShotLearnDialog(quillon::ui::CMainFrame& frame, const QDir& out, int port);
