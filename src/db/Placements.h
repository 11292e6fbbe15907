#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// The gateway of table ckkurs: which course lies on which rail, and whether it is fixed.
namespace db {

class Connection;

namespace placements {

// The Kurs42 exchange's placements: the keys as stored.
struct Placement {
    QString rail, course, fix; // CK_BL_ID, CK_KS_ID, CK_FIX
};
// Every placement, in stored order.
std::vector<Placement> inStoredOrder(Connection& c);
// A new placement of the course on the rail, fixed or not.
void add(Connection& c, const QString& railKey, const QString& courseKey, bool fixed);

// The administration export's placements with their courses: null where not found.
struct PlacedCourse {
    QVariant railKey, placementKey; // CK_BL_ID, CK_VFP_ID
    QVariant courseId, courseBez;   // KS_ID, KS_BEZ of the course CK_KS_ID names
};
// Every placement, in stored order.
std::vector<PlacedCourse> withCourses(Connection& c);

} // namespace placements
} // namespace db
