#include "platform/FileKind.h"

#include "platform/Platform.h"

#include <QFileInfo>

namespace platform {

FileKind fileKind(const QString& path) {
    const QFileInfo info(nativePath(path));
    if (info.isSymLink() || info.isShortcut() || info.isJunction())
        return FileKind::Link;
    if (!info.exists())
        return FileKind::Missing;
    if (info.isDir())
        return FileKind::Directory;
    return info.isFile() ? FileKind::Regular : FileKind::Other;
}

QString describe(FileKind kind) {
    switch (kind) {
    case FileKind::Directory:
        return QStringLiteral("ein Ordner");
    case FileKind::Link:
        return QStringLiteral("eine Verknüpfung");
    case FileKind::Missing:
        return QStringLiteral("nicht vorhanden");
    case FileKind::Regular:
        return QStringLiteral("eine Datei");
    case FileKind::Other:
        break;
    }
    return QStringLiteral("keine gewöhnliche Datei");
}

} // namespace platform
