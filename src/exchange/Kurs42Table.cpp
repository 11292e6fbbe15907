#include "exchange/Kurs42Table.h"

#include <algorithm>
#include <limits>
#include <set>

namespace exchange::kurs42::table {

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

// The offset of the first byte that does not start a well-formed UTF-8 sequence (overlong forms,
// surrogates and code points beyond U+10FFFF included), -1 when there is none.
qsizetype firstInvalidUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0, least = 0;
        if ((c & 0xE0) == 0xC0)
            length = 2, code = c & 0x1F, least = 0x80;
        else if ((c & 0xF0) == 0xE0)
            length = 3, code = c & 0x0F, least = 0x800;
        else if ((c & 0xF8) == 0xF0)
            length = 4, code = c & 0x07, least = 0x10000;
        else
            return i;
        if (n - i < length)
            return i;
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return i;
            code = code << 6 | (p[i + k] & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return i;
        i += length;
    }
    return -1;
}

bool isInteger(const QString& s) {
    const qsizetype start = s.startsWith(QLatin1Char('-')) ? 1 : 0;
    return s.size() > start && std::all_of(s.begin() + start, s.end(), [](QChar c) {
               return c >= QLatin1Char('0') && c <= QLatin1Char('9');
           });
}

QString quoted(QString s) {
    // One row is one line: a line break inside a value would end it.
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// The fields of one line; a field that starts with a quote runs to the closing quote.
QStringList split(const QString& file, int line, QStringView s) {
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (true) {
        QString value;
        if (i < n && s[i] == QLatin1Char('"')) {
            for (++i;; ++i) {
                if (i >= n)
                    fail(file, line,
                         QStringLiteral("Ein Anführungszeichen wird nicht geschlossen."));
                if (s[i] == QLatin1Char('"')) {
                    if (i + 1 < n && s[i + 1] == QLatin1Char('"')) {
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                }
                value += s[i];
            }
            if (i < n && s[i] != QLatin1Char(';'))
                fail(file, line,
                     QStringLiteral("Nach einem schließenden Anführungszeichen folgt kein „;“."));
        } else {
            qsizetype end = s.indexOf(QLatin1Char(';'), i);
            if (end < 0)
                end = n;
            value = s.mid(i, end - i).toString();
            i = end;
        }
        fields << value;
        if (i >= n)
            return fields;
        ++i; // the ';'
    }
}

} // namespace

QString where(const QString& file, int line) {
    return line > 0 ? QStringLiteral("%1, Zeile %2: ").arg(file).arg(line)
                    : file + QStringLiteral(": ");
}

void fail(const QString& file, int line, const QString& text) {
    throw FormatError(file, line, text);
}

QString decode(const QString& file, const QByteArray& bytes, QStringList& warnings) {
    const QByteArray body = bytes.startsWith(kBom) ? bytes.mid(kBom.size()) : bytes;
    const qsizetype bad = firstInvalidUtf8(body);
    if (bad < 0)
        return QString::fromUtf8(body);
    const int line = int(body.left(bad).count('\n')) + 1;
    warnings << where(file, line) +
                    QStringLiteral("Die Datei ist nicht in UTF-8 geschrieben; sie wird als "
                                   "ISO-8859-1 gelesen.");
    return QString::fromLatin1(body);
}

std::vector<std::pair<int, QString>> lines(const QString& text) {
    std::vector<std::pair<int, QString>> out;
    int number = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool cr = i < text.size() && text[i] == QLatin1Char('\r');
        if (i < text.size() && !cr && text[i] != QLatin1Char('\n'))
            continue;
        const QString line = text.mid(start, i - start);
        if (!line.trimmed().isEmpty())
            out.emplace_back(number, line);
        if (cr && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i; // CR LF is one line break
        start = i + 1;
        if (number < std::numeric_limits<int>::max())
            ++number;
    }
    return out;
}

Table::Table(QString file, const QString& text) : file_(std::move(file)) {
    const auto all = lines(text);
    if (all.empty())
        fail(file_, 1, QStringLiteral("Die Kopfzeile mit den Spaltennamen fehlt."));
    header_ = split(file_, all.front().first, all.front().second);
    for (int i = 0; i < header_.size(); ++i) {
        header_[i] = header_[i].trimmed();
        if (!header_[i].isEmpty() && !columns_.emplace(header_[i], i).second)
            fail(file_, all.front().first,
                 QStringLiteral("Die Spalte „%1“ steht zweimal in der Kopfzeile.").arg(header_[i]));
    }
    for (size_t i = 1; i < all.size(); ++i) {
        Row row{all[i].first, split(file_, all[i].first, all[i].second)};
        // A row cut short (a file cut off in its last line) would read as empty values.
        if (row.fields.size() != header_.size())
            fail(file_, row.line,
                 (row.fields.size() > header_.size()
                      ? QStringLiteral("Die Zeile hat %1 Felder, die Kopfzeile nur %2 Spalten.")
                      : QStringLiteral("Die Zeile hat nur %1 Felder, die Kopfzeile %2 Spalten."))
                     .arg(row.fields.size())
                     .arg(header_.size()));
        rows_.push_back(std::move(row));
    }
}

void Table::require(std::initializer_list<const char*> columns) const {
    for (const char* c : columns)
        if (!columns_.count(QLatin1String(c)))
            fail(file_, 1, QStringLiteral("Die Spalte „%1“ fehlt.").arg(QLatin1String(c)));
}

QString Table::raw(const Row& row, const QString& column) const {
    const auto it = columns_.find(column);
    return it == columns_.end() || it->second >= row.fields.size() ? QString()
                                                                   : row.fields[it->second];
}

QString Table::text(const Row& row, const QString& column) const {
    const QString s = raw(row, column);
    return s == QLatin1String("--") ? QString() : s;
}

qint64 Table::number(const Row& row, const QString& column) const {
    const QString s = text(row, column).trimmed();
    if (s.isEmpty())
        return 0;
    bool ok = false;
    const qint64 v = s.toLongLong(&ok);
    if (!ok)
        fail(file_, row.line,
             QStringLiteral("„%1“ in Spalte „%2“ ist keine Zahl.").arg(s.left(40), column));
    return v;
}

int Table::integer(const Row& row, const QString& column) const {
    const qint64 v = number(row, column);
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        fail(file_, row.line,
             QStringLiteral("Die Zahl %1 in Spalte „%2“ ist zu groß.").arg(v).arg(column));
    return int(v);
}

std::vector<int> Table::rails(const Row& row, const QString& column) const {
    QString s = text(row, column).trimmed();
    if (s.startsWith(QLatin1Char('[')) && s.endsWith(QLatin1Char(']')))
        s = s.mid(1, s.size() - 2).trimmed();
    std::vector<int> out;
    if (s.isEmpty())
        return out;
    for (const QString& part : s.split(QLatin1Char(','))) {
        bool ok = false;
        const int rail = part.trimmed().toInt(&ok);
        if (!ok || rail < 0)
            fail(file_, row.line,
                 QStringLiteral("„%1“ in Spalte „%2“ ist keine Schienennummer.")
                     .arg(part.trimmed().left(40), column));
        out.push_back(rail);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

Extra Table::extra(const Row& row, std::initializer_list<const char*> kept) const {
    Extra out;
    for (const auto& column : columns_)
        if (std::none_of(kept.begin(), kept.end(),
                         [&](const char* k) { return column.first == QLatin1String(k); }))
            out[column.first] =
                column.second < row.fields.size() ? row.fields[column.second] : QString();
    return out;
}

QByteArray render(const std::vector<Column>& columns, const std::vector<Extra>& rows) {
    struct Out {
        QString name;
        bool number = false;
        QString absent;
    };
    std::vector<Out> all;
    for (const Column& c : columns)
        all.push_back({QString::fromUtf8(c.name), c.number, QString::fromUtf8(c.absent)});
    std::set<QString> further;
    for (const Extra& row : rows)
        for (const auto& field : row)
            if (!field.first.isEmpty() && std::none_of(all.begin(), all.end(), [&](const Out& c) {
                    return c.name == field.first;
                }))
                further.insert(field.first);
    for (const QString& name : further)
        all.push_back({name, false, QString()});

    QString out;
    for (size_t i = 0; i < all.size(); ++i)
        out += (i ? QStringLiteral(";") : QString()) + quoted(all[i].name);
    out += QStringLiteral("\r\n");
    for (const Extra& row : rows) {
        for (size_t i = 0; i < all.size(); ++i) {
            const auto it = row.find(all[i].name);
            const QString value = it != row.end() ? it->second : all[i].absent;
            if (i)
                out += QLatin1Char(';');
            if (!all[i].number)
                out += quoted(value);
            else if (value.isEmpty())
                out += QLatin1Char('0');
            else
                out += isInteger(value) ? value : quoted(value);
        }
        out += QStringLiteral("\r\n");
    }
    return kBom + out.toUtf8();
}

} // namespace exchange::kurs42::table
