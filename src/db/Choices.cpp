#include "db/Choices.h"

#include "db/Database.h"
#include "db/Queries.h"
#include "db/Statement.h"

#include <stdexcept>

namespace db::choices {

namespace {

// The field goes into the statements' text: only the two course fields may.
const QString& courseFieldName(const QString& field) {
    if (field != courseField(12) && field != courseField(13))
        throw std::invalid_argument("CourseField: no course field");
    return field;
}

} // namespace

CourseField::CourseField(Connection& c, const QString& field)
    : get_(c,
           QStringLiteral("SELECT %1 FROM belegung WHERE BG_ID = ?").arg(courseFieldName(field))),
      set_(c, QStringLiteral("UPDATE belegung SET %1 = ? WHERE BG_ID = ?").arg(field)) {}

std::optional<QVariant> CourseField::get(qint64 bgId) {
    QSqlQuery& q = get_.run({bgId});
    if (!q.next())
        return std::nullopt;
    return q.value(0);
}

void CourseField::set(qint64 bgId, const QVariant& course) {
    set_.run({course, bgId});
}

int count(Connection& c) {
    return c.scalar(QStringLiteral("SELECT count(*) FROM belegung")).toInt();
}

std::vector<Choice> all(Connection& c) {
    std::vector<Choice> rows;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BG_ID, BG_KO_ID, %1, %2, BG_FA_ID, BG_ART "
                                        "FROM belegung ORDER BY BG_ID")
                             .arg(courseField(12), courseField(13)));
    while (q.next())
        rows.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2), q.value(3),
                        q.value(4).toString(), q.value(5).toString()});
    return rows;
}

std::vector<std::pair<qint64, QString>> coursesOfCohort(Connection& c, const QString& cohort,
                                                        int yearGroup) {
    std::vector<std::pair<qint64, QString>> rows;
    QSqlQuery q = c.exec(QStringLiteral("SELECT k.KO_ID, b.%1 FROM kolleg k "
                                        "JOIN belegung b ON b.BG_KO_ID = k.KO_VFP_ID "
                                        "WHERE k.KO_KURSPH = ? AND b.%1 IS NOT NULL")
                             .arg(courseField(yearGroup)),
                         {cohort});
    while (q.next())
        rows.emplace_back(q.value(0).toLongLong(), q.value(1).toString());
    return rows;
}

QVariant courseIn(Connection& c, qint64 bgId, int yearGroup) {
    QSqlQuery& q =
        c.prepared(
             QStringLiteral("SELECT %1 FROM belegung WHERE BG_ID = ?").arg(courseField(yearGroup)))
            .run({bgId});
    const QVariant course = q.next() ? q.value(0) : QVariant();
    q.finish(); // no read lock left behind
    return course;
}

void setCourse(Connection& c, qint64 bgId, int yearGroup, const QVariant& courseKey) {
    const QString field = courseField(yearGroup);
    checkValue(QStringLiteral("belegung"), field, courseKey);
    c.prepared(QStringLiteral("UPDATE belegung SET %1 = ? WHERE BG_ID = ?").arg(field))
        .run({courseKey, bgId});
}

std::vector<StudentChoice> studentsInCourse(Connection& c, const QString& courseKey,
                                            int yearGroup) {
    QSqlQuery& q =
        c.prepared(QStringLiteral("SELECT b.BG_ID, b.BG_KO_ID, k.KO_FAMNAME, k.KO_RUFNAME, "
                                  "k.KO_PARLLKL, k.KO_VFP_ID FROM belegung b JOIN kolleg k ON "
                                  "k.KO_VFP_ID = b.BG_KO_ID WHERE b.%1 = ? ORDER BY b.BG_ID")
                       .arg(courseField(yearGroup)))
            .run({courseKey});
    std::vector<StudentChoice> out;
    while (q.next())
        out.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                       q.value(3).toString(), q.value(4).toString(), q.value(5).toString()});
    return out;
}

QHash<QString, int> countsByCourse(Connection& c) {
    // Along the indexes of the two year fields.
    QHash<QString, int> counts;
    const QString f12 = courseField(12);
    const QString f13 = courseField(13);
    for (const QString& sql :
         {QStringLiteral("SELECT %1, count(*) FROM belegung WHERE %1 IS NOT NULL GROUP BY %1")
              .arg(f12),
          QStringLiteral("SELECT %2, count(*) FROM belegung WHERE %2 IS NOT NULL "
                         "AND (%1 IS NULL OR %2 <> %1) GROUP BY %2")
              .arg(f12, f13)}) {
        QSqlQuery q = c.exec(sql);
        while (q.next())
            counts[q.value(0).toString()] += q.value(1).toInt();
    }
    return counts;
}

std::vector<PhaseRow> rowsInPhase(Connection& c, const QString& studentKey, int yearGroup) {
    QSqlQuery q = c.exec(QStringLiteral("SELECT b.%1, b.%2, k.KS_BEZ FROM belegung b LEFT JOIN "
                                        "kurs k ON k.KS_VFP_ID = b.%1 WHERE b.BG_KO_ID = ? "
                                        "ORDER BY b.BG_ID")
                             .arg(courseField(yearGroup), courseField(yearGroup == 12 ? 13 : 12)),
                         {studentKey});
    std::vector<PhaseRow> out;
    while (q.next())
        out.push_back({q.value(0), q.value(1), q.value(2).toString()});
    return out;
}

bool exists(Connection& c, qint64 bgId) {
    return c
        .scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM belegung WHERE BG_ID = ?)"), {bgId})
        .toBool();
}

qint64 rowWithCourse(Connection& c, const QString& studentKey, int yearGroup,
                     const QString& courseKey) {
    return c
        .scalar(QStringLiteral("SELECT BG_ID FROM belegung WHERE BG_KO_ID = ? AND %1 = ? "
                               "ORDER BY BG_ID LIMIT 1")
                    .arg(courseField(yearGroup)),
                {studentKey, courseKey})
        .toLongLong();
}

std::vector<ChoiceRow> rowsOfStudent(Connection& c, const QString& student, bool advanced) {
    QSqlQuery q = c.exec(
        QStringLiteral("SELECT BG_ID, BG_FA_ID, %1, %2, BG_ART FROM belegung "
                       "WHERE BG_KO_ID = ? AND %3 ORDER BY BG_ID")
            .arg(courseField(12), courseField(13),
                 advanced ? QStringLiteral("BG_ART = 'L'") : QStringLiteral("BG_ART <> 'L'")),
        {student});
    std::vector<ChoiceRow> rows;
    while (q.next())
        rows.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2), q.value(3),
                        q.value(4).toString()});
    return rows;
}

bool hasAdvanced(Connection& c, const QString& student) {
    return !c.scalar(QStringLiteral(
                         "SELECT 1 FROM belegung WHERE BG_KO_ID = ? AND BG_ART = 'L' LIMIT 1"),
                     {student})
                .isNull();
}

QString subjectOf(Connection& c, qint64 bgId) {
    return c.scalar(QStringLiteral("SELECT BG_FA_ID FROM belegung WHERE BG_ID = ?"), {bgId})
        .toString();
}

QString artOf(Connection& c, qint64 bgId) {
    return c.scalar(QStringLiteral("SELECT BG_ART FROM belegung WHERE BG_ID = ?"), {bgId})
        .toString();
}

qint64 firstRow(Connection& c, const QString& student, const QString& subject, const QString& art) {
    return c
        .scalar(QStringLiteral("SELECT BG_ID FROM belegung WHERE BG_KO_ID = ? AND BG_FA_ID = ? "
                               "AND BG_ART = ? ORDER BY BG_ID LIMIT 1"),
                {student, subject, art})
        .toLongLong();
}

QString firstArt(Connection& c, const QString& student, const QString& subject) {
    return c
        .scalar(QStringLiteral("SELECT BG_ART FROM belegung WHERE BG_KO_ID = ? AND BG_FA_ID = ? "
                               "ORDER BY BG_ID LIMIT 1"),
                {student, subject})
        .toString();
}

bool holdsElsewhere(Connection& c, const QString& student, const QString& subject, qint64 bgId) {
    return !c.scalar(QStringLiteral("SELECT 1 FROM belegung WHERE BG_KO_ID = ? AND BG_FA_ID = ? "
                                    "AND BG_ID <> ? LIMIT 1"),
                     {student, subject, bgId})
                .isNull();
}

void changeSubject(Connection& c, qint64 bgId, const QString& subject) {
    checkValue(QStringLiteral("belegung"), QStringLiteral("BG_FA_ID"), subject);
    c.exec(QStringLiteral("UPDATE belegung SET BG_FA_ID = ?, %1 = NULL, %2 = NULL WHERE BG_ID = ?")
               .arg(courseField(12), courseField(13)),
           {subject, bgId});
}

void changeArt(Connection& c, qint64 bgId, const QString& art, int emptiedYearGroup) {
    checkValue(QStringLiteral("belegung"), QStringLiteral("BG_ART"), art);
    QString sql = QStringLiteral("UPDATE belegung SET BG_ART = ?");
    if (emptiedYearGroup != 0)
        sql += QStringLiteral(", %1 = NULL").arg(courseField(emptiedYearGroup));
    c.exec(sql + QStringLiteral(" WHERE BG_ID = ?"), {art, bgId});
}

} // namespace db::choices
