#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// The gateway of table lehrer and of the courses' teachers (KS_LE_ID).
namespace db {

class Connection;

namespace teachers {

// The automatic blocking's read of the teachers (blocking/Model.cpp).

// Every teacher as (LE_VFP_ID trimmed, LE_KUERZ), in stored order; none in a file without the
// table.
std::vector<std::pair<QString, QString>> abbreviations(Connection& c);

} // namespace teachers
} // namespace db
