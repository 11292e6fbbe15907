#include "platform/Paths.h"
#include "common/FileOpen.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <tuple>

using namespace platform;
using namespace common;

namespace {

std::pair<QString, QString> split(QString p) {
    const SplitPath s = splitPath(p);
    return {s.dir, s.file};
}

// Points the Wine prefix at a temporary folder for one test.
struct WinePrefix {
    test::TempDir tmp;
    WinePrefix() { qputenv("WINEPREFIX", tmp.dir().toUtf8()); }
    ~WinePrefix() { qunsetenv("WINEPREFIX"); }
    QString drive(char letter) const {
        const QString d = tmp.path(QStringLiteral("drive_") + QChar(letter));
        QDir().mkpath(d);
        return d + QLatin1Char('/');
    }
};

} // namespace

TEST(PathSplit, DirectoryKeepsItsSeparatorAndADriveRootLosesIt) {
    const std::tuple<QString, QString, QString> rows[] = {
        {"D:\\bb\\BB.MDB", "D:\\bb\\", "BB.MDB"},
        {"C:\\BB.MDB", "C:", "BB.MDB"},
        {"  /home/anna/bb.mdb  ", "/home/anna/", "bb.mdb"},
        {"/x", "/", "x"},
        {"C:BB.MDB", "C:", "BB.MDB"},
        {"BB.MDB", "", ""},
        {"   ", "", ""},
        {"D:\\bb\\", "D:\\bb\\", ""}};
    for (const auto& [path, dir, file] : rows)
        EXPECT_EQ(split(path), std::make_pair(dir, file)) << path.toStdString();
    QString p = "  E:\\a.mdb ";
    splitPath(p);
    EXPECT_EQ(p, "E:\\a.mdb") << "the caller's path comes back trimmed";
}

TEST(PathSplit, ItemsEndAtCommasSkipLeadingBlanksAndLoseTheirQuotes) {
    EXPECT_EQ(splitItems("D:\\bb\\BB.MDB,rest"), (QStringList{"D:\\bb\\BB.MDB", "rest"}));
    EXPECT_EQ(splitItems("   \"C:\\a, b\\BB.MDB\"  ,x"), (QStringList{"C:\\a, b\\BB.MDB", "x"}));
    EXPECT_EQ(splitItems("Daten = C:\\X"), (QStringList{"Daten = C:\\X"}));
    EXPECT_EQ(splitItems(""), QStringList{QString()});
}

TEST(Platform, DrivePathsMapTheWineWayAndAreFoundIgnoringCase) {
    WinePrefix wine;
    const QString c = wine.drive('c');
    QDir().mkpath(c + "Palex/xr");
    QFile f(c + "Palex/xr/merix.ini");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(platform::nativePath("C:\\PALEX\\XR\\MERIX.INI"), c + "Palex/xr/merix.ini");
    EXPECT_EQ(platform::nativePath("c:\\palex\\new.txt"), c + "Palex/new.txt");
    EXPECT_EQ(platform::nativePath("D:\\bb\\"), wine.tmp.path("drive_d/bb/"));
    EXPECT_EQ(platform::nativePath("/home/Anna/BB.MDB"), "/home/Anna/BB.MDB");
    EXPECT_EQ(platform::comparable(" c:\\bb.mdb "), "C:\\BB.MDB");
    EXPECT_EQ(platform::comparable("/home/Anna/bb.mdb"), "/home/Anna/bb.mdb");
}

TEST(IniReader, FindsDatenOnlyInPfadWithTheBlankBeforeTheEqualsSign) {
    WinePrefix wine;
    const QString dir = wine.drive('c') + "PALEX/XR/";
    QDir().mkpath(dir);
    const auto ini = [&](const QByteArray& text) {
        QFile f(dir + "MERIX.INI");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    test::ScriptedHost host;
    EXPECT_EQ(readAdministrationIni(host), "") << "no INI file";
    ini("[Allgemein]\r\nDaten = C:\\falsch\\QZ.DBC\r\n[Pfad]\r\nDaten = C:\\PALEX\\DATEN\\QZ.DBC  "
        "\r\n");
    EXPECT_EQ(readAdministrationIni(host), "C:\\PALEX\\DATEN\\QZ.DBC");
    ini("[Pfad]\r\nDaten=C:\\X\\QZ.DBC\r\n");
    EXPECT_EQ(readAdministrationIni(host), "") << "no blank before '='";
    ini("[Pfad]\r\n[Andere]\r\n   Daten =D:\\\xDC\\QZ.DBC,zweites\r\n");
    EXPECT_EQ(readAdministrationIni(host), QString::fromUtf8("D:\\\xC3\x9C\\QZ.DBC"))
        << "a later section does not stop the search; the item ends at the comma; Windows-1252";
    ini("Daten = C:\\vorher.dbc\r\n[Pfad]\r\n");
    EXPECT_EQ(readAdministrationIni(host), "") << "a line before [Pfad] does not count";
}

TEST(FileHelper, ErrorsAskThroughTheDiskErrorBoxAndMapToResults) {
    test::TempDir tmp;
    test::ScriptedHost host;
    QDir().mkpath(tmp.path("ordner")); // a folder in the way
    const std::tuple<QString, FileMode, QString> failing[] = {
        {"fehlt.txt", FileMode::Input, ": Datei nicht gefunden!"},
        {"ordner", FileMode::Input, ": Pfad/Datei-Zugriffsfehler!\r\nNur zum Lesen gesetzt!"},
        {"nix/x.txt", FileMode::Output, ": Pfad nicht gefunden!"}};
    for (const auto& [name, mode, text] : failing) {
        host.onMessage(tmp.path(name) + text, ui::Answer::Cancel);
        EXPECT_EQ(openFile(host, tmp.path(name), mode).opened, Opened::GaveUp);
        EXPECT_EQ(host.messages.back().title, "Disk Error");
        EXPECT_EQ(host.messages.back().icon, ui::Icon::None);
        EXPECT_EQ(host.messages.back().buttons, ui::Buttons::RetryCancel);
        EXPECT_EQ(host.messages.back().defaultButton, 1) << "Cancel is the default";
    }
    host.onMessage("Laufwerk ist nicht bereit!", ui::Answer::Retry);
    EXPECT_EQ(fileErrorDialog(host, 71, "A:\\x"), FileErrorChoice::Retry);
    EXPECT_EQ(host.messages.back().defaultButton, 0)
        << "Retry is the default for a drive not ready";
    EXPECT_EQ(fileErrorDialog(host, 999, "x"), FileErrorChoice::Unknown)
        << "unknown codes show nothing";

    test::TempDir ok;
    ok.write("da.txt", "x");
    const OpenFile f = openFile(host, ok.path("da.txt"), FileMode::Input);
    EXPECT_TRUE(f.hasNumber());
    ASSERT_TRUE(f.file);
    EXPECT_EQ(f.file->readAll(), QByteArray("x"));
}

TEST(FileHelper, PointerFileIsOneWindows1252LineWithCrLfOrUtf8WithItsMark) {
    test::TempDir tmp;
    const auto readBack = [&] {
        auto f = openRaw(tmp.path("TCLASSK"), FileMode::Input);
        return readFirstItem(*f);
    };
    const QString windows = QString::fromUtf8("D:\\Schüler\\BB.MDB");
    writePointerFile(tmp.dir(), windows);
    EXPECT_EQ(tmp.read("TCLASSK"), QByteArray("D:\\Sch\xFCler\\BB.MDB\r\n"));
    EXPECT_EQ(readBack(), windows);
    // A path Windows-1252 cannot hold would come back as "?": UTF-8 with the byte-order mark.
    const QString greek = QString::fromUtf8("/home/Λάμπρος/BB.MDB");
    writePointerFile(tmp.dir(), greek);
    EXPECT_EQ(tmp.read("TCLASSK"), "\xEF\xBB\xBF" + greek.toUtf8() + "\r\n");
    EXPECT_EQ(readBack(), greek);
    // Only the first item of the first line names the database.
    tmp.write("TCLASSK", "D:\\a\\BB.MDB,x\r\nE:\\b\\BB.MDB\r\n");
    EXPECT_EQ(readBack(), "D:\\a\\BB.MDB");
    EXPECT_EQ(QDir(tmp.dir()).entryList(QDir::Files), QStringList{"TCLASSK"})
        << "no temporary file is left";
    QDir().mkpath(tmp.path("schreibschutz/TCLASSK"));
    try {
        writePointerFile(tmp.path("schreibschutz/"), "x");
        ADD_FAILURE() << "written into a directory";
    } catch (const FileError& e) {
        EXPECT_EQ(e.code(), 75);
    }
}

TEST(Paths, ThePointerFileLivesInTheProgramFolderOrElseInTheUsersConfiguration) {
    test::TempDir tmp;
    EXPECT_EQ(defaultPointerDir(tmp.dir()), tmp.dir());
    EXPECT_TRUE(QDir(tmp.dir()).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << "the probe leaves nothing behind";

    QStandardPaths::setTestModeEnabled(true);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    // /proc takes no new file, not even from root.
    const QString dir = defaultPointerDir(QStringLiteral("/proc/"));
    QStandardPaths::setTestModeEnabled(false);
    EXPECT_EQ(dir, config + "/");
    EXPECT_TRUE(QFileInfo(dir).isDir()) << "made when missing";
}
