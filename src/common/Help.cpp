#include "common/Help.h"

namespace common {

const std::vector<HelpPage>& helpPages() {
    static const std::vector<HelpPage> pages = {
        {QStringLiteral("index.html"), QStringLiteral("Inhalt")},
        {QStringLiteral("starten.html"), QStringLiteral("Starten und Datendatei")},
        {QStringLiteral("ablauf.html"), QStringLiteral("Der typische Ablauf")},
        {QStringLiteral("import.html"), QStringLiteral("Import aus Palexor")},
        {QStringLiteral("setzen.html"), QStringLiteral("Setzen der Kurse")},
        {QStringLiteral("zuweisen.html"), QStringLiteral("Schüler einem Parallelkurs zuweisen")},
        {QStringLiteral("speichern.html"), QStringLiteral("Schienen speichern")},
        {QStringLiteral("schienendruck.html"), QStringLiteral("Schienen drucken")},
        {QStringLiteral("blockkurslisten.html"), QStringLiteral("Block-Kurs-Listen")},
        {QStringLiteral("export.html"), QStringLiteral("Übertragen nach Palexor")},
        {QStringLiteral("blockdaten.html"), QStringLiteral("Blockdaten")},
        {QStringLiteral("belegung.html"), QStringLiteral("Ändern Belegung")},
        {QStringLiteral("lehrer.html"), QStringLiteral("Lehrer")},
        {QStringLiteral("kurs42.html"), QStringLiteral("Austausch mit Kurs42")},
        {QStringLiteral("stundenplan.html"), QStringLiteral("Stundenplan (GPU) exportieren")},
    };
    return pages;
}

QString helpPage(const ui::HelpRef& ref) {
    switch (ref.kind) {
    case ui::HelpRef::Kind::Keyword:
        if (ref.keyword.compare(QLatin1String("Starten"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("starten.html");
        // A window's help opens at the page titled as the window.
        for (const HelpPage& p : helpPages())
            if (ref.keyword.compare(p.title, Qt::CaseInsensitive) == 0)
                return p.file;
        break;
    case ui::HelpRef::Kind::Context:
        switch (ref.context) {
        case 1000:
            return QStringLiteral("zuweisen.html");
        case 7400:
            return QStringLiteral("speichern.html");
        default:
            break;
        }
        break;
    case ui::HelpRef::Kind::Contents:
        break;
    }
    return QStringLiteral("index.html");
}

} // namespace common
