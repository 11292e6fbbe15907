#include <QCoreApplication>
#include <QLocale>
#include <gtest/gtest.h>

// Pins the environment of every test program: no desktop, a fixed locale, no Wine prefix of the
// machine's user (tests that need one set their own).
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("WINEPREFIX");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
