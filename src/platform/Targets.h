#pragma once

#include <QString>

// What every writer of a file checks about its target, and the leftovers of a database built
// under a temporary name (platform::PendingFile).
namespace platform {

// Refuses a target that exists and is neither a regular file nor a folder: a FIFO, a device, a
// socket, or a link to one. Renaming a new file onto it would replace the device (run as root,
// /dev/full itself), and opening a FIFO waits for a reader that never comes. Throws FileError
// (75) "PFAD ist keine gewöhnliche Datei."; a folder is left to the writers' own message.
void refuseUnusualTarget(const QString& path);

// A folder in which a database is being built for target: while the object lives, the folder is
// marked (a shared lock on it), and its making removes what killed runs left there for the same
// target: "NAME.tmp-123456" and its "-journal", and nothing else. It removes them only where no
// other run holds the mark, so that the file a running import builds is never taken from it.
// Where the system has no such lock (Windows), a file another run holds open cannot be removed.
class PendingFolder {
public:
    explicit PendingFolder(const QString& target);
    ~PendingFolder();
    PendingFolder(const PendingFolder&) = delete;
    PendingFolder& operator=(const PendingFolder&) = delete;

private:
    int handle_ = -1;
};

} // namespace platform
