#include "Recount.h"

#include "db/Database.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <map>
#include <numeric>
#include <set>

namespace test {

namespace {

struct CourseRow {
    QString name;
    QSet<QString> subjects;
    QString kind;
    int hours = 0;
    int min = 0;
    int max = 0;
    QSet<QString> rails;
    int size = 0;
    int moving = 0; // counted, servable choices of the cohort in it
    bool own = false;
};

struct ChoiceRow {
    qint64 id = 0;
    QString student, course, subject, art;
};

bool serves(const CourseRow& c, const ChoiceRow& ch) {
    if (!c.subjects.contains(ch.subject))
        return false;
    return ch.art == "L" ? c.kind == "L" : (c.kind == "G" || c.kind == "K");
}

} // namespace

Recount recount(const QString& path, int cohort, int firstYear, const QString& schoolYear) {
    db::Connection c(path);
    const bool twelve = cohort == firstYear;
    const QString field = twelve ? "BG_KS_ID_12" : "BG_KS_ID_13";
    const QString counts = twelve ? "LASCX" : "LBSCX";

    QHash<QString, int> railHours;
    QSqlQuery q = c.exec("SELECT BL_VFP_ID, BL_STD FROM block WHERE BL_SCHJ = ?", {schoolYear});
    while (q.next())
        railHours[q.value(0).toString()] = q.value(1).toInt();
    std::map<QString, CourseRow> courses;
    q = c.exec("SELECT KS_VFP_ID, KS_BEZ, KS_FA_ID1, KS_FA_ID2, KS_FA_ID3, KS_FA_ID4, KS_LKGK, "
               "KS_STD, KS_MIN, KS_MAX FROM kurs WHERE KS_SCHJ = ?",
               {schoolYear});
    while (q.next()) {
        CourseRow& k = courses[q.value(0).toString()];
        k.name = q.value(1).toString().trimmed();
        for (int i = 2; i <= 5; ++i)
            if (!q.value(i).toString().trimmed().isEmpty())
                k.subjects << q.value(i).toString();
        k.kind = q.value(6).toString();
        k.hours = q.value(7).toString().trimmed().toInt();
        k.min = q.value(8).toInt();
        k.max = q.value(9).toInt();
    }
    q = c.exec("SELECT CK_KS_ID, CK_BL_ID FROM ckkurs");
    while (q.next())
        if (courses.count(q.value(0).toString()) && railHours.contains(q.value(1).toString()))
            courses[q.value(0).toString()].rails << q.value(1).toString();
    QSet<QString> offer;
    q = c.exec("SELECT FA_VFP_ID FROM fachang WHERE FA_KURSPH = ?", {QString::number(cohort)});
    while (q.next())
        offer << q.value(0).toString();

    // Every student's courses in his year field; the cohort's counted choices.
    QHash<QString, bool> ofCohort;
    QHash<QString, QString> fieldOf;
    q = c.exec("SELECT KO_VFP_ID, KO_KURSPH FROM kolleg");
    while (q.next()) {
        const int phase = q.value(1).toInt();
        ofCohort[q.value(0).toString()] = phase == cohort;
        fieldOf[q.value(0).toString()] = phase == firstYear ? "BG_KS_ID_12" : "BG_KS_ID_13";
    }
    std::map<QString, std::vector<QString>> coursesOf;
    std::vector<ChoiceRow> counted;
    q = c.exec("SELECT BG_ID, BG_KO_ID, BG_KS_ID_12, BG_KS_ID_13, BG_FA_ID, BG_ART FROM belegung");
    while (q.next()) {
        const QString student = q.value(1).toString();
        const QString k12 = q.value(2).toString();
        const QString k13 = q.value(3).toString();
        if (courses.count(k12))
            ++courses[k12].size;
        if (courses.count(k13) && k13 != k12)
            ++courses[k13].size;
        if (!fieldOf.contains(student))
            continue;
        const QString mine = fieldOf[student] == "BG_KS_ID_12" ? k12 : k13;
        if (courses.count(mine))
            coursesOf[student].push_back(mine);
        if (ofCohort[student] && counts.contains(q.value(5).toString()) &&
            !q.value(5).toString().isEmpty())
            counted.push_back({q.value(0).toLongLong(), student, mine, q.value(4).toString(),
                               q.value(5).toString()});
    }

    Recount r;
    int unservable = 0;
    // Choice types (subject, advanced) and the courses that serve them.
    std::map<std::pair<QString, bool>, std::vector<QString>> types;
    std::map<std::pair<QString, bool>, int> typeCount;
    for (const ChoiceRow& ch : counted) {
        std::vector<QString> fit;
        for (auto& [key, k] : courses)
            if (serves(k, ch))
                fit.push_back(key);
        const bool served = courses.count(ch.course) && serves(courses[ch.course], ch);
        if (!served)
            ++r.withoutCourse;
        if (fit.empty()) {
            ++unservable;
            continue;
        }
        if (!served)
            r.servedWrongly << QString::number(ch.id);
        else
            ++courses[ch.course].moving;
        types[{ch.subject, ch.art == "L"}] = fit;
        ++typeCount[{ch.subject, ch.art == "L"}];
        for (const QString& k : fit)
            courses[k].own = true;
    }
    for (auto& [key, k] : courses)
        for (const QString& s : k.subjects)
            if (offer.contains(s) && (k.kind == "L" || k.kind == "G" || k.kind == "K"))
                k.own = true;

    for (auto& [student, list] : coursesOf) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
        bool hit = false;
        for (size_t i = 0; i < list.size() && !hit; ++i)
            for (size_t j = i + 1; j < list.size() && !hit; ++j) {
                const CourseRow& a = courses[list[i]];
                const CourseRow& b = courses[list[j]];
                hit = a.rails.intersects(b.rails) && (ofCohort[student] || a.own || b.own);
            }
        (ofCohort[student] ? r.collisions : r.otherCollisions) += hit ? 1 : 0;
    }
    for (auto& [key, k] : courses) {
        if (!k.own)
            continue;
        if ((k.max > 0 && k.size > k.max) || (k.min > 0 && k.size < k.min))
            ++r.outsideLimits;
        int placed = 0;
        for (const QString& rail : k.rails)
            placed += railHours[rail];
        if (k.hours > 0 && placed < k.hours)
            ++r.unplaced;
        bool surplus = false;
        for (const QString& rail : k.rails)
            surplus = surplus || (k.rails.size() > 1 && placed - railHours[rail] >= k.hours);
        if (k.hours > 0 && surplus)
            ++r.surplus;
    }

    // Parallels: courses joined by the choice types they serve.
    std::map<QString, QString> root;
    for (auto& [key, k] : courses)
        if (k.own)
            root[key] = key;
    const auto find = [&](QString x) {
        while (root[x] != x)
            x = root[x];
        return x;
    };
    for (const auto& [t, fit] : types)
        for (const QString& k : fit)
            root[find(k)] = find(fit[0]);
    std::map<QString, std::vector<QString>> groups;
    for (const auto& [key, parent] : root)
        groups[find(key)].push_back(key);
    for (auto& [g, members] : groups) {
        if (members.size() < 2)
            continue;
        QStringList names;
        int total = 0;
        std::vector<int> sizes, least, most;
        for (const QString& k : members) {
            const CourseRow& cr = courses[k];
            names << cr.name;
            sizes.push_back(cr.size);
            const int fixed = cr.size - cr.moving;
            total += fixed;
            least.push_back(std::max(fixed, cr.min));
            most.push_back(cr.max > 0 ? cr.max : 1 << 30);
        }
        for (const auto& [t, fit] : types)
            if (std::find(members.begin(), members.end(), fit[0]) != members.end())
                total += typeCount[t];
        r.groups << names.join(' ');
        const auto [lo, hi] = std::minmax_element(sizes.begin(), sizes.end());
        r.largestDifference = std::max(r.largestDifference, *hi - *lo);
        double sum = 0;
        for (int s : sizes)
            sum += s;
        for (int s : sizes)
            r.squaredDeviation += (s - sum / sizes.size()) * (s - sum / sizes.size());
        // The bound: one student at a time into the smallest course that may still grow.
        long long low = 0, high = 0;
        for (size_t i = 0; i < least.size(); ++i) {
            low += least[i];
            high += most[i];
        }
        bool reachable = low <= total && high >= total;
        for (size_t i = 0; i < least.size(); ++i)
            reachable = reachable && least[i] <= most[i];
        if (!reachable)
            for (size_t i = 0; i < least.size(); ++i) {
                least[i] = courses[members[i]].size - courses[members[i]].moving;
                most[i] = 1 << 30;
            }
        std::vector<int> fill = least;
        for (long long n = std::accumulate(fill.begin(), fill.end(), 0LL); n < total; ++n) {
            int best = -1;
            for (size_t i = 0; i < fill.size(); ++i)
                if (fill[i] < most[i] && (best < 0 || fill[i] < fill[best]))
                    best = static_cast<int>(i);
            ++fill[best];
        }
        const auto [flo, fhi] = std::minmax_element(fill.begin(), fill.end());
        r.differenceBound = std::max(r.differenceBound, *fhi - *flo);
        for (int s : fill)
            r.deviationBound +=
                (s - double(total) / fill.size()) * (s - double(total) / fill.size());
    }
    r.optimal = r.collisions == 0 && r.otherCollisions == 0 && r.unplaced == 0 && r.surplus == 0 &&
                r.outsideLimits == 0 && r.withoutCourse == unservable &&
                r.largestDifference <= r.differenceBound &&
                r.squaredDeviation <= r.deviationBound + 1e-6;
    return r;
}

Printed parsePrinted(const QString& output, const QString& heading) {
    QStringList lines = output.split('\n');
    if (!heading.isEmpty()) {
        const int at = lines.indexOf(heading);
        lines = at < 0 ? QStringList() : lines.mid(at + 1);
    }
    Printed p;
    static const QRegularExpression number(
        QStringLiteral("^\\s*([^:]+): (-?[0-9]+(?:,[0-9]+)?)(.*)$"));
    for (const QString& line : lines) {
        if (line.trimmed() == "optimal")
            p.optimal = true;
        const auto m = number.match(line);
        if (!m.hasMatch()) {
            if (!line.startsWith(' ') && p.collisions >= 0)
                break; // the next block
            continue;
        }
        const QString name = m.captured(1);
        const QString rest = m.captured(3);
        if (name == "Kollisionen (Schüler)") {
            p.collisions = m.captured(2).toInt();
            p.otherCollisions = rest.section("dazu ", 1).toInt();
        } else if (name == "Belegungen ohne Kurs")
            p.withoutCourse = m.captured(2).toInt();
        else if (name == "Kurse außerhalb ihrer Grenzen")
            p.outsideLimits = m.captured(2).toInt();
        else if (name == "Kurse nicht gesetzt")
            p.unplaced = m.captured(2).toInt();
        else if (name == "Kurse auf zu vielen Schienen")
            p.surplus = m.captured(2).toInt();
        else if (name == "Größte Differenz") {
            p.largestDifference = m.captured(2).toInt();
            const int open = rest.indexOf('(');
            if (open >= 0)
                p.group = rest.mid(open + 1, rest.indexOf(')') - open - 1);
            p.differenceBound = rest.section("bestmöglich ", 1).toInt();
        } else if (name == "Summe der Abweichungsquadrate") {
            p.squaredDeviation = QString(m.captured(2)).replace(',', '.').toDouble();
            p.deviationBound = rest.section("Untergrenze ", 1).replace(',', '.').toDouble();
        }
    }
    return p;
}

} // namespace test
