#include "exchange/Zip.h"

#include "platform/CodePage.h"

#include <zlib.h>

#include <algorithm>
#include <set>

namespace exchange::zip {

namespace {

constexpr quint32 kLocalSignature = 0x04034b50;
constexpr quint32 kCentralSignature = 0x02014b50;
constexpr quint32 kEndSignature = 0x06054b50;
constexpr quint32 kZip64LocatorSignature = 0x07064b50;
constexpr int kLocalHeaderSize = 30;
constexpr int kCentralHeaderSize = 46;
constexpr int kEndSize = 22;
constexpr quint16 kFlagEncrypted = 0x0001;
constexpr quint16 kFlagUtf8 = 0x0800;
constexpr quint16 kStored = 0;
constexpr quint16 kDeflated = 8;
// 1 January 1980, the first day a zip time stamp can name: a fixed stamp keeps a second archive
// of the same files byte-identical.
constexpr quint16 kDosDate = (0 << 9) | (1 << 5) | 1;

[[noreturn]] void damaged(const QString& what) {
    throw Error(QStringLiteral("Die Zip-Datei ist beschädigt: %1.").arg(what));
}

[[noreturn]] void zip64() {
    throw Error(QStringLiteral("Die Zip-Datei hat das Format Zip64; es wird nicht gelesen."));
}

// Little-endian fields of the archive, every access checked against its end.
class Bytes {
public:
    explicit Bytes(const QByteArray& data) : data_(data) {}
    qint64 size() const { return data_.size(); }
    void need(qint64 at, qint64 length, const char* what) const {
        if (at < 0 || length < 0 || at > size() || length > size() - at)
            damaged(QString::fromLatin1(what));
    }
    quint16 u16(qint64 at) const {
        need(at, 2, "Feld hinter dem Ende");
        return quint16(byte(at) | byte(at + 1) << 8);
    }
    quint32 u32(qint64 at) const {
        need(at, 4, "Feld hinter dem Ende");
        return quint32(byte(at)) | quint32(byte(at + 1)) << 8 | quint32(byte(at + 2)) << 16 |
               quint32(byte(at + 3)) << 24;
    }
    QByteArray mid(qint64 at, qint64 length, const char* what) const {
        need(at, length, what);
        return data_.mid(at, length);
    }
    const char* at(qint64 offset) const { return data_.constData() + offset; }

private:
    unsigned byte(qint64 at) const { return static_cast<unsigned char>(data_[at]); }
    const QByteArray& data_;
};

struct CentralEntry {
    QString name;
    quint16 flags = 0, method = 0;
    quint32 crc = 0, packedSize = 0, size = 0, localOffset = 0;
};

qint64 findEnd(const Bytes& in) {
    const qint64 last = in.size() - kEndSize;
    const qint64 first = std::max<qint64>(0, last - 0xFFFF);
    for (qint64 at = last; at >= first; --at)
        if (in.u32(at) == kEndSignature && at + kEndSize + in.u16(at + 20) <= in.size())
            return at;
    damaged(QStringLiteral("das Inhaltsverzeichnis am Ende fehlt"));
}

QByteArray inflateRaw(const QString& name, const char* packed, quint32 packedSize, quint32 size) {
    z_stream s{};
    if (inflateInit2(&s, -MAX_WBITS) != Z_OK)
        throw Error(QStringLiteral("Entpacken nicht möglich: zu wenig Speicher."));
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed));
    s.avail_in = packedSize;
    QByteArray out;
    int rc = Z_OK;
    // Grown in steps and never past the size the entry names plus one byte: a stream that claims
    // little and inflates to much (a zip bomb) stops at once.
    while (rc == Z_OK) {
        const qint64 done = out.size();
        const qint64 step = std::min<qint64>(qint64(size) + 1 - done, 1 << 16);
        if (step <= 0)
            break;
        if (out.capacity() < done + step) // doubling: a large entry is not copied step by step
            out.reserve(
                std::min<qint64>(qint64(size) + 1, std::max<qint64>(2 * done, done + step)));
        out.resize(done + step);
        s.next_out = reinterpret_cast<Bytef*>(out.data() + done);
        s.avail_out = uInt(step);
        rc = inflate(&s, Z_NO_FLUSH);
        out.resize(done + step - s.avail_out);
    }
    inflateEnd(&s);
    if (rc != Z_STREAM_END || out.size() != qint64(size))
        damaged(QStringLiteral("der Eintrag „%1“ lässt sich nicht entpacken").arg(name));
    return out;
}

CentralEntry centralEntry(const Bytes& in, qint64 at, qint64 end) {
    if (end - at < kCentralHeaderSize || in.u32(at) != kCentralSignature)
        damaged(QStringLiteral("ein Eintrag des Inhaltsverzeichnisses fehlt"));
    CentralEntry e;
    e.flags = in.u16(at + 8);
    e.method = in.u16(at + 10);
    e.crc = in.u32(at + 16);
    e.packedSize = in.u32(at + 20);
    e.size = in.u32(at + 24);
    e.localOffset = in.u32(at + 42);
    if (e.packedSize == 0xFFFFFFFF || e.size == 0xFFFFFFFF || e.localOffset == 0xFFFFFFFF)
        zip64();
    const qint64 nameLength = in.u16(at + 28);
    if (nameLength > end - at - kCentralHeaderSize)
        damaged(QStringLiteral("ein Name reicht über das Inhaltsverzeichnis hinaus"));
    const QByteArray name = in.mid(at + kCentralHeaderSize, nameLength, "Name hinter dem Ende");
    e.name = e.flags & kFlagUtf8 ? QString::fromUtf8(name) : platform::CodePage::decode(name, 437);
    return e;
}

QByteArray contents(const Bytes& in, const CentralEntry& e, qint64 dataEnd) {
    if (e.flags & kFlagEncrypted)
        throw Error(QStringLiteral("Der Eintrag „%1“ der Zip-Datei ist verschlüsselt; er wird "
                                   "nicht gelesen.")
                        .arg(e.name));
    if (e.method != kStored && e.method != kDeflated)
        throw Error(QStringLiteral("Der Eintrag „%1“ der Zip-Datei ist mit Verfahren %2 gepackt; "
                                   "gelesen werden nur ungepackte und mit Deflate gepackte.")
                        .arg(e.name)
                        .arg(e.method));
    if (e.size > kMaxEntrySize || e.packedSize > kMaxEntrySize)
        throw Error(QStringLiteral("Der Eintrag „%1“ der Zip-Datei ist größer als %2 MiB; er wird "
                                   "nicht gelesen.")
                        .arg(e.name)
                        .arg(kMaxEntrySize >> 20));
    const qint64 local = e.localOffset;
    if (local > dataEnd - kLocalHeaderSize || in.u32(local) != kLocalSignature)
        damaged(QStringLiteral("der Kopf des Eintrags „%1“ fehlt").arg(e.name));
    const qint64 data = local + kLocalHeaderSize + in.u16(local + 26) + in.u16(local + 28);
    if (data > dataEnd || e.packedSize > dataEnd - data)
        damaged(QStringLiteral("der Eintrag „%1“ reicht über das Archiv hinaus").arg(e.name));
    QByteArray out;
    if (e.method == kStored) {
        if (e.packedSize != e.size)
            damaged(QStringLiteral("die Größen des Eintrags „%1“ widersprechen sich").arg(e.name));
        out = in.mid(data, e.size, "Eintrag hinter dem Ende");
    } else {
        out = inflateRaw(e.name, in.at(data), e.packedSize, e.size);
    }
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(out.constData()), uInt(out.size()));
    if (crc != e.crc)
        damaged(QStringLiteral("die Prüfsumme des Eintrags „%1“ stimmt nicht").arg(e.name));
    return out;
}

// The raw deflate stream of data (no zlib header), as a zip entry holds it.
QByteArray deflateRaw(const QByteArray& data) {
    z_stream s{};
    if (deflateInit2(&s, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw Error(QStringLiteral("Packen nicht möglich: zu wenig Speicher."));
    QByteArray out(qsizetype(deflateBound(&s, uLong(data.size()))), Qt::Uninitialized);
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    s.avail_in = uInt(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = uInt(out.size());
    const int rc = deflate(&s, Z_FINISH);
    out.resize(qsizetype(s.total_out));
    deflateEnd(&s);
    if (rc != Z_STREAM_END)
        throw Error(QStringLiteral("Packen nicht möglich."));
    return out;
}

void put16(QByteArray& out, quint32 v) {
    out.append(char(v & 0xFF)).append(char(v >> 8 & 0xFF));
}

void put32(QByteArray& out, quint32 v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

Entries read(const QByteArray& archive, const std::function<bool(const QString&)>& wanted) {
    const Bytes in(archive);
    if (in.size() < kEndSize)
        damaged(QStringLiteral("sie ist zu kurz"));
    const qint64 end = findEnd(in);
    if (end >= 20 && in.u32(end - 20) == kZip64LocatorSignature)
        zip64();
    const quint16 disk = in.u16(end + 4), directoryDisk = in.u16(end + 6);
    const quint16 entriesHere = in.u16(end + 8), entries = in.u16(end + 10);
    const quint32 directorySize = in.u32(end + 12), directoryOffset = in.u32(end + 16);
    if (entries == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF)
        zip64();
    if (disk != 0 || directoryDisk != 0 || entriesHere != entries)
        throw Error(QStringLiteral("Die Zip-Datei ist auf mehrere Teile verteilt; sie wird nicht "
                                   "gelesen."));
    const qint64 directoryEnd = qint64(directoryOffset) + directorySize;
    if (directoryEnd > end)
        damaged(QStringLiteral("das Inhaltsverzeichnis reicht über das Archiv hinaus"));
    Entries out;
    std::set<QString> seen;
    qint64 total = 0;
    qint64 at = directoryOffset;
    for (int i = 0; i < entries; ++i) {
        const CentralEntry e = centralEntry(in, at, directoryEnd);
        at += kCentralHeaderSize + in.u16(at + 28) + in.u16(at + 30) + in.u16(at + 32);
        if (!wanted(e.name))
            continue;
        if (!seen.insert(e.name).second)
            throw Error(QStringLiteral("Die Zip-Datei enthält „%1“ zweimal.").arg(e.name));
        // An entry beyond its own limit is refused by contents(), naming it.
        if (e.size <= kMaxEntrySize && (total += e.size) > kMaxTotalSize)
            throw Error(QStringLiteral("Die Einträge der Zip-Datei sind zusammen größer als %1 "
                                       "MiB; sie werden nicht gelesen.")
                            .arg(kMaxTotalSize >> 20));
        out.emplace_back(e.name, contents(in, e, directoryOffset));
    }
    return out;
}

QByteArray write(const Entries& entries) {
    QByteArray out, directory;
    if (entries.size() >= 0xFFFF)
        throw Error(QStringLiteral("Zu viele Dateien für eine Zip-Datei."));
    for (const auto& [name, data] : entries) {
        const QByteArray encoded = name.toUtf8();
        const bool ascii = std::all_of(encoded.begin(), encoded.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        const QByteArray packed = data.size() < 0xFFFFFFFF ? deflateRaw(data) : QByteArray();
        if (encoded.size() > 0xFFFF || data.size() >= 0xFFFFFFFF ||
            out.size() + kLocalHeaderSize + encoded.size() + packed.size() >= 0xFFFFFFFF)
            throw Error(QStringLiteral("„%1“ ist zu groß für eine Zip-Datei.").arg(name));
        const quint32 crc =
            crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()));
        const quint16 flags = ascii ? 0 : kFlagUtf8;
        // The fields both headers share, from "version needed" to the name's length.
        QByteArray common;
        put16(common, 20);
        put16(common, flags);
        put16(common, kDeflated);
        put16(common, 0); // time 00:00:00
        put16(common, kDosDate);
        put32(common, crc);
        put32(common, quint32(packed.size()));
        put32(common, quint32(data.size()));
        put16(common, quint16(encoded.size()));
        put32(directory, kCentralSignature);
        put16(directory, 20); // made by: MS-DOS attributes, version 2.0
        directory.append(common);
        put16(directory, 0); // extra field
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, 0); // external attributes
        put32(directory, quint32(out.size()));
        directory.append(encoded);
        put32(out, kLocalSignature);
        out.append(common);
        put16(out, 0); // extra field
        out.append(encoded).append(packed);
    }
    if (out.size() + directory.size() >= 0xFFFFFFFF)
        throw Error(QStringLiteral("Die Dateien sind zu groß für eine Zip-Datei."));
    const quint32 directoryOffset = quint32(out.size());
    out.append(directory);
    put32(out, kEndSignature);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(entries.size()));
    put16(out, quint16(entries.size()));
    put32(out, quint32(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0); // comment
    return out;
}

} // namespace exchange::zip
