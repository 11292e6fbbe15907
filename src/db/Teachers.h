#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of table lehrer and of the courses' teachers (KS_LE_ID).
namespace db {

class Connection;

namespace teachers {} // namespace teachers
} // namespace db
