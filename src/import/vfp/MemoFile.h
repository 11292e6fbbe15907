#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vfp {

// The memo file beside a table: FoxPro's .FPT (.DCT for a container), or dBase III's .DBT.
// A table's memo fields hold block numbers into it. The file is read whole, once; every block
// is checked against its size before it is touched.
class MemoFile {
public:
    enum class Kind { FoxPro, DBase3 };

    MemoFile() = default;
    // Reads and checks the header; throws Error.
    MemoFile(const QString& path, Kind kind);

    const QString& path() const { return path_; }
    // The data of the memo starting at `block`, as a view into this file. `where` names the record
    // and field for the error message when the block lies outside the file.
    QByteArrayView block(quint32 block, const QString& where) const;

private:
    QString path_;
    QByteArray bytes_;
    Kind kind_ = Kind::FoxPro;
    qint64 blockSize_ = 0;
};

} // namespace vfp
