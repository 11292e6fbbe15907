#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

// The gateway of table kurs: the courses of a school year, their parallels, limits and teachers.
namespace db {

class Connection;

namespace courses {

// Every course's key (KS_VFP_ID) in no particular order.
QStringList keys(Connection& c);

// Every course's key and designation (KS_BEZ as stored) in stored order.
std::vector<std::pair<QString, QString>> designations(Connection& c);

// A course the look-up by subject found: its key (KS_VFP_ID) and designation (KS_BEZ, trimmed).
struct Candidate {
    QString key;
    QString bez;
};
// The courses of school year schjId that teach subject at year-group code code ("11", "12",
// "50" ...) and course kind kind ("L", "K" ...), in stored order. Year group yg "12" looks in the
// first two subject columns, any other yg in the third and fourth. Prepared once per connection.
std::vector<Candidate> forSubject(Connection& c, const QString& schjId, const QString& subject,
                                  const QString& kind, const QString& code, const QString& yg);

// The subjects the courses teach (fachang): every subject's key and designation (FA_BEZ as
// stored) in stored order.
std::vector<std::pair<QString, QString>> subjectDesignations(Connection& c);

// The placement workspace.
// A course as the workspace reads it: designation, school year, key, subjects, year group,
// kind and hours.
struct Course {
    QString bez;
    QString schj;
    QString key;
    QVariant fa1;
    QVariant fa3;
    QString jgst;
    QString lkgk;
    QVariant std;
};
// The courses of a school year in the order of KS_SORT, then stored order.
std::vector<Course> ofSchoolYear(Connection& c, const QString& schjId);
// The first course of the key in stored order.
std::optional<Course> byKey(Connection& c, const QString& key);
bool any(Connection& c);
// The school year's keys in the order of KS_SORT, then stored order.
QStringList keysBySort(Connection& c, const QString& schjId);
// Key, designation and school year of the school year's courses in stored order.
std::vector<Course> namesOfSchoolYear(Connection& c, const QString& schjId);
// FA_STDGK of the subject; empty when the subject is not found.
QVariant basicHours(Connection& c, const QVariant& subject);
// KS_LKGK of the course, "" when it is not found.
QString kind(Connection& c, const QString& key);
// The parallel courses of the school year's course of that key: same subjects, year group and
// kind, any school year, the course itself left out, in stored order (none for a course
// without any of them). No value when the school year has no course of that key.
struct Parallels {
    QString ownKey;
    std::vector<std::pair<QString, QString>> courses; // KS_BEZ, KS_VFP_ID
};
std::optional<Parallels> parallelsOf(Connection& c, const QString& key, const QString& schjId);
// KS_ID of the first course of the key (NULL when none), and that row deleted.
QVariant idOf(Connection& c, const QString& key);
void remove(Connection& c, const QVariant& id);

// The course-choice editor (frmBeleg).
// KS_BEZ of the course, "" when there is none.
QString designation(Connection& c, const QString& key);
// A subject (fachang) of a cohort: designation, key and the choice types it offers (FA_BELEG).
struct Subject {
    QString bez;
    QString key;
    QString beleg;
};
std::vector<Subject> subjectsOfCohort(Connection& c, const QString& cohort);
QString subjectDesignation(Connection& c, const QString& key);
QString subjectTypes(Connection& c, const QString& key);

} // namespace courses
} // namespace db
