#pragma once

#include "blocking/RailsNeeded.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The witness of "rails needed" as a file of its own: a copy of the block-formation file with
// the rails the cohort needs and the plan that needs no more. The file it was read from stays
// as it is.
namespace blocking {

struct RailsCopy {
    QStringList removed; // rails left out, by designation
    QStringList added;   // rails the copy has in addition
    QStringList kept;    // rails the witness leaves empty that still hold other courses
};

// Writes the copy all or nothing: the source copied under a temporary name beside the target,
// there the rails added, the witness written (placements and the students' courses) and the
// rails it leaves free removed, then renamed onto the target (replacing it). Only while the
// source still holds what the search read (readState equals state); otherwise nothing is
// written and std::runtime_error (German) says why. The target may not be the source.
// Refuses (std::runtime_error, German) a target that is the source itself, before any search.
void checkCopyTarget(const QString& source, const QString& target);

RailsCopy writeRailsCopy(const QString& source, const QString& target, const SchoolYear& year,
                         const RailsNeeded& r, const QByteArray& state);

} // namespace blocking
