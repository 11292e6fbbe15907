// The cohorts a model plans: one, or both year groups at once.
#include "blocking/Model.h"

#include "db/Queries.h"

#include <stdexcept>

namespace blocking {

void Model::setCohorts(const SchoolYear& year, const std::vector<int>& cohorts) {
    for (int cohortYear : cohorts) {
        Part p;
        p.cohort = cohortYear;
        p.yearGroup = db::yearGroup(cohortYear, year.bez);
        if (p.yearGroup == 0)
            throw std::runtime_error(
                QStringLiteral("Der Jahrgang %1 ist im Schuljahr %2 weder in der "
                               "Jahrgangsstufe 12 noch in der Jahrgangsstufe 13.")
                    .arg(cohortYear)
                    .arg(year.bez.trimmed())
                    .toStdString());
        // Distinct cohorts lie in distinct year groups, each with its field of belegung.
        for (const Part& other : parts)
            if (other.cohort == cohortYear)
                throw std::runtime_error(QStringLiteral("Der Jahrgang %1 ist zweimal genannt.")
                                             .arg(cohortYear)
                                             .toStdString());
        p.courseField = db::courseField(p.yearGroup);
        parts.push_back(p);
    }
    if (parts.empty() || parts.size() > 2)
        throw std::runtime_error("Geplant wird ein Jahrgang oder beide Jahrgangsstufen.");
    cohort = parts.front().cohort;
    yearGroup = parts.front().yearGroup;
    courseField = parts.front().courseField;
}

const QString& Model::fieldOf(int choice) const {
    return parts[static_cast<size_t>(students[choices[choice].student].part)].courseField;
}

QString Model::cohortsText() const {
    if (!bothYearGroups())
        return QStringLiteral("Jahrgang %1 (Jahrgangsstufe %2)").arg(cohort).arg(yearGroup);
    return QStringLiteral("Jahrgänge %1 und %2 (Jahrgangsstufen %3 und %4)")
        .arg(parts[0].cohort)
        .arg(parts[1].cohort)
        .arg(parts[0].yearGroup)
        .arg(parts[1].yearGroup);
}

} // namespace blocking
