#include "exchange/Kurs42Import.h"

#include <QHash>
#include <QSet>
#include <functional>

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

namespace {

// The derived form of a name that does not keep itself: the name without its punctuation where
// that fits, else its head cut before its number, at the full width and then at the width that
// must differ, then with a letter before the number, then with a running number.
QString derived(const QString& name, int width, int unique,
                const std::function<bool(const QString&)>& free) {
    const QString base = stripped(name);
    int digits = 0;
    while (digits < base.size() && base[base.size() - 1 - digits].isDigit())
        ++digits;
    const QString number = base.right(std::min(digits, unique));
    const QString head = base.left(base.size() - digits);
    if (fits(base, width) && free(base))
        return base;
    for (int w : {width, unique})
        if (const QString s = head.left(w - number.size()) + number; free(s))
            return s;
    for (char letter = 'A'; letter <= 'Z' && unique - number.size() >= 1; ++letter)
        if (const QString s = head.left(unique - number.size() - 1) + QLatin1Char(letter) + number;
            free(s))
            return s;
    for (int k = 1;; ++k) {
        const QString tail = QString::number(k);
        if (const QString s = base.left(unique - tail.size()) + tail; free(s))
            return s;
    }
}

} // namespace

QStringList shortNames(const QStringList& names, int width, int unique) {
    unique = unique <= 0 ? width : std::min(unique, width);
    const auto prefix = [unique](const QString& s) { return s.left(unique).toUpper(); };
    // Names that fit keep themselves, unless another name begins as they do: then each of them
    // is derived, so that none reads as the other in a list that shows `unique` characters. Of
    // two names alike the first wins.
    QHash<QString, QString> fittingByPrefix;
    QSet<QString> shared;
    for (const QString& name : names) {
        const QString n = name.trimmed();
        if (n.isEmpty() || !fits(n, width))
            continue;
        const auto it = fittingByPrefix.constFind(prefix(n));
        if (it == fittingByPrefix.constEnd())
            fittingByPrefix.insert(prefix(n), n.toUpper());
        else if (*it != n.toUpper())
            shared.insert(prefix(n));
    }
    QStringList out(names.size());
    QSet<QString> taken;
    std::vector<bool> done(static_cast<size_t>(names.size()), false);
    for (int i = 0; i < names.size(); ++i) {
        const QString n = names[i].trimmed();
        if (!n.isEmpty() && fits(n, width) && !shared.contains(prefix(n)) &&
            !taken.contains(prefix(n))) {
            out[i] = n;
            taken.insert(prefix(n));
            done[static_cast<size_t>(i)] = true;
        }
    }
    const auto free = [&](const QString& s) { return !s.isEmpty() && !taken.contains(prefix(s)); };
    for (int i = 0; i < names.size(); ++i) {
        if (done[static_cast<size_t>(i)])
            continue;
        out[i] = derived(names[i], width, unique, free);
        taken.insert(prefix(out[i]));
    }
    return out;
}

} // namespace exchange::kurs42
