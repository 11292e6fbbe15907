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

// Pins the environment of every test program: no desktop but one offscreen screen of 1280x800,
// the size the program is laid out for; a configuration folder of its own, so that remembered
// window sizes and the pointer file neither come from nor go to the user's; a fixed locale; no
// Wine prefix of the machine's user (tests that need one set their own).
int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString screens = dir.filePath(QStringLiteral("screens.json"));
    QFile f(screens);
    if (f.open(QIODevice::WriteOnly))
        f.write(R"({"screens": [{"name": "1280x800", "x": 0, "y": 0, "width": 1280,
                    "height": 800, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
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
