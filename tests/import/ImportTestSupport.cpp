#include "ImportTestSupport.h"

#include "VfpTestSupport.h"
#include "db/BlockDatabase.h"
#include "db/Schema.h"
#include "import/ErzKuB.h"

#include <QDir>
#include <QFile>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace importtest {

QString container(const QString& name) {
    return vfptest::dataDir() + QLatin1Char('/') + name + QStringLiteral("/QZ.DBC");
}

QString demoContainer() {
    return QStringLiteral(KUBB_SOURCE_DIR "/data/demo/QZ.DBC");
}

importer::Selection select2009(const QStringList& cohorts) {
    return {kCurrent, QStringLiteral("2009/2010"), kPrevious, cohorts};
}

Import::Import(const QString& containerPath) {
    path = dir_.path(QStringLiteral("BB.MDB"));
    state.DatenPfad = dir_.dir();
    state.DatenDatei = QStringLiteral("BB.MDB");
    state.VerwDbcPfad = containerPath;
    state.SchjBez = QStringLiteral("2009/2010");
    state.SchjID = kCurrent;
}

void Import::run(test::ScriptedHost& host, const importer::Selection& sel,
                 const importer::Transfers::Progress& progress) {
    db::createDatabase(path);
    dropped = importer::runTransfers(state, host, sel, progress);
}

QStringList Import::rows(const QString& sql, const QVariantList& values) const {
    return test::rowsOf(path, sql, values);
}

QStringList dumpDatabase(const QString& path) {
    QStringList out;
    for (const db::TableDef& t : db::tables())
        for (const QString& row :
             rowsOf(path, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(t.name)))
            out << t.name + QLatin1Char(':') + row;
    return out;
}

QStringList Import::dump() const {
    return dumpDatabase(path);
}

WinePrefix::WinePrefix() {
    qputenv("WINEPREFIX", tmp_.dir().toUtf8());
}

WinePrefix::~WinePrefix() {
    qunsetenv("WINEPREFIX");
}

QString WinePrefix::drive(char letter) const {
    const QString d = tmp_.path(QStringLiteral("drive_") + QChar::fromLatin1(letter));
    QDir().mkpath(d);
    return d + QLatin1Char('/');
}

void WinePrefix::writeIni(const QString& containerPath) const {
    const QString dir = drive('c') + QStringLiteral("PALEX/XR/");
    QDir().mkpath(dir);
    QFile f(dir + QStringLiteral("MERIX.INI"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        ("[Allgemein]\r\nVersion = 3\r\n[Pfad]\r\nDaten = " + containerPath.toLatin1() + "\r\n"));
}

QString WinePrefix::installContainer(const QString& fixtureDir) const {
    const QString target = drive('c') + QStringLiteral("PALEX/DATEN/");
    QDir().mkpath(target);
    const QDir source(fixtureDir);
    for (const QString& name : source.entryList(QDir::Files))
        EXPECT_TRUE(QFile::copy(source.filePath(name), target + name)) << name.toStdString();
    return QStringLiteral("C:\\PALEX\\DATEN\\QZ.DBC");
}

} // namespace importtest
