#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Single-byte code pages of the administration program's files: Windows-1252 for the pointer,
// INI and export files, and whatever a table's code-page mark names (437, 850, 1252 ...).
// Qt's own converters know none of these without ICU, so the tables are ours.
class CodePage {
public:
    // Numbers as Windows names them (437, 850, 1252; 10000 for Mac Roman).
    static bool known(int number);
    static QString decode(const QByteArray& bytes, int number);
    // Characters the page cannot hold become '?'.
    static QByteArray encode(const QString& text, int number);
    // The index of the first character of text that the page cannot hold (a character outside
    // the Basic Multilingual Plane counts from its first half), -1 when it holds them all.
    static qsizetype firstUnencodable(const QString& text, int number);
    // The code page a table's header byte 29 names; 0 when unmarked or unknown.
    static int fromDbfMark(unsigned char mark);
};

} // namespace platform
