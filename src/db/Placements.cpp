#include "db/Placements.h"

#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Statement.h"
#include "platform/Text.h"

#include <QCryptographicHash>
#include <QSet>
#include <QSqlQuery>

namespace db::placements {

void ensureTable(Connection& c) {
    if (!c.hasTable(QStringLiteral("ckkurs")))
        recreateCkkurs(c);
}

Writer::Writer(Connection& c)
    : c_(c), rows_(c, QStringLiteral("SELECT CK_ID, CK_BL_ID, CK_FIX, CK_KS_ID, CK_VFP_ID "
                                     "FROM ckkurs WHERE CK_KS_ID = ? ORDER BY CK_ID")),
      drop_(c, QStringLiteral("DELETE FROM ckkurs WHERE CK_ID = ?")),
      mark_(c, QStringLiteral("UPDATE ckkurs SET CK_FIX = ? WHERE CK_ID = ?")),
      add_(Statement::insert(c, QStringLiteral("ckkurs"),
                             {QStringLiteral("CK_BL_ID"), QStringLiteral("CK_KS_ID"),
                              QStringLiteral("CK_VFP_ID"), QStringLiteral("CK_FIX")})) {}

std::vector<Row> Writer::ofCourse(const QString& courseKey) {
    std::vector<Row> rows;
    QSqlQuery& q = rows_.run({courseKey});
    while (q.next())
        rows.push_back({q.value(0), q.value(1), q.value(3), q.value(4), q.value(2)});
    return rows;
}

void Writer::remove(qint64 id) {
    drop_.run({id});
}

void Writer::setFixed(qint64 id, const QVariant& fix) {
    mark_.run({fix, id});
}

qint64 Writer::add(const QString& railKey, const QString& courseKey, const QString& railId,
                   const QString& fix) {
    add_.run({railKey, courseKey, railId, fix});
    return add_.lastInsertId();
}

void Writer::restore(const QVariantList& fields) {
    Statement::insert(c_, QStringLiteral("ckkurs"),
                      {QStringLiteral("CK_ID"), QStringLiteral("CK_BL_ID"),
                       QStringLiteral("CK_KS_ID"), QStringLiteral("CK_VFP_ID"),
                       QStringLiteral("CK_FIX")})
        .run(fields);
}

namespace {

// The digest of a table's rows; a table a file may lack counts as an empty one.
QByteArray digestOf(Connection& c, const QString& table, const QString& sql) {
    return c.hasTable(table) ? c.digest(sql)
                             : QCryptographicHash::hash({}, QCryptographicHash::Sha1);
}

} // namespace

QByteArray planState(Connection& c) {
    QByteArray state;
    if (c.hasTable(QStringLiteral("ckkurs")))
        state += c.digest(QStringLiteral(
            "SELECT CK_ID, CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"));
    state += c.digest(QStringLiteral("SELECT * FROM belegung ORDER BY BG_ID"));
    // The rails' hours decide where a course fits; the courses' hours, limits and teachers, the
    // subjects' hours and the rules what a plan must keep.
    state += c.digest(QStringLiteral("SELECT * FROM block ORDER BY BL_ID"));
    state += c.digest(QStringLiteral("SELECT * FROM kurs ORDER BY KS_ID"));
    state += c.digest(QStringLiteral("SELECT * FROM kolleg ORDER BY KO_ID"));
    state += c.digest(QStringLiteral("SELECT * FROM fachang ORDER BY FA_ID"));
    state += digestOf(c, QStringLiteral("lehrer"),
                      QStringLiteral("SELECT * FROM lehrer ORDER BY LE_ID"));
    state +=
        digestOf(c, QStringLiteral("regel"), QStringLiteral("SELECT * FROM regel ORDER BY RG_ID"));
    return state;
}

std::vector<std::pair<QString, QString>> coursesOnRail(Connection& c, const QVariant& railKey) {
    std::vector<std::pair<QString, QString>> courses;
    QSqlQuery& q = c.prepared(QStringLiteral("SELECT k.KS_BEZ, c.CK_KS_ID FROM ckkurs c "
                                             "JOIN kurs k ON k.KS_VFP_ID = c.CK_KS_ID "
                                             "WHERE c.CK_BL_ID = ? ORDER BY c.CK_ID"))
                       .run({railKey});
    while (q.next())
        courses.emplace_back(q.value(0).toString(), q.value(1).toString());
    return courses;
}

std::vector<OnRail> onRail(Connection& c, const QVariant& railKey) {
    QSqlQuery& q =
        c.prepared(QStringLiteral("SELECT c.CK_KS_ID, k.KS_BEZ, k.KS_SCHJ, k.KS_VFP_ID, c.CK_FIX "
                                  "FROM ckkurs c JOIN kurs k ON k.KS_VFP_ID = c.CK_KS_ID WHERE "
                                  "c.CK_BL_ID = ? ORDER BY c.CK_ID"))
            .run({railKey});
    std::vector<OnRail> out;
    while (q.next())
        // Other programs write the mark too; "1" is fixed, whatever else is not.
        out.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                       q.value(3).toString(),
                       q.value(4).toString().trimmed() == QLatin1String("1")});
    return out;
}

QByteArray fingerprint(Connection& c) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!c.hasTable(QStringLiteral("ckkurs")))
        return hash.result();
    QSqlQuery q = c.exec(QStringLiteral(
        "SELECT CK_ID, CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"));
    while (q.next()) {
        for (int i = 0; i < 5; ++i) {
            // NULL and "" differ, as they do in the table.
            hash.addData(q.value(i).isNull() ? QByteArrayLiteral("\x01")
                                             : q.value(i).toString().toUtf8() + '\x02');
        }
        hash.addData(QByteArrayLiteral("\n"));
    }
    return hash.result();
}

namespace {

const QStringList kFields = {QStringLiteral("CK_ID"), QStringLiteral("CK_BL_ID"),
                             QStringLiteral("CK_KS_ID"), QStringLiteral("CK_VFP_ID"),
                             QStringLiteral("CK_FIX")};

// The rows of rails not shown, every field.
std::vector<QVariantList> keptRows(Connection& c, const QString& schjId,
                                   const std::vector<ShownRail>& rails) {
    QSet<qint64> shown;
    for (const ShownRail& r : rails)
        shown.insert(r.blId);
    std::vector<QVariantList> kept;
    if (!c.hasTable(QStringLiteral("ckkurs")))
        return kept;
    QSqlQuery q = c.exec(QStringLiteral(
        "SELECT c.CK_ID, c.CK_BL_ID, c.CK_KS_ID, c.CK_VFP_ID, c.CK_FIX, b.BL_ID, b.BL_SCHJ "
        "FROM ckkurs c JOIN block b ON b.BL_VFP_ID = c.CK_BL_ID ORDER BY c.CK_ID"));
    while (q.next())
        if (q.value(6).toString() != schjId || !shown.contains(q.value(5).toLongLong()))
            kept.push_back({q.value(0), q.value(1), q.value(2), q.value(3), q.value(4)});
    return kept;
}

} // namespace

void rewrite(Connection& c, const QString& schjId, const std::vector<ShownRail>& rails) {
    const std::vector<QVariantList> kept = keptRows(c, schjId, rails);
    recreateCkkurs(c);
    {
        Statement keep = Statement::insert(c, QStringLiteral("ckkurs"), kFields);
        for (const QVariantList& r : kept)
            keep.run(r);
    }
    // The rail by its BL_ID: two rails whose names differ only in trailing blanks stay two.
    Statement rail(c, QStringLiteral("SELECT BL_VFP_ID, BL_ID, BL_STD FROM block "
                                     "WHERE BL_ID = ? AND BL_SCHJ = ?"));
    Statement hours(c, QStringLiteral("UPDATE block SET BL_STD = ? WHERE BL_ID = ?"),
                    QStringLiteral("block"), {QStringLiteral("BL_STD")});
    Statement write = Statement::insert(c, QStringLiteral("ckkurs"), kFields.mid(1));
    for (const ShownRail& shown : rails) {
        QSqlQuery& found = rail.run({shown.blId, schjId});
        // "" (not NULL) when the rail is not found.
        QString railKey = QStringLiteral("");
        QString railId = railKey;
        if (found.next()) {
            railKey = found.value(0).toString();
            railId = QString::number(found.value(1).toLongLong());
            // Cutting and inserting moves hours between rails; what the workspace shows is kept.
            if (platform::val(found.value(2).toString()) != shown.hours)
                hours.run({shown.hours, found.value(1)});
        }
        for (const auto& [course, fixed] : shown.courses)
            write.run({railKey, course, railId, fixed ? QStringLiteral("1") : QStringLiteral("0")});
    }
}

bool anyOnRail(Connection& c, const QString& railKey) {
    return !c.scalar(QStringLiteral("SELECT 1 FROM ckkurs WHERE CK_BL_ID = ? LIMIT 1"), {railKey})
                .isNull();
}

// --- For the Kurs42 exchange and the administration export.

std::vector<Placement> inStoredOrder(Connection& c) {
    std::vector<Placement> out;
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT CK_BL_ID, CK_KS_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"));
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
    return out;
}

void add(Connection& c, const QString& railKey, const QString& courseKey, bool fixed) {
    c.insert(QStringLiteral("ckkurs"),
             {{QStringLiteral("CK_BL_ID"), railKey},
              {QStringLiteral("CK_KS_ID"), courseKey},
              {QStringLiteral("CK_FIX"), fixed ? QStringLiteral("1") : QStringLiteral("0")}});
}

std::vector<PlacedCourse> withCourses(Connection& c) {
    std::vector<PlacedCourse> out;
    QSqlQuery q = c.exec(
        QStringLiteral("SELECT ck.CK_BL_ID, ck.CK_VFP_ID, ks.KS_ID, ks.KS_BEZ FROM ckkurs ck "
                       "LEFT JOIN kurs ks ON ks.KS_VFP_ID = ck.CK_KS_ID ORDER BY ck.CK_ID"));
    while (q.next())
        out.push_back({q.value(0), q.value(1), q.value(2), q.value(3)});
    finished(c, q);
    return out;
}

std::vector<Placed> all(Connection& c) {
    std::vector<Placed> out;
    if (!c.hasTable(QStringLiteral("ckkurs")))
        return out;
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT CK_BL_ID, CK_KS_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"));
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString(),
                       q.value(2).toString().trimmed() == QLatin1String("1")});
    return out;
}

} // namespace db::placements
