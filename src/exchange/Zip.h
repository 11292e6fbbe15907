#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

// Zip archives as exports travel in: read whole from memory, stored or deflated entries; written
// deflated.
namespace exchange::zip {

// An archive this reader refuses: damaged, encrypted, zip64, spread over several disks, or an
// entry beyond kMaxEntrySize. The message is German.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

using Entries = std::vector<std::pair<QString, QByteArray>>;

// No entry of an export comes near this; a larger one is refused before it is inflated.
inline constexpr qint64 kMaxEntrySize = 64 * 1024 * 1024;
// Nor do all its entries together: read() refuses to inflate beyond this.
inline constexpr qint64 kMaxTotalSize = 2 * kMaxEntrySize;

// The entries whose names wanted accepts, in the archive's order, each checked against its
// CRC-32. Names are taken as the archive gives them (sub-folders included, UTF-8 where the entry
// says so, else code page 437). A wanted name that occurs twice, or wanted entries beyond
// kMaxTotalSize together, are refused. Throws Error.
Entries read(const QByteArray& archive, const std::function<bool(const QString&)>& wanted);

// An archive of the entries, deflated, in the given order, with a fixed time stamp: the same
// entries give the same bytes. Throws Error when an entry or the archive outgrows the plain zip
// format's 32-bit sizes.
QByteArray write(const Entries& entries);

} // namespace exchange::zip
