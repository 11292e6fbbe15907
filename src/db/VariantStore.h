#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of the kept variants of a plan: stored, listed, taken over, removed.
namespace db {

class Connection;

namespace variants {} // namespace variants
} // namespace db
