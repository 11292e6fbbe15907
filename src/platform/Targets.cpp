#include "platform/Targets.h"

#include "platform/Files.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace platform {

void refuseUnusualTarget(const QString& path) {
    const QFileInfo info(nativePath(path));
    if (info.exists() && !info.isFile() && !info.isDir())
        throw FileError(75, path, QStringLiteral("%1 ist keine gewöhnliche Datei.").arg(path));
}

namespace {

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kNameCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kNameCase = Qt::CaseSensitive;
#endif

// Whether name is "<file>.tmp-" and six digits, with or without "-journal": what PendingFile
// leaves of the target named file.
bool leftoverOf(const QString& file, const QString& name) {
    const QString stem = file + QStringLiteral(".tmp-");
    if (!name.startsWith(stem, kNameCase))
        return false;
    QString rest = name.mid(stem.size());
    if (rest.endsWith(QLatin1String("-journal")))
        rest.chop(8);
    return rest.size() == 6 && std::all_of(rest.cbegin(), rest.cend(), [](QChar c) {
               return c >= QLatin1Char('0') && c <= QLatin1Char('9');
           });
}

void removeLeftovers(const QString& dir, const QString& file) {
    QDir d(dir);
    // Regular files only: a FIFO or device of that name is none of ours.
    for (const QString& name :
         d.entryList({file + QStringLiteral(".tmp-*")}, QDir::Files | QDir::Hidden))
        if (leftoverOf(file, name))
            d.remove(name);
}

} // namespace

PendingFolder::PendingFolder(const QString& target) {
    const QFileInfo info(nativePath(target));
#ifdef Q_OS_WIN
    removeLeftovers(info.absolutePath(), info.fileName());
#else
    handle_ = ::open(QFile::encodeName(info.absolutePath()).constData(),
                     O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle_ < 0)
        return; // a missing folder: building the file there says it
    // Alone in the folder, or not at all: another run may be building its file there.
    if (::flock(handle_, LOCK_EX | LOCK_NB) == 0)
        removeLeftovers(info.absolutePath(), info.fileName());
    ::flock(handle_, LOCK_SH);
#endif
}

PendingFolder::~PendingFolder() {
#ifndef Q_OS_WIN
    if (handle_ >= 0)
        ::close(handle_);
#endif
}

} // namespace platform
