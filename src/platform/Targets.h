#pragma once

#include <QString>

// What every writer of a file checks about its target.
namespace platform {

// Refuses a target that exists and is neither a regular file nor a folder: a FIFO, a device, a
// socket, or a link to one. Renaming a new file onto it would replace the device (run as root,
// /dev/full itself), and opening a FIFO waits for a reader that never comes. Throws FileError
// (75) "PFAD ist keine gewöhnliche Datei."; a folder is left to the writers' own message.
void refuseUnusualTarget(const QString& path);

} // namespace platform
