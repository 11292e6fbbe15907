#pragma once

#include "support/TestDb.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace test {

// A Wine prefix of its own for the test's lifetime, so that no MERIX.INI or drive of the machine
// is found unless the test makes it.
class WinePrefix {
public:
    WinePrefix() { qputenv("WINEPREFIX", tmp_.dir().toUtf8()); }
    ~WinePrefix() { qunsetenv("WINEPREFIX"); }
    // The native folder of drive letter's root, created, with a trailing separator.
    QString drive(char letter) const {
        const QString d = tmp_.path(QStringLiteral("drive_") + QChar::fromLatin1(letter));
        QDir().mkpath(d);
        return d + QLatin1Char('/');
    }
    // Writes C:\PALEX\XR\MERIX.INI naming the container path as the administration program does.
    void writeIni(const QString& containerPath) const {
        QDir().mkpath(drive('c') + QStringLiteral("PALEX/XR"));
        QFile f(drive('c') + QStringLiteral("PALEX/XR/MERIX.INI"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Allgemein]\r\nVersion = 3\r\n[Pfad]\r\nDaten = " + containerPath.toLatin1() +
                "\r\n");
    }
    // Copies a container's folder into C:\PALEX\DATEN\ and returns its Windows path.
    QString installContainer(const QString& folder) const {
        const QString target = drive('c') + QStringLiteral("PALEX/DATEN/");
        QDir().mkpath(target);
        for (const QString& name : QDir(folder).entryList(QDir::Files)) {
            QFile::remove(target + name); // installed before
            EXPECT_TRUE(QFile::copy(folder + QLatin1Char('/') + name, target + name));
        }
        return QStringLiteral("C:\\PALEX\\DATEN\\QZ.DBC");
    }

private:
    TempDir tmp_;
};

} // namespace test
