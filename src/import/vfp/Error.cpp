#include "import/vfp/Error.h"

#include <QDir>

namespace vfp {

Error::Error(const QString& message) : std::runtime_error(message.toUtf8().toStdString()) {}

Error Error::damaged(const QString& path, const QString& problem) {
    return Error(
        QStringLiteral("Die Datei %1 ist beschädigt: %2.").arg(displayPath(path), problem));
}

Error Error::missing(const QString& path) {
    return Error(QStringLiteral("Die Datei %1 fehlt.").arg(displayPath(path)));
}

QString displayPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace vfp
