#include "BenchSchool.h"

#include "db/BlockDatabase.h"
#include "db/Database.h"

#include <QFile>
#include <vector>

namespace bench {

QString key(const char* prefix, int n) {
    return QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(n, 4, 10, QLatin1Char('0'));
}

void generateSchool(const QString& path, Placement placement) {
    db::createDatabase(path);
    db::Connection c(path);
    db::Transaction tx(c);
    c.insert(QStringLiteral("schjahr"), {{"SJ_SCHJ", "2009/2010"}, {"SJ_VFP_ID", kYear}});
    constexpr int subjects = 20;
    for (int f = 1; f <= subjects; ++f)
        c.insert(QStringLiteral("fachang"), {{"FA_KURSPH", "2009"},
                                             {"FA_STDGK", f % 3 == 0 ? "2" : "3"},
                                             {"FA_VFP_ID", key("FA", f)}});
    constexpr int perYear = 125;
    for (int k = 1; k <= 2 * perYear; ++k) {
        const bool year12 = k <= perYear;
        const int inYear = year12 ? k : k - perYear;
        const bool lk = inYear <= 25;
        const QString subject = key("FA", 1 + inYear % subjects);
        c.insert(QStringLiteral("kurs"),
                 {{"KS_SCHJ", kYear},
                  {"KS_BEZ", QStringLiteral("%1%2").arg(lk ? "L" : "G").arg(k, 3, 10, QChar('0'))},
                  {"KS_SORT", k},
                  {"KS_FA_ID1", subject},
                  {"KS_FA_ID3", subject},
                  {"KS_JGST", year12 ? "12" : "13"},
                  {"KS_LKGK", lk ? "L" : "G"},
                  {"KS_VFP_ID", key("KS", k)}});
    }
    // Each student takes 15 different courses of his year group, drawn by a fixed sequence.
    for (int s = 1; s <= 800; ++s) {
        const bool year12 = s <= 400;
        const QString student = key("ST", s);
        c.insert(QStringLiteral("kolleg"), {{"KO_KURSPH", year12 ? "2009" : "2008"},
                                            {"KO_FAMNAME", QStringLiteral("Name%1").arg(s)},
                                            {"KO_RUFNAME", QStringLiteral("Vor%1").arg(s)},
                                            {"KO_PARLLKL", QString(QChar('A' + s % 4))},
                                            {"KO_VFP_ID", student}});
        std::vector<bool> taken(perYear + 1, false);
        quint32 seed = static_cast<quint32>(s) * 2654435761u;
        for (int j = 0; j < 15; ++j) {
            int inYear = 0;
            do {
                seed = seed * 1664525u + 1013904223u;
                inYear = 1 + static_cast<int>((seed >> 8) % perYear);
            } while (taken[static_cast<size_t>(inYear)]);
            taken[static_cast<size_t>(inYear)] = true;
            const QString course = key("KS", year12 ? inYear : inYear + perYear);
            c.insert(QStringLiteral("belegung"), {{"BG_KO_ID", student},
                                                  {year12 ? "BG_KS_ID_12" : "BG_KS_ID_13", course},
                                                  {"BG_ART", j < 2 ? "L" : "G"}});
        }
    }
    constexpr int rails = 30;
    for (int r = 1; r <= rails; ++r)
        c.insert(QStringLiteral("block"), {{"BL_ID", r},
                                           {"BL_SCHJ", kYear},
                                           {"BL_BEZ", QStringLiteral("S%1").arg(r)},
                                           {"BL_STD", r % 2 ? 3 : 2},
                                           {"BL_VFP_ID", db::sixKey(r)}});
    // Every other course placed, round the rails or ten of them on rail 1 first.
    for (int k = 1, placed = 0; k <= 2 * perYear; k += 2, ++placed) {
        const int rail = placement == Placement::RoundTheRails ? 1 + placed % rails
                         : placed < 10                         ? 1
                                                               : 2 + (placed - 10) % (rails - 1);
        c.insert(QStringLiteral("ckkurs"),
                 {{"CK_BL_ID", db::sixKey(rail)}, {"CK_KS_ID", key("KS", k)}, {"CK_FIX", "0"}});
    }
    tx.commit();
}

School::School(Placement placement) {
    pristine = dir.path() + QStringLiteral("/PRISTINE.MDB");
    generateSchool(pristine, placement);
    state.DatenPfad = dir.path() + QLatin1Char('/');
    state.DatenDatei = QStringLiteral("BB.MDB");
    state.SchjBez = QStringLiteral("2009/2010");
    state.SchjID = kYear;
    restore();
}

void School::restore() {
    QFile::remove(state.databasePath());
    QFile::copy(pristine, state.databasePath());
}

School& School::get(Placement placement) {
    if (placement == Placement::RoundTheRails) {
        static School round(Placement::RoundTheRails);
        return round;
    }
    static School first(Placement::TenOnFirstRail);
    return first;
}

} // namespace bench
