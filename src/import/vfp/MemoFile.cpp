#include "import/vfp/MemoFile.h"

#include "import/vfp/Error.h"
#include "import/vfp/Files.h"

#include <QtEndian>

namespace vfp {

namespace {
constexpr qint64 kHeaderSize = 512;
constexpr qint64 kBlockHeaderSize = 8; // FoxPro: type u32 BE, length u32 BE
} // namespace

MemoFile::MemoFile(const QString& path, Kind kind)
    : path_(path), bytes_(readWholeFile(path)), kind_(kind) {
    if (bytes_.size() < kHeaderSize)
        throw Error::damaged(
            path_,
            QStringLiteral("der Kopf der Memodatei ist kürzer als %1 Bytes").arg(kHeaderSize));
    if (kind_ == Kind::DBase3) {
        blockSize_ = 512;
    } else {
        blockSize_ = qFromBigEndian<quint16>(bytes_.constData() + 6);
        if (blockSize_ == 0)
            throw Error::damaged(path_, QStringLiteral("die Blockgröße ist 0"));
    }
}

QByteArrayView MemoFile::block(quint32 block, const QString& where) const {
    const qint64 size = bytes_.size();
    const qint64 start = qint64(block) * blockSize_;
    if (start < kHeaderSize)
        throw Error::damaged(
            path_, QStringLiteral("%1 verweist auf Block %2 im Dateikopf").arg(where).arg(block));
    if (kind_ == Kind::DBase3) {
        // dBase III memos have no length: they end at the first 0x1A.
        if (start > size)
            throw Error::damaged(path_,
                                 QStringLiteral("%1 verweist auf Block %2 hinter dem Dateiende")
                                     .arg(where)
                                     .arg(block));
        const qsizetype end = bytes_.indexOf('\x1a', start);
        return QByteArrayView(bytes_).sliced(start, (end < 0 ? size : end) - start);
    }
    if (start + kBlockHeaderSize > size)
        throw Error::damaged(
            path_,
            QStringLiteral("%1 verweist auf Block %2 hinter dem Dateiende").arg(where).arg(block));
    const qint64 length = qFromBigEndian<quint32>(bytes_.constData() + start + 4);
    if (length > size - start - kBlockHeaderSize)
        throw Error::damaged(
            path_, QStringLiteral("das Memo in Block %1 (%2) ist %3 Bytes lang und reicht "
                                  "über das Dateiende hinaus")
                       .arg(block)
                       .arg(where)
                       .arg(length));
    return QByteArrayView(bytes_).sliced(start + kBlockHeaderSize, length);
}

} // namespace vfp
