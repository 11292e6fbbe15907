#pragma once

#include "db/Database.h"

#include <QString>
#include <optional>
#include <utility>

namespace editors {

// The one connection of an editor's command: opened when the command first needs the database,
// handed to everything the command calls (its refresh included) and closed when the command
// ends. A command that turns out to need no database opens none.
class CommandDb {
public:
    explicit CommandDb(QString path) : path_(std::move(path)) {}
    CommandDb(const CommandDb&) = delete;
    CommandDb& operator=(const CommandDb&) = delete;

    db::Connection& operator*() {
        if (!c_)
            c_.emplace(path_);
        return *c_;
    }

private:
    QString path_;
    std::optional<db::Connection> c_;
};

} // namespace editors
