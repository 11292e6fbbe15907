#include "import/vfp/Files.h"

#include "import/vfp/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vfp {

QString findIgnoringCase(const QString& dir, const QString& name) {
    const QDir folder(dir);
    if (QFileInfo::exists(folder.filePath(name)))
        return folder.filePath(name);
    const QStringList entries = folder.entryList(
        QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder.filePath(entry);
    return {};
}

QByteArray readWholeFile(const QString& path) {
    QFile file(path);
    if (!file.exists())
        throw Error::missing(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2.")
                        .arg(displayPath(path), file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2.")
                        .arg(displayPath(path), file.errorString()));
    return bytes;
}

} // namespace vfp
