#pragma once

#include <QString>

// Where the system's Windows locations live on this machine. Paths inside the program keep the
// form the user or the pointer file gave them ("D:\bb\BB.MDB", "/home/x/BB.MDB"); only opening a
// file turns them into a native path. On Windows that is the path itself. Elsewhere a drive
// letter X: maps as Wine maps it, to $WINEPREFIX/drive_x (default ~/.wine/drive_x), looked up
// ignoring case as Wine does, so a school running the administration program under Wine is found.
namespace platform {

// The administration program's INI file, as the system names it.
inline const QString kIniPath = QStringLiteral("C:\\PALEX\\XR\\MERIX.INI");

bool isWindows();
// "X:" at the start: a Windows drive path.
bool hasDriveLetter(const QString& path);
// True where the file system behind the path ignores letter case (Windows, Wine drives).
bool ignoresCase(const QString& path);
// The path in the form used for comparing two file names (trimmed; capitals where case is
// ignored). The user's spelling is kept for opening.
QString comparable(const QString& path);
QString winePrefix();
// The native path of a system path.
QString nativePath(const QString& path);
// The directory of the running program as the system reports it.
QString programDir();
// The program name of a sibling program: "tessik.exe" on Windows, "tessik" elsewhere.
QString siblingProgram(const QString& exeName);
// Seconds since the operating system started this process (loading the libraries included), as
// far as it says; 0 where it does not. Errs on the long side by up to a clock tick.
double secondsSinceStart();

} // namespace platform
