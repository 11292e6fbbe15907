#include "platform/RunState.h"

#include "platform/Paths.h"

namespace platform {

void RunState::useDatabase(const QString& path) {
    QString p = path;
    const SplitPath parts = splitPath(p);
    DatenPfad = parts.dir;
    DatenDatei = parts.file;
}

} // namespace platform
