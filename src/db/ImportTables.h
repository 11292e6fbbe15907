#pragma once

#include "db/Statement.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>
#include <vector>

// The gateway the administration import writes through: the nine tables filled from the container.
namespace db {

class Connection;

namespace importtables {

// Rows of one table, written from the container's values: an INSERT of these fields, prepared
// once, each value checked against the schema. A unique index the source violates becomes a
// message naming the table, the index's fields and the duplicate values.
class Rows {
public:
    Rows(Connection& c, const QString& table, const QStringList& fields);
    // The new row's key.
    qint64 add(const QVariantList& values);

private:
    DbError duplicate(const DbError& e, const QVariantList& values) const;
    QString table_;
    QStringList fields_;
    Statement ins_;
};

// Gives a choice row its key BG_VFP_ID, the statement prepared once.
class ChoiceKeys {
public:
    explicit ChoiceKeys(Connection& c);
    void set(qint64 bgId, const QString& key);

private:
    Statement set_;
};

// The rails as imported, in stored order: BL_ID and the administration's key (BL_VFP_ID).
std::vector<std::pair<qint64, QVariant>> rails(Connection& c);
// The placements as imported, in stored order: CK_ID and the rail's key (CK_BL_ID).
std::vector<std::pair<qint64, QVariant>> placementRails(Connection& c);
void dropPlacement(Connection& c, qint64 id);
// Puts the placement on the rail of that key; a placement twice on one rail throws DbError
// (Constraint).
void setPlacementRail(Connection& c, qint64 id, const QString& railKey);
// Gives every rail its local key, its six-character BL_ID, in BL_VFP_ID; through temporary keys,
// so that a new key equal to another row's old key never collides on the unique index.
void keyRailsByTheirIds(Connection& c);

} // namespace importtables
} // namespace db
