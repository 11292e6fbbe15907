#pragma once

#include <QString>
#include <vector>

// The gateway of table fachang: the subjects offered to a cohort.
namespace db {

class Connection;

namespace subjects {

// The Kurs42 exchange's subjects.
struct Subject {
    QString key, pschl, bez; // FA_VFP_ID, FA_PSCHL, FA_BEZ
};
// The subjects offered to the cohort (FA_KURSPH, compared trimmed), in stored order.
std::vector<Subject> offeredTo(Connection& c, const QString& cohort);

struct NewSubject {
    QString phase, pschl, bez, beleg;
    QString stdGk; // a null text for none
    QString key;
};
// A new subject of the cohort's offer; its advanced and basic designations are bez.
void add(Connection& c, const NewSubject& s);

} // namespace subjects
} // namespace db
