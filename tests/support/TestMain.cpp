#include "ui/Host.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#ifdef KUBB_TEST_WIDGETS
#include <QApplication>
using Application = QApplication; // the widget smoke tests
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

#ifndef KUBB_TEST_SCREEN
#define KUBB_TEST_SCREEN "1280x800"
#endif

// Pins the environment of every test program: no desktop but one offscreen screen of 1280x800,
// the size the program is laid out for (a program may ask for another, KUBB_TEST_SCREEN); a
// configuration folder of its own, so that remembered window sizes and the pointer file neither
// come from nor go to the user's; a fixed locale; no Wine prefix of the machine's user (tests that
// need one set their own).
int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString screens = dir.filePath(QStringLiteral("screens.json"));
    QFile f(screens);
    const QStringList size = QStringLiteral(KUBB_TEST_SCREEN).split(QLatin1Char('x'));
    if (f.open(QIODevice::WriteOnly))
        f.write(QStringLiteral(R"({"screens": [{"name": "%1x%2", "x": 0, "y": 0, "width": %1,
                    "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                    .arg(size.value(0), size.value(1))
                    .toUtf8());
    f.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    qunsetenv("WINEPREFIX");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Application app(argc, argv);
    Application::setOrganizationName(QStringLiteral("Kollegstufe"));
    Application::setApplicationName(ui::kTitle);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
