#pragma once

#include "db/Database.h"

#include <QString>
#include <functional>
#include <optional>

namespace common {

// One command of a window and the refresh of what the window shows after it (counts, lists,
// evaluation) share one connection: opened when first asked for, closed when both are through.
//
// The command keeps the transactions it needs (several ask the planner between two of them, and
// no write lock may wait for an answer); the refresh reads in transactions of its own. When the
// command fails, its transaction has rolled back before the refresh runs, so the window shows the
// file as it stands; then the failure goes on to the caller. Nothing here runs in a destructor
// but closing the connection.
class CommandScope {
public:
    using Step = std::function<void(CommandScope&)>;

    explicit CommandScope(QString path, int busyTimeoutMs = -1);
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    // The command's connection, opened on first use.
    db::Connection& connection();

    // Runs command and then refresh in one scope; refresh runs also when command throws, and
    // must not throw itself.
    static void run(const QString& path, int busyTimeoutMs, const Step& command,
                    const Step& refresh);

private:
    QString path_;
    int busyTimeoutMs_;
    std::optional<db::Connection> c_;
};

} // namespace common
