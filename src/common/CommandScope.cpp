#include "common/CommandScope.h"

#include <utility>

namespace common {

CommandScope::CommandScope(QString path, int busyTimeoutMs)
    : path_(std::move(path)), busyTimeoutMs_(busyTimeoutMs) {}

db::Connection& CommandScope::connection() {
    if (!c_)
        c_.emplace(path_, db::Connection::Mode::Existing, busyTimeoutMs_);
    return *c_;
}

void CommandScope::run(const QString& path, int busyTimeoutMs, const Step& command,
                       const Step& refresh) {
    CommandScope scope(path, busyTimeoutMs);
    try {
        command(scope);
    } catch (...) {
        refresh(scope);
        throw;
    }
    refresh(scope);
}

} // namespace common
