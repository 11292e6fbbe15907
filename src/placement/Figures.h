#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "common/CourseSizes.h"

namespace blocking {
class Model;
struct Evaluation;
} // namespace blocking

namespace placement {

class Workspace;

// What the evaluation's figures mean and what stands behind them, for the panel "Bewertung"
// and the course sizes chart.

// The one-line explanation of a line of the panel, found by the figure's name at its start;
// empty for a line that names none.
QString figureTip(const QString& line);

// Whether the panel's line opens the list of choices without a course.
bool listsWithoutCourse(const QString& line);

// The choices without a course of the evaluation e on model m, one line each:
// "Maier, Anna (12a): Ph GK", by name, then class; subjects: designation by subject key.
QStringList withoutCourseLines(const blocking::Model& m, const blocking::Evaluation& e,
                               const Workspace& ws, const QHash<QString, QString>& subjects);

// The cohort's course sizes by parallel group, from the model's students' courses.
std::vector<common::SizeGroup> courseSizeGroups(const blocking::Model& m);

} // namespace placement
