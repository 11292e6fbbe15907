#pragma once

#include "blocking/Evaluation.h"
#include "blocking/Model.h"
#include "blocking/Propose.h"
#include "blocking/RailsNeeded.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

// "What if": the cohort's plan with a course less or a parallel course more, searched and
// counted without writing anything.
namespace blocking {

// One change of the cohort's courses.
struct PlanChange {
    enum class Kind { Without, WithParallel };
    Kind kind = Kind::Without;
    int course = -1; // an own course of the model
    bool operator==(const PlanChange&) const = default;
};

// The change as the planner reads it: "ohne 1Ph3", "Parallelkurs zu 1Ch1".
QString changeText(const Model& m, const PlanChange& c);

// The change naming a course of the cohort by its designation (KS_BEZ, trimmed, any case);
// throws std::runtime_error (German) for a course the cohort does not have.
PlanChange planChange(const Model& m, PlanChange::Kind kind, const QString& course);

// The model with the changes: a course taken out loses its students to its parallels (their
// choices free again) and its rules; a new parallel copies its course's subjects, hours and
// limits, without teacher, rails or students, and is named after it with the next number
// ("1Ph3" -> "1Ph4"). Throws std::runtime_error (German) where a subject would lose its last
// course.
Model withChanges(const Model& m, const std::vector<PlanChange>& changes);

// The changes the counts propose: each course that could or should go, a parallel to each
// subject that should have one more; in the order of the counts.
std::vector<PlanChange> proposedChanges(const CourseCounts& counts);

struct WhatIfOptions {
    double seconds = 10; // for the plan, and again for the rails needed
    std::uint64_t seed = 1;
    int threads = 0;
    bool rails = true; // count the rails needed too
    const std::atomic<bool>* cancel = nullptr;
    std::function<void(double, const QString&)> progress; // 0 to 1, on the calling thread
};

struct WhatIf {
    QStringList changes;   // as changeText says them
    Evaluation evaluation; // of the best plan found ("Alles neu")
    bool searched = false; // false: cancelled before the plan was searched
    RailsNeeded rails;     // with WhatIfOptions::rails
    bool railsCounted = false;
};

WhatIf whatIf(const Model& m, const std::vector<PlanChange>& changes, const WhatIfOptions& o);

} // namespace blocking
