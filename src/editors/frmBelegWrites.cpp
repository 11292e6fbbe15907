#include "editors/frmBelegWrites.h"

#include "db/Choices.h"
#include "db/Courses.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "editors/frmBelegChecks.h"

namespace editors::beleg {

namespace {

// The first belegung row of the student with that subject and type, 0 when there is none.
qint64 rowOf(db::Connection& c, const QString& student, const QString& subject,
             const QString& art) {
    return db::choices::firstRow(c, student, subject, art);
}

} // namespace

QString BelArtFvK(db::Connection& c, const QString& student, const QString& subject) {
    return db::choices::firstArt(c, student, subject);
}

bool holdsElsewhere(db::Connection& c, const QString& student, const QString& subject,
                    qint64 bgId) {
    return db::choices::holdsElsewhere(c, student, subject, bgId);
}

QStringList subjectTypes(db::Connection& c, const QString& subject) {
    return offeredTypes(db::courses::subjectTypes(c, subject));
}

std::optional<db::courses::Candidate> courseFor(db::Connection& c, const QString& schjId,
                                                const QString& yg, const QString& subject,
                                                bool lk) {
    for (const auto& [kind, code] : courseAsks(yg, lk)) {
        const auto list = db::courses::forSubject(c, schjId, subject, kind, code, yg);
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
    db::choices::changeSubject(c, id, newSubject);
}

void AendBelArt(db::Connection& c, const QString& student, const QString& subject,
                const QString& oldArt, const QString& newArt) {
    const qint64 id = rowOf(c, student, subject, oldArt);
    if (id == 0)
        return;
    db::choices::changeArt(c, id, newArt, emptyYearOf(newArt));
}

void AendernKurs(db::Connection& c, const QString& student, const QString& subject,
                 const QString& art, const QString& course, int yearField) {
    const qint64 id = rowOf(c, student, subject, art);
    if (id == 0)
        return;
    db::choices::setCourse(c, id, yearField == 1 ? 12 : 13, course);
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
