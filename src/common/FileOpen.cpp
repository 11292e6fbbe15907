#include "common/FileOpen.h"

#include "platform/Platform.h"
#include "ui/Host.h"

namespace common {

using namespace platform;

FileErrorChoice fileErrorDialog(ui::Host& host, int code, const QString& path) {
    QString text;
    switch (code) {
    case 52:
    case 64:
        text = QStringLiteral("Unerlaubter Dateiname oder Nummer!");
        break;
    case 53:
        text = path + QStringLiteral(": Datei nicht gefunden!");
        break;
    case 54:
        text = QStringLiteral("Dateizugriffsmodus falsch!");
        break;
    case 55:
        text = path + QStringLiteral(": Datei bereits geoeffnet!");
        break;
    case 68:
        text = QStringLiteral("Laufwerk nicht vorhanden!");
        break;
    case 70:
        text = QStringLiteral("Diskette/Datei schreibgeschützt!");
        break;
    case 71:
        text = QStringLiteral("Laufwerk ist nicht bereit!");
        break;
    case 72:
        text = QStringLiteral("Datentraegerfehler!");
        break;
    case 75:
        text = path + QStringLiteral(": Pfad/Datei-Zugriffsfehler!\r\nNur zum Lesen gesetzt!");
        break;
    case 76:
        text = path + QStringLiteral(": Pfad nicht gefunden!");
        break;
    default:
        return FileErrorChoice::Unknown;
    }
    const ui::Answer a = host.message({text, QStringLiteral("Disk Error"), ui::Icon::None,
                                       ui::Buttons::RetryCancel, code == 71 ? 0 : 1, std::nullopt});
    switch (a) {
    case ui::Answer::Retry:
    case ui::Answer::Ok:
        return FileErrorChoice::Retry;
    case ui::Answer::Ignore:
        return FileErrorChoice::Continue;
    case ui::Answer::Cancel:
    case ui::Answer::Abort:
        return FileErrorChoice::GiveUp;
    default:
        return FileErrorChoice::Unknown;
    }
}

OpenFile openFile(ui::Host& host, const QString& path, FileMode mode) {
    for (;;) {
        try {
            return OpenFile{Opened::Yes, openRaw(path, mode)};
        } catch (const FileError& e) {
            switch (fileErrorDialog(host, e.code(), path)) {
            case FileErrorChoice::Retry:
                continue;
            case FileErrorChoice::Continue:
                // Hands back a number although nothing is open; readers see no data.
                return OpenFile{Opened::Continued, nullptr};
            case FileErrorChoice::GiveUp:
                return OpenFile{Opened::GaveUp, nullptr};
            case FileErrorChoice::Unknown:
                return OpenFile{Opened::UnknownError, nullptr};
            }
        }
    }
}

QString readAdministrationIni(ui::Host& host) {
    if (!fileExists(platform::kIniPath))
        return {};
    OpenFile f = openFile(host, platform::kIniPath, FileMode::Input);
    if (!f.file)
        return {};
    bool inSection = false;
    for (const QString& line : readLines(*f.file))
        for (const QString& item : splitItems(line)) {
            const QString t = item.trimmed();
            if (t == QLatin1String("[Pfad]"))
                inSection = true;
            if (inSection && t.left(7) == QLatin1String("Daten ="))
                return t.mid(7).trimmed();
        }
    return {};
}

} // namespace common
