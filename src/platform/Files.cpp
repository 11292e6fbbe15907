#include "platform/Files.h"

#include "platform/CodePage.h"
#include "platform/Platform.h"
#include "platform/Targets.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace platform {

FileError::FileError(int code, const QString& path, const QString& message)
    : std::runtime_error(message.toStdString()), code_(code), path_(path) {}

namespace {

const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

// Renames from onto to, replacing it in one step.
bool replaceFile(const QString& from, const QString& to) {
#ifdef Q_OS_WIN
    return MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()),
                       reinterpret_cast<const wchar_t*>(to.utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

// Renames from to the name to unless a file has that name, in one step, so that of two programs
// racing for one name one wins; fails with EEXIST otherwise. QFile::rename will not do: finding
// the name taken only at its rename, it copies over the file there.
bool renameNoReplace(const QString& from, const QString& to) {
#ifdef Q_OS_WIN
    return MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()),
                       reinterpret_cast<const wchar_t*>(to.utf16()), MOVEFILE_WRITE_THROUGH);
#else
    const QByteArray f = QFile::encodeName(from);
    const QByteArray t = QFile::encodeName(to);
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // A file system without that rename: a second name is refused as well when it is taken.
    if (::link(f.constData(), t.constData()) != 0)
        return false;
    ::unlink(f.constData());
    return true;
#endif
}

QString describe(int code, const QString& path) {
    switch (code) {
    case 53:
        return path + QStringLiteral(": Datei nicht gefunden!");
    case 55:
        return path + QStringLiteral(": Datei bereits geoeffnet!");
    case 68:
        return QStringLiteral("Laufwerk nicht vorhanden!");
    case 70:
        return QStringLiteral("Diskette/Datei schreibgeschützt!");
    case 71:
        return QStringLiteral("Laufwerk ist nicht bereit!");
    case 72:
        return QStringLiteral("Datentraegerfehler!");
    case 75:
        return path + QStringLiteral(": Pfad/Datei-Zugriffsfehler!");
    case 76:
        return path + QStringLiteral(": Pfad nicht gefunden!");
    default:
        return path + QStringLiteral(": Dateifehler ") + QString::number(code);
    }
}

FileError writeFailure(const QString& target, const QString& system) {
    return FileError(75, target,
                     target + QStringLiteral(": Schreibfehler! (") + system + QLatin1Char(')'));
}

// Maps an operating-system error number onto the system's error code.
int errorCodeFor(int osError, const QString& nativePath, FileMode mode) {
    switch (osError) {
    case ENOENT: {
        const QFileInfo info(nativePath);
        if (!info.dir().exists())
            return 76;
        return mode == FileMode::Input ? 53 : 76;
    }
    case ENOTDIR:
        return 76;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return 75;
    case EBUSY:
    case ETXTBSY:
        return 70;
    case ENAMETOOLONG:
    case EINVAL:
    case EBADF:
        return 52;
    case ENXIO:
    case ENODEV:
        return 68;
    case EIO:
        return 72;
    case EMFILE:
    case ENFILE:
        return 67;
    default:
        return 75;
    }
}

} // namespace

std::unique_ptr<QFile> openRaw(const QString& path, FileMode mode) {
    const QString native = platform::nativePath(path);
    auto file = std::make_unique<QFile>(native);
#ifdef Q_OS_WIN
    QIODevice::OpenMode qmode = QIODevice::ReadOnly;
    switch (mode) {
    case FileMode::Output:
        qmode = QIODevice::WriteOnly | QIODevice::Truncate;
        break;
    case FileMode::Input:
        qmode = QIODevice::ReadOnly;
        break;
    case FileMode::Append:
        qmode = QIODevice::WriteOnly | QIODevice::Append;
        break;
    default:
        qmode = QIODevice::ReadWrite;
        break;
    }
    if (!file->open(qmode)) {
        const int code =
            file->error() == QFileDevice::OpenError && !QFileInfo::exists(native) ? 53 : 75;
        throw FileError(code, path, describe(code, path));
    }
#else
    int flags = O_RDONLY;
    QIODevice::OpenMode qmode = QIODevice::ReadOnly;
    switch (mode) {
    case FileMode::Output:
        flags = O_WRONLY | O_CREAT | O_TRUNC;
        qmode = QIODevice::WriteOnly;
        break;
    case FileMode::Input:
        break;
    case FileMode::Append:
        flags = O_WRONLY | O_CREAT | O_APPEND;
        qmode = QIODevice::WriteOnly | QIODevice::Append;
        break;
    default:
        flags = O_RDWR | O_CREAT;
        qmode = QIODevice::ReadWrite;
        break;
    }
    const QByteArray encoded = QFile::encodeName(native);
    const int fd = ::open(encoded.constData(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int code = errorCodeFor(errno, native, mode);
        throw FileError(code, path, describe(code, path));
    }
    // A directory opens read-only on POSIX; the system treats it as an access error.
    if (QFileInfo(native).isDir()) {
        ::close(fd);
        throw FileError(75, path, describe(75, path));
    }
    if (!file->open(fd, qmode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw FileError(75, path, describe(75, path));
    }
#endif
    return file;
}

bool fileExists(const QString& path) {
    return QFileInfo::exists(platform::nativePath(path));
}

qint64 fileLength(const QString& path) {
    const QFileInfo info(platform::nativePath(path));
    return info.isFile() ? info.size() : -1;
}

bool directoryListable(const QString& dir) {
    const QString native = platform::nativePath(dir.isEmpty() ? QStringLiteral(".") : dir);
    const QFileInfo info(native);
    return info.isDir() && info.isReadable();
}

QStringList splitItems(const QString& line) {
    QStringList items;
    const qsizetype n = line.size();
    qsizetype i = 0;
    for (;;) {
        while (i < n && line[i] == QLatin1Char(' '))
            ++i;
        QString item;
        if (i < n && line[i] == QLatin1Char('"')) {
            const qsizetype close = line.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0) {
                item = line.mid(i + 1);
                i = n;
            } else {
                item = line.mid(i + 1, close - i - 1);
                i = close + 1;
                // Anything up to the next comma after the closing quote is dropped.
                const qsizetype comma = line.indexOf(QLatin1Char(','), i);
                i = comma < 0 ? n : comma;
            }
        } else {
            const qsizetype comma = line.indexOf(QLatin1Char(','), i);
            const qsizetype end = comma < 0 ? n : comma;
            item = line.mid(i, end - i);
            i = end;
        }
        items << item;
        if (i >= n)
            break;
        ++i; // the comma
        if (i >= n) {
            items << QString();
            break;
        }
    }
    return items;
}

QStringList readLines(QFile& file) {
    const QByteArray all = file.readAll();
    QStringList lines = (all.startsWith(kUtf8Bom) ? QString::fromUtf8(all.mid(kUtf8Bom.size()))
                                                  : CodePage::decode(all, 1252))
                            .split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString readFirstItem(QFile& file) {
    const QStringList lines = readLines(file);
    if (lines.isEmpty())
        return {};
    return splitItems(lines.first()).value(0);
}

void writePointerFile(const QString& dir, const QString& databasePath) {
    // Windows-1252 is what the sibling programs read; a path it cannot hold would come back as
    // "?" and never open again.
    const bool fits = CodePage::firstUnencodable(databasePath, 1252) < 0;
    const QByteArray bytes = fits ? CodePage::encode(databasePath, 1252) + "\r\n"
                                  : kUtf8Bom + databasePath.toUtf8() + "\r\n";
    writeFileAtomically(dir + kPointerFileName, [&](QIODevice& out) { out.write(bytes); });
}

void checkWritable(const QString& path) {
    const QFileInfo info(platform::nativePath(path));
    if (!info.dir().exists())
        throw FileError(76, path, describe(76, path));
    refuseUnusualTarget(path);
    if (info.isDir() || (info.exists() && !info.isWritable()) ||
        !QFileInfo(info.absolutePath()).isWritable())
        throw FileError(75, path, describe(75, path));
}

void writeFileAtomically(const QString& path, const std::function<void(QIODevice&)>& write) {
    checkWritable(path);
    const QString native = platform::nativePath(path);
    const auto fail = [&](int code, const QString& why) {
        return FileError(code, path, describe(code, path) + QStringLiteral(" (") + why + ')');
    };
    QSaveFile file(native);
    if (!file.open(QIODevice::WriteOnly))
        throw fail(75, file.errorString());
    write(file);
    // QSaveFile::commit() ignores a failing last write and a failing sync: both are checked
    // here, before the rename, so that an empty or short file never replaces the target.
    if (file.error() != QFileDevice::NoError || !file.flush())
        throw writeFailure(path, file.errorString());
#ifndef Q_OS_WIN
    if (::fsync(file.handle()) != 0)
        throw writeFailure(path, QString::fromLocal8Bit(std::strerror(errno)));
#endif
    if (!file.commit())
        throw fail(75, file.errorString());
}

void copyFile(const QString& from, const QString& to) {
    QByteArray data;
    {
        auto in = openRaw(from, FileMode::Input);
        data = in->readAll();
        if (in->error() != QFileDevice::NoError)
            throw FileError(75, from, describe(75, from));
    }
    writeFileAtomically(to, [&](QIODevice& out) { out.write(data); });
}

bool sameFile(const QString& a, const QString& b) {
    const QString na = platform::nativePath(a.trimmed());
    const QString nb = platform::nativePath(b.trimmed());
#ifdef Q_OS_WIN
    const QString ca = QFileInfo(na).canonicalFilePath();
    const QString cb = QFileInfo(nb).canonicalFilePath();
    return !ca.isEmpty() && ca.compare(cb, Qt::CaseInsensitive) == 0;
#else
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(na).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(nb).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
}

PendingFile::PendingFile(const QString& target) : target_(target) {
    refuseUnusualTarget(target);
    folder_ = std::make_unique<PendingFolder>(target);
    do {
        path_ = target + QStringLiteral(".tmp-") +
                QString::number(QRandomGenerator::global()->bounded(1000000))
                    .rightJustified(6, QLatin1Char('0'));
    } while (QFileInfo::exists(platform::nativePath(path_)));
}

PendingFile::~PendingFile() {
    if (committed_)
        return;
    const QString native = platform::nativePath(path_);
    QFile::remove(native);
    QFile::remove(native + QStringLiteral("-journal"));
}

void PendingFile::commit(Replace replace) {
    const QString from = platform::nativePath(path_);
    const QString to = platform::nativePath(target_);
    if (replace == Replace::No) {
        // Refuses an existing target atomically, so of two runs racing for one name one wins.
        if (!renameNoReplace(from, to)) {
            if (QFileInfo::exists(to))
                throw FileError(75, target_,
                                QStringLiteral("Die Datei %1 existiert bereits.").arg(target_));
            throw FileError(75, target_, describe(75, target_));
        }
    } else {
        refuseUnusualTarget(target_); // one that appeared since
        if (!replaceFile(from, to))
            throw FileError(75, target_, describe(75, target_));
    }
    committed_ = true;
}

namespace {

// "~NAME.xxxxxx.ext" beside the system path native, xxxxxx drawn at random.
QString besideName(const QString& native, const QString& ext) {
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(kDigits[QRandomGenerator::global()->bounded(36)]);
    const QFileInfo info(native);
    return info.absolutePath() + QStringLiteral("/~") + info.fileName() + QLatin1Char('.') +
           suffix + ext;
}

std::filesystem::path fsPath(const QString& native) {
#ifdef Q_OS_WIN
    return std::filesystem::path(native.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(native).toStdString());
#endif
}

// A failure of the file target with the system's own words appended.
FileError failure(int code, const QString& target, const QString& system) {
    return FileError(code, target, describe(code, target) + QStringLiteral(" (") + system + ')');
}

// Renames within one directory; an existing file at to is replaced in one step.
void move(const QString& from, const QString& to, const QString& target) {
    std::error_code ec;
    std::filesystem::rename(fsPath(from), fsPath(to), ec);
    if (!ec)
        return;
#ifdef Q_OS_WIN
    const int code = 75;
#else
    const int code = errorCodeFor(ec.value(), to, FileMode::Output);
#endif
    throw failure(code, target, QString::fromStdString(ec.message()));
}

// Removes what an earlier group left beside the target native: its new content
// ("~NAME.xxxxxx.tmp", a kill before or during the renames) and the old file it could not
// delete ("~NAME.xxxxxx.alt"). Only once this group's targets are all in place, so that
// nothing of these copies is needed any more.
void removeLeftovers(const QString& native) {
    const QFileInfo info(native);
    const QString stem = QStringLiteral("~") + info.fileName() + QLatin1Char('.');
    QDir dir(info.absolutePath());
    for (const QString& name :
         dir.entryList({stem + QStringLiteral("??????.tmp"), stem + QStringLiteral("??????.alt")},
                       QDir::Files | QDir::Hidden | QDir::System)) {
        const QString suffix = name.mid(stem.size(), 6);
        const bool ours = std::all_of(suffix.cbegin(), suffix.cend(), [](QChar c) {
            return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                   (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
        });
        if (ours && name.startsWith(stem))
            dir.remove(name);
    }
}

} // namespace

void FileGroup::File::write(const QByteArray& bytes) {
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
    throw writeFailure(target_, reason);
}

FileGroup::~FileGroup() {
    if (!committed_)
        discard();
}

FileGroup::File& FileGroup::create(const QString& target) {
    const QString native = platform::nativePath(target);
    if (QFileInfo(native).isDir())
        throw failure(75, target, QString::fromLocal8Bit(std::strerror(EISDIR)));
    refuseUnusualTarget(target);
    for (int attempt = 1;; ++attempt) {
        const QString temporary = besideName(native, QStringLiteral(".tmp"));
        auto file = std::make_unique<QFile>(temporary);
#ifdef Q_OS_WIN
        if (!file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            if (QFileInfo::exists(temporary) && attempt < 100)
                continue;
            const int code = QFileInfo(QFileInfo(native).absolutePath()).isDir() ? 75 : 76;
            throw failure(code, target, file->errorString());
        }
#else
        const int fd = ::open(QFile::encodeName(temporary).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int err = errno;
            if (err == EEXIST && attempt < 100)
                continue;
            const int code = errorCodeFor(err, native, FileMode::Output);
            throw failure(code, target, QString::fromLocal8Bit(std::strerror(err)));
        }
        // Unbuffered, so that a failing write reports the system's reason at once.
        if (!file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                        QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            QFile::remove(temporary);
            throw failure(75, target, file->errorString());
        }
#endif
        auto entry = std::make_unique<File>();
        entry->target_ = target;
        entry->native_ = native;
        entry->temporary_ = temporary;
        entry->file_ = std::move(file);
        files_.push_back(std::move(entry));
        return *files_.back();
    }
}

void FileGroup::commit() {
    for (auto& f : files_) {
        if (!f->file_->flush())
            throw writeFailure(f->target_, f->file_->errorString());
#ifndef Q_OS_WIN
        // On disk before the rename, so that a crash cannot leave an empty file in its place.
        if (::fsync(f->file_->handle()) != 0)
            throw writeFailure(f->target_, QString::fromLocal8Bit(std::strerror(errno)));
#endif
        f->file_->close();
        if (f->file_->error() != QFileDevice::NoError)
            throw writeFailure(f->target_, f->file_->errorString());
    }
    try {
        for (auto& f : files_) {
            const QFileInfo old(f->native_);
            if (old.exists() || old.isSymLink()) {
                QString aside;
                do
                    aside = besideName(f->native_, QStringLiteral(".alt"));
                while (QFileInfo::exists(aside));
                // A second name for the old file, so that the target never goes missing; where
                // the file system has no hard links, the old file is moved aside.
                std::error_code ec;
                std::filesystem::create_hard_link(fsPath(f->native_), fsPath(aside), ec);
                if (ec)
                    move(f->native_, aside, f->target_);
                f->aside_ = aside;
            }
            move(f->temporary_, f->native_, f->target_);
            f->placed_ = true;
        }
    } catch (...) {
        putBack();
        discard();
        throw;
    }
    committed_ = true;
    std::set<QString> dirs;
    for (const auto& f : files_) {
        if (!f->aside_.isEmpty())
            QFile::remove(f->aside_);
        removeLeftovers(f->native_);
        dirs.insert(QFileInfo(f->native_).absolutePath());
    }
#ifndef Q_OS_WIN
    // The renames themselves on disk; a directory that cannot be synced keeps them in the cache.
    for (const QString& dir : dirs) {
        const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
#endif
}

void FileGroup::putBack() {
    for (auto f = files_.rbegin(); f != files_.rend(); ++f) {
        File& file = **f;
        if (!file.aside_.isEmpty()) {
            // The old file back over the new one; a second name of a file still in place goes.
            std::error_code ec;
            if (file.placed_ || !QFileInfo::exists(file.native_))
                std::filesystem::rename(fsPath(file.aside_), fsPath(file.native_), ec);
            else
                std::filesystem::remove(fsPath(file.aside_), ec);
            if (!ec) {
                file.aside_.clear();
                file.placed_ = false;
            }
        } else if (file.placed_) {
            QFile::remove(file.native_);
            file.placed_ = false;
        }
    }
}

void FileGroup::discard() {
    for (auto& f : files_) {
        if (f->file_->isOpen())
            f->file_->close();
        if (!f->placed_)
            QFile::remove(f->temporary_);
    }
}

} // namespace platform
