#include "placement/Layouts.h"

#include "db/Database.h"

namespace placement {

namespace {

QString padCut(const QString& text, int n) {
    return text.leftJustified(n, QLatin1Char(' '), true);
}

// Replaces characters [pos, pos + width) of a text, padding a short text with blanks first.
QString replaceAt(const QString& text, int pos, int width, const QString& with) {
    QString t = text;
    if (t.size() < pos + width)
        t = t.leftJustified(pos + width);
    return t.left(pos) + with + t.mid(pos + width);
}

} // namespace

QString AbkNV(const QString& text, int n) {
    const QString t = text.trimmed();
    if (t.size() > n)
        return t.left(n - 1) + QLatin1Char('.');
    return t.leftJustified(n);
}

QString RailHeader::format(const QString& bez, int hours, qint64 blId) {
    return padCut(bez, 6) + QString::number(hours) + QStringLiteral("  000   ") + db::sixKey(blId);
}

QString RailHeader::withCount(const QString& h, int count) {
    return replaceAt(h, 9, 3, (QStringLiteral("000") + QString::number(count)).right(3));
}

QString CourseEntry::format(const QString& bez, int hours, const QString& schj,
                            const QString& key) {
    return padCut(bez, 5) + QLatin1Char(' ') + QString::number(hours) + QLatin1Char(' ') + schj +
           QLatin1Char(' ') + key;
}

QString StudentLine::choice(qint64 bgId, QChar yearDigit, const QString& studentKey) {
    return db::sixKey(bgId) + yearDigit + QLatin1Char(' ') + studentKey;
}

QString StudentLine::format(const QString& name, const QString& parallelClass,
                            const QString& courseName, const QString& choice) {
    return AbkNV(name, 11) + padCut(parallelClass, 2) + courseName + QLatin1Char(' ') + choice;
}

QString CollisionLine::format(const QString& name, const QString& courseNames, const QString& bgIds,
                              const QString& studentKey) {
    return AbkNV(name, 9) + QLatin1Char(' ') + courseNames + bgIds + studentKey;
}

namespace {

// The lines of the plan's collisions name courses whole: six characters each.
constexpr int kWholeName = 6;

QString joinNames(const QStringList& names) {
    QString out;
    for (const QString& n : names)
        out += padCut(n, kWholeName) + QLatin1Char(' ');
    return out;
}

QStringList splitNames(const QString& names) {
    QStringList out;
    for (qsizetype i = 0; i + kWholeName <= names.size(); i += kWholeName + 1)
        out << names.mid(i, kWholeName);
    return out;
}

} // namespace

QString PlanCollisionLine::format(const QString& name, const QString& parallelClass,
                                  const QString& rail, const QStringList& courseNames,
                                  const QString& studentKey) {
    return AbkNV(name, kNameWidth) + padCut(parallelClass, 2) + QLatin1Char(' ') + padCut(rail, 6) +
           QLatin1Char(' ') + joinNames(courseNames) + studentKey;
}

QStringList PlanCollisionLine::courseNames(const QString& l) {
    const qsizetype from = kNameWidth + 10;
    return splitNames(l.mid(from, l.size() - from - 6));
}

QString RailCoursesLine::format(const QString& rail, bool meet, const QStringList& courseNames) {
    return padCut(rail, 6) + (meet ? QStringLiteral("! ") : QStringLiteral("  ")) +
           joinNames(courseNames);
}

QStringList RailCoursesLine::courseNames(const QString& l) {
    return splitNames(l.mid(8));
}

QString BlockLine::format(const QString& courseName, const QString& name) {
    return courseName + QLatin1Char(' ') + AbkNV(name, 12);
}

QStringList splitCourseNames(const QString& names) {
    QStringList out;
    for (qsizetype i = 0; i < names.size(); i += 5)
        out << names.mid(i, 5);
    return out;
}

QString BelegungLine::format(const QString& name, const QString& courseNames) {
    return AbkNV(name, 11) + courseNames;
}

QString studentName(const QString& famName, const QString& rufName) {
    return famName.trimmed() + QLatin1Char(' ') + rufName.trimmed();
}

int railColumnWidth(const QString& header) {
    return static_cast<int>(RailHeader::nameAndHours(header).size()) * kCharWidthTwips +
           kRailColumnPaddingTwips;
}

int railHeaderHeight() {
    return 2 * kLineHeightTwips + 100;
}

} // namespace placement
