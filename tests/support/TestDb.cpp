#include "support/TestDb.h"

#include "db/BlockDatabase.h"
#include "db/Schema.h"

#include <QFile>
#include <QSqlRecord>
#include <algorithm>
#include <gtest/gtest.h>

namespace test {

Row merged(Row base, const Row& extra) {
    for (const auto& field : extra) {
        auto it = std::find_if(base.begin(), base.end(),
                               [&](const auto& f) { return f.first == field.first; });
        if (it != base.end())
            it->second = field.second;
        else
            base.push_back(field);
    }
    return base;
}

QStringList dumpDatabase(const QString& path) {
    QStringList out;
    for (const db::TableDef& t : db::tables())
        for (const QString& row :
             rowsOf(path, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(t.name)))
            out << t.name + QLatin1Char(':') + row;
    return out;
}

TempDir::TempDir() {
    EXPECT_TRUE(dir_.isValid());
}

void TempDir::write(const QString& name, const QByteArray& bytes) const {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name.toStdString();
    f.write(bytes);
}

QByteArray TempDir::read(const QString& name) const {
    QFile f(path(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

TestDb::TestDb(QString path) : path_(std::move(path)) {
    db::createDatabase(path_);
}

QStringList rowsOf(const QString& path, const QString& sql, const QVariantList& values) {
    db::Connection c(path);
    QSqlQuery q = c.exec(sql, values);
    QStringList out;
    while (q.next()) {
        QStringList fields;
        for (int i = 0; i < q.record().count(); ++i)
            fields << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
        out << fields.join(QLatin1Char('|'));
    }
    return out;
}

void TestDb::useIn(platform::RunState& s, const QString& schjBez, const QString& schjId) const {
    s.useDatabase(path_);
    s.SchjBez = schjBez;
    s.SchjID = schjId;
}

} // namespace test
