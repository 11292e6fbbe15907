#include "platform/Paths.h"

#include "platform/Files.h"
#include "platform/Platform.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace platform {

SplitPath splitPath(QString& fullPath) {
    fullPath = fullPath.trimmed();
    SplitPath out;
    if (fullPath.isEmpty())
        return out;
    const qsizetype sep =
        std::max(fullPath.lastIndexOf(QLatin1Char('\\')), fullPath.lastIndexOf(QLatin1Char('/')));
    if (sep >= 0) {
        out.dir = fullPath.left(sep + 1);
        out.file = fullPath.mid(sep + 1);
        if (out.dir.size() == 3 && platform::hasDriveLetter(out.dir))
            out.dir.truncate(2);
    } else if (fullPath.size() >= 2 && fullPath[1] == QLatin1Char(':')) {
        out.dir = fullPath.left(2);
        out.file = fullPath.mid(2);
    }
    return out;
}

QString progPfadFrom(const QString& programDir) {
    if (programDir.endsWith(QLatin1Char('\\')) || programDir.endsWith(QLatin1Char('/')))
        return programDir;
    return programDir + QDir::separator();
}

QString defaultPointerDir(const QString& progPfad) {
    // The pointer file is written under a temporary name and renamed: the folder must take a new
    // file, whatever a TCLASSK already there allows.
    QTemporaryFile probe(nativePath(progPfad) + QStringLiteral("/TCLASSK.XXXXXX"));
    if (probe.open())
        return progPfad;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(config);
    return QDir::toNativeSeparators(config) + QDir::separator();
}

} // namespace platform
