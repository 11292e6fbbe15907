#include "editors/frmBelegChecks.h"

namespace editors::beleg {

bool FGKmoeglich(const QString& faBeleg) {
    const QString t = faBeleg.trimmed();
    return !t.isEmpty() && t.compare(kArtL, Qt::CaseInsensitive) != 0;
}

QStringList offeredTypes(const QString& faBeleg) {
    QStringList types;
    for (QChar ch : (faBeleg + QString(8, QLatin1Char(' '))).left(8))
        if (ch != QLatin1Char(' '))
            types << QString(ch);
    return types;
}

bool sameKey(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString subjectEntry(const QString& bez, const QString& key) {
    return (bez + QStringLiteral("   ")).left(3) + QLatin1Char(' ') + key;
}

QString subjectKey(const QString& entry) {
    return entry.trimmed().isEmpty() ? QString() : entry.right(6);
}

SubjectStep subjectStep(const QString& kept, const QString& chosen, bool lk) {
    if (lk) {
        if (chosen.isEmpty() || sameKey(chosen, kept))
            return SubjectStep::Nothing;
        // As for the Grundkurse: a row the student has no choice for cannot be given one here.
        return kept.isEmpty() ? SubjectStep::NotExtending : SubjectStep::Change;
    }
    if (kept.isEmpty())
        return chosen.isEmpty() ? SubjectStep::Nothing : SubjectStep::NotExtending;
    if (chosen.isEmpty())
        return SubjectStep::NotDeleting;
    return sameKey(chosen, kept) ? SubjectStep::Nothing : SubjectStep::Change;
}

TypeAfterChange typeAfterChange(const QString& kept, const QStringList& offered) {
    TypeAfterChange result{kept};
    if (offered.contains(kept))
        return result;
    result.refusedL = kept == kArtL;
    for (const QString& t : offered)
        if (t != kArtL) {
            result.art = t;
            break;
        }
    return result;
}

TypeStep typeStep(const QString& kept, const QString& chosen) {
    if (chosen.isEmpty() || chosen == kept)
        return TypeStep::Nothing;
    return chosen == kArtL ? TypeStep::RefusedL : TypeStep::Change;
}

int emptyYearOf(const QString& art) {
    if (art == QLatin1String("A"))
        return 13;
    if (art == QLatin1String("B"))
        return 12;
    return 0;
}

std::vector<std::pair<QString, QString>> courseAsks(const QString& yg, bool lk) {
    const bool twelve = yg == QLatin1String("12");
    const QString kind = lk ? kArtL : QStringLiteral("G");
    const QString importKind = lk ? kArtL : QStringLiteral("K");
    return {
        {kind, yg},
        {importKind, twelve ? QStringLiteral("11") : QStringLiteral("12")},
        {importKind, QStringLiteral("50")},
    };
}

} // namespace editors::beleg
