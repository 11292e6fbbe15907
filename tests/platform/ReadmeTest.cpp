// The README's lists of the code: they name what is there, so they cannot drift.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

const QString kSource = QStringLiteral(KUBB_SOURCE_DIR);

QString readme() {
    QFile f(kSource + "/README.md");
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromUtf8(f.readAll());
}

// Every test source's text, joined.
QString testSources() {
    QString all;
    QDirIterator it(kSource + "/tests", {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            all += QString::fromUtf8(f.readAll());
    }
    return all;
}

TEST(Readme, TheLayoutNamesEveryFolderOfSrcAndNoOther) {
    QSet<QString> listed;
    const QRegularExpression line(QStringLiteral("^src/(\\w+)/ "),
                                  QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(readme()); it.hasNext();)
        listed.insert(it.next().captured(1));
    const QStringList folders = QDir(kSource + "/src").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_EQ(listed, QSet<QString>(folders.begin(), folders.end()));
}

// The tests said to be skipped without the shared fixtures are exactly those that require them.
TEST(Readme, TheTestsSkippedWithoutFixturesAreTheOnesNamed) {
    const QString text = readme();
    const qsizetype at = text.indexOf(QStringLiteral("are skipped; every other"));
    ASSERT_GT(at, 0);
    QSet<QString> named;
    const QRegularExpression name(QStringLiteral("`(\\w+)\\.\\*`"));
    for (auto it = name.globalMatch(text.mid(at - 200, 200)); it.hasNext();)
        named.insert(it.next().captured(1));
    QSet<QString> requiring;
    const QRegularExpression test(
        QStringLiteral("TEST(?:_F)?\\((\\w+), \\w+\\) \\{\\s*REQUIRE_VFP_FIXTURES\\(\\);"));
    for (auto it = test.globalMatch(testSources()); it.hasNext();)
        requiring.insert(it.next().captured(1));
    EXPECT_FALSE(requiring.isEmpty());
    EXPECT_EQ(named, requiring);
}

} // namespace
