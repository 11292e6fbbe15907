// Handing an export back over the files it was read from: a row whose values the plan left as
// they were is written as read, byte for byte; a changed or new row is written in its file's
// manner; the files the records do not hold are written as read.
#include "exchange/Kurs42.h"

#include "exchange/Kurs42Table.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>

namespace exchange::kurs42 {

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

// The columns that name a row, per table the records write.
const std::map<QString, QStringList>& keyColumns() {
    static const QStringList student = {QStringLiteral("Name"), QStringLiteral("Vorname"),
                                        QStringLiteral("GebDat"), QStringLiteral("Geschlecht")};
    static const std::map<QString, QStringList> keys = {
        {kSchueler, student},
        {kFaecher, {QStringLiteral("Krz")}},
        {kKurse, {QStringLiteral("Name")}},
        {kSchienen, {QStringLiteral("Id")}},
        {kBlockplan, {QStringLiteral("Schiene"), QStringLiteral("Kursbezeichnung")}},
        {kFachwahlen, student + QStringList{QStringLiteral("Fachkrz")}},
        {QStringLiteral("Kursbelegung.txt"),
         student + QStringList{QStringLiteral("Kursbezeichnung")}}};
    return keys;
}

// A line of a kept table: its bytes without the line end, the line end as read ("" for a last
// line without one), and for a row the bytes of each field as written.
struct Line {
    QByteArray text, end;
    std::vector<QByteArray> fields; // empty: a blank line, kept where it stands
};

// The fields of a line as written, quotes included; nullopt where a quote is left open.
std::optional<std::vector<QByteArray>> fieldsOf(const QByteArray& line) {
    std::vector<QByteArray> out;
    qsizetype i = 0;
    while (true) {
        const qsizetype start = i;
        if (i < line.size() && line[i] == '"') {
            for (++i;
                 i < line.size() && (line[i] != '"' || (i + 1 < line.size() && line[i + 1] == '"'));
                 ++i)
                if (line[i] == '"')
                    ++i; // "" inside quotes
            if (i >= line.size())
                return std::nullopt;
            ++i;
        }
        const qsizetype end = line.indexOf(';', i);
        i = end < 0 ? line.size() : end;
        out.push_back(line.mid(start, i - start));
        if (i >= line.size())
            return out;
        ++i;
    }
}

// A kept table file, cut into lines and fields.
struct Kept {
    QString file;
    QByteArray bom, eol = "\r\n";
    bool utf8 = true;
    std::vector<Line> lines; // [0]: the header
    std::map<QString, int> columns;
    std::vector<bool> quoted; // per column: how its first row writes it

    QString value(const QByteArray& field) const {
        QByteArray v = field;
        if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
            v = v.mid(1, v.size() - 2).replace("\"\"", "\"");
        return utf8 ? QString::fromUtf8(v) : QString::fromLatin1(v);
    }

    QByteArray encode(const QString& v) const {
        if (utf8)
            return v.toUtf8();
        QByteArray out;
        for (const QChar c : v) {
            if (c.unicode() < 0x100) { // as the reader decoded it
                out.append(char(c.unicode()));
                continue;
            }
            if (platform::CodePage::firstUnencodable(QString(c), 1252) >= 0)
                table::fail(file, 0,
                            QStringLiteral("„%1“ lässt sich in der Kodierung Windows-1252 der "
                                           "Datei nicht schreiben.")
                                .arg(v.left(40)));
            out.append(platform::CodePage::encode(QString(c), 1252));
        }
        return out;
    }

    // A field written anew: quoted where the column is, or where the value needs it.
    QByteArray field(QString v, bool quote) const {
        v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (!quote && !v.contains(QLatin1Char(';')) && !v.startsWith(QLatin1Char('"')))
            return encode(v);
        return '"' + encode(v).replace("\"", "\"\"") + '"';
    }
};

// The kept file cut up; nullopt where it is no table with the key columns (it is then written
// anew).
std::optional<Kept> cut(const QString& file, const QByteArray& bytes, const QStringList& keys) {
    Kept k;
    k.file = file;
    QStringList ignored;
    table::decode(file, bytes, ignored);
    k.utf8 = ignored.isEmpty();
    k.bom = bytes.startsWith(kBom) ? kBom : QByteArray();
    for (qsizetype at = k.bom.size(); at < bytes.size();) {
        const qsizetype lf = bytes.indexOf('\n', at);
        Line line;
        line.text = bytes.mid(at, (lf < 0 ? bytes.size() : lf) - at);
        line.end = lf < 0 ? QByteArray() : QByteArray("\n");
        if (line.text.endsWith('\r') && lf >= 0) {
            line.text.chop(1);
            line.end = "\r\n";
        }
        at = lf < 0 ? bytes.size() : lf + 1;
        if (!line.text.trimmed().isEmpty()) {
            const auto fields = fieldsOf(line.text);
            if (!fields)
                return std::nullopt;
            line.fields = *fields;
        }
        if (k.lines.empty() && line.fields.empty())
            return std::nullopt; // no header
        k.lines.push_back(std::move(line));
    }
    if (k.lines.empty())
        return std::nullopt;
    for (const Line& l : k.lines)
        if (!l.end.isEmpty()) {
            k.eol = l.end;
            break;
        }
    const auto& header = k.lines[0].fields;
    for (size_t i = 0; i < header.size(); ++i)
        if (!k.columns.emplace(k.value(header[i]).trimmed(), int(i)).second)
            return std::nullopt;
    for (const QString& key : keys)
        if (!k.columns.count(key))
            return std::nullopt;
    k.quoted.assign(header.size(), false);
    for (size_t l = 1; l < k.lines.size(); ++l)
        if (k.lines[l].fields.size() == header.size()) {
            for (size_t i = 0; i < header.size(); ++i)
                k.quoted[i] = k.lines[l].fields[i].startsWith('"');
            break;
        }
    return k;
}

// "--", "[]" and "" all say "none".
bool same(const QString& a, const QString& b) {
    const auto none = [](const QString& s) {
        return s.isEmpty() || s == QLatin1String("--") || s == QLatin1String("[]");
    };
    return a == b || (none(a) && none(b));
}

} // namespace

namespace merge {

// Which row of the records each row of the kept file gets (none: left out), and the records'
// other rows, each after the matched row it follows among them (0: after the header).
struct Matches {
    std::vector<const table::Table::Row*> row;
    std::vector<std::vector<const table::Table::Row*>> after;
};

Matches match(const Kept& k, const table::Table& fresh, const QStringList& keys) {
    const auto keyOf = [&](const std::function<QString(const QString&)>& value) {
        QStringList parts;
        for (const QString& key : keys)
            parts << value(key);
        return parts.join(QChar(0x1f));
    };
    std::multimap<QString, size_t> byKey;
    for (size_t l = 1; l < k.lines.size(); ++l)
        if (k.lines[l].fields.size() == k.columns.size())
            byKey.emplace(keyOf([&](const QString& c) {
                              return k.value(k.lines[l].fields[size_t(k.columns.at(c))]);
                          }),
                          l);
    Matches m{std::vector<const table::Table::Row*>(k.lines.size(), nullptr),
              std::vector<std::vector<const table::Table::Row*>>(k.lines.size())};
    size_t last = 0;
    for (const table::Table::Row& row : fresh.rows()) {
        const auto it = byKey.find(keyOf([&](const QString& c) { return fresh.raw(row, c); }));
        if (it == byKey.end()) {
            m.after[last].push_back(&row);
            continue;
        }
        last = it->second;
        m.row[last] = &row;
        byKey.erase(it);
    }
    return m;
}

// The rows of the kept file in their order, each matched row with the values the records give
// it, the records' other rows after the matched row they follow there.
QByteArray table(const Kept& k, const table::Table& fresh, const QStringList& keys) {
    const Matches m = match(k, fresh, keys);
    const size_t width = k.columns.size();
    std::vector<QString> names(width);
    for (const auto& [name, i] : k.columns)
        names[size_t(i)] = name;
    // A row of the records in the kept file's manner; fields whose value it keeps as read.
    const auto write = [&](const table::Table::Row& row, const Line* old) {
        QByteArray out;
        for (size_t i = 0; i < width; ++i) {
            const QString was = old ? k.value(old->fields[i]) : QString();
            const QString now = fresh.has(names[i]) ? fresh.raw(row, names[i]) : was;
            if (i)
                out += ';';
            out += old && same(was, now) ? old->fields[i] : k.field(now, k.quoted[i]);
        }
        return out;
    };
    std::vector<std::pair<QByteArray, QByteArray>> lines; // text, end
    for (size_t l = 0; l < k.lines.size(); ++l) {
        const Line& line = k.lines[l];
        if (l == 0 || line.fields.empty())
            lines.emplace_back(line.text, line.end);
        else if (m.row[l])
            lines.emplace_back(write(*m.row[l], &line), line.end);
        for (const table::Table::Row* row : m.after[l])
            lines.emplace_back(write(*row, nullptr), k.eol);
    }
    QByteArray out = k.bom;
    for (size_t i = 0; i < lines.size(); ++i)
        out += lines[i].first +
               (lines[i].second.isEmpty() && i + 1 < lines.size() ? k.eol : lines[i].second);
    return out;
}

} // namespace merge

Files output(const Export& e) {
    Files rendered = render(e);
    if (e.source.empty())
        return rendered;
    Files out;
    for (const auto& file : e.source) {
        const QString& name = file.first; // a structured binding no lambda may capture
        const QByteArray& bytes = file.second;
        const auto fresh = std::find_if(rendered.begin(), rendered.end(),
                                        [&](const auto& f) { return f.first == name; });
        const auto keys = keyColumns().find(name);
        std::optional<Kept> kept;
        if (fresh != rendered.end() && keys != keyColumns().end())
            kept = cut(name, bytes, keys->second);
        if (!kept) {
            // Blockung.txt, ZulKurse.txt and the files the records do not hold as read; a
            // table too damaged to be cut up anew.
            out.emplace_back(name, fresh != rendered.end() && keys != keyColumns().end()
                                       ? fresh->second
                                       : bytes);
            continue;
        }
        QStringList ignored;
        const table::Table table(name, table::decode(name, fresh->second, ignored));
        out.emplace_back(name, merge::table(*kept, table, keys->second));
    }
    return out;
}

} // namespace exchange::kurs42
