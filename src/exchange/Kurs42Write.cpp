// Writing the export: the tables in the column order of the export, the columns the records do
// not keep from their extra values (see Kurs42.cpp for the values chosen where a record has none).
#include "exchange/Kurs42.h"

#include "exchange/Kurs42Table.h"
#include "exchange/Zip.h"
#include "platform/FileSet.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <QDir>
#include <algorithm>

namespace exchange::kurs42 {

namespace {

using table::Column;

QString number(qint64 v) {
    return QString::number(v);
}

// Lehrer and Raum: the export writes "--" for none.
QString orNone(const QString& s) {
    return s.isEmpty() ? QStringLiteral("--") : s;
}

void putKey(Extra& row, const StudentKey& k) {
    row[QStringLiteral("Name")] = k.name;
    row[QStringLiteral("Vorname")] = k.vorname;
    row[QStringLiteral("GebDat")] = k.gebDat;
    row[QStringLiteral("Geschlecht")] = number(k.geschlecht);
}

// INI text: one line per key, so a line break inside a value becomes a blank.
QString iniValue(QString s) {
    return s.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QByteArray blockungTxt(const Blocking& b) {
    QString out = QStringLiteral("[Blockung]\r\n");
    const auto line = [&](const QString& key, const QString& value) {
        out += key + QLatin1Char('=') + iniValue(value) + QStringLiteral("\r\n");
    };
    line(QStringLiteral("Jahrgang"), b.jahrgang);
    line(QStringLiteral("Jahr"), number(b.jahr));
    line(QStringLiteral("Abschnitt"), number(b.abschnitt));
    line(QStringLiteral("Bezeichnung"), b.bezeichnung);
    line(QStringLiteral("Schulnummer"), b.schulnummer);
    for (const auto& [key, value] : b.other)
        if (!key.contains(QLatin1Char('/')))
            line(key, value);
    QString section;
    for (const auto& [key, value] : b.other) {
        const qsizetype slash = key.indexOf(QLatin1Char('/'));
        if (slash < 0)
            continue;
        if (key.left(slash) != section) {
            section = key.left(slash);
            out += QStringLiteral("\r\n[") + section + QStringLiteral("]\r\n");
        }
        line(key.mid(slash + 1), value);
    }
    // No byte-order mark: the file is plain ASCII as long as the values are; other characters
    // are UTF-8, which its readers try first.
    return out.toUtf8();
}

QByteArray schuelerTxt(const Export& e) {
    static const std::vector<Column> columns = {
        {"IdNr", true}, {"Status", true},  {"Geschlecht", true}, {"Jahrgang"},
        {"Klasse"},     {"Name"},          {"Vorname"},          {"CollCount", true, "-1"},
        {"GebDat"},     {"SchulNr", true}, {"DB_IdNr", true},    {"Tutor"},
        {"PruefOrd"},   {"EMail"},         {"SchulEmail"},       {"KoopDBIdNr", true},
        {"ExterneId"},  {"Gruppe"}};
    std::vector<Extra> rows;
    for (const Student& s : e.students) {
        Extra row = s.extra;
        putKey(row, s.key);
        row[QStringLiteral("IdNr")] = number(s.idNr);
        row[QStringLiteral("Status")] = number(s.status);
        row[QStringLiteral("Jahrgang")] = s.jahrgang;
        row[QStringLiteral("Klasse")] = s.klasse;
        row[QStringLiteral("DB_IdNr")] = number(s.dbIdNr);
        rows.push_back(std::move(row));
    }
    return table::render(columns, rows);
}

QByteArray faecherTxt(const Export& e) {
    static const std::vector<Column> columns = {{"IDNr", true},       {"Krz"},
                                                {"Bezeichnung"},      {"StatistikKrz"},
                                                {"Sortierung", true}, {"Fachgr_ID", true},
                                                {"IstSprache", true}};
    std::vector<Extra> rows;
    for (const Subject& s : e.subjects) {
        Extra row = s.extra;
        row[QStringLiteral("IDNr")] = number(s.idNr);
        row[QStringLiteral("Krz")] = s.krz;
        row[QStringLiteral("Bezeichnung")] = s.bezeichnung;
        row[QStringLiteral("StatistikKrz")] = s.statistikKrz;
        row[QStringLiteral("Sortierung")] = number(s.sortierung);
        rows.push_back(std::move(row));
    }
    return table::render(columns, rows);
}

QByteArray kurseTxt(const Export& e) {
    static const std::vector<Column> columns = {{"KursId", true},
                                                {"Fach"},
                                                {"Name"},
                                                {"Lehrer"},
                                                {"Std", true},
                                                {"Raum"},
                                                {"Kursart"},
                                                {"Schulnummer", true},
                                                {"Schienenzahl", true},
                                                {"Gesperrt"},
                                                {"Blocken", true, "1"},
                                                {"ParallelKursZahl", true},
                                                {"ParallelKursNr", true},
                                                {"FixiertInSchiene"}};
    std::vector<Extra> rows;
    for (const Course& c : e.courses) {
        Extra row = c.extra;
        QStringList rails;
        for (int r : c.gesperrt)
            rails << number(r);
        row[QStringLiteral("KursId")] = number(c.kursId);
        row[QStringLiteral("Fach")] = c.fach;
        row[QStringLiteral("Name")] = c.name;
        row[QStringLiteral("Lehrer")] = orNone(c.lehrer);
        row[QStringLiteral("Std")] = number(c.std);
        row[QStringLiteral("Raum")] = orNone(c.raum);
        row[QStringLiteral("Kursart")] = c.kursart;
        row[QStringLiteral("Schienenzahl")] = number(c.schienenzahl);
        row[QStringLiteral("Gesperrt")] =
            QLatin1Char('[') + rails.join(QLatin1Char(',')) + QLatin1Char(']');
        row[QStringLiteral("ParallelKursZahl")] = number(c.parallelKursZahl);
        row[QStringLiteral("ParallelKursNr")] = number(c.parallelKursNr);
        rows.push_back(std::move(row));
    }
    return table::render(columns, rows);
}

QByteArray schienenTxt(const Export& e) {
    static const std::vector<Column> columns = {
        {"Id", true}, {"Bezeichnung"}, {"KopplungsId"}, {"Stundenplan"}};
    std::vector<Extra> rows;
    for (const Rail& r : e.rails) {
        Extra row = r.extra;
        row[QStringLiteral("Id")] = number(r.id);
        row[QStringLiteral("Bezeichnung")] = r.bezeichnung;
        rows.push_back(std::move(row));
    }
    return table::render(columns, rows);
}

QByteArray blockplanTxt(const Export& e) {
    static const std::vector<Column> columns = {
        {"Schiene", true}, {"Kursbezeichnung"}, {"Fixiert", true}};
    std::vector<Extra> rows;
    for (const Placement& p : e.placements)
        rows.push_back({{QStringLiteral("Schiene"), number(p.schiene)},
                        {QStringLiteral("Kursbezeichnung"), p.kurs},
                        {QStringLiteral("Fixiert"), number(p.fixiert ? 1 : 0)}});
    return table::render(columns, rows);
}

QByteArray fachwahlenTxt(const Export& e) {
    static const std::vector<Column> columns = {{"Name"},
                                                {"Vorname"},
                                                {"GebDat"},
                                                {"Geschlecht", true},
                                                {"Fachkrz"},
                                                {"Kursart"},
                                                {"Note"},
                                                {"Kl1", true},
                                                {"Kl2", true},
                                                {"KLG", true},
                                                {"SoMi1", true},
                                                {"SoMi2", true},
                                                {"SomiG", true},
                                                {"Fehl1", true},
                                                {"Fehl2", true},
                                                {"uFehl1", true},
                                                {"uFehl2", true},
                                                {"FehlStd", true},
                                                {"UFehlStd", true},
                                                {"Facharbeit", true},
                                                {"Facharbeitsthema"},
                                                {"Kurs"},
                                                {"Mahnung", true}};
    std::vector<Extra> rows;
    for (const Choice& c : e.choices) {
        Extra row = c.extra;
        putKey(row, c.student);
        row[QStringLiteral("Fachkrz")] = c.fachkrz;
        row[QStringLiteral("Kursart")] = c.kursart;
        row[QStringLiteral("Kurs")] = c.kurs;
        rows.push_back(std::move(row));
    }
    return table::render(columns, rows);
}

// The choices with a course, grouped by course in the order of Kurse.txt.
QByteArray kursbelegungTxt(const Export& e) {
    static const std::vector<Column> columns = {
        {"Name"},    {"Vorname"},      {"GebDat"}, {"Geschlecht", true}, {"Kursbezeichnung"},
        {"Kursart"}, {"Fixiert", true}};
    std::map<QString, size_t> order;
    for (const Course& c : e.courses)
        order.emplace(c.name, order.size());
    std::vector<const Choice*> assigned;
    for (const Choice& c : e.choices)
        if (!c.kurs.isEmpty())
            assigned.push_back(&c);
    const auto rank = [&](const Choice* c) {
        const auto it = order.find(c->kurs);
        return it == order.end() ? order.size() : it->second;
    };
    std::stable_sort(assigned.begin(), assigned.end(),
                     [&](const Choice* a, const Choice* b) { return rank(a) < rank(b); });
    std::vector<Extra> rows;
    for (const Choice* c : assigned) {
        Extra row;
        putKey(row, c->student);
        row[QStringLiteral("Kursbezeichnung")] = c->kurs;
        row[QStringLiteral("Kursart")] = c->kursart;
        rows.push_back(std::move(row));
    }
    return table::render(columns, rows);
}

QByteArray zulKurseTxt() {
    static const std::vector<Column> columns = {
        {"Sortierung", true}, {"KursArtInd"},     {"Bezeichnung"},       {"SF"},
        {"JgBereich", true},  {"Sichtbar", true}, {"Schriftlich", true}, {"KursArtAllg"}};
    struct Kind {
        const char* ind;
        const char* text;
        bool written;
    };
    static const Kind kinds[] = {{"GKM", "Grundkurs mündlich", false},
                                 {"GKS", "Grundkurs schriftlich", true},
                                 {"AB3", "3. Abiturfach", true},
                                 {"AB4", "4. Abiturfach", false},
                                 {"LK1", "1. Leistungskurs", true},
                                 {"LK2", "2. Leistungskurs", true},
                                 {"EFSP", "Fremdsprache ab der Einführungsphase", true},
                                 {"VTF", "Vertiefungsfach", false},
                                 {"PJK", "Projektkurs", false},
                                 {"ZK", "Zusatzkurs", false}};
    std::vector<Extra> rows;
    int sort = 0;
    for (const Kind& k : kinds)
        rows.push_back({{QStringLiteral("Sortierung"), number(++sort)},
                        {QStringLiteral("KursArtInd"), QString::fromUtf8(k.ind)},
                        {QStringLiteral("Bezeichnung"), QString::fromUtf8(k.text)},
                        {QStringLiteral("SF"), QStringLiteral("GY")},
                        {QStringLiteral("Sichtbar"), QStringLiteral("1")},
                        {QStringLiteral("Schriftlich"), number(k.written ? 1 : 0)},
                        {QStringLiteral("KursArtAllg"), courseKind(QString::fromUtf8(k.ind))}});
    return table::render(columns, rows);
}

} // namespace

std::vector<std::pair<QString, QByteArray>> render(const Export& e) {
    return {{kBlockung, blockungTxt(e.blocking)},
            {kSchueler, schuelerTxt(e)},
            {kFaecher, faecherTxt(e)},
            {kKurse, kurseTxt(e)},
            {kSchienen, schienenTxt(e)},
            {kBlockplan, blockplanTxt(e)},
            {kFachwahlen, fachwahlenTxt(e)},
            {QStringLiteral("Kursbelegung.txt"), kursbelegungTxt(e)},
            {QStringLiteral("ZulKurse.txt"), zulKurseTxt()}};
}

void write(const Export& e, const QString& dirOrZip) {
    const Files files = render(e);
    platform::FileSet set;
    if (dirOrZip.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive)) {
        QByteArray archive;
        try {
            archive = zip::write(files);
        } catch (const zip::Error& error) {
            throw platform::FileError(75, dirOrZip,
                                      dirOrZip + QStringLiteral(": ") + error.message());
        }
        set.create(dirOrZip).write(archive);
    } else {
        // The files go in as one set: while two exports are mixed in the folder, its journal
        // says so and the next export finishes the renames.
        QDir().mkpath(platform::nativePath(dirOrZip));
        const bool separated =
            dirOrZip.endsWith(QLatin1Char('/')) || dirOrZip.endsWith(QLatin1Char('\\'));
        for (const auto& [name, bytes] : files)
            set.create(dirOrZip + (separated ? QString() : QStringLiteral("/")) + name)
                .write(bytes);
    }
    set.commit();
}

} // namespace exchange::kurs42
