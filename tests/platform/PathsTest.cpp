#include "platform/Paths.h"
#include "common/FileOpen.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "support/ScriptedHost.h"
#include "support/WinePrefix.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace platform;
using namespace common;

TEST(PathSplit, DirectoryKeepsItsSeparatorADriveRootLosesItItemsEndAtCommas) {
    const std::tuple<QString, QString, QString> rows[] = {
        {"D:\\bb\\BB.MDB", "D:\\bb\\", "BB.MDB"},
        {"C:\\BB.MDB", "C:", "BB.MDB"},
        {"  /home/anna/bb.mdb  ", "/home/anna/", "bb.mdb"},
        {"/x", "/", "x"},
        {"C:BB.MDB", "C:", "BB.MDB"},
        {"BB.MDB", "", ""},
        {"   ", "", ""},
        {"D:\\bb\\", "D:\\bb\\", ""}};
    for (auto [path, dir, file] : rows) {
        const SplitPath s = splitPath(path);
        EXPECT_EQ(QStringList({s.dir, s.file, path}), QStringList({dir, file, path.trimmed()}))
            << "the caller's path comes back trimmed";
    }
    // Items end at commas, skip leading blanks and lose their quotes.
    EXPECT_EQ(splitItems("D:\\bb\\BB.MDB,rest"), (QStringList{"D:\\bb\\BB.MDB", "rest"}));
    EXPECT_EQ(splitItems("   \"C:\\a, b\\BB.MDB\"  ,x"), (QStringList{"C:\\a, b\\BB.MDB", "x"}));
    EXPECT_EQ(splitItems("Daten = C:\\X"), (QStringList{"Daten = C:\\X"}));
    EXPECT_EQ(splitItems(""), QStringList{QString()});
}

// Drive letters map the Wine way, finding names in any letter case; the administration's INI
// file names its container in [Pfad] only, with a blank before "=".
TEST(Platform, DrivePathsMapTheWineWayAndTheIniFileNamesTheAdministrationsData) {
    test::WinePrefix wine;
    const QString c = wine.drive('c');
    QDir().mkpath(c + "Palex/xr");
    EXPECT_EQ(comparable(" c:\\bb.mdb "), "C:\\BB.MDB");
    EXPECT_EQ(comparable("/home/Anna/bb.mdb"), "/home/Anna/bb.mdb");
    test::ScriptedHost host;
    const std::pair<QByteArray, QString> inis[] = {
        {{}, ""},
        {"[Allgemein]\r\nDaten = C:\\falsch\\QZ.DBC\r\n[Pfad]\r\nDaten = C:\\PALEX\\DATEN\\QZ.DBC "
         " \r\n",
         "C:\\PALEX\\DATEN\\QZ.DBC"},
        {"[Pfad]\r\nDaten=C:\\X\\QZ.DBC\r\n", ""},
        // A later section does not stop the search; the item ends at the comma; Windows-1252.
        {"[Pfad]\r\n[Andere]\r\n   Daten =D:\\\xDC\\QZ.DBC,zweites\r\n", "D:\\Ü\\QZ.DBC"},
        {"Daten = C:\\vorher.dbc\r\n[Pfad]\r\n", ""},
    };
    for (const auto& [text, container] : inis) {
        SCOPED_TRACE(text.toStdString());
        if (!text.isEmpty()) {
            QFile f(c + "Palex/xr/merix.ini");
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(text);
        }
        EXPECT_EQ(readAdministrationIni(host), container);
    }
    EXPECT_EQ(nativePath("C:\\PALEX\\XR\\MERIX.INI"), c + "Palex/xr/merix.ini");
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
        const auto& m = host.messages.back();
        EXPECT_EQ(std::tuple(m.title, m.icon, m.buttons, m.defaultButton),
                  std::tuple(QString("Disk Error"), ui::Icon::None, ui::Buttons::RetryCancel, 1))
            << "Cancel is the default";
    }
    host.onMessage("Laufwerk ist nicht bereit!", ui::Answer::Retry);
    EXPECT_EQ(fileErrorDialog(host, 71, "A:\\x"), FileErrorChoice::Retry);
    EXPECT_EQ(host.messages.back().defaultButton, 0)
        << "Retry is the default for a drive not ready";
    EXPECT_EQ(fileErrorDialog(host, 999, "x"), FileErrorChoice::Unknown)
        << "unknown codes show nothing";
}

// One Windows-1252 line with CR LF, or UTF-8 with its mark for a path Windows-1252 cannot hold
// (it would come back as "?"); only the first item of the first line counts. It lives in the
// program folder, else in the user's configuration folder (/proc takes no file, not even from
// root).
TEST(PointerFile, IsOneLineInTheProgramFolderOrElseInTheUsersConfiguration) {
    test::TempDir tmp;
    const auto readBack = [&] {
        return readFirstItem(*openRaw(tmp.path("TCLASSK"), FileMode::Input));
    };
    const QString windows = "D:\\Schüler\\BB.MDB";
    const QString greek = "/home/Λάμπρος/BB.MDB";
    writePointerFile(tmp.dir(), windows);
    EXPECT_EQ(tmp.read("TCLASSK"), QByteArray("D:\\Sch\xFCler\\BB.MDB\r\n"));
    EXPECT_EQ(readBack(), windows);
    writePointerFile(defaultPointerDir(tmp.dir()), greek);
    EXPECT_EQ(tmp.read("TCLASSK"), "\xEF\xBB\xBF" + greek.toUtf8() + "\r\n");
    EXPECT_EQ(readBack(), greek);
    tmp.write("TCLASSK", "D:\\a\\BB.MDB,x\r\nE:\\b\\BB.MDB\r\n");
    EXPECT_EQ(readBack(), "D:\\a\\BB.MDB");
    EXPECT_EQ(QDir(tmp.dir()).entryList(QDir::Files | QDir::Hidden), QStringList{"TCLASSK"})
        << "neither the probe nor the write leaves a file behind";

    QStandardPaths::setTestModeEnabled(true);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    const QString dir = defaultPointerDir(QStringLiteral("/proc/"));
    QStandardPaths::setTestModeEnabled(false);
    EXPECT_EQ(dir, config + "/");
    EXPECT_TRUE(QFileInfo(dir).isDir()) << "made when missing";
}
