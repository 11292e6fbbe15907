#include "editors/frmBelegWrites.h"

#include "db/Database.h"
#include "db/Queries.h"
#include "editors/frmBelegChecks.h"

namespace editors::beleg {

namespace {

// The first belegung row of the student with that subject and type, 0 when there is none.
qint64 rowOf(db::Connection& c, const QString& student, const QString& subject,
             const QString& art) {
    return c
        .scalar(QStringLiteral("SELECT BG_ID FROM belegung WHERE BG_KO_ID = ? AND BG_FA_ID = ? "
                               "AND BG_ART = ? ORDER BY BG_ID LIMIT 1"),
                {student, subject, art})
        .toLongLong();
}

} // namespace

QString BelArtFvK(db::Connection& c, const QString& student, const QString& subject) {
    return c
        .scalar(QStringLiteral("SELECT BG_ART FROM belegung WHERE BG_KO_ID = ? AND BG_FA_ID = ? "
                               "ORDER BY BG_ID LIMIT 1"),
                {student, subject})
        .toString();
}

bool holdsElsewhere(db::Connection& c, const QString& student, const QString& subject,
                    qint64 bgId) {
    return !c.scalar(QStringLiteral("SELECT 1 FROM belegung WHERE BG_KO_ID = ? AND BG_FA_ID = ? "
                                    "AND BG_ID <> ? LIMIT 1"),
                     {student, subject, bgId})
                .isNull();
}

QStringList subjectTypes(db::Connection& c, const QString& subject) {
    return offeredTypes(
        c.scalar(QStringLiteral("SELECT FA_BELEG FROM fachang WHERE FA_VFP_ID = ? LIMIT 1"),
                 {subject})
            .toString());
}

std::optional<importer::CourseCandidate> courseFor(db::Connection& c, const QString& schjId,
                                                   const QString& yg, const QString& subject,
                                                   bool lk) {
    for (const auto& [kind, code] : courseAsks(yg, lk)) {
        const auto list = importer::findCourses(c, schjId, subject, kind, code, yg);
        if (!list.empty())
            return list.front();
    }
    return std::nullopt;
}

void AendBel(db::Connection& c, const QString& student, const QString& oldSubject,
             const QString& art, const QString& newSubject) {
    const qint64 id = rowOf(c, student, oldSubject, art);
    if (id == 0)
        return;
    db::checkValue(QStringLiteral("belegung"), QStringLiteral("BG_FA_ID"), newSubject);
    c.exec(QStringLiteral("UPDATE belegung SET BG_FA_ID = ?, %1 = NULL, %2 = NULL WHERE BG_ID = ?")
               .arg(db::courseField(12), db::courseField(13)),
           {newSubject, id});
}

void AendBelArt(db::Connection& c, const QString& student, const QString& subject,
                const QString& oldArt, const QString& newArt) {
    const qint64 id = rowOf(c, student, subject, oldArt);
    if (id == 0)
        return;
    db::checkValue(QStringLiteral("belegung"), QStringLiteral("BG_ART"), newArt);
    QString sql = QStringLiteral("UPDATE belegung SET BG_ART = ?");
    if (const int emptied = emptyYearOf(newArt))
        sql += QStringLiteral(", %1 = NULL").arg(db::courseField(emptied));
    c.exec(sql + QStringLiteral(" WHERE BG_ID = ?"), {newArt, id});
}

void AendernKurs(db::Connection& c, const QString& student, const QString& subject,
                 const QString& art, const QString& course, int yearField) {
    const qint64 id = rowOf(c, student, subject, art);
    if (id == 0)
        return;
    c.exec(QStringLiteral("UPDATE belegung SET %1 = ? WHERE BG_ID = ?")
               .arg(db::courseField(yearField == 1 ? 12 : 13)),
           {course, id});
}

void writeSubjectChange(db::Connection& c, const QString& student, const QString& keptSubject,
                        const QString& keptArt, const QString& chosen, const QString& art,
                        const QString& course, int yearField) {
    db::Transaction tx(c);
    AendBel(c, student, keptSubject, keptArt, chosen);
    if (art != keptArt)
        AendBelArt(c, student, chosen, keptArt, art);
    AendernKurs(c, student, chosen, art, course, yearField);
    tx.commit();
}

void writeTypeChange(db::Connection& c, const QString& student, const QString& subject,
                     const QString& oldArt, const QString& newArt) {
    db::Transaction tx(c);
    AendBelArt(c, student, subject, oldArt, newArt);
    tx.commit();
}

} // namespace editors::beleg
