#pragma once

#include "import/Transfers.h"
#include "import/vfp/Table.h"
#include "platform/RunState.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QFileInfo>
#include <functional>
#include <string>
#include <vector>

namespace vfptest {

// Files written by Visual FoxPro itself; absent on machines without the shared folder.
inline QString vfpFixtures() {
    return QStringLiteral(KUBB_SHARED_DIR "/fixtures/vfp");
}
// Skips the calling test where those files are absent; fails it instead in CI (CI set) when the
// shared folder is beside the clone, since there the fixtures must be read, not skipped.
#define REQUIRE_VFP_FIXTURES()                                                                     \
    do {                                                                                           \
        if (!QFileInfo::exists(vfptest::vfpFixtures())) {                                          \
            if (vfptest::fixturesMustExist())                                                      \
                FAIL() << "Visual FoxPro fixtures missing at "                                     \
                       << vfptest::vfpFixtures().toStdString();                                    \
            GTEST_SKIP() << "Visual FoxPro fixtures not found at "                                 \
                         << vfptest::vfpFixtures().toStdString();                                  \
        }                                                                                          \
    } while (false)
inline bool fixturesMustExist() {
    return qEnvironmentVariableIsSet("CI") && QFileInfo::exists(QStringLiteral(KUBB_SHARED_DIR));
}
// Files written by tools/make_vfp_fixtures.py and tools/make_import_fixtures.py.
inline QString dataDir() {
    return QStringLiteral(KUBB_SOURCE_DIR "/tests/import/data");
}

// A value as "<type> <value>", so that a failing comparison shows the type too; "null" for NULL.
std::string describe(const QVariant& value);
// Every live record of the table, each value described.
std::vector<std::vector<std::string>> rows(const vfp::Table& table);
// Name, type, length, decimals and "null" for nullable, e.g. "PRICE Y 8,4".
std::vector<std::string> fields(const vfp::Table& table);

inline std::string str(const QString& text) {
    return text.toStdString();
}
// The message of the vfp::Error that `action` throws; a test failure if it throws none.
std::string errorOf(const std::function<void()>& action);

// A copy of a fixture folder in a temporary directory, to be damaged byte by byte.
class Scratch {
public:
    explicit Scratch(const QString& sourceDir);
    QString path(const QString& name) const { return dir_.path(name); }
    QByteArray read(const QString& name) const { return dir_.read(name); }
    void write(const QString& name, const QByteArray& bytes) const { dir_.write(name, bytes); }
    void patch(const QString& name, qint64 offset, const QByteArray& bytes) const;
    // A little-endian integer, as the table headers hold them.
    void patchInt(const QString& name, qint64 offset, quint32 value, int size = 4) const;
    void truncate(const QString& name, qint64 size) const { write(name, read(name).left(size)); }
    // Start of the descriptor of the field with this stored name.
    qint64 descriptor(const QString& name, const QString& field) const;
    // Start of a field's value in a record (records counted from 0, deleted ones included).
    qint64 valueAt(const QString& name, int record, const QString& field) const;

private:
    test::TempDir dir_;
};

} // namespace vfptest

namespace importtest {

// The containers written by tools/make_import_fixtures.py: "rules", "teacher_twice",
// "no_courses", "preassign", "long_hours"; the generator's docstring lists what each holds.
inline QString container(const QString& name) {
    return vfptest::dataDir() + QLatin1Char('/') + name + QStringLiteral("/QZ.DBC");
}

// A selection of 2009/2010 (key "     9", the year before "     8") with the given cohorts, as
// the import window hands it over.
inline importer::Selection select2009(const QStringList& cohorts) {
    return {QStringLiteral("     9"), QStringLiteral("2009/2010"), QStringLiteral("     8"),
            cohorts};
}

// A new block-formation database in a temporary folder, filled by the transfers from a container
// (the same call the import window and kubb make). The run state points at the file.
struct Import {
    explicit Import(const QString& containerPath);
    // Creates the file and runs the transfers; throws what they throw.
    void run(const importer::Selection& sel, const importer::Transfers::Progress& progress = {});
    QStringList rows(const QString& sql) const { return test::rowsOf(path, sql); }
    QStringList dump() const { return test::dumpDatabase(path); }

    test::TempDir dir;
    test::ScriptedHost host;
    platform::RunState state;
    QString path = dir.path(QStringLiteral("BB.MDB"));
    int dropped = 0; // placements dropped for want of their rail
};

} // namespace importtest
