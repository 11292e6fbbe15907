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

// The automatic blocking's reads of rails (blocking/Model.cpp, Rules.cpp).

// A rail of the school year as stored; BL_STD as stored.
struct BlockingRail {
    qint64 id = 0; // BL_ID
    QString name;  // BL_BEZ
    QVariant hours;
    QString key; // BL_VFP_ID
};
// The rails of the school year in the workspace's order (BL_ID).
std::vector<BlockingRail> ofSchoolYear(Connection& c, const QString& schoolYear);
// The keys of the school year's rails whose designation is name (trimmed, letter case ignored).
QStringList keysNamed(Connection& c, const QString& schoolYear, const QString& name);
bool exists(Connection& c, const QString& schoolYear, const QString& key);
// The trimmed designation of the rail of that key; none when it is gone.
std::optional<QString> designation(Connection& c, const QString& schoolYear, const QString& key);
// The designations of the school year's rails that have one, in order.
QStringList designations(Connection& c, const QString& schoolYear);

} // namespace rails
} // namespace db
