#pragma once

#include "common/MessageWindow.h"
#include "db/BlockDatabase.h"
#include "import/ErzKuB.h"
#include "import/PreAssign.h"
#include "import/Transfers.h"
#include "import/vfp/Container.h"
#include "import/vfp/Error.h"
#include "import/vfp/Table.h"
#include "platform/RunState.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"
#include "support/WinePrefix.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace importtest {

// Files written by Visual FoxPro itself; absent on machines without the shared folder.
inline QString vfpFixtures() {
    return QStringLiteral(KUBB_SHARED_DIR "/fixtures/vfp");
}
// Skips the calling test where those files are absent; fails it instead in CI (CI set) when the
// shared folder is beside the clone, since there the fixtures must be read, not skipped.
#define REQUIRE_VFP_FIXTURES()                                                                     \
    if (!QFileInfo::exists(importtest::vfpFixtures())) {                                           \
        ASSERT_FALSE(qEnvironmentVariableIsSet("CI") && QFileInfo::exists(KUBB_SHARED_DIR))        \
            << "Visual FoxPro fixtures missing at " << importtest::vfpFixtures().toStdString();    \
        GTEST_SKIP() << "Visual FoxPro fixtures not found";                                        \
    }
// Files written by tools/make_vfp_fixtures.py and tools/make_import_fixtures.py.
inline QString dataDir() {
    return QStringLiteral(KUBB_SOURCE_DIR "/tests/import/data");
}

inline std::string str(const QString& text) {
    return text.toStdString();
}

// A value as "<type> <value>", so that a failing comparison shows the type too; "null" for NULL.
inline std::string describe(const QVariant& value) {
    if (!value.isValid())
        return "null";
    const QString text = value.typeId() == QMetaType::QByteArray
                             ? QString::fromLatin1(value.toByteArray().toHex())
                             : value.toString();
    return std::string(value.typeName()) + " " + str(text);
}

// Every live record of the table, each value described.
inline std::vector<std::vector<std::string>> rows(const vfp::Table& table) {
    std::vector<std::vector<std::string>> out;
    vfp::Record record;
    while (table.next(record)) {
        out.emplace_back();
        for (int i = 0; i < table.fieldCount(); ++i)
            out.back().push_back(describe(record.value(i)));
    }
    return out;
}

// Name, type, length, decimals and "null" for nullable, e.g. "PRICE Y 8,4".
inline std::vector<std::string> fields(const vfp::Table& table) {
    std::vector<std::string> out;
    for (int i = 0; i < table.fieldCount(); ++i) {
        const vfp::Field& f = table.field(i);
        out.push_back(str(f.name) + ' ' + f.type + ' ' + std::to_string(f.length) +
                      (f.decimals ? ',' + std::to_string(f.decimals) : "") +
                      (f.nullable ? " null" : ""));
    }
    return out;
}

// The message of the error of type E that `action` throws; a test failure if it throws none.
template <class E = vfp::Error> std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const E& e) {
        return str(e.message());
    } catch (const std::exception& e) {
        ADD_FAILURE() << "another error: " << e.what();
        return {};
    }
    ADD_FAILURE() << "no error thrown";
    return {};
}

// A copy of a fixture folder in a temporary directory, to be damaged byte by byte.
struct Scratch : test::TempDir {
    explicit Scratch(const QString& sourceDir) {
        QDirIterator it(sourceDir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString target = path(QDir(sourceDir).relativeFilePath(it.next()));
            QDir().mkpath(QFileInfo(target).path());
            QFile::copy(it.filePath(), target);
            QFile(target).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
    }
    void patch(const QString& name, qint64 offset, const QByteArray& bytes) const {
        QByteArray content = read(name);
        ASSERT_LE(offset + bytes.size(), content.size()) << str(name);
        write(name, content.replace(offset, bytes.size(), bytes));
    }
    // Start of the descriptor of the field with this stored name.
    qint64 descriptor(const QString& name, const QString& field) const {
        const QByteArray bytes = read(name);
        for (qint64 at = 32; at + 32 <= bytes.size() && bytes[at] != '\x0d'; at += 32)
            if (QLatin1String(bytes.constData() + at, qstrnlen(bytes.constData() + at, 11)) ==
                field)
                return at;
        ADD_FAILURE() << "no field " << str(field) << " in " << str(name);
        return 0;
    }
    // Start of a field's value in a record (records counted from 0, deleted ones included).
    qint64 valueAt(const QString& name, int record, const QString& field) const {
        const QByteArray bytes = read(name);
        const auto word = [&](qint64 at) { return qFromLittleEndian<quint16>(bytes.data() + at); };
        return word(8) + record * word(10) +
               qFromLittleEndian<quint32>(bytes.constData() + descriptor(name, field) + 12);
    }
};

// The containers written by tools/make_import_fixtures.py: "rules", "teacher_twice",
// "no_courses", "preassign", "long_hours"; the generator's docstring lists what each holds.
inline QString container(const QString& name) {
    return dataDir() + QLatin1Char('/') + name + QStringLiteral("/QZ.DBC");
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
    explicit Import(const QString& containerPath) {
        state.useDatabase(path);
        state.VerwDbcPfad = containerPath;
        state.SchjBez = QStringLiteral("2009/2010");
        state.SchjID = QStringLiteral("     9");
    }
    // Creates the file and runs the transfers; throws what they throw.
    void run(const importer::Selection& sel, const importer::Transfers::Progress& progress = {}) {
        db::createDatabase(path);
        dropped = importer::runTransfers(state, host, sel, progress);
    }
    QStringList rows(const QString& sql) const { return test::rowsOf(path, sql); }
    QStringList dump() const { return test::dumpDatabase(path); }

    test::TempDir dir;
    test::ScriptedHost host;
    platform::RunState state;
    QString path = dir.path(QStringLiteral("BB.MDB"));
    int dropped = 0; // placements dropped for want of their rail
};

} // namespace importtest
