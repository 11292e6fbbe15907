#pragma once

#include "db/Statement.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

// The gateway of table belegung: the students' choices and the course each holds in year group 12
// or 13.
namespace db {

class Connection;

namespace choices {

// The course field of year group 12 or 13 (courseField) read and written choice by choice, the
// statements prepared once: for the plans and variants that set many choices' courses.
class CourseField {
public:
    // field: BG_KS_ID_12 or BG_KS_ID_13; any other throws std::invalid_argument.
    CourseField(Connection& c, const QString& field);
    // What the field holds (NULL kept apart from ""); no value where there is no such choice.
    std::optional<QVariant> get(qint64 bgId);
    void set(qint64 bgId, const QVariant& course);

private:
    Statement get_;
    Statement set_;
};

// The number of choice rows.
int count(Connection& c);

// A choice row as the pre-assignment reads it.
struct Choice {
    qint64 bgId = 0;
    QString student; // BG_KO_ID
    QVariant course12;
    QVariant course13;
    QString subject; // BG_FA_ID
    QString art;     // BG_ART
};
// Every choice in stored order.
std::vector<Choice> all(Connection& c);

// The courses the students of the cohort (KO_KURSPH) hold in the field of year group 12 or 13,
// where it holds one: the student's KO_ID and the course key, in no particular order.
std::vector<std::pair<qint64, QString>> coursesOfCohort(Connection& c, const QString& cohort,
                                                        int yearGroup);

// How many choices the students of the cohort (KO_KURSPH) made of each subject (BG_FA_ID as
// stored) and kind (BG_ART), for the proposals to name subjects that have choosers but no course.
struct SubjectCount {
    QString subject;
    QString art;
    int count = 0;
};
std::vector<SubjectCount> subjectCountsOfCohort(Connection& c, const QString& cohort);

} // namespace choices
} // namespace db
