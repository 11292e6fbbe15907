#include "db/Choices.h"

#include "db/Database.h"
#include "db/Queries.h"
#include "db/Statement.h"

#include <QSqlQuery>
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

// --- For the Kurs42 exchange and the administration export.

std::vector<CohortChoice> ofCohort(Connection& c, const QString& cohort, int yearGroup) {
    std::vector<CohortChoice> out;
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT b.BG_VFP_ID, b.BG_KO_ID, b.BG_FA_ID, b.BG_ART, b.%1 FROM "
                              "belegung b JOIN kolleg k ON k.KO_VFP_ID = b.BG_KO_ID WHERE "
                              "trim(k.KO_KURSPH) = ? ORDER BY k.KO_ID, b.BG_ID")
                   .arg(courseField(yearGroup)),
               {cohort});
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                       q.value(3).toString(), q.value(4).toString()});
    return out;
}

void add(Connection& c, const NewChoice& w) {
    c.insert(QStringLiteral("belegung"), {{QStringLiteral("BG_ID"), w.id},
                                          {QStringLiteral("BG_KO_ID"), w.student},
                                          {courseField(w.yearGroup), w.course},
                                          {QStringLiteral("BG_FA_ID"), w.subject},
                                          {QStringLiteral("BG_ART"), w.art},
                                          {QStringLiteral("BG_VFP_ID"), w.key}});
}

void eachStudentWithBasicChoices(Connection& c, const QString& phase,
                                 const std::function<void(const StudentBasicChoice&)>& visit) {
    // A choice of type "L" and one without type never match "<> 'L'".
    QSqlQuery q = c.exec(
        QStringLiteral(
            "SELECT ko.KO_ID, ko.KO_FAMNAME, ko.KO_RUFNAME, bg.BG_ID, bg.%1, "
            "bg.%2, bg.BG_FA_ID, bg.BG_ART, k12.KS_ID, k12.KS_BEZ, k13.KS_ID, k13.KS_BEZ, "
            "fa.FA_ID, fa.FA_KURSPH, fa.FA_PSCHL "
            "FROM kolleg ko "
            "LEFT JOIN belegung bg ON bg.BG_KO_ID = ifnull(ko.KO_VFP_ID, '') AND bg.BG_ART <> 'L' "
            "LEFT JOIN kurs k12 ON k12.KS_VFP_ID = bg.%1 "
            "LEFT JOIN kurs k13 ON k13.KS_VFP_ID = bg.%2 "
            "LEFT JOIN fachang fa ON fa.FA_VFP_ID = bg.BG_FA_ID "
            "WHERE ko.KO_KURSPH = ? ORDER BY ko.KO_ID, bg.BG_ID")
            .arg(courseField(12), courseField(13)),
        {phase});
    while (q.next())
        visit({q.value(0), q.value(1), q.value(2), q.value(3), q.value(4), q.value(5), q.value(6),
               q.value(7), q.value(8), q.value(9), q.value(10), q.value(11), q.value(12),
               q.value(13), q.value(14)});
    finished(c, q);
}

std::vector<Row> rows(Connection& c) {
    std::vector<Row> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BG_ID, BG_KO_ID, %1, %2, BG_FA_ID, BG_ART "
                                        "FROM belegung ORDER BY BG_ID")
                             .arg(courseField(12), courseField(13)));
    while (q.next())
        out.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                       q.value(3).toString(), q.value(4).toString(), q.value(5).toString()});
    return out;
}

std::vector<Row> courses(Connection& c) {
    std::vector<Row> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BG_ID, %1, %2 FROM belegung ORDER BY BG_ID")
                             .arg(courseField(12), courseField(13)));
    while (q.next())
        out.push_back(
            {q.value(0).toLongLong(), {}, q.value(1).toString(), q.value(2).toString(), {}, {}});
    return out;
}

std::vector<SubjectCount> subjectCountsOfCohort(Connection& c, const QString& cohort) {
    std::vector<SubjectCount> rows;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BG_FA_ID, BG_ART, count(*) FROM belegung "
                                        "JOIN kolleg ON BG_KO_ID = KO_VFP_ID "
                                        "WHERE trim(KO_KURSPH) = ? GROUP BY BG_FA_ID, BG_ART"),
                         {cohort});
    while (q.next())
        rows.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toInt()});
    return rows;
}

} // namespace db::choices
