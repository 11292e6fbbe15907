#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
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

// --- For the Kurs42 exchange and the administration export.

// The Kurs42 exchange's courses: the fields as text.
struct CourseOfYear {
    QString key, bez;                // KS_VFP_ID, KS_BEZ
    std::array<QString, 4> subjects; // KS_FA_ID1 .. KS_FA_ID4
    QString lkgk, hours, teacher;    // KS_LKGK, KS_STD, KS_LE_ID
};
// The courses of a school year in their order (KS_SORT, then stored order).
std::vector<CourseOfYear> inSortOrder(Connection& c, const QString& schjId);

struct NewCourse {
    QString schj, bez;
    int sort = 0;
    QVariant teacher; // null for none
    QString subject;  // in KS_FA_ID1 for year group 12, KS_FA_ID3 for 13
    int yearGroup = 12;
    QString lkgk, hours, key;
};
// A new course of the year group, without limits.
void add(Connection& c, const NewCourse& k);

// The automatic blocking's reads of courses and subjects (blocking/Model.cpp, Rules.cpp).

// A course of the school year as the blocking reads it: KS_STD, KS_MIN and KS_MAX as stored.
struct BlockingCourse {
    QString key;          // KS_VFP_ID
    QString name;         // KS_BEZ
    QStringList subjects; // KS_FA_ID1..4, as stored (NULL as "")
    QString yearCode;     // KS_JGST
    QString kind;         // KS_LKGK
    QVariant hours;       // KS_STD
    QVariant min;
    QVariant max;
    QString teacherKey; // KS_LE_ID
};
// The courses of the school year in the workspace's order (KS_SORT, KS_ID).
std::vector<BlockingCourse> forBlocking(Connection& c, const QString& schoolYear);

// The keys of the school year's courses whose designation is name (trimmed, letter case
// ignored), in the workspace's order.
QStringList keysNamed(Connection& c, const QString& schoolYear, const QString& name);
bool exists(Connection& c, const QString& schoolYear, const QString& key);
// The trimmed designation of the course of that key; none when it is gone.
std::optional<QString> designation(Connection& c, const QString& schoolYear, const QString& key);
// The designations of the school year's courses that have one, in the workspace's order.
QStringList designations(Connection& c, const QString& schoolYear);

// A subject of the offer (fachang) as stored.
struct OfferedSubject {
    QString key;    // FA_VFP_ID
    QVariant hours; // FA_STDGK
    QString phase;  // FA_KURSPH
    QString name;   // FA_BEZ
};
std::vector<OfferedSubject> subjects(Connection& c);
// The subjects whose key in the administration's plan (FA_PSCHL) is pschl (trimmed, letter
// case ignored): FA_VFP_ID and the trimmed abbreviation.
std::vector<std::pair<QString, QString>> subjectsOfPlanKey(Connection& c, const QString& pschl);
// The trimmed FA_PSCHL of the subjects whose FA_PSCHL or abbreviation is name (letter case
// ignored), in stored order.
QStringList planKeysNamed(Connection& c, const QString& name);
// The abbreviation of the subject of that FA_PSCHL, its key where it has none; none when no
// subject has the key.
std::optional<QString> subjectAbbreviation(Connection& c, const QString& pschl);
// Every FA_PSCHL with its abbreviation after two blanks, sorted, each once.
QStringList subjectListing(Connection& c);
// The course counts of the proposals: every course's key (KS_VFP_ID) and its best size
// (KS_OPT) where the school year's course sets one above 0, in stored order.
std::vector<std::pair<QString, int>> optimalSizes(Connection& c, const QString& schjId);

} // namespace courses
} // namespace db
