#pragma once

#include <QString>
#include <QVariant>

namespace platform {

// Multi-line messages and the lines of the texts the program writes end with CR LF.
inline const QString kCrLf = QStringLiteral("\r\n");

// A text without a value: nothing but blanks.
inline bool blank(const QString& s) {
    return s.trimmed().isEmpty();
}

// A field without a value: NULL, or nothing but blanks.
inline bool blank(const QVariant& v) {
    return v.isNull() || blank(v.toString());
}

} // namespace platform
