#pragma once

#include "blocking/Model.h"

#include <QByteArray>
#include <QVariant>
#include <optional>
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

// A choice whose course the blocking changed: its year field (BG_KS_ID_12 or _13), what it held
// before (NULL stays NULL) and after.
struct CourseChange {
    qint64 bgId = 0;
    QString field;
    QVariant before;
    QString after;
};

// The students' courses into the year field of their choices, where they changed, in one
// transaction; what each field held before, for undoing it.
std::vector<CourseChange> writeCourses(db::Connection& c, const Model& m, const Assignment& a);

// Puts back what writeCourses replaced, in one transaction.
void undoCourses(db::Connection& c, const std::vector<CourseChange>& changes);

// A plan is computed from what the model read: the placements (ckkurs, with CK_FIX), the choices,
// the rails' and courses' hours, limits and teachers, the students, subjects and the planner's
// rules; the search may take minutes, and another program may write meanwhile. This fingerprint
// of all of them (db::placements::planState), taken with the model and again inside the write's
// transaction, tells whether the plan still fits what stands in the file.
QByteArray readState(db::Connection& c);

// The cohort's model with the state it was read from, in one transaction that first proves the
// file can be written: a plan that could not be stored is refused before the search, not after.
struct Loaded {
    Model model;
    QByteArray state;
};
// A model the caller holds (known, read in the state knownState) is taken instead of reading
// the cohort again while the file still is in that state.
Loaded loadForPlan(db::Connection& c, const SchoolYear& year, int cohort,
                   const Model* known = nullptr, const QByteArray& knownState = {});
// Both year groups, as one model (Model::load with both cohorts).
Loaded loadForPlan(db::Connection& c, const SchoolYear& year, const std::vector<int>& cohorts);

// Everything a written plan replaced, to take it back whole.
struct Written {
    std::vector<CourseChange> courses;
    std::vector<QVariantList> removed;              // ckkurs rows taken away, every field
    std::vector<qint64> added;                      // CK_ID of the rows added
    std::vector<std::pair<qint64, QVariant>> fixes; // CK_ID and CK_FIX before
    std::vector<std::pair<qint64, QVariant>> hours; // BL_ID and BL_STD before
    QByteArray state;                               // readState just after writing
};

// The plan whole, in one transaction: the cohort's placements, the hours of the rails where the
// model's differ from the stored ones, and the students' courses (of both year groups where the
// model plans both). Only while readState still
// gives `expected` (no value: whatever stands now); otherwise nothing is written and no value
// comes back. The choices `cleared` (by BG_ID, in the first cohort's field) lose their course: a
// variant may have none where today's file has one.
std::optional<Written> write(db::Connection& c, const Model& m, const Placement& p,
                             const Assignment& a, const std::optional<QByteArray>& expected,
                             const std::vector<qint64>& cleared = {});

// Takes a written plan back whole, in one transaction, while the file still holds it as written
// (readState equals w.state); false and nothing changed when another program wrote meanwhile.
bool undo(db::Connection& c, const Written& w);

} // namespace blocking
