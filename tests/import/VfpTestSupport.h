#pragma once

#include "import/vfp/Table.h"

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <string>
#include <vector>

namespace vfptest {

// Files written by Visual FoxPro itself; absent on machines without the shared folder.
QString vfpFixtures();
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
bool fixturesMustExist();
// Files written by tools/make_vfp_fixtures.py.
QString dataDir();

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
// Opens the table and decodes every value of every live record.
void readAll(const QString& path);

// A copy of a fixture folder in a temporary directory, to be damaged byte by byte.
class Scratch {
public:
    explicit Scratch(const QString& sourceDir);
    QString path(const QString& name) const;
    QByteArray read(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
    void patch(const QString& name, qint64 offset, const QByteArray& bytes) const;
    // A little-endian integer, as the table headers hold them.
    template <typename T> void patchInt(const QString& name, qint64 offset, T value) const {
        QByteArray bytes(sizeof(T), '\0');
        qToLittleEndian(value, bytes.data());
        patch(name, offset, bytes);
    }
    void truncate(const QString& name, qint64 size) const;
    void remove(const QString& name) const;

    // Start of the descriptor of the field with this stored name.
    qint64 descriptor(const QString& name, const QString& field) const;
    // Start of a field's value in a record (records counted from 0, deleted ones included).
    qint64 valueAt(const QString& name, int record, const QString& field) const;

private:
    QTemporaryDir dir_;
};

} // namespace vfptest
