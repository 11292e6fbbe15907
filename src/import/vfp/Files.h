#pragma once

#include <QByteArray>
#include <QString>

namespace vfp {

// The file or folder called `name` in folder `dir`, its letter case ignored: the administration
// program comes from Windows, where "KOLLEG.DBF" and "kolleg.dbf" are the same file. An exact match
// wins; returns an empty string when there is none.
QString findIgnoringCase(const QString& dir, const QString& name);

// The whole file; throws Error when it is missing or cannot be read.
QByteArray readWholeFile(const QString& path);

} // namespace vfp
