#pragma once

#include <QString>
#include <QStringList>
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

// The course counts of the proposals: every course's key (KS_VFP_ID) and its best size
// (KS_OPT) where the school year's course sets one above 0, in stored order.
std::vector<std::pair<QString, int>> optimalSizes(Connection& c, const QString& schjId);

} // namespace courses
} // namespace db
