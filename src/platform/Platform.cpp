#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_LINUX
#include <QFile>

#include <time.h>
#include <unistd.h>
#endif

namespace platform {

bool isWindows() {
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

bool hasDriveLetter(const QString& path) {
    return path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].isLetter() &&
           path[0].unicode() < 128;
}

bool ignoresCase(const QString& path) {
    return isWindows() || hasDriveLetter(path.trimmed());
}

QString comparable(const QString& path) {
    const QString t = path.trimmed();
    return ignoresCase(t) ? t.toUpper() : t;
}

QString winePrefix() {
    const QString env = qEnvironmentVariable("WINEPREFIX");
    if (!env.isEmpty())
        return QDir::cleanPath(env);
    return QDir::homePath() + QStringLiteral("/.wine");
}

namespace {

// Follows the components below base, taking an existing entry of another letter case where the
// exact one is missing; components that do not exist yet are kept as written.
QString resolveIgnoringCase(const QString& base, const QStringList& parts) {
    QString path = base;
    bool exists = true;
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        QString next = path + QLatin1Char('/') + part;
        if (exists && !QFileInfo::exists(next)) {
            const QDir dir(path);
            const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot);
            bool found = false;
            for (const QString& e : entries)
                if (e.compare(part, Qt::CaseInsensitive) == 0) {
                    next = path + QLatin1Char('/') + e;
                    found = true;
                    break;
                }
            exists = found;
        }
        path = next;
    }
    return path;
}

} // namespace

QString nativePath(const QString& path) {
    if (isWindows())
        return path;
    if (hasDriveLetter(path)) {
        const QString drive = winePrefix() + QStringLiteral("/drive_") + path[0].toLower();
        QString rest = path.mid(2);
        rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
        QString native = resolveIgnoringCase(drive, rest.split(QLatin1Char('/')));
        if (rest.endsWith(QLatin1Char('/')))
            native += QLatin1Char('/');
        return native;
    }
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

QString programDir() {
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty())
        dir = QDir::currentPath();
    return QDir::toNativeSeparators(dir);
}

QString siblingProgram(const QString& exeName) {
    if (isWindows())
        return exeName;
    QString name = exeName;
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

double secondsSinceStart() {
#ifdef Q_OS_LINUX
    // Field 22 of /proc/self/stat, counted after the command name, which may hold blanks and
    // brackets: the start in clock ticks since boot, on the clock CLOCK_BOOTTIME reads.
    QFile f(QStringLiteral("/proc/self/stat"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    bool ok = false;
    const qulonglong ticks = fields.size() > 19 ? fields[19].toULongLong(&ok) : 0;
    const long perSecond = sysconf(_SC_CLK_TCK);
    timespec now{};
    if (!ok || perSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return 0;
    const double since = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9 -
                         static_cast<double>(ticks) / static_cast<double>(perSecond);
    return since > 0 ? since : 0;
#else
    return 0;
#endif
}

} // namespace platform
