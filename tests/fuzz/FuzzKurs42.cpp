// libFuzzer target: the reader of the Kurs42 export, on one file or on a zip.
//
// The first byte chooses: below 0x80 the rest replaces one of the seven files (byte % 7, in the
// order of kNames) of the hand-written test export; from 0x80 on the rest is a zip holding the
// export, at its root or in one folder. The reader may refuse the input (FormatError,
// zip::Error), never crash or read out of bounds. What it accepts must also come back from its
// own written form unchanged.
#include "exchange/Kurs42.h"
#include "exchange/Zip.h"

#include <QFile>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace k = exchange::kurs42;

namespace {

const char* const kNames[] = {"Blockung.txt", "Schueler.txt",  "Faecher.txt",   "Kurse.txt",
                              "Schienen.txt", "Blockplan.txt", "Fachwahlen.txt"};

k::Files handExport() {
    k::Files files;
    for (const char* name : kNames) {
        QFile f(QStringLiteral(KUBB_SOURCE_DIR "/tests/exchange/data/kurs42/") +
                QLatin1String(name));
        if (!f.open(QIODevice::ReadOnly))
            abort(); // the fuzzer's own seed export is missing: nothing to learn
        files.emplace_back(QLatin1String(name), f.readAll());
    }
    return files;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const k::Files base = handExport();
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    k::Export read;
    try {
        k::Files files;
        if (data[0] < 0x80) {
            files = base;
            files[data[0] % files.size()].second = rest;
        } else {
            files = k::readArchive(rest); // at its root or in one folder
        }
        read = k::readFiles(files);
    } catch (const k::FormatError&) {
        return 0;
    } catch (const exchange::zip::Error&) {
        return 0;
    }
    // Reading what was written must give the same records, so the same files again.
    const auto written = k::render(read);
    try {
        if (k::render(k::readFiles(written)) != written)
            abort();
    } catch (const k::FormatError&) {
        abort();
    }
    return 0;
}
