#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>
#include <vector>

// The gateway of table ckkurs: which course lies on which rail, and whether it is fixed.
namespace db {

class Connection;

namespace placements {

// The placement workspace.
// The courses placed on a rail (CK_BL_ID), in stored order, that still exist.
struct OnRail {
    QString ckKsId;
    QString bez;
    QString schj;
    QString key;        // KS_VFP_ID
    bool fixed = false; // CK_FIX "1"
};
std::vector<OnRail> onRail(Connection& c, const QVariant& railKey);
// A fingerprint of the whole table, to notice another program's save.
QByteArray fingerprint(Connection& c);
// The workspace's rails of the school year written whole: the rows of every other rail (other
// school years', or one the workspace leaves out) stay with their keys, the table is built
// anew, and each shown rail gets its courses and, where it differs, its hours.
struct ShownRail {
    qint64 blId = 0;
    int hours = 0;
    std::vector<std::pair<QString, bool>> courses; // key, fixed
};
void rewrite(Connection& c, const QString& schjId, const std::vector<ShownRail>& rails);

// The block table editor (BlDat): whether any course is placed on the rail (BL_VFP_ID).
bool anyOnRail(Connection& c, const QString& railKey);

} // namespace placements
} // namespace db
