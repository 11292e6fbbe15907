// Writing files all or nothing, alone or several together, and the code page's check of what it
// can hold.
#include "platform/Files.h"
#include "platform/CodePage.h"
#include "support/FileSizeLimit.h"
#include "support/TestDb.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <functional>
#include <gtest/gtest.h>

using platform::FileError;
using platform::FileGroup;

namespace {

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
    void writeThree(FileGroup& g, const QByteArray& c = "new c") {
        g.create(tmp.path("a.txt")).write("new a");
        g.create(tmp.path("b.txt")).write("new b");
        g.create(tmp.path("c.txt")).write(c);
    }
    void writeA(const QByteArray& content = "new a") {
        platform::writeFileAtomically(tmp.path("a.txt"),
                                      [&](QIODevice& out) { out.write(content); });
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
    const std::vector<std::tuple<const char*, std::function<void(Folder&)>, QStringList>> cases = {
        {"committed",
         [](Folder& f) {
             FileGroup g;
             f.writeThree(g);
             EXPECT_EQ(f.tmp.read("a.txt"), "old a") << "the target is untouched until commit";
             g.commit();
         },
         {"a.txt=new a", "b.txt=new b", "c.txt=new c"}},
        {"dropped without commit",
         [](Folder& f) {
             FileGroup g;
             f.writeThree(g);
         },
         kOld},
        {"third file over the size limit",
         [](Folder& f) {
             FileGroup g;
             EXPECT_EQ(failure([&] {
                           f.writeThree(g, QByteArray(5000, 'c'));
                           g.commit();
                       }),
                       std::make_pair(75, f.tmp.path("c.txt") + ": Schreibfehler!"));
         },
         kOld},
        {"single file over the size limit",
         [](Folder& f) { EXPECT_THROW(f.writeA(QByteArray(5000, 'a')), FileError); }, kOld},
        {"the third file's new content vanishing before it is put in place: the first two back",
         [](Folder& f) {
             f.tmp.write("c.txt", "old c");
             FileGroup g;
             f.writeThree(g);
             const QStringList temporaries =
                 QDir(f.tmp.dir()).entryList({"~c.txt.*.tmp"}, QDir::Files | QDir::Hidden);
             ASSERT_EQ(temporaries.size(), 1);
             ASSERT_TRUE(QFile::remove(f.tmp.path(temporaries.front())));
             EXPECT_THROW(g.commit(), FileError);
         },
         {"a.txt=old a", "b.txt=old b", "c.txt=old c"}},
    };
    for (const auto& [name, act, expected] : cases) {
        SCOPED_TRACE(name);
        SetUp();
        act(*this);
        EXPECT_EQ(state(), expected);
    }
}

// Run again under strace, this test's program has every fsync, or every rename, fail: a file
// written alone and a group keep their old contents.
TEST_F(Folder, AFailedSyncOrRenameLeavesTheOldFiles) {
    if (qEnvironmentVariableIsSet("KUBB_INJECTED")) {
        EXPECT_THROW(writeA(), FileError);
        {
            FileGroup g;
            writeThree(g);
            EXPECT_THROW(g.commit(), FileError);
        }
        EXPECT_EQ(state(), kOld);
        return;
    }
    if (QProcess::execute("strace", {"-qq", "-o", "/dev/null", "true"}) != 0)
        GTEST_SKIP() << "strace is missing or cannot trace here";
    for (const QString fault : {"fsync", "rename,renameat,renameat2"}) {
        SCOPED_TRACE(fault.toStdString());
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KUBB_INJECTED", "1");
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start("strace",
                {"-f", "-qq", "-o", "/dev/null", "-e", "trace=" + fault, "-e",
                 "inject=" + fault + ":error=ENOSPC", QCoreApplication::applicationFilePath(),
                 "--gtest_filter=Folder.AFailedSyncOrRenameLeavesTheOldFiles"});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    }
}

// A missing folder, or a folder in the target's place (also the pointer file's), is refused
// before anything is written.
TEST_F(Folder, AMissingFolderOrAFolderInTheTargetsPlaceIsRefusedAtOnce) {
    FileGroup g;
    EXPECT_EQ(failure([&] { g.create(tmp.path("nowhere/a.txt")); }),
              std::make_pair(76, tmp.path("nowhere/a.txt") + ": Pfad nicht gefunden!"));
    ASSERT_TRUE(QDir().mkpath(tmp.path("d.txt")) && QDir().mkpath(tmp.path("p/TCLASSK")));
    EXPECT_EQ(failure([&] { g.create(tmp.path("d.txt")); }).first, 75);
    EXPECT_EQ(failure([&] { platform::writePointerFile(tmp.path("p/"), "x"); }).first, 75);
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
        EXPECT_EQ(platform::CodePage::firstUnencodable(text, page), first) << text.toStdString();
}
