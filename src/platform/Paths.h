#pragma once

#include <QString>

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

// The pointer file's folder when no command line names one: the program's own folder (ProgPfad)
// where a file can be written there; otherwise, as for an installed program, the user's
// configuration folder, made when missing, ending with a separator.
QString defaultPointerDir(const QString& progPfad);

} // namespace platform
