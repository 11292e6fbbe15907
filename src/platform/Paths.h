#pragma once

#include <QString>

namespace ui {
class Host;
}

namespace platform {

struct SplitPath {
    QString dir;  // up to and including the last separator; a drive root "C:\" becomes "C:"
    QString file; // the rest
};

// Splits a full path into directory and file name. The path is trimmed in place. Both "\" and
// "/" separate; without a separator only "X:name" splits (into "X:" and "name").
SplitPath splitPath(QString& fullPath);

// ProgPfad from the program directory: a separator is appended unless it ends in one.
QString progPfadFrom(const QString& programDir);

} // namespace platform
