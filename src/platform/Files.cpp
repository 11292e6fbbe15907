#include "platform/Files.h"

#include "platform/CodePage.h"
#include "platform/Platform.h"
#include "platform/Targets.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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

FileError systemError(int err, const QString& path) {
    const int code = errorCodeFor(err, platform::nativePath(path), FileMode::Output);
    return FileError(code, path,
                     describe(code, path) + QStringLiteral(" (") +
                         QString::fromLocal8Bit(std::strerror(err)) + QLatin1Char(')'));
}

FileError writeError(const QString& path, const QString& system) {
    return writeFailure(path, system);
}

#ifndef Q_OS_WIN
// The open(2) flags and Qt's mode of a file mode.
static std::pair<int, QIODevice::OpenMode> posixMode(FileMode mode) {
    switch (mode) {
    case FileMode::Output:
        return {O_WRONLY | O_CREAT | O_TRUNC, QIODevice::WriteOnly};
    case FileMode::Input:
        return {O_RDONLY, QIODevice::ReadOnly};
    case FileMode::Append:
        return {O_WRONLY | O_CREAT | O_APPEND, QIODevice::WriteOnly | QIODevice::Append};
    default:
        return {O_RDWR | O_CREAT, QIODevice::ReadWrite};
    }
}
#endif

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
    const auto [flags, qmode] = posixMode(mode);
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

RegularFile readRegularFile(const QString& path, qint64 limit) {
    const QString native = platform::nativePath(path);
    auto file = std::make_unique<QFile>(native);
#ifdef Q_OS_WIN
    const QFileInfo info(native);
    if (info.exists() && !info.isFile())
        return {RegularFile::Status::NotRegular, {}};
    file = openRaw(path, FileMode::Input);
    const qint64 size = file->size();
#else
    // Without blocking: opening a pipe for reading would wait for a writer.
    const int fd =
        ::open(QFile::encodeName(native).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int code = errorCodeFor(errno, native, FileMode::Input);
        throw FileError(code, path, describe(code, path));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {RegularFile::Status::NotRegular, {}};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw FileError(75, path, describe(75, path));
    }
    const qint64 size = st.st_size;
#endif
    if (size > limit)
        return {RegularFile::Status::TooLarge, {}};
    // At most one byte beyond what it holds, for a file that grows meanwhile.
    RegularFile out{RegularFile::Status::Read, file->read(size + 1)};
    if (file->error() != QFileDevice::NoError)
        throw FileError(75, path, path + QStringLiteral(": ") + file->errorString());
    if (out.bytes.size() > limit)
        return {RegularFile::Status::TooLarge, {}};
    return out;
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

} // namespace platform
