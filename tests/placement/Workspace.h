#pragma once

#include "db/Database.h"
#include "placement/SetzenK.h"
#include "support/School.h"

#include <QStringList>
#include <memory>
#include <optional>

namespace test {

// The school with the placement window on it.
class Workspace : public School {
public:
    // The window, loaded.
    placement::SetzenK& load();
    placement::SetzenK& window() { return *window_; }
    // A connection to the school's file, as a command of the window opens one.
    db::Connection& connection() {
        if (!connection_)
            connection_.emplace(db.path());
        return *connection_;
    }
    // Selects the LNKurse lines of these course names (characters 1-5) and clicks the list.
    void selectCourses(const QStringList& names);

private:
    std::unique_ptr<placement::SetzenK> window_;
    std::optional<db::Connection> connection_;
};

} // namespace test
