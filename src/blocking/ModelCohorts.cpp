// The cohorts a model plans: one, or both year groups at once.
#include "blocking/Model.h"

#include "db/Queries.h"

#include <algorithm>
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

void Model::requireStudentsOfEachPart() const {
    if (!bothYearGroups())
        return; // a cohort alone may be empty: the evaluation says so
    for (size_t p = 0; p < parts.size(); ++p)
        if (std::none_of(students.begin(), students.end(),
                         [&](const Student& s) { return s.part == static_cast<int>(p); }))
            throw std::runtime_error(QStringLiteral("Der Jahrgang %1 hat in dieser Datei keine "
                                                    "Schüler; es gibt nur eine Jahrgangsstufe.")
                                         .arg(parts[p].cohort)
                                         .toStdString());
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
