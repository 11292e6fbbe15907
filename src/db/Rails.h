#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of table block: the rails of a school year with their hours.
namespace db {

class Connection;

namespace rails {} // namespace rails
} // namespace db
