#include "platform/FileSet.h"

#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Targets.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

// The journal's first line names its writer, so that a file of that name written by someone
// else is never taken for one; the second tells a reader what it means. Then one line per file,
// "temporary<TAB>target", and a last line kEnd once every file is listed.
const QString kHeader = QStringLiteral("Kurs- und Blockbildung: Dateisatz, unvollständig ersetzt");
const QString kMeaning =
    QStringLiteral("Solange diese Datei hier steht, gehören die Dateien dieses Ordners nicht "
                   "zusammen. Der nächste Export in diesen Ordner schließt das Ersetzen ab.");
const QString kEnd = QStringLiteral("Ende");
// No journal of ours comes near this.
constexpr qint64 kMaxJournal = 1 << 20;

struct Entry {
    QString staged, target; // file names in the folder
};

QString in(const QString& dir, const QString& name) {
    return dir + QLatin1Char('/') + name;
}

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

// "~NAME.xxxxxx.tmp", xxxxxx drawn at random.
QString stagedName(const QString& name) {
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(kDigits[QRandomGenerator::global()->bounded(36)]);
    return QStringLiteral("~") + name + QLatin1Char('.') + suffix + QStringLiteral(".tmp");
}

// A plain file name of the folder: no separator, nothing a journal line could not hold.
bool plainName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           std::none_of(name.begin(), name.end(), [](QChar c) {
               return c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('\t') ||
                      c == QLatin1Char('\n') || c == QLatin1Char('\r');
           });
}

// Removes what earlier sets left beside the target name: their new content ("~NAME.xxxxxx.tmp",
// written before a kill or a failure that could not clean up) and old files that an earlier
// version set aside ("~NAME.xxxxxx.alt"). Only called without a journal in the folder, under
// its lock, so nothing of these is needed any more.
void removeLeftovers(const QString& dir, const QString& name) {
    const QString stem = QStringLiteral("~") + name + QLatin1Char('.');
    QDir folder(dir);
    for (const QString& leftover : folder.entryList(
             {stem + QStringLiteral("??????.tmp"), stem + QStringLiteral("??????.alt")},
             QDir::Files | QDir::Hidden | QDir::System)) {
        const QString suffix = leftover.mid(stem.size(), 6);
        const bool ours = std::all_of(suffix.cbegin(), suffix.cend(), [](QChar c) {
            return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                   (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
        });
        if (ours && leftover.startsWith(stem))
            folder.remove(leftover);
    }
}

// The folder's entries on disk: renames and deletions survive a power failure once it returns
// true. Where the system cannot sync a folder, the renames stay in its cache.
bool syncFolder(const QString& dir) {
#ifdef Q_OS_WIN
    Q_UNUSED(dir);
    return true;
#else
    const int fd = ::open(encoded(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
#endif
}

// Renames from onto to, replacing it in one step; errno tells why not.
bool replace(const QString& from, const QString& to) {
#ifdef Q_OS_WIN
    if (MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()),
                    reinterpret_cast<const wchar_t*>(to.utf16()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = GetLastError() == ERROR_FILE_NOT_FOUND ? ENOENT : EACCES;
    return false;
#else
    return ::rename(encoded(from).constData(), encoded(to).constData()) == 0;
#endif
}

bool removeFile(const QString& path) {
    return ::remove(encoded(path).constData()) == 0 || errno == ENOENT;
}

QByteArray journalText(const std::vector<Entry>& entries) {
    QString text = kHeader + QLatin1Char('\n') + kMeaning + QLatin1Char('\n');
    for (const Entry& e : entries)
        text += e.staged + QLatin1Char('\t') + e.target + QLatin1Char('\n');
    return (text + kEnd + QLatin1Char('\n')).toUtf8();
}

struct Journal {
    std::vector<Entry> entries;
    bool complete = false;
};

// The journal at path as written; throws FileError for one that cannot be read or is not ours.
Journal readJournal(const QString& path) {
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxJournal)
        bytes = file.read(kMaxJournal + 1);
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    // Ours also when cut short in its first line: killed before it was written, it is empty.
    const bool ours = lines[0] == kHeader || (lines.size() == 1 && kHeader.startsWith(lines[0]));
    if (file.error() != QFileDevice::NoError || !ours)
        throw FileError(75, path,
                        path + QStringLiteral(": Die Datei ist kein Journal von Kurs- und "
                                              "Blockbildung; der Ordner bleibt, wie er ist."));
    Journal j;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (lines[i] == kEnd) {
            j.complete = true;
            break;
        }
        const QStringList parts = lines[i].split(QLatin1Char('\t'));
        // A line cut short by a kill lists nothing; a complete journal has no such line.
        if (parts.size() == 2 && plainName(parts[0]) && plainName(parts[1]) &&
            parts[0].startsWith(QLatin1Char('~')) && parts[0].endsWith(QLatin1String(".tmp")))
            j.entries.push_back({parts[0], parts[1]});
    }
    return j;
}

FileError journalFailure(const QString& file, int err) {
    return systemError(err, file);
}

} // namespace

FolderLock::FolderLock(const QString& dir, Kind kind) {
#ifdef Q_OS_WIN
    Q_UNUSED(dir);
    Q_UNUSED(kind);
#else
    fd_ = ::open(encoded(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    while (::flock(fd_, kind == Kind::Shared ? LOCK_SH : LOCK_EX) != 0 && errno == EINTR) {
    }
#endif
}

FolderLock::~FolderLock() {
#ifndef Q_OS_WIN
    if (fd_ >= 0)
        ::close(fd_); // releases the lock
#endif
}

namespace {

// finishInterrupted, counting the targets it replaced in placed.
bool finish(const QString& dir, int& placed) {
    const QString path = in(dir, kFileSetJournal);
    if (!QFileInfo::exists(path))
        return false;
    const Journal j = readJournal(path);
    for (const Entry& e : j.entries) {
        if (j.complete) {
            // A temporary that is gone was renamed before the interruption.
            if (replace(in(dir, e.staged), in(dir, e.target)))
                ++placed;
            else if (errno != ENOENT)
                throw journalFailure(in(dir, e.target), errno);
        } else if (!removeFile(in(dir, e.staged))) {
            throw journalFailure(in(dir, e.staged), errno);
        }
    }
    // The renames on disk before the journal goes.
    syncFolder(dir);
    if (!removeFile(path))
        throw journalFailure(path, errno);
    syncFolder(dir);
    return true;
}

} // namespace

bool finishInterrupted(const QString& dir) {
    int placed = 0;
    return finish(dir, placed);
}

void finishInterruptedSet(const QString& dir) {
    const QString native = platform::nativePath(dir);
    if (!QFileInfo(native).isDir())
        return;
    FolderLock lock(native, FolderLock::Kind::Exclusive);
    finishInterrupted(QFileInfo(native).absoluteFilePath());
}

void FileSet::File::write(const QByteArray& bytes) {
    errno = 0;
    const qint64 written = file_->write(bytes);
    if (written == bytes.size())
        return;
    // A short write sets no error on the file; the system's reason is the last call's.
    const int err = errno;
    QString reason = file_->errorString();
    if (file_->error() == QFileDevice::NoError)
        reason = err != 0 ? QString::fromLocal8Bit(std::strerror(err))
                          : QStringLiteral("%1 von %2 Bytes geschrieben")
                                .arg(std::max<qint64>(written, 0))
                                .arg(bytes.size());
    throw writeError(target_, reason);
}

FileSet::~FileSet() {
    if (!kept_)
        discard();
}

FileSet::File& FileSet::create(const QString& target) {
    const QFileInfo info(platform::nativePath(target));
    const QString dir = QDir::cleanPath(info.absolutePath());
    if (info.isDir())
        throw systemError(EISDIR, target);
    if (!QFileInfo(dir).isDir())
        throw systemError(ENOENT, target);
    if (!plainName(info.fileName()) || (!dir_.isEmpty() && dir != dir_))
        throw systemError(EINVAL, target);
    refuseUnusualTarget(target);
    if (dir_.isEmpty()) {
        lock_ = std::make_unique<FolderLock>(dir, FolderLock::Kind::Exclusive);
        finishInterrupted(dir);
        dir_ = dir;
    }
    removeLeftovers(dir_, info.fileName());
    for (int attempt = 1;; ++attempt) {
        auto entry = std::make_unique<File>();
        entry->target_ = target;
        entry->name_ = info.fileName();
        entry->staged_ = stagedName(entry->name_);
        const QString staged = in(dir_, entry->staged_);
        entry->file_ = std::make_unique<QFile>(staged);
#ifdef Q_OS_WIN
        if (!entry->file_->open(QIODevice::WriteOnly | QIODevice::NewOnly |
                                QIODevice::Unbuffered)) {
            if (QFileInfo::exists(staged) && attempt < 100)
                continue;
            throw systemError(EACCES, target);
        }
#else
        const int fd =
            ::open(encoded(staged).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int err = errno;
            if (err == EEXIST && attempt < 100)
                continue;
            throw systemError(err, target);
        }
        // Unbuffered, so that a failing write reports the system's reason at once.
        if (!entry->file_->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                                QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            QFile::remove(staged);
            throw systemError(EBADF, target);
        }
#endif
        files_.push_back(std::move(entry));
        return *files_.back();
    }
}

// Every file complete on disk and still there, before the journal names it.
void FileSet::stage() {
    for (auto& f : files_) {
        if (!f->file_->flush())
            throw writeError(f->target_, f->file_->errorString());
#ifndef Q_OS_WIN
        // On disk before the rename, so that a crash cannot leave an empty file in its place.
        if (::fsync(f->file_->handle()) != 0)
            throw writeError(f->target_, QString::fromLocal8Bit(std::strerror(errno)));
#endif
        f->file_->close();
        if (f->file_->error() != QFileDevice::NoError)
            throw writeError(f->target_, f->file_->errorString());
        if (!QFileInfo::exists(in(dir_, f->staged_)))
            throw systemError(ENOENT, f->target_);
    }
}

// The journal complete on disk, or none: a failure takes back what was written of it.
void FileSet::writeJournal() {
    std::vector<Entry> entries;
    for (const auto& f : files_)
        entries.push_back({f->staged_, f->name_});
    const QString path = in(dir_, kFileSetJournal);
    const QByteArray text = journalText(entries);
    QFile journal(path);
#ifdef Q_OS_WIN
    if (!journal.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        throw systemError(EACCES, path);
#else
    const int fd = ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        throw systemError(errno, path);
    if (!journal.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                      QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        removeFile(path);
        throw systemError(EBADF, path);
    }
#endif
    errno = 0;
    bool written = journal.write(text) == text.size();
#ifndef Q_OS_WIN
    written = written && ::fsync(journal.handle()) == 0;
#endif
    const int err = errno != 0 ? errno : EIO;
    journal.close();
    written = written && journal.error() == QFileDevice::NoError && syncFolder(dir_);
    if (!written) {
        removeFile(path);
        throw writeError(path, QString::fromLocal8Bit(std::strerror(err)));
    }
}

void FileSet::commit() {
    if (files_.empty())
        return;
    stage();
    if (files_.size() == 1) {
        // One file is replaced in one step: nothing to journal.
        const File& f = *files_.front();
        if (!replace(in(dir_, f.staged_), in(dir_, f.name_)))
            throw systemError(errno, f.target_);
        kept_ = true;
        syncFolder(dir_);
        return;
    }
    writeJournal();
    kept_ = true;
    int placed = 0;
    try {
        finish(dir_, placed);
    } catch (const FileError& first) {
        // Once more, for a fault that passes. Failing again before any target was replaced, the
        // set is taken back; else the journal stays for the next set.
        try {
            finish(dir_, placed);
        } catch (const FileError&) {
            if (placed == 0 && removeFile(in(dir_, kFileSetJournal))) {
                kept_ = false;
                throw first;
            }
            incomplete_ = true;
            throw FileError(first.code(), first.path(),
                            first.message() +
                                QStringLiteral(" Die Dateien in %1 sind erst zum Teil ersetzt "
                                               "(%2); der nächste Export dorthin schließt das "
                                               "ab.")
                                    .arg(QDir::toNativeSeparators(dir_), kFileSetJournal));
        }
    }
}

void FileSet::discard() {
    for (auto& f : files_) {
        if (f->file_->isOpen())
            f->file_->close();
        QFile::remove(in(dir_, f->staged_));
    }
}

} // namespace platform
