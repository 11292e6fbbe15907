#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>

namespace ui {
class Host;
}

namespace platform {

// A failed file operation with the run-time error code the system's file-error table uses
// (53 file not found, 75 path/file access error, 76 path not found ...).
class FileError : public std::runtime_error {
public:
    FileError(int code, const QString& path, const QString& message);
    int code() const { return code_; }
    const QString& path() const { return path_; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    int code_;
    QString path_;
};

enum class FileMode { Output = 1, Input = 2, Append = 3, Random = 4, Binary = 5, RandomShared = 6 };

// Opens path (a system path, see platform::nativePath); throws FileError with the code.
std::unique_ptr<QFile> openRaw(const QString& path, FileMode mode);

// Maps an operating-system error number onto the system's error code.
int errorCodeFor(int osError, const QString& nativePath, FileMode mode);

bool fileExists(const QString& path);
// Length of the file in bytes, -1 when it does not exist.
qint64 fileLength(const QString& path);
// True when the directory can be listed (an existing empty directory too).
bool directoryListable(const QString& dir);

// The items of one line of a text file as the system reads them: an item ends at a comma or at
// the end of the line, leading blanks are skipped, enclosing double quotes are removed (a comma
// inside quotes belongs to the item).
QStringList splitItems(const QString& line);
// Reads all lines of a Windows-1252 text file (CR LF or LF).
QStringList readLines(QFile& file);
// Writes one line in Windows-1252, ended by CR LF.
void writeLine(QFile& file, const QString& text);

// Reads the first item of the pointer file's first line.
QString readFirstItem(QFile& file);
// Creates or overwrites dir + "TCLASSK" with one line; throws FileError.
void writePointerFile(const QString& dir, const QString& databasePath);

inline const QString kPointerFileName = QStringLiteral("TCLASSK");

// Copies a file; the target is replaced. Throws FileError.
void copyFile(const QString& from, const QString& to);

} // namespace platform
