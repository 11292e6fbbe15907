#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <vector>

// The gateway of table kurs: the courses of a school year, their parallels, limits and teachers.
namespace db {

class Connection;

namespace courses {

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
