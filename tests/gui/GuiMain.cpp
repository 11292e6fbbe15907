#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The widget smoke tests need a QApplication. They run offscreen on one screen of 1280x800, the
// size the program is laid out for, with a configuration folder of their own so that remembered
// window sizes neither come from nor go to the user's.
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
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kollegstufe"));
    QApplication::setApplicationName(QStringLiteral("Kurs- und Blockbildung"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
