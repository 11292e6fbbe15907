#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of table ckkurs: which course lies on which rail, and whether it is fixed.
namespace db {

class Connection;

namespace placements {

// The automatic blocking's read of the placements (blocking/Model.cpp).

struct Placed {
    QString railKey;    // CK_BL_ID
    QString courseKey;  // CK_KS_ID
    bool fixed = false; // CK_FIX is "1"
};
// Every placement in stored order; none in a file without the table.
std::vector<Placed> all(Connection& c);

} // namespace placements
} // namespace db
