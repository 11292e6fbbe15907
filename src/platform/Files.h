#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

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

// The FileError of a system call on path that failed with the operating system's error number
// err: the file-error table's code and text (writing), the system's words appended.
FileError systemError(int err, const QString& path);
// "path: Schreibfehler! (system)": a write or a sync that failed.
FileError writeError(const QString& path, const QString& system);

// Opens path (a system path, see platform::nativePath); throws FileError with the code.
std::unique_ptr<QFile> openRaw(const QString& path, FileMode mode);

bool fileExists(const QString& path);
// Length of the file in bytes, -1 when it does not exist or is a directory.
qint64 fileLength(const QString& path);
// A whole file read by readRegularFile, or why it was not read.
struct RegularFile {
    enum class Status { Read, NotRegular, TooLarge };
    Status status = Status::Read;
    QByteArray bytes;
};
// Reads path when it is a regular file (or a link to one) of at most limit bytes; a pipe, a
// device or a folder is not opened for reading, so none can hang or flood the program. Throws
// FileError when the file cannot be opened or read.
RegularFile readRegularFile(const QString& path, qint64 limit);
// True when the directory can be listed (an existing empty directory too).
bool directoryListable(const QString& dir);

// The items of one line of a text file as the system reads them: an item ends at a comma or at
// the end of the line, leading blanks are skipped, enclosing double quotes are removed (a comma
// inside quotes belongs to the item).
QStringList splitItems(const QString& line);
// Reads all lines of a Windows-1252 text file (CR LF or LF); a file that starts with the UTF-8
// byte-order mark is read as UTF-8.
QStringList readLines(QFile& file);

// Reads the first item of the pointer file's first line.
QString readFirstItem(QFile& file);
// Creates or replaces dir + "TCLASSK" with one line, all or nothing: Windows-1252, or UTF-8 with a
// byte-order mark for a path that Windows-1252 cannot hold. A pointer file that is write-protected
// or a directory is left alone (code 75). Throws FileError.
void writePointerFile(const QString& dir, const QString& databasePath);

inline const QString kPointerFileName = QStringLiteral("TCLASSK");

// Writes a whole file, all or nothing: write() fills a temporary file in the target's folder,
// which is flushed to disk and renamed onto the target; a failure or a crash at any step leaves
// the target as it was. Throws FileError.
void writeFileAtomically(const QString& path, const std::function<void(QIODevice&)>& write);

// Throws the FileError writeFileAtomically would throw before writing anything: the target is a
// folder or write-protected (75), its folder is missing (76) or write-protected (75).
void checkWritable(const QString& path);

// Copies a file all or nothing (writeFileAtomically); the source is read before the target is
// touched. Throws FileError.
void copyFile(const QString& from, const QString& to);

// Whether two paths name one file: the same file reached through ".", a symbolic link, another
// letter case where the file system ignores it, or a drive-letter form. False when either does
// not exist.
bool sameFile(const QString& a, const QString& b);

class PendingFolder;

// A file built under a temporary name in the folder of its target, e.g. a new database: it is
// removed when the object goes unless commit() has renamed it onto the target. Making it removes
// what killed runs left for the same target (see PendingFolder).
class PendingFile {
public:
    // target: a system path; the temporary name is the target's name with a unique suffix.
    // A target that is no regular file (a FIFO, a device) is refused (FileError).
    explicit PendingFile(const QString& target);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // The temporary file as the program names files (drive letters kept).
    const QString& path() const { return path_; }
    const QString& target() const { return target_; }

    enum class Replace { No, Yes };
    // Renames the file onto its target. Replace::No refuses an existing target ("existiert
    // bereits"), also one that appeared since the object was made. Throws FileError.
    void commit(Replace replace);

private:
    QString target_;
    QString path_;
    bool committed_ = false;
    std::unique_ptr<PendingFolder> folder_;
};

} // namespace platform
