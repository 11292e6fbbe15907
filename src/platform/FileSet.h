#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>
#include <vector>

namespace platform {

// The file a set keeps in its folder while its files are renamed into place. Its name says to
// whoever looks into the folder that the files there do not belong together yet.
inline const QString kFileSetJournal = QStringLiteral("EXPORT-UNVOLLSTAENDIG.txt");

// Writers of one folder take turns, and a reader waits for a writer, through a lock on the
// folder itself (advisory: it binds only programs that ask for it). Where the folder cannot be
// locked (another system, a file system without locks) the lock does nothing.
class FolderLock {
public:
    enum class Kind { Shared, Exclusive };
    // dir: a system path (see platform::nativePath).
    FolderLock(const QString& dir, Kind kind);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_ = -1;
};

// Writes several files of one folder as one set. Each is written under a temporary name beside
// its target ("~NAME.xxxxxx.tmp") and synced to disk; commit() then records the renames to come
// in a journal in the folder (kFileSetJournal), renames each file onto its target and deletes
// the journal. No file system replaces several files in one step, so the journal stands in the
// folder for as long as old and new files are mixed there: a kill, a crash or a failure during
// the renames leaves it, and the next set written into the folder finishes those renames before
// anything else (finishInterrupted). Until the journal is complete the targets are untouched; a
// failure then leaves them as they were and no temporary behind, also when the set is dropped
// without commit(). Each target is replaced in one step and is never missing or half written; a
// set of one file needs no journal. Temporaries a kill left beside a target are removed by the
// next set that writes it.
class FileSet {
public:
    // One file of the set, open for writing under its temporary name.
    class File {
    public:
        // Appends bytes; a failed or short write throws FileError naming the target.
        void write(const QByteArray& bytes);
        const QString& target() const { return target_; }

    private:
        friend class FileSet;
        QString target_; // as given
        QString name_;   // the target's file name in the folder
        QString staged_; // the temporary's file name in the folder
        std::unique_ptr<QFile> file_;
    };

    FileSet() = default;
    ~FileSet();
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;

    // A new, empty temporary file for target (a path as the program holds it, see nativePath);
    // every target of a set lies in one folder. The first call locks the folder and finishes a
    // set interrupted there. Throws FileError with the code of the file-error table (76 for a
    // missing folder, 75 where the folder refuses or a folder stands in the target's place).
    File& create(const QString& target);
    // Puts every file in its target's place. Throws FileError naming the file and the system's
    // message: before the renames the targets are then as they were; should the renames fail
    // twice, the journal stays for the next set to finish, and the message says so.
    void commit();
    // Whether commit() failed after some targets were replaced: the journal stays.
    bool incomplete() const { return incomplete_; }

private:
    void stage();
    void writeJournal();
    void discard();
    QString dir_; // system path of the folder
    std::unique_ptr<FolderLock> lock_;
    std::vector<std::unique_ptr<File>> files_;
    bool kept_ = false; // the temporaries are in place or belong to the journal
    bool incomplete_ = false;
};

// Finishes the renames of a set that was interrupted in the folder dir (a system path), or
// removes the temporaries of one whose journal was never completed, and deletes its journal.
// The caller holds the folder's exclusive lock. False when the folder holds no journal. Throws
// FileError when a rename or the deletion fails, or the journal is not one of ours.
bool finishInterrupted(const QString& dir);
// finishInterrupted under the folder's lock, for a command to call before anything else; a
// folder that does not exist holds nothing to finish.
void finishInterruptedSet(const QString& dir);

} // namespace platform
