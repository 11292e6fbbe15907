#pragma once

#include "db/Database.h"
#include "platform/RunState.h"
#include "support/Printers.h"

#include <QTemporaryDir>
#include <utility>
#include <vector>

namespace test {

using Row = std::vector<std::pair<QString, QVariant>>;

// The fields of base with those of extra replacing or added to them.
Row merged(Row base, const Row& extra);

// A temporary folder that lives as long as the test.
class TempDir {
public:
    TempDir();
    // The folder with a trailing separator, as DatenPfad holds it.
    QString dir() const { return dir_.path() + QLatin1Char('/'); }
    QString path(const QString& name) const { return dir() + name; }
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// All rows of a query on the database at path as text, fields joined by "|", NULL as "<null>".
QStringList rowsOf(const QString& path, const QString& sql, const QVariantList& values = {});
// Every row of every table of the database at path in stored order, each as "table:a|b|<null>".
QStringList dumpDatabase(const QString& path);

// A block-formation database file for a test: created empty with the full schema, filled row by
// row through the same insert the program uses.
class TestDb {
public:
    explicit TestDb(QString path);
    const QString& path() const { return path_; }

    qint64 insert(const QString& table, const Row& values) {
        return db::Connection(path_).insert(table, values);
    }
    QVariant scalar(const QString& sql, const QVariantList& values = {}) {
        return db::Connection(path_).scalar(sql, values);
    }
    // All rows of a query as text, fields joined by "|", NULL as "<null>".
    QStringList rows(const QString& sql, const QVariantList& values = {}) {
        return rowsOf(path_, sql, values);
    }

    void schoolYear(const QString& bez, const QString& key) {
        insert(QStringLiteral("schjahr"), {{"SJ_SCHJ", bez}, {"SJ_VFP_ID", key}});
    }
    // Points a run state at this file with the school year set.
    void useIn(platform::RunState& s, const QString& schjBez, const QString& schjId) const;

private:
    QString path_;
};

} // namespace test
