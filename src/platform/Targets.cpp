#include "platform/Targets.h"

#include "platform/Files.h"
#include "platform/Platform.h"

#include <QFileInfo>

namespace platform {

void refuseUnusualTarget(const QString& path) {
    const QFileInfo info(nativePath(path));
    if (info.exists() && !info.isFile() && !info.isDir())
        throw FileError(75, path, QStringLiteral("%1 ist keine gewöhnliche Datei.").arg(path));
}

} // namespace platform
