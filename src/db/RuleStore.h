#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of the planner's rules (table regel): stored, listed, removed.
namespace db {

class Connection;

namespace rules {

// The automatic blocking's reads and writes of the rules (blocking/Rules.cpp).

// A stored rule as the table holds it: its kind as spelled there, its arguments by key.
struct StoredRule {
    qint64 id = 0;
    QString kind;
    QString first;
    QString second;
};

// Creates the table where it is missing.
void create(Connection& c);
// The rules of the school year in the order they were added; none in a file without the table.
std::vector<StoredRule> ofSchoolYear(Connection& c, const QString& schoolYear);
// Adds a rule (the table must exist); its RG_ID.
qint64 add(Connection& c, const QString& schoolYear, const QString& kind, const QString& first,
           const QString& second);
void remove(Connection& c, qint64 id);

} // namespace rules
} // namespace db
