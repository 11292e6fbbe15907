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

// The placement workspace's rails: those of the school year in stored order.
struct YearRail {
    qint64 id = 0; // BL_ID
    QString bez;
    QString hours; // BL_STD as text
    QVariant key;  // BL_VFP_ID
};
std::vector<YearRail> ofSchoolYear(Connection& c, const QString& schjId);

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
std::vector<Named> namesOfYear(Connection& c, const QString& year);
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

// --- For the Kurs42 exchange and the administration export.

// The Kurs42 exchange's rails.
struct RailName {
    QString key, bez, name; // BL_VFP_ID, BL_BEZ, BL_NAME
};
// The rails of a school year in their order (BL_SORT, then stored order).
std::vector<RailName> inSortOrder(Connection& c, const QString& schjId);

struct NewRail {
    qint64 id = 0;
    QString schj, bez, name;
    int sort = 0, hours = 0;
    QString key;
};
// A new rail, not fixed.
void add(Connection& c, const NewRail& r);

// The administration export's rails: the fields as stored, null where null.
struct RailRecord {
    QVariant bez, name, sort, hours; // BL_BEZ, BL_NAME, BL_SORT, BL_STD
};
// The rails of a school year in stored order.
std::vector<RailRecord> records(Connection& c, const QString& schjId);
struct RailKeys {
    qint64 id = 0;
    QVariant key; // BL_VFP_ID
    QString bez;
};
// The rails of every school year in stored order.
std::vector<RailKeys> allKeys(Connection& c);

// The automatic blocking's reads of rails (blocking/Model.cpp, Rules.cpp).

// A rail of the school year as stored; BL_STD as stored.
struct BlockingRail {
    qint64 id = 0; // BL_ID
    QString name;  // BL_BEZ
    QVariant hours;
    QString key; // BL_VFP_ID
};
// The rails of the school year in the workspace's order (BL_ID).
std::vector<BlockingRail> forBlocking(Connection& c, const QString& schoolYear);
// The keys of the school year's rails whose designation is name (trimmed, letter case ignored).
QStringList keysNamed(Connection& c, const QString& schoolYear, const QString& name);
bool exists(Connection& c, const QString& schoolYear, const QString& key);
// The trimmed designation of the rail of that key; none when it is gone.
std::optional<QString> designation(Connection& c, const QString& schoolYear, const QString& key);
// The designations of the school year's rails that have one, in order.
QStringList designations(Connection& c, const QString& schoolYear);
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
