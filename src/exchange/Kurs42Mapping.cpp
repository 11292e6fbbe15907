#include "exchange/Kurs42Import.h"

#include <QSet>

// How the export's year groups and kinds map onto this program's fields, and the short
// designations derived from the export's longer names.
namespace exchange::kurs42 {

namespace {

bool fits(const QString& s, int width) {
    return s.size() <= width;
}

QString stripped(const QString& name) {
    QString out;
    for (const QChar ch : name)
        if (ch.isLetterOrNumber())
            out += ch;
    return out.isEmpty() ? QStringLiteral("X") : out;
}

} // namespace

int yearGroupOf(const QString& jahrgang) {
    const QString j = jahrgang.trimmed().toUpper();
    if (j == QLatin1String("EF") || j == QLatin1String("Q1") || j == QLatin1String("11") ||
        j == QLatin1String("12"))
        return 12;
    if (j == QLatin1String("Q2") || j == QLatin1String("13"))
        return 13;
    return 0;
}

QString choiceArt(const QString& kursart) {
    static const QHash<QString, QString> arts = {
        {QStringLiteral("LK1"), QStringLiteral("L")}, {QStringLiteral("LK2"), QStringLiteral("L")},
        {QStringLiteral("GKS"), QStringLiteral("S")}, {QStringLiteral("AB3"), QStringLiteral("S")},
        {QStringLiteral("AB4"), QStringLiteral("S")}, {QStringLiteral("EFSP"), QStringLiteral("S")},
        {QStringLiteral("GKM"), QStringLiteral("C")}, {QStringLiteral("VTF"), QStringLiteral("X")},
        {QStringLiteral("PJK"), QStringLiteral("X")}, {QStringLiteral("ZK"), QStringLiteral("X")},
    };
    return arts.value(kursart.trimmed().toUpper());
}

QString choiceKindOf(const QString& bgArt, const QString& courseKind) {
    const QString art = bgArt.trimmed().toUpper();
    if (art == QLatin1String("L"))
        return QStringLiteral("LK1");
    if (courseKind == QLatin1String("ZK") || courseKind == QLatin1String("PJK") ||
        courseKind == QLatin1String("VTF"))
        return courseKind;
    return art == QLatin1String("S") ? QStringLiteral("GKS") : QStringLiteral("GKM");
}

QString courseLkgk(const QString& kursart) {
    const QString k = kursart.trimmed().toUpper();
    if (k == QLatin1String("LK"))
        return QStringLiteral("L");
    if (k == QLatin1String("GK") || k == QLatin1String("ZK") || k == QLatin1String("PJK") ||
        k == QLatin1String("VTF"))
        return QStringLiteral("G");
    return {};
}

QStringList shortNames(const QStringList& names, int width) {
    QStringList out(names.size());
    QSet<QString> taken;
    std::vector<bool> done(static_cast<size_t>(names.size()), false);
    // Names that fit keep themselves; the first of two alike wins.
    for (int i = 0; i < names.size(); ++i) {
        const QString n = names[i].trimmed();
        if (!n.isEmpty() && fits(n, width) && !taken.contains(n.toUpper())) {
            out[i] = n;
            taken.insert(n.toUpper());
            done[static_cast<size_t>(i)] = true;
        }
    }
    const auto free = [&](const QString& s) {
        return !s.isEmpty() && !taken.contains(s.toUpper());
    };
    for (int i = 0; i < names.size(); ++i) {
        if (done[static_cast<size_t>(i)])
            continue;
        const QString base = stripped(names[i]);
        int digits = 0;
        while (digits < base.size() && base[base.size() - 1 - digits].isDigit())
            ++digits;
        const QString number = base.right(std::min(digits, width));
        const QString head = base.left(base.size() - digits);
        QString pick;
        if (fits(base, width) && free(base))
            pick = base;
        if (pick.isEmpty() && free(head.left(width - number.size()) + number))
            pick = head.left(width - number.size()) + number;
        for (char letter = 'A'; pick.isEmpty() && letter <= 'Z' && width - number.size() >= 1;
             ++letter) {
            const QString s = head.left(width - number.size() - 1) + QLatin1Char(letter) + number;
            if (free(s))
                pick = s;
        }
        for (int k = 1; pick.isEmpty(); ++k) {
            const QString tail = QString::number(k);
            if (free(base.left(width - tail.size()) + tail))
                pick = base.left(width - tail.size()) + tail;
        }
        out[i] = pick;
        taken.insert(pick.toUpper());
    }
    return out;
}

} // namespace exchange::kurs42
