#include "printing/Layouts.h"

#include <algorithm>

namespace printing {

namespace {

QString padCut(const QString& text, int n) {
    return text.leftJustified(n, QLatin1Char(' '), true);
}

// Writes text into line at the 0-based position, cut to width.
void put(QString& line, int pos, const QString& text, int width) {
    const QString t = text.left(width);
    line.replace(pos, t.size(), t);
}

// The line with "Seite p von n" at its right end, width characters in all (more where the line
// itself leaves no room).
QString numbered(const QString& line, int page, int pages, int width) {
    const QString number = QStringLiteral("Seite %1 von %2").arg(page).arg(pages);
    return line.leftJustified(width - number.size() - 1) + QLatin1Char(' ') + number;
}

} // namespace

QStringList fileHeaderLines(const QString& databasePath, const QDateTime& lastModified) {
    return {QStringLiteral("Schienenbildung:"),
            QStringLiteral("Kollegiaten aus Datei : ") + databasePath,
            QStringLiteral("Stand : ") +
                lastModified.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))};
}

QString shortenedPath(const QString& path, int width) {
    if (path.size() <= width)
        return path;
    const qsizetype sep =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const qsizetype name = path.size() - std::max<qsizetype>(sep, 0);
    const qsizetype keep = width - 3;
    const qsizetype tail = std::max(name, keep / 2);
    const qsizetype head = std::max<qsizetype>(keep - tail, 0);
    return path.left(head) + QStringLiteral("...") + path.right(tail);
}

QString railHeaderCell(const QString& bez, const QVariant& hours) {
    return padCut(bez, 6) + QString::number(hours.isNull() ? 0 : hours.toInt());
}

QStringList RailPlan::pageHeader(const QString& databasePath, const QDateTime& lastModified,
                                 int page, int pages) {
    static const QString kFile = QStringLiteral("Kollegiaten aus Datei : ");
    QStringList lines = fileHeaderLines(
        shortenedPath(databasePath, kLineWidth - static_cast<int>(kFile.size())), lastModified);
    lines[0] = numbered(lines[0], page, pages, kLineWidth);
    // verbatim: "gesetze"
    return lines +
           QStringList{QString(), QString(), QStringLiteral("Kursestatistik über gesetze Kurse")};
}

QString RailPlan::courseCell(const QString& bez, int students) {
    return padCut(bez, 6) + (students >= 100 ? QStringLiteral(":") : QStringLiteral(": ")) +
           QString::number(students);
}

QString RailPlan::bandLine(const QStringList& texts) {
    QString line(kLineWidth, QLatin1Char(' '));
    for (int k = 0; k < texts.size() && k < kSlots; ++k)
        put(line, kSlotStep * k, texts[k], kSlotWidth);
    return line;
}

QString CourseList::firstLine(int page, int pages, int railColumns) {
    const int table = std::min(kNameWidth + 1 + kColumnWidth * railColumns, kLineWidth);
    return numbered(QStringLiteral("Schienenbildung:"), page, pages,
                    std::max(table, RailPlan::kLineWidth));
}

QString CourseList::title(const QString& cohort) {
    return QStringLiteral("Block-Kurs-Listen für den Kollegiatenjahrgang ") + cohort;
}

QString CourseList::rule() {
    return QString(kLineWidth, QLatin1Char('_'));
}

QString CourseList::line(const QString& first, const QStringList& columns) {
    QString line(kLineWidth, QLatin1Char(' '));
    put(line, 0, first, kNameWidth);
    put(line, kNameWidth, QStringLiteral("|"), 1);
    int pos = kNameWidth + 1;
    for (const QString& column : columns) {
        if (pos + kColumnWidth > kLineWidth)
            break;
        put(line, pos, padCut(column, 5) + QLatin1Char('|'), kColumnWidth);
        pos += kColumnWidth;
    }
    return line;
}

QString CourseList::columnHeader(const QStringList& railHeaderCells) {
    return line(QStringLiteral("Blockbezeichnung  "), railHeaderCells);
}

QString CourseList::name(const QString& famName, const QString& rufName) {
    const QString n = famName.trimmed() + QLatin1Char(' ') + rufName.trimmed();
    return n.size() > kMaxNameLength ? n.left(kMaxNameLength) + QLatin1Char('.') : n;
}

QString CourseList::studentLine(int number, const QString& name, const QStringList& courses) {
    return line(QString::number(number).leftJustified(3) + name, courses);
}

QString CourseList::collisionCell(const QString& bez) {
    return bez.trimmed().left(kColumnWidth - 2) + QLatin1Char('!');
}

QString CourseList::collisionNote() {
    return QStringLiteral("! hinter einem Kurs: Kollision - der Kollegiat hat auf dieser Schiene "
                          "mehrere Kurse, gezeigt ist nur der letzte.");
}

} // namespace printing
