#pragma once

#include <QString>
#include <QVariant>

#include <limits>

namespace platform {

// Multi-line messages and the lines of the texts the program writes end with CR LF.
inline const QString kCrLf = QStringLiteral("\r\n");

// A text without a value: nothing but blanks.
inline bool blank(const QString& s) {
    return s.trimmed().isEmpty();
}

// The numeric value of a text as the system reads numbers: blanks are skipped, an optional sign
// and the leading digits count, anything else ends the number ("" and "x" give 0).
inline int val(const QString& text) {
    qint64 v = 0;
    bool negative = false;
    bool started = false;
    for (QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r'))
            continue;
        if (!started && (c == QLatin1Char('-') || c == QLatin1Char('+'))) {
            negative = c == QLatin1Char('-');
            started = true;
            continue;
        }
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        started = true;
        v = v * 10 + (c.unicode() - '0');
        if (v > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return static_cast<int>(negative ? -v : v);
}

// A field without a value: NULL, or nothing but blanks.
inline bool blank(const QVariant& v) {
    return v.isNull() || blank(v.toString());
}

} // namespace platform
