#pragma once

#include "import/Transfers.h"
#include "platform/RunState.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QString>
#include <QStringList>

namespace importtest {

// The containers written by tools/make_import_fixtures.py: "rules", "teacher_twice",
// "no_courses", "preassign"; the generator's docstring lists what each holds.
QString container(const QString& name);
// The demo school's container.
QString demoContainer();

// The school years of every fixture container.
inline const QString kCurrent = QStringLiteral("     9");
inline const QString kPrevious = QStringLiteral("     8");

// A selection of 2009/2010 with the given cohorts, as the import window hands it over.
importer::Selection select2009(const QStringList& cohorts);

// A new block-formation database in a temporary folder, filled by the transfers from a container
// (the same call the import window and kubb make). The run state points at the file.
class Import {
public:
    explicit Import(const QString& containerPath);
    // Creates the file and runs the transfers; throws what they throw.
    void run(test::ScriptedHost& host, const importer::Selection& sel,
             const importer::Transfers::Progress& progress = {});

    platform::RunState state;
    QString path;
    int dropped = 0; // placements dropped for want of their rail
    // Rows of a query as "a|b|<null>".
    QStringList rows(const QString& sql, const QVariantList& values = {}) const;
    QStringList dump() const;

private:
    test::TempDir dir_;
};

using test::rowsOf;
// Every row of every table in stored order, each as "table:a|b|<null>".
QStringList dumpDatabase(const QString& path);

// A Wine prefix of its own for the test's lifetime: the INI file and drive letters live there.
class WinePrefix {
public:
    WinePrefix();
    ~WinePrefix();
    // The native folder of drive letter's root, created, with a trailing separator.
    QString drive(char letter) const;
    // Writes C:\PALEX\XR\MERIX.INI naming the container path as the administration program does.
    void writeIni(const QString& containerPath) const;
    // Copies a fixture container into C:\PALEX\DATEN\ and returns its Windows path.
    QString installContainer(const QString& fixtureDir) const;

private:
    test::TempDir tmp_;
};

} // namespace importtest
