#pragma once

#include "blocking/Model.h"

namespace db {
class Connection;
}

namespace blocking {

// The cohort's placements into ckkurs, in the form the workspace's saving writes them: a row
// per course and rail (CK_VFP_ID the rail's BL_ID, CK_FIX "1" for a fixed placement). Rows that
// stay keep their keys; the rows of other courses and of other school years' rails are left
// alone.
void writePlacement(db::Connection& c, const Model& m, const Placement& p);

// The students' courses into the year field of their choices, where they changed.
void writeCourses(db::Connection& c, const Model& m, const Assignment& a);

// Both in one transaction.
void write(db::Connection& c, const Model& m, const Placement& p, const Assignment& a);

} // namespace blocking
