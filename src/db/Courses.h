#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
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

} // namespace courses
} // namespace db
