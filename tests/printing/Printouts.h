#pragma once

#include "support/School.h"

#include <QFile>
#include <gtest/gtest.h>

// What both printouts share in their tests: the file dated as the header shows it, the header
// lines and the padding of the lines.
namespace test {

// Dates the school's file 21.05.2009 14:03:12, the "Stand" of every header.
inline void dated(const School& s) {
    QFile f(s.path());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2009, 5, 21), QTime(14, 3, 12)),
                              QFileDevice::FileModificationTime));
}

// The first n of the six header lines; with a page number, line 1 of the rail printout.
inline QStringList headerLines(const School& s, int n, int page = 0, int pages = 0) {
    QStringList lines = {"Schienenbildung:",
                         "Kollegiaten aus Datei : " + s.path(),
                         "Stand : 21.05.2009 14:03:12",
                         "",
                         "",
                         QString::fromUtf8("Kursestatistik über gesetze Kurse")};
    const QString number = QStringLiteral("Seite %1 von %2").arg(page).arg(pages);
    if (page > 0)
        lines[0] = lines[0].leftJustified(70 - number.size()) + number;
    return lines.mid(0, n);
}

// Lines as the printouts pad them: each to the width; an empty line stays empty.
inline QStringList padded(const QStringList& lines, int width) {
    QStringList out;
    for (const QString& l : lines)
        out << (l.isEmpty() ? l : l.leftJustified(width));
    return out;
}

} // namespace test
