#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of table belegung: the students' choices and the course each holds in year group 12
// or 13.
namespace db {

class Connection;

namespace choices {

// The automatic blocking's reads of the choices (blocking/Model.cpp).

// A choice row with the courses of both year groups' fields.
struct Row {
    qint64 bgId = 0;
    QString studentKey; // BG_KO_ID
    QString course12;
    QString course13;
    QString subject; // BG_FA_ID
    QString art;     // BG_ART
};
// Every choice row in stored order (BG_ID).
std::vector<Row> all(Connection& c);
// The same with BG_ID and the two course fields only: what commands change.
std::vector<Row> courses(Connection& c);

} // namespace choices
} // namespace db
