#pragma once

#include <QString>

namespace platform {

// What stands at a path, the link itself not followed: a writer that replaces a file by renaming
// must not silently put a plain file where the user keeps a folder, a link or a device.
enum class FileKind { Missing, Regular, Directory, Link, Other };

// The kind of what stands at path (a path as the program holds it, see nativePath).
FileKind fileKind(const QString& path);

// The kind in words for a message: "ein Ordner", "eine Verknüpfung", "keine gewöhnliche Datei".
QString describe(FileKind kind);

} // namespace platform
