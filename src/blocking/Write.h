#pragma once

#include "blocking/Model.h"

#include <QVariant>
#include <vector>

namespace db {
class Connection;
}

namespace blocking {

// The cohort's placements into ckkurs, in the form the workspace's saving writes them: a row
// per course and rail (CK_VFP_ID the rail's BL_ID, CK_FIX "1" for a fixed placement). Rows that
// stay keep their keys; the rows of other courses and of other school years' rails are left
// alone.
void writePlacement(db::Connection& c, const Model& m, const Placement& p);

// A choice whose course the blocking changed: its year field before (NULL stays NULL) and after.
struct CourseChange {
    qint64 bgId = 0;
    QVariant before;
    QString after;
};

// The students' courses into the year field of their choices, where they changed, in one
// transaction; what each field held before, for undoing it.
std::vector<CourseChange> writeCourses(db::Connection& c, const Model& m, const Assignment& a);

// Puts back what writeCourses replaced, in one transaction.
void undoCourses(db::Connection& c, const QString& courseField,
                 const std::vector<CourseChange>& changes);

// Placements and courses in one transaction.
std::vector<CourseChange> write(db::Connection& c, const Model& m, const Placement& p,
                                const Assignment& a);

} // namespace blocking
