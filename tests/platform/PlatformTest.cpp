// The platform layer: writing files all or nothing, alone or several together; the code page's
// check of what it can hold; paths, the administration's INI file, the pointer file and the
// file errors' dialog; the process's age.
#include "platform/Platform.h"
#include "common/FileOpen.h"
#include "platform/CodePage.h"
#include "platform/FileSet.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/FileSizeLimit.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"
#include "support/WinePrefix.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace platform;
using namespace common;

namespace {

// Set while the test program starts, after its libraries are loaded and before main.
const auto initialised = std::chrono::steady_clock::now();

double sinceInitialised() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - initialised).count();
}

// A folder holding a.txt and b.txt with their old contents; c.txt does not exist yet.
struct Folder : ::testing::Test {
    test::TempDir tmp;
    void SetUp() override {
        tmp.write("a.txt", "old a");
        tmp.write("b.txt", "old b");
        QFile::remove(tmp.path("c.txt"));
    }
    // Every entry of the folder, hidden ones too, as "name=content".
    QStringList state() const {
        QStringList out;
        for (const QString& name :
             QDir(tmp.dir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            out << name + "=" + tmp.read(name);
        return out;
    }
    void writeThree(FileSet& g, const QByteArray& c = "new c") {
        g.create(tmp.path("a.txt")).write("new a");
        g.create(tmp.path("b.txt")).write("new b");
        g.create(tmp.path("c.txt")).write(c);
    }
    void writeA(const QByteArray& content = "new a") {
        writeFileAtomically(tmp.path("a.txt"), [&](QIODevice& out) { out.write(content); });
    }
};

const QStringList kOld = {"a.txt=old a", "b.txt=old b"};

// The code and message (without the system's detail) of the FileError act throws; 0 for none.
std::pair<int, QString> failure(const std::function<void()>& act) {
    try {
        act();
    } catch (const FileError& e) {
        return {e.code(), e.message().left(e.message().lastIndexOf(" ("))};
    }
    return {0, {}};
}

} // namespace

// Each way a group or a single file can end: the old files whole, no temporary left behind, or
// all the new ones. The size limit fails the third file's write, and a single file's one
// buffered write at its flush.
TEST_F(Folder, FilesAreReplacedTogetherOnCommitOrNotAtAll) {
    test::FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.available());
    {
        FileSet g;
        writeThree(g);
        EXPECT_EQ(tmp.read("a.txt"), "old a") << "the target is untouched until commit";
        g.commit();
    }
    EXPECT_EQ(state(), QStringList({"a.txt=new a", "b.txt=new b", "c.txt=new c"}));
    SetUp();
    {
        FileSet dropped;
        writeThree(dropped);
    }
    EXPECT_EQ(state(), kOld) << "dropped without commit";
    {
        FileSet g;
        EXPECT_EQ(failure([&] {
                      writeThree(g, QByteArray(5000, 'c'));
                      g.commit();
                  }),
                  std::make_pair(75, tmp.path("c.txt") + ": Schreibfehler!"));
    }
    EXPECT_EQ(state(), kOld) << "third file over the size limit";
    EXPECT_THROW(writeA(QByteArray(5000, 'a')), FileError);
    EXPECT_EQ(state(), kOld) << "single file over the size limit";
    // The third file's new content vanishing before it is put in place: the first two back.
    tmp.write("c.txt", "old c");
    {
        FileSet g;
        writeThree(g);
        const QStringList temporaries =
            QDir(tmp.dir()).entryList({"~c.txt.*.tmp"}, QDir::Files | QDir::Hidden);
        ASSERT_EQ(temporaries.size(), 1);
        ASSERT_TRUE(QFile::remove(tmp.path(temporaries.front())));
        EXPECT_THROW(g.commit(), FileError);
    }
    EXPECT_EQ(state(), QStringList({"a.txt=old a", "b.txt=old b", "c.txt=old c"}));
    // A missing folder, or a folder in the target's place (also the pointer file's), is refused
    // before anything is written.
    FileSet g;
    EXPECT_EQ(failure([&] { g.create(tmp.path("nowhere/a.txt")); }),
              std::make_pair(76, tmp.path("nowhere/a.txt") + ": Pfad nicht gefunden!"));
    ASSERT_TRUE(QDir().mkpath(tmp.path("d.txt")) && QDir().mkpath(tmp.path("p/TCLASSK")));
    EXPECT_EQ(failure([&] { g.create(tmp.path("d.txt")); }).first, 75);
    EXPECT_EQ(failure([&] { writePointerFile(tmp.path("p/"), "x"); }).first, 75);
}

// A FIFO where a file is to be written, or a link to one, is refused by every writer, naming it,
// and stays as it is.
TEST_F(Folder, NoWriterReplacesAFifo) {
    ASSERT_TRUE(QDir().mkpath(tmp.path("p")));
    for (const QString& fifo : {tmp.path("fifo"), tmp.path("p/TCLASSK")})
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(tmp.path("fifo"), tmp.path("link")));
    for (const QString name : {"fifo", "link"}) {
        const QString path = tmp.path(name);
        const auto refused = std::make_pair(75, path + " ist keine gewöhnliche Datei.");
        EXPECT_EQ(failure([&] { writeFileAtomically(path, [](QIODevice&) {}); }), refused);
        EXPECT_EQ(failure([&] { copyFile(tmp.path("a.txt"), path); }), refused);
        EXPECT_EQ(failure([&] { FileSet().create(path); }), refused);
        EXPECT_EQ(failure([&] { PendingFile p(path); }), refused);
    }
    EXPECT_EQ(failure([&] { writePointerFile(tmp.path("p/"), "x"); }).second,
              tmp.path("p/TCLASSK") + " ist keine gewöhnliche Datei.");
    EXPECT_TRUE(QFileInfo(tmp.path("fifo")).exists() && !QFileInfo(tmp.path("fifo")).isFile());
}

// A new file built under a temporary name removes what killed runs left of its target: the
// temporary database and its journal, but no other file, nor the file another run is building.
TEST_F(Folder, APendingFileRemovesOnlyWhatKilledRunsLeftOfItsTarget) {
    const QStringList ours = {"n.db.tmp-123456", "n.db.tmp-123456-journal",
                              "n.db.tmp-000001-journal"};
    const QStringList others = {"N.DB.tmp-123456",  "m.db.tmp-123456", "n.db.tmp-12345",
                                "n.db.tmp-1234567", "n.db.tmp-12345x", "n.db.tmp-123456.alt",
                                "xn.db.tmp-123456"};
    for (const QString& name : ours + others)
        tmp.write(name, "left");
    const QStringList before = state();
    PendingFile running(tmp.path("n.db"));
    QStringList left = before;
    for (const QString& name : ours)
        left.removeAll(name + "=left");
    EXPECT_EQ(state(), left);
    tmp.write(QFileInfo(running.path()).fileName(), "building");
    const QStringList building = state();
    PendingFile next(tmp.path("n.db"));
    EXPECT_EQ(state(), building) << "another run's file stays while it builds";
}

// Run again under strace, this test's program has every fsync, or every rename, fail: a file
// written alone and a group keep their old contents.
TEST_F(Folder, AFailedSyncOrRenameLeavesTheOldFiles) {
    if (qEnvironmentVariableIsSet("KUBB_INJECTED")) {
        EXPECT_THROW(writeA(), FileError);
        {
            FileSet g;
            writeThree(g);
            EXPECT_THROW(g.commit(), FileError);
        }
        EXPECT_EQ(state(), kOld);
        return;
    }
    if (QProcess::execute("strace", {"-qq", "-o", "/dev/null", "true"}) != 0)
        GTEST_SKIP() << "strace is missing or cannot trace here";
    qputenv("KUBB_INJECTED", "1"); // for the program run under strace only
    for (const QString fault : {"fsync", "rename,renameat,renameat2"}) {
        SCOPED_TRACE(fault.toStdString());
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start("strace",
                {"-f", "-qq", "-o", "/dev/null", "-e", "trace=" + fault, "-e",
                 "inject=" + fault + ":error=ENOSPC", QCoreApplication::applicationFilePath(),
                 "--gtest_filter=Folder.AFailedSyncOrRenameLeavesTheOldFiles"});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    }
    qunsetenv("KUBB_INJECTED");
}

// A set whose second rename fails twice (a folder stands in its target's place) keeps its journal
// and says so; the next set in the folder first finishes those renames. A journal that is not
// ours stops the next set and stays.
TEST_F(Folder, AnInterruptedSetIsFinishedBeforeTheNext) {
    {
        FileSet g;
        writeThree(g);
        ASSERT_TRUE(QFile::remove(tmp.path("b.txt")) && QDir().mkpath(tmp.path("b.txt/x")));
        try {
            g.commit();
            ADD_FAILURE() << "no failure";
        } catch (const FileError& e) {
            EXPECT_TRUE(e.message().contains(kFileSetJournal)) << e.message().toStdString();
        }
    }
    EXPECT_EQ(tmp.read("a.txt") + "|" + tmp.read(kFileSetJournal).left(22),
              "new a|Kurs- und Blockbildung");
    ASSERT_TRUE(QDir(tmp.path("b.txt")).removeRecursively());
    {
        FileSet g;
        g.create(tmp.path("a.txt")).write("newer a");
        g.commit();
    }
    EXPECT_EQ(state(), QStringList({"a.txt=newer a", "b.txt=new b", "c.txt=new c"}));
    tmp.write(kFileSetJournal, "fremd");
    FileSet g;
    EXPECT_EQ(failure([&] { g.create(tmp.path("a.txt")); }).first, 75);
    EXPECT_EQ(tmp.read(kFileSetJournal), "fremd");
}

TEST(CodePage, FirstUnencodableNamesTheFirstCharacterThePageLacks) {
    // 0x81 has no character in Windows-1252, so U+0081 cannot be written either.
    const std::tuple<QString, int, int> rows[] = {{"Müller-Lüdenscheidt €", 1252, -1},
                                                  {"", 1252, -1},
                                                  {"Kőrösi Dvořák", 1252, 1},
                                                  {"Kőrösi", 852, -1},
                                                  {"ab😀", 1252, 2},
                                                  {QString(QChar(0x81)), 1252, 0},
                                                  {QString(QChar(0xFFFD)), 1252, 0}};
    for (const auto& [text, page, first] : rows)
        EXPECT_EQ(CodePage::firstUnencodable(text, page), first) << text.toStdString();
}

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
    // Items end at commas, skip leading blanks and lose their quotes (a plain comma also in the
    // pointer file's and the INI file's tests).
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

// The time limit of `kubb block` counts from here: never less than the program has run, and not
// the machine's time since boot either.
TEST(Platform, SecondsSinceStartCountFromTheProcessesStart) {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const double before = sinceInitialised();
    const double since = secondsSinceStart();
    EXPECT_GE(since, before);
    EXPECT_LT(since, sinceInitialised() + 5);
}
