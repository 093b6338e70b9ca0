#pragma once
// File filters written in the pipe-separated form ("BIN Files (*.bin)|*.bin|
// All Files (*.*)|*.*||": descriptions and their patterns in pairs) as Qt's
// file dialogs take them ("BIN Files (*.bin);;All Files (*)").
#include <QString>

namespace quillon::ui {

// Each description with the patterns of its pair in parentheses, replacing
// any pattern list the description already shows; a pair without patterns
// matches every file. "*.*" matches every file where the form comes from,
// so it becomes "*" (which also matches names without a dot).
QString QtFileFilter(const QString& pairs);

}  // namespace quillon::ui
