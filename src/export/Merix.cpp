#include "export/Merix.h"

#include "platform/CodePage.h"
#include "platform/Text.h"

#include <cmath>

namespace exporter {

namespace {

constexpr int kCodePage = 1252;

// Refuses a value with a character the file cannot hold.
void check(const QString& value, const QString& who, const QString& file) {
    for (qsizetype i = 0; i < value.size(); ++i)
        if (value[i] == QLatin1Char('\r') || value[i] == QLatin1Char('\n'))
            throw Refused(who + QStringLiteral(": Ein Zeilenumbruch kann in der Exportdatei ") +
                          file + QStringLiteral(" nicht stehen.\r\nExport nicht möglich!"));
    const qsizetype bad = platform::CodePage::firstUnencodable(value, kCodePage);
    if (bad < 0)
        return;
    const char32_t code = value.at(bad).isHighSurrogate() && bad + 1 < value.size()
                              ? QChar::surrogateToUcs4(value[bad], value[bad + 1])
                              : value[bad].unicode();
    const QString character = QString::fromUcs4(&code, 1);
    throw Refused(
        who + QStringLiteral(": Das Zeichen „") + character + QStringLiteral("“ (U+") +
        QStringLiteral("%1").arg(static_cast<uint>(code), 4, 16, QLatin1Char('0')).toUpper() +
        QStringLiteral(") gibt es im Zeichensatz der Exportdatei ") + file +
        QStringLiteral(" (Windows-1252) nicht.\r\nExport nicht möglich!"));
}

} // namespace

MerixFile::MerixFile(QString name, const QString& code, int fields, bool withHeader)
    : name_(std::move(name)), fields_(fields) {
    if (withHeader)
        text_ = QStringLiteral("06_") + code + QLatin1Char('_') +
                QStringLiteral("%1").arg(fields, 2, 10, QLatin1Char('0')) + platform::kCrLf;
}

void MerixFile::record(std::initializer_list<std::pair<int, QString>> values, const QString& who) {
    std::vector<const QString*> field(static_cast<size_t>(fields_) + 1, nullptr);
    for (const auto& [number, value] : values) {
        check(value, who, name_);
        field.at(static_cast<size_t>(number)) = &value;
    }
    text_ += QStringLiteral("*SYNC*\r\n");
    for (int i = 1; i <= fields_; ++i) {
        const QString* value = field[static_cast<size_t>(i)];
        text_ += value ? *value : QStringLiteral("*");
        text_ += platform::kCrLf;
    }
}

QByteArray MerixFile::bytes() const {
    return platform::CodePage::encode(text_, kCodePage);
}

QString orNull(const QVariant& v) {
    return v.isNull() ? QStringLiteral("Null") : v.toString();
}

QString trimBlanks(const QString& s) {
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && s[from] == QLatin1Char(' '))
        ++from;
    while (to > from && s[to - 1] == QLatin1Char(' '))
        --to;
    return s.mid(from, to - from);
}

qint64 numberValue(const QString& s) {
    QString number;
    bool point = false;
    for (const QChar c : s) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n'))
            continue;
        if (number.isEmpty() && (c == QLatin1Char('+') || c == QLatin1Char('-'))) {
            number += c;
            continue;
        }
        if (c == QLatin1Char('.') && !point) {
            point = true;
            number += c;
            continue;
        }
        if (!c.isDigit() || c.unicode() > '9')
            break;
        number += c;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > 9.0e18)
        return 0;
    return static_cast<qint64>(std::nearbyint(value));
}

} // namespace exporter
