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

// Opens path (a system path, see platform::nativePath); throws FileError with the code.
std::unique_ptr<QFile> openRaw(const QString& path, FileMode mode);

bool fileExists(const QString& path);
// Length of the file in bytes, -1 when it does not exist or is a directory.
qint64 fileLength(const QString& path);
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

// Writes one or more files all or nothing: each is written under a temporary name beside its
// target ("~NAME.xxxxxx.tmp"), and only when every one is complete and on disk does commit() put
// them in place. Until then, and after any failure, each target holds what it held before and no
// temporary is left behind; so also when the group is dropped without commit(). Targets are
// replaced one after another, each in one step, the old file kept under a second name and put
// back should a later one fail: a target is never missing or half written. No file system
// replaces several files in one step; a crash between these renames leaves the first targets
// new and the others old, each with its new content complete beside it. A later group for the
// same targets removes such leftovers, and old files a failed deletion left ("~NAME.xxxxxx.alt"),
// once its own files are in place.
class FileGroup {
public:
    // One file of the group, open for writing under its temporary name.
    class File {
    public:
        // Appends bytes; a failed or short write throws FileError naming the target.
        void write(const QByteArray& bytes);
        const QString& target() const { return target_; }

    private:
        friend class FileGroup;
        QString target_;      // as given
        QString native_;      // the target's system path
        QString temporary_;   // system path of the new content
        QString aside_;       // system path the old file was moved to; empty while none
        bool placed_ = false; // the new content stands at the target
        std::unique_ptr<QFile> file_;
    };

    FileGroup() = default;
    ~FileGroup();
    FileGroup(const FileGroup&) = delete;
    FileGroup& operator=(const FileGroup&) = delete;

    // A new, empty temporary file for target (a path as the program holds it, see nativePath).
    // Throws FileError with the code of the file-error table (76 for a missing directory, 75
    // where the directory refuses or a folder stands in the target's place).
    File& create(const QString& target);
    // Flushes every file to disk and puts each in its target's place. Throws FileError naming
    // the file and the system's message; the targets are then as they were.
    void commit();

private:
    void putBack();
    void discard();
    std::vector<std::unique_ptr<File>> files_;
    bool committed_ = false;
};

} // namespace platform
