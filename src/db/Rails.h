#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

// The gateway of table block: the rails of a school year with their hours.
namespace db {

class Connection;

namespace rails {

// The hours of the rail BL_ID as stored (NULL kept); no value where there is no such rail.
std::optional<QVariant> hours(Connection& c, qint64 id);
// Stores the hours of the rail BL_ID, checked against the schema.
void setHours(Connection& c, qint64 id, const QVariant& hours);

// The number of the school year's rails.
int countOfYear(Connection& c, const QString& schjId);
// Whether the file has any rail at all.
bool any(Connection& c);

// A rail of the school year as the printouts show it.
struct Rail {
    QString bez;    // BL_BEZ ("" for NULL)
    QVariant hours; // BL_STD as stored
    QVariant key;   // BL_VFP_ID, the key its placements name
};
// The school year's rails in stored order.
std::vector<Rail> ofYear(Connection& c, const QString& schjId);

// The rails a proposal writes into its copy of the file.

// A new rail of the school year after the others: BL_ID the next free number, BL_VFP_ID that
// number as a key, BL_SORT after the school year's last. Its BL_ID and BL_VFP_ID.
struct Added {
    qint64 id = 0;
    QString key;
};
Added add(Connection& c, const QString& schjId, const QString& bez, int hours);
// Removes the rail BL_ID (its placements are the caller's).
void remove(Connection& c, qint64 id);

} // namespace rails
} // namespace db
