// Writing several files all or nothing, and the code page's check of what it can hold.
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "support/FileSizeLimit.h"
#include "support/TestDb.h"

#include <QDir>
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
    }
    QStringList entries() const {
        return QDir(tmp.dir()).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System |
                                             QDir::NoDotAndDotDot,
                                         QDir::Name);
    }
    void expectOldFiles() const {
        EXPECT_EQ(entries(), QStringList({"a.txt", "b.txt"})) << "no temporary left behind";
        EXPECT_EQ(tmp.read("a.txt"), "old a");
        EXPECT_EQ(tmp.read("b.txt"), "old b");
    }
    // Writes new contents for a, b and c; c's content may be large.
    void writeThree(FileGroup& g) {
        g.create(tmp.path("a.txt")).write("new a");
        g.create(tmp.path("b.txt")).write("new b");
        g.create(tmp.path("c.txt")).write("new c");
    }
};

} // namespace

TEST_F(Folder, AllTargetsAreReplacedTogetherOnCommitAndNotBefore) {
    {
        FileGroup g;
        writeThree(g);
        EXPECT_EQ(tmp.read("a.txt"), "old a") << "the target is untouched until commit";
        g.commit();
    }
    EXPECT_EQ(entries(), QStringList({"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(tmp.read("a.txt"), "new a");
    EXPECT_EQ(tmp.read("b.txt"), "new b");
    EXPECT_EQ(tmp.read("c.txt"), "new c");
}

TEST_F(Folder, AGroupDroppedWithoutCommitLeavesTheOldFiles) {
    {
        FileGroup g;
        writeThree(g);
    }
    expectOldFiles();
}

TEST_F(Folder, AWriteFailingInTheThirdFileLeavesTheOldFiles) {
    {
        test::FileSizeLimit limit(4096);
        if (!limit.available())
            GTEST_SKIP() << "no file size limit on this system";
        FileGroup g;
        g.create(tmp.path("a.txt")).write("new a");
        g.create(tmp.path("b.txt")).write("new b");
        FileGroup::File& c = g.create(tmp.path("c.txt"));
        try {
            for (int i = 0; i < 100; ++i)
                c.write(QByteArray(1000, 'c'));
            g.commit();
            ADD_FAILURE() << "writing beyond the limit should fail";
        } catch (const FileError& e) {
            EXPECT_EQ(e.code(), 75);
            EXPECT_EQ(e.path(), tmp.path("c.txt"));
            EXPECT_TRUE(e.message().startsWith(tmp.path("c.txt") + ": Schreibfehler! ("))
                << e.message().toStdString();
        }
    }
    expectOldFiles();
}

TEST_F(Folder, AFailureReplacingTheThirdFilePutsTheFirstTwoBack) {
    tmp.write("c.txt", "old c");
    FileGroup g;
    writeThree(g);
    // The third file's new content vanishes before it can be put in place.
    const QStringList temporaries =
        QDir(tmp.dir()).entryList({"~c.txt.*.tmp"}, QDir::Files | QDir::Hidden);
    ASSERT_EQ(temporaries.size(), 1);
    ASSERT_TRUE(QFile::remove(tmp.path(temporaries.front())));
    EXPECT_THROW(g.commit(), FileError);
    EXPECT_EQ(entries(), QStringList({"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(tmp.read("a.txt"), "old a");
    EXPECT_EQ(tmp.read("b.txt"), "old b");
    EXPECT_EQ(tmp.read("c.txt"), "old c");
}

TEST_F(Folder, AMissingFolderOrAFolderInTheTargetsPlaceIsRefusedAtOnce) {
    FileGroup g;
    try {
        g.create(tmp.path("nowhere/a.txt"));
        ADD_FAILURE() << "a missing folder is refused";
    } catch (const FileError& e) {
        EXPECT_EQ(e.code(), 76);
        EXPECT_TRUE(e.message().startsWith(tmp.path("nowhere/a.txt") + ": Pfad nicht gefunden!"))
            << e.message().toStdString();
    }
    ASSERT_TRUE(QDir(tmp.dir()).mkdir("d.txt"));
    try {
        g.create(tmp.path("d.txt"));
        ADD_FAILURE() << "a folder cannot be replaced by a file";
    } catch (const FileError& e) {
        EXPECT_EQ(e.code(), 75);
    }
}

TEST(CodePage, FirstUnencodableNamesTheFirstCharacterThePageLacks) {
    using platform::CodePage;
    EXPECT_EQ(CodePage::firstUnencodable("Müller-Lüdenscheidt €", 1252), -1);
    EXPECT_EQ(CodePage::firstUnencodable("", 1252), -1);
    EXPECT_EQ(CodePage::firstUnencodable(QString::fromUtf8("Kőrösi Dvořák"), 1252), 1);
    EXPECT_EQ(CodePage::firstUnencodable(QString::fromUtf8("Kőrösi"), 852), -1);
    EXPECT_EQ(CodePage::firstUnencodable(QString::fromUtf8("ab😀"), 1252), 2);
    // 0x81 has no character in Windows-1252, so U+0081 cannot be written either.
    EXPECT_EQ(CodePage::firstUnencodable(QString(QChar(0x81)), 1252), 0);
    EXPECT_EQ(CodePage::firstUnencodable(QString(QChar(0xFFFD)), 1252), 0);
}
