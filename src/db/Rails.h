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

// The placement workspace's rails: those of the school year in stored order.
struct Rail {
    qint64 id = 0; // BL_ID
    QString bez;
    QString hours; // BL_STD as text
    QVariant key;  // BL_VFP_ID
};
std::vector<Rail> ofSchoolYear(Connection& c, const QString& schjId);

// The placement workspace's "Stunde ändern" and its undoing: BL_STD of the rail of that BL_ID
// (NULL when it is gone), and rewritten; whether a rail of the school year took it.
QVariant hoursOf(Connection& c, qint64 blId);
bool setHours(Connection& c, const QString& schjId, qint64 blId, const QVariant& hours);
// BL_STD put back as it was, whatever the rail's school year.
void putHours(Connection& c, qint64 blId, const QVariant& hours);

// The block table editor (BlDat), by the rails' keys (BL_VFP_ID).
struct Named {
    QString bez;
    QString key;
};
// Every rail, or those of a school year, in stored order.
std::vector<Named> all(Connection& c);
std::vector<Named> ofYear(Connection& c, const QString& year);
struct Fields {
    QString bez;
    QString name;
    QString hours;
    QString year;
};
std::optional<Fields> fieldsOf(Connection& c, const QString& key);
// One of BL_BEZ, BL_NAME, BL_STD written, checked against the schema first.
void setField(Connection& c, const QString& key, const QString& field, const QVariant& value);
// BL_SORT of the last rail stored, 0 when there is none.
int lastSort(Connection& c);
void setKey(Connection& c, qint64 blId, const QString& key);
void remove(Connection& c, const QString& key);

} // namespace rails
} // namespace db
