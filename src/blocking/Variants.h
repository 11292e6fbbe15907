#pragma once

#include "blocking/Evaluation.h"
#include "blocking/Model.h"
#include "blocking/Search.h"
#include "blocking/Write.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace db {
class Connection;
}

// Variants: named plans of one cohort kept beside the current one, to compare them and take one
// over. A variant holds the placements of the cohort's courses on rails (with the fixed mark;
// an unplaced course as a row without rail) and the course in the year field of each of its
// students' choices, by key. They live in tables of our own in the block-formation file
// (variante, varschiene, varkurs), per school year and cohort, created on the first save; a
// file without them has no variants. The administration's tables are only read, except where
// taking a variant over writes the plan as the automatic blocking writes it.
//
// A variant is always seen through today's file: its placements on rails that are gone, and
// its choices that are gone or whose kept course no longer serves them, are passed over (the
// course stands on its other rails, the choice keeps its current course). Every function
// takes the command's connection and runs in one transaction; errors and refusals are
// std::runtime_error with a German message.
namespace blocking {

// The name that stands for the current plan where two plans are compared; no variant bears it.
inline const QString kCurrentPlan = QStringLiteral("aktuell");

struct VariantInfo {
    QString name;
    QDateTime created; // local time, to the second
    QString comment;
    Evaluation evaluation;   // of the variant as a plan of today's cohort
    int changedStudents = 0; // students with a choice in another course than now
    int movedCourses = 0;    // courses of the cohort on other rails than now
};

// Saves the current plan of the cohort under the name (trimmed; refused when empty, when
// another variant of the cohort bears it without regard to case, or when it is kCurrentPlan).
void save(db::Connection& c, const SchoolYear& year, int cohort, const QString& name,
          const QString& comment = {}, const QDateTime& now = QDateTime::currentDateTime());

// Saves plans of the cohort that are not the current one (the automatic blocking's kept plans,
// made on the model m) in the order given, as "Automatisch 1 (dd.MM.yyyy hh:mm)",
// "Automatisch 2 (...)" and so on, with " (2)" etc. where a name is taken. A choice the plan
// leaves without a course keeps what its year field holds, as writing the plan leaves it.
// Gives the names.
QStringList saveKept(db::Connection& c, const SchoolYear& year, const Model& m,
                     const std::vector<KeptPlan>& plans,
                     const QDateTime& now = QDateTime::currentDateTime());

// The cohort's variants in the order they were saved, with their figures.
std::vector<VariantInfo> list(db::Connection& c, const SchoolYear& year, int cohort);

// The current plan (named kCurrentPlan) followed by the cohort's variants, with the file's
// readState: all read in one read transaction, so that the figures and the state agree.
struct Listing {
    QByteArray state;
    std::vector<VariantInfo> plans;
    std::shared_ptr<const FigureBounds> bounds; // of the current plan's model
};
Listing listing(db::Connection& c, const SchoolYear& year, int cohort);

struct Applied {
    QString keptAs;   // the name the replaced plan was saved under
    int notTaken = 0; // placements and choices of the variant that no longer fit
    // The plan written, on the model it was written for, and what it replaced: to take it back
    // (undo) and write it again (write with `cleared`).
    Model model;
    Placement placement;
    Assignment assignment;
    std::vector<qint64> cleared; // choices the variant leaves without a course
    Written written;
};

// Makes the variant the current plan, in one transaction: the current plan is first saved as
// "vor Übernahme <dd.MM.yyyy hh:mm:ss>" (with " (2)" etc. where that is taken), then the
// cohort's placements and its students' courses are written as far as they fit. With
// `expected`, only while readState still gives it; otherwise nothing is written and no value
// comes back.
std::optional<Applied> apply(db::Connection& c, const SchoolYear& year, int cohort,
                             const QString& name, const std::optional<QByteArray>& expected = {},
                             const QDateTime& now = QDateTime::currentDateTime());

void remove(db::Connection& c, const SchoolYear& year, int cohort, const QString& name);
// The new name as save takes it; it may differ from the old one in case only.
void rename(db::Connection& c, const SchoolYear& year, int cohort, const QString& oldName,
            const QString& newName);

// Where two plans differ (either may be kCurrentPlan): the courses on other rails,
// "1M1: GK1 → GK3", and the students' choices in other courses, "ST0004 Name, Vor: 1M1 → 1M2"
// ("–" for none), each in the model's order.
struct VariantDiff {
    QStringList courses;
    QStringList students;
};
VariantDiff diff(db::Connection& c, const SchoolYear& year, int cohort, const QString& first,
                 const QString& second);

} // namespace blocking
