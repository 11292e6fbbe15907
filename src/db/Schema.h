#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace db {

enum class FieldType { Long, Integer, Byte, Text };

struct FieldDef {
    QString name;
    FieldType type;
    int length = 0; // maximum characters of a text field
    bool autoIncrement = false;
};

// The values a number field holds: Long, Integer, Byte as the original engine had them.
struct NumberRange {
    qint64 lo = 0;
    qint64 hi = 0;
};
NumberRange numberRange(FieldType t); // {0, 0} for Text

struct IndexDef {
    QString name;
    QStringList fields;
    bool primary = false;
    bool unique = false;
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;

    const FieldDef* field(const QString& name) const; // ignoring case; nullptr if absent
};

// The nine tables of the block-formation database, in creation order, with their fields in
// order and their named indexes. This is the one definition: creation, the rebuild of ckkurs and
// the value checks all read it.
const std::vector<TableDef>& tables();
const TableDef& table(const QString& name); // ignoring case; throws for an unknown table

// SQLite statements that build a table and its indexes. Text compares ignoring case (ASCII, as
// SQLite's NOCASE does) and the declared lengths and number ranges are enforced by CHECK
// constraints, so no writer can store what the schema forbids.
QString createTableSql(const TableDef& t);
QStringList createIndexSql(const TableDef& t);

// Extra non-unique indexes that keep the counts and look-ups of the placement from walking
// whole tables. They are ours, not part of the system's schema, and named with "_X".
QStringList speedIndexSql(const TableDef& t);

// PRAGMA user_version of files this version creates.
constexpr int kSchemaVersion = 1;
// PRAGMA application_id of our files ("KuBB").
constexpr int kApplicationId = 0x4B754242;

} // namespace db
