#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

namespace db {
class Connection;
}

namespace printing {

// A course placed on a rail, as both printouts read it from ckkurs and kurs.
struct PlacedCourse {
    QString bez; // KS_BEZ
    QString key; // CK_KS_ID
};

// A rail of the school year with its header cell and its placed courses in stored order.
struct Rail {
    QString header;
    std::vector<PlacedCourse> courses;
};

// The rails of the school year in stored order, each with the courses placed on it in stored
// order; a placement whose course is gone gets no entry. The tables grow with the school: there
// is no limit on the rails of a year or the courses of a rail.
std::vector<Rail> loadRails(db::Connection& c, const QString& schjId);

// The date and time the database file was last changed, for the "Stand : " line.
QDateTime lastModified(const QString& databasePath);
// Lines 1-3 of both printouts for the database as it is now (fileHeaderLines). A printout reads
// them once and prints them on every page.
QStringList fileHeader(const QString& databasePath);

// The status line while the tables of a printout are read (with the hourglass, ui::Busy).
inline const QString kPreparing = QStringLiteral("Druck wird vorbereitet!");

} // namespace printing
