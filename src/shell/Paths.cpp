#include "shell/Paths.h"

#include "shell/Files.h"
#include "shell/Platform.h"

#include <QDir>

namespace shell {

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

QString readAdministrationIni(ui::Host& host) {
    if (!fileExists(platform::kIniPath))
        return {};
    OpenFile f = openFile(host, platform::kIniPath, FileMode::Input);
    if (f.number < 1 || !f.file)
        return {};
    bool inSection = false;
    QString found;
    bool done = false;
    for (const QString& line : readLines(*f.file)) {
        for (const QString& item : splitItems(line)) {
            const QString t = item.trimmed();
            if (t == QLatin1String("[Pfad]"))
                inSection = true;
            if (inSection && t.left(7) == QLatin1String("Daten =")) {
                found = t;
                done = true;
                break;
            }
        }
        if (done)
            break;
    }
    return found.isEmpty() ? QString() : found.mid(7).trimmed();
}

QString progPfadFrom(const QString& programDir) {
    if (programDir.endsWith(QLatin1Char('\\')) || programDir.endsWith(QLatin1Char('/')))
        return programDir;
    return programDir + QDir::separator();
}

} // namespace shell
