#pragma once

#include <QString>
#include <QStringList>

namespace test {

// A cohort's evaluation counted from the database with plain queries, independently of the
// blocking library, for checking what kubb prints.
struct Recount {
    int collisions = 0;
    int otherCollisions = 0;
    int withoutCourse = 0;
    int outsideLimits = 0;
    int unplaced = 0;
    int surplus = 0; // courses on a rail their hours do not need
    int largestDifference = 0;
    double squaredDeviation = 0;
    int differenceBound = 0;
    double deviationBound = 0;
    bool optimal = false;
    QStringList groups;        // parallel courses, names joined by a blank
    QStringList servedWrongly; // servable choices (BG_ID) without exactly one fitting course
};

// cohort: its KO_KURSPH; year: "2009/2010"-style first year decides the year group.
Recount recount(const QString& path, int cohort, int firstYear, const QString& schoolYear);

// The values of the lines of an evaluation as kubb prints them ("Name: value"), in order.
struct Printed {
    int collisions = -1;
    int otherCollisions = 0; // printed only when there are any
    int withoutCourse = -1;
    int outsideLimits = -1;
    int unplaced = -1;
    int surplus = 0; // the line appears only when there are any
    int largestDifference = -1;
    QString group;
    int differenceBound = -1;
    double squaredDeviation = -1;
    double deviationBound = -1;
    bool optimal = false;
};
// The block of lines after the line `heading` ("Nachher:"), or from the top when empty.
Printed parsePrinted(const QString& output, const QString& heading);

} // namespace test
