// libFuzzer target: one table file of the administration container, read whole.
//
// The input is the table; after a first "\n--FPT--\n" the rest is its memo file. Every value of
// every live record is decoded, so that a malformed header, descriptor, record or memo pointer is
// reached. The reader may refuse the file (vfp::Error), never crash or read out of bounds.
#include "import/vfp/Error.h"
#include "import/vfp/Table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        abort(); // the fuzzer's own scratch folder failed: nothing to learn from this input
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray separator("\n--FPT--\n");
    const qsizetype cut = input.indexOf(separator);
    writeFile(dir.filePath(QStringLiteral("T.DBF")), cut < 0 ? input : input.left(cut));
    QFile::remove(dir.filePath(QStringLiteral("T.FPT")));
    if (cut >= 0)
        writeFile(dir.filePath(QStringLiteral("T.FPT")), input.mid(cut + separator.size()));
    try {
        const vfp::Table table = vfp::Table::open(dir.filePath(QStringLiteral("T.DBF")));
        vfp::Record record;
        while (table.next(record))
            for (int i = 0; i < table.fieldCount(); ++i)
                try {
                    (void)record.value(i);
                } catch (const vfp::Error&) {
                }
    } catch (const vfp::Error&) {
    }
    return 0;
}
