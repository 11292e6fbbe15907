#pragma once

#include "db/Courses.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace db {
class Connection;
}

// The course-choice editor's work on table belegung, each on the command's connection. A choice
// row is found again by student, subject and type, as the window kept them; a row that is gone
// by then is left alone.
namespace editors::beleg {

// BG_ART of the student's first row of that subject, "" when he has none.
QString BelArtFvK(db::Connection& c, const QString& student, const QString& subject);
// Whether the student holds the subject in a choice other than the row bgId.
bool holdsElsewhere(db::Connection& c, const QString& student, const QString& subject, qint64 bgId);
// The types the subject offers (offeredTypes of its FA_BELEG).
QStringList subjectTypes(db::Connection& c, const QString& subject);
// The first course of school year schjId for a choice of that subject in year group yg ("12"
// or "13"), asked as courseAsks says, so that a changed choice gets the course the
// pre-assignment would have given it; none when no course fits.
std::optional<db::courses::Candidate> courseFor(db::Connection& c, const QString& schjId,
                                                const QString& yg, const QString& subject, bool lk);

// The choice of oldSubject and type art gets newSubject, both courses emptied.
void AendBel(db::Connection& c, const QString& student, const QString& oldSubject,
             const QString& art, const QString& newSubject);
// The choice gets type newArt; the course of the year group the type has none in is emptied.
void AendBelArt(db::Connection& c, const QString& student, const QString& subject,
                const QString& oldArt, const QString& newArt);
// yearField 1 writes the course field of year group 12, 2 that of year group 13.
void AendernKurs(db::Connection& c, const QString& student, const QString& subject,
                 const QString& art, const QString& course, int yearField);

// A changed subject in one transaction: the row of subject and type kept gets the chosen
// subject, then the type art (where it differs) and the course in the year group's field.
void writeSubjectChange(db::Connection& c, const QString& student, const QString& keptSubject,
                        const QString& keptArt, const QString& chosen, const QString& art,
                        const QString& course, int yearField);
// A changed type in one transaction.
void writeTypeChange(db::Connection& c, const QString& student, const QString& subject,
                     const QString& oldArt, const QString& newArt);

} // namespace editors::beleg
