#include "Generator.h"
#include "GeneratorParts.h"

#include "blocking/Random.h"
#include "blocking/Rules.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Statement.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <stdexcept>
#include <vector>

namespace test {

namespace {

using blocking::Random;
using namespace generator;

using Weights = std::vector<std::pair<int, int>>;

int weighted(Random& r, const Weights& w, int except = -1) {
    int total = 0;
    for (const auto& [n, v] : w)
        total += n != except ? v : 0;
    int x = r.below(total);
    for (const auto& [n, v] : w)
        if (n != except && (x -= v) < 0)
            return n;
    return w.back().first;
}

// One student's choices, correlated as in a real school.
std::vector<Pick> makeChoices(Random& r) {
    std::vector<Pick> out;
    const auto has = [&](int s) {
        return std::any_of(out.begin(), out.end(), [&](const Pick& p) { return p.subject == s; });
    };
    const auto add = [&](int s, char art) {
        if (!has(s))
            out.push_back({s, art});
    };
    const int first = weighted(r, {{M, 30}, {D, 22}, {E, 18}, {B, 10}, {Ph, 8}, {Ch, 6}, {F, 4}});
    // The second advanced course leans on the first: sciences with mathematics, languages
    // with languages.
    Weights second = {{D, 12}, {E, 14}, {G, 10}, {Ek, 8}, {WR, 10}, {Ku, 6}, {Sp, 7},
                      {B, 10}, {Ch, 5}, {Mu, 4}, {F, 3},  {M, 10},  {Ph, 5}};
    for (auto& [n, w] : second) {
        if (first == M && (n == Ph || n == Ch))
            w *= 4;
        if ((first == D || first == E) && (n == E || n == F))
            w *= 3;
    }
    add(first, 'L');
    add(weighted(r, second, first), 'L');
    for (int s : {D, M, G, Sp})
        add(s, 'S');
    add(weighted(r, {{Rk, 55}, {Ev, 30}, {Eth, 15}}), 'S');
    if (!has(E) && !has(F) && !has(L))
        add(r.unit() < 0.85 ? E : r.unit() < 0.5 ? F : L, 'S');
    std::vector<int> sciences = {B, Ch, Ph};
    r.shuffle(sciences);
    if (!has(sciences[0]) && !has(sciences[1]) && !has(sciences[2]))
        add(sciences[0], 'S');
    if (r.unit() < 0.4)
        add(sciences[1], 'C');
    const auto maybe = [&](double p, int s) {
        if (r.unit() < p)
            add(s, 'X');
    };
    add(r.unit() < 0.5 ? Ek : WR, 'C');
    maybe(0.3, Sk);
    add(r.unit() < 0.6 ? Ku : Mu, 'C');
    maybe(0.3, Ps);
    maybe(0.15, Inf);
    return out;
}

// Calls f with each rail of the set.
template <class F> void eachRail(std::uint64_t rails, F f) {
    for (int i = 0; rails >> i; ++i)
        if (rails >> i & 1)
            f(i);
}

// Rail sets of a number of hours: one rail of the hours, or two rails adding up.
std::vector<std::vector<std::uint64_t>> railOptions(const std::vector<int>& railHours) {
    std::vector<std::vector<std::uint64_t>> byHours(7);
    const int n = static_cast<int>(railHours.size());
    for (int h = 1; h <= 6; ++h) {
        for (int i = 0; i < n; ++i)
            if (railHours[i] == h)
                byHours[h].push_back(std::uint64_t{1} << i);
        if (!byHours[h].empty())
            continue;
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j)
                if (railHours[i] + railHours[j] == h)
                    byHours[h].push_back((std::uint64_t{1} << i) | (std::uint64_t{1} << j));
    }
    return byHours;
}

// Assigns a student's picks to courses on rails that do not meet; false when they do not fit.
bool fit(Random& r, StudentDef& st, const std::vector<GroupDef>& groups,
         const std::vector<int>& groupOfPick, std::vector<CourseDef>& courses,
         const std::vector<std::vector<std::uint64_t>>& options) {
    const int n = static_cast<int>(st.picks.size());
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return groups[groupOfPick[a]].courses.size() < groups[groupOfPick[b]].courses.size();
    });
    std::vector<int> chosen(n, -1);
    long nodes = 0;
    const auto railsOf = [&](int c) { return options[courses[c].hours][courses[c].option]; };
    std::function<bool(int, std::uint64_t)> place = [&](int depth, std::uint64_t used) {
        if (depth == n)
            return true;
        if (++nodes > 20000)
            return false;
        const int pick = order[depth];
        std::vector<int> cands = groups[groupOfPick[pick]].courses;
        r.shuffle(cands);
        std::stable_sort(cands.begin(), cands.end(),
                         [&](int a, int b) { return courses[a].students < courses[b].students; });
        for (int c : cands) {
            const std::uint64_t rails = railsOf(c);
            if (rails & used)
                continue;
            chosen[pick] = c;
            if (place(depth + 1, used | rails))
                return true;
        }
        return false;
    };
    if (!place(0, 0))
        return false;
    st.planned = chosen;
    for (int c : chosen)
        ++courses[c].students;
    return true;
}

// Teachers of the hidden plan's courses (indexes into courses; -1: a course without students):
// each takes two to four courses whose rails do not meet; of a real school's shape three to five
// of at least two subjects.
std::vector<int> assignTeachers(Random& r, const std::vector<CourseDef>& courses,
                                const std::vector<GroupDef>& groups,
                                const std::vector<std::uint64_t>& railsOf, int& teachers,
                                bool shaped) {
    std::vector<int> order;
    for (size_t k = 0; k < courses.size(); ++k)
        if (courses[k].students > 0)
            order.push_back(static_cast<int>(k));
    r.shuffle(order);
    struct Load {
        int wanted = 0, courses = 0;
        std::uint64_t rails = 0;
        std::vector<int> subjects;
    };
    std::vector<Load> loads;
    std::vector<int> out(courses.size(), -1);
    for (int k : order) {
        const int subject = groups[courses[k].group].subject;
        // A second subject before a second course of the first.
        const auto takes = [&](const Load& l) {
            return !shaped || l.subjects.size() >= 2 ||
                   std::find(l.subjects.begin(), l.subjects.end(), subject) == l.subjects.end();
        };
        int t = -1;
        for (size_t i = 0; i < loads.size() && t < 0; ++i)
            if (loads[i].courses < loads[i].wanted && !(loads[i].rails & railsOf[k]) &&
                takes(loads[i]))
                t = static_cast<int>(i);
        if (t < 0) {
            t = static_cast<int>(loads.size());
            loads.push_back({shaped ? 3 + r.below(3) : 2 + r.below(3), 0, 0, {}});
        }
        ++loads[t].courses;
        loads[t].rails |= railsOf[k];
        if (std::find(loads[t].subjects.begin(), loads[t].subjects.end(), subject) ==
            loads[t].subjects.end())
            loads[t].subjects.push_back(subject);
        out[k] = t;
    }
    teachers = static_cast<int>(loads.size());
    return out;
}

} // namespace

SchoolSettings staffedSchool(int i) {
    SchoolSettings s = realisticSchool(i);
    s.teachers = s.rules = true;
    return s;
}

SchoolSettings realisticSchool(int i) {
    SchoolSettings s;
    s.seed = 1000 + static_cast<std::uint64_t>(i);
    s.students = 99 + (i * 23) % 55;
    s.cohorts = i % 2 == 1 ? 2 : 1;
    s.rails = 12 + i % 4;
    s.splitAdvanced = i % 3 == 2;
    s.fixed = 3 + i % 4;
    s.courseSize = 20 + i % 5;
    return s;
}

SchoolSettings realSchool(char shape, std::uint64_t seed) {
    // students, rails, aimed course size, forbidden pairs, subjects with parallels apart
    const struct {
        int students, rails, courseSize, forbidden, apartSubjects;
    } shapes[] = {{137, 14, 26, 305, 2},
                  {153, 12, 22, 0, 25},
                  {99, 14, 24, 455, 2},
                  {99, 15, 24, 0, 2},
                  {99, 14, 24, 0, 2}};
    const auto& s = shapes[std::clamp(shape - 'A', 0, 4)];
    SchoolSettings out;
    out.seed = seed * 31 + static_cast<std::uint64_t>(shape);
    out.students = s.students;
    out.rails = s.rails;
    out.fixed = 0;
    out.courseSize = s.courseSize;
    out.teachers = out.rules = true;
    out.railHours = 3;
    out.ruleCounts = {.notOnRail = 5,
                      .apartSubjects = s.apartSubjects,
                      .together = 5,
                      .apart = 10,
                      .inCourse = 10,
                      .notInCourse = 5,
                      .studentsTogether = 5,
                      .studentsApart = 5};
    out.forbidden = s.forbidden;
    return out;
}

SchoolSettings largeSchool() {
    SchoolSettings s;
    s.seed = 400;
    s.students = 400;
    s.cohorts = 2;
    s.rails = 16;
    s.fixed = 6;
    s.courseSize = 24;
    return s;
}

GeneratedSchool generateSchool(const QString& path, const SchoolSettings& settings) {
    Random r(settings.seed);
    const int lkRails = settings.splitAdvanced ? 0 : 3;
    const int threeHour = (settings.rails - lkRails) * 55 / 100 + 1;
    std::vector<int> railHours;
    for (int i = 0; i < settings.rails; ++i)
        railHours.push_back(settings.railHours > 0    ? settings.railHours
                            : i < lkRails             ? 6
                            : i < lkRails + threeHour ? 3
                                                      : 2);
    const auto options = railOptions(railHours);

    // Students and their picks; the groups of parallel courses.
    std::vector<StudentDef> students;
    for (int c = 0; c < settings.cohorts; ++c)
        for (int i = 0; i < settings.students; ++i)
            students.push_back({c, makeChoices(r), {}});
    const bool combined = settings.cohorts == 2;
    std::vector<GroupDef> groups;
    std::vector<int> demand; // per group: its choices
    const auto groupOf = [&](int cohort, const Pick& p) {
        const bool advanced = p.art == 'L';
        const int c = combined && p.subject == Ps ? -1 : cohort;
        for (size_t g = 0; g < groups.size(); ++g)
            if (groups[g].subject == p.subject && groups[g].advanced == advanced &&
                groups[g].cohort == c)
                return static_cast<int>(g);
        groups.push_back({p.subject, advanced, c, {}});
        demand.push_back(0);
        return static_cast<int>(groups.size()) - 1;
    };
    std::vector<std::vector<int>> groupOfPick(students.size());
    for (size_t s = 0; s < students.size(); ++s)
        for (const Pick& p : students[s].picks)
            ++demand[groupOfPick[s].emplace_back(groupOf(students[s].cohort, p))];

    // Courses of the hidden plan: parallels of a group on rails as little used as may be.
    std::vector<CourseDef> courses;
    std::vector<int> railLoad(settings.rails, 0);
    for (size_t g = 0; g < groups.size(); ++g) {
        const int hours = settings.railHours > 0   ? settings.railHours
                          : !groups[g].advanced    ? kSubjects[groups[g].subject].second
                          : settings.splitAdvanced ? 5
                                                   : 6;
        const int k = std::max(1, (demand[g] + settings.courseSize - 1) / settings.courseSize);
        std::uint64_t taken = 0;
        for (int n = 1; n <= k; ++n) {
            int best = -1, bestLoad = 0;
            for (size_t o = 0; o < options[hours].size(); ++o) {
                const std::uint64_t rails = options[hours][o];
                int load = (rails & taken) ? 1000 : 0;
                eachRail(rails, [&](int i) { load += railLoad[i]; });
                load = load * 4 + r.below(4);
                if (best < 0 || load < bestLoad) {
                    best = static_cast<int>(o);
                    bestLoad = load;
                }
            }
            taken |= options[hours][best];
            eachRail(options[hours][best], [&](int i) { ++railLoad[i]; });
            groups[g].courses.push_back(static_cast<int>(courses.size()));
            courses.push_back({static_cast<int>(g), n, hours, best});
        }
    }

    // Students into the hidden plan; what does not fit is dropped, optional choices first.
    GeneratedSchool out;
    std::vector<int> order(students.size());
    std::iota(order.begin(), order.end(), 0);
    r.shuffle(order);
    for (int s : order) {
        StudentDef& st = students[s];
        while (!fit(r, st, groups, groupOfPick[s], courses, options)) {
            int drop = -1;
            for (int pass = 0; pass < 3 && drop < 0; ++pass) {
                std::vector<int> cand;
                for (size_t i = 0; i < st.picks.size(); ++i)
                    if (pass == 2 ||
                        (st.picks[i].art != 'L' &&
                         (pass == 1 || st.picks[i].art == 'C' || st.picks[i].art == 'X')))
                        cand.push_back(static_cast<int>(i));
                if (!cand.empty())
                    drop = cand[r.below(static_cast<int>(cand.size()))];
            }
            st.picks.erase(st.picks.begin() + drop);
            groupOfPick[s].erase(groupOfPick[s].begin() + drop);
        }
    }

    db::createDatabase(path);
    db::Connection c(path);
    c.exec(QStringLiteral("PRAGMA synchronous = OFF")); // a fixture: no need to wait for the disk
    db::Transaction tx(c);
    const auto table = [&c](const char* name, const QStringList& fields) {
        return db::Statement::insert(c, name, fields);
    };
    table("schjahr", {"SJ_SCHJ", "SJ_VFP_ID"}).run({kGeneratedYearBez, kGeneratedYear});
    db::Statement block = table("block", {"BL_ID", "BL_SCHJ", "BL_BEZ", "BL_NAME", "BL_SORT",
                                          "BL_STD", "BL_VFP_ID", "BL_FIX"});
    for (int i = 0; i < settings.rails; ++i)
        block.run({i + 1, kGeneratedYear, QStringLiteral("S%1").arg(i + 1),
                   QStringLiteral("Schiene %1").arg(i + 1), i + 1, railHours[i], db::sixKey(i + 1),
                   "0"});
    const char* phases[] = {"2009", "2008"};
    // Subjects per cohort: FA_ID = cohort * 100 + subject + 1.
    const auto subjectKey = [](int cohort, int s) { return db::sixKey(cohort * 100 + s + 1); };
    db::Statement fachang =
        table("fachang", {"FA_ID", "FA_KURSPH", "FA_BEZ", "FA_PSCHL", "FA_STDGK", "FA_VFP_ID"});
    for (int co = 0; co < settings.cohorts; ++co)
        for (int s = 0; s < kSubjectCount; ++s)
            fachang.run({co * 100 + s + 1, phases[co], kSubjects[s].first, kSubjects[s].first,
                         QString::number(kSubjects[s].second), subjectKey(co, s)});

    // Teachers and rules draw from a stream of their own: without them a school stays as it was.
    Random extra(settings.seed * 7919 + 17);
    std::vector<std::uint64_t> railsOf;
    for (const CourseDef& cd : courses)
        railsOf.push_back(options[cd.hours][cd.option]);
    std::vector<int> teacherOf(courses.size(), -1);
    if (settings.teachers) {
        teacherOf =
            assignTeachers(extra, courses, groups, railsOf, out.teachers, settings.railHours > 0);
        db::Statement lehrer = table("lehrer", {"LE_ID", "LE_KUERZ", "LE_BEZ", "LE_VFP_ID"});
        for (int t = 0; t < out.teachers; ++t)
            lehrer.run({t + 1, QStringLiteral("L%1").arg(t + 1),
                        QStringLiteral("Lehrer %1").arg(t + 1), db::sixKey(t + 1)});
    }
    std::vector<QString> names(courses.size());

    db::Statement kurs =
        table("kurs", {"KS_ID", "KS_SCHJ", "KS_BEZ", "KS_SORT", "KS_FA_ID1", "KS_FA_ID3", "KS_JGST",
                       "KS_LKGK", "KS_STD", "KS_VFP_ID", "KS_MIN", "KS_MAX", "KS_OPT", "KS_LE_ID"});
    const char* const yearGroup[] = {"50", "11", "12"}; // per cohort + 1: both, 2009, 2008
    int nextCourse = 1;
    for (size_t k = 0; k < courses.size(); ++k) {
        CourseDef& cd = courses[k];
        const GroupDef& g = groups[cd.group];
        if (cd.students == 0)
            continue;
        cd.id = nextCourse++;
        const int co = g.cohort + 1;
        names[k] = QString(QChar("512"[co])) + (g.advanced ? "L" : "") +
                   kSubjects[g.subject].first + QString::number(cd.number);
        const QString fa1 = subjectKey(std::max(0, g.cohort), g.subject);
        kurs.run({cd.id, kGeneratedYear, names[k], cd.id, fa1,
                  co == 0   ? QVariant(subjectKey(1, g.subject))
                  : co == 2 ? QVariant(fa1)
                            : QVariant(),
                  yearGroup[co], g.advanced ? "L" : "K", QString::number(cd.hours),
                  db::sixKey(cd.id), 0, 0, 0,
                  teacherOf[k] >= 0 ? QVariant(db::sixKey(teacherOf[k] + 1)) : QVariant()});
        out.courses += g.cohort <= 0;
    }
    // The first parallel that has students, as the pre-assignment would take it.
    const auto firstParallel = [&](int g) {
        for (int k : groups[g].courses)
            if (courses[k].id > 0)
                return courses[k].id;
        return 0;
    };

    db::Statement kolleg = table(
        "kolleg", {"KO_ID", "KO_KURSPH", "KO_FAMNAME", "KO_RUFNAME", "KO_PARLLKL", "KO_VFP_ID"});
    db::Statement beleg =
        table("belegung", {"BG_KO_ID", "BG_KS_ID_12", "BG_KS_ID_13", "BG_FA_ID", "BG_ART"});
    for (size_t s = 0; s < students.size(); ++s) {
        const StudentDef& st = students[s];
        const int id = static_cast<int>(s) + 1;
        kolleg.run({id, phases[st.cohort], QStringLiteral("Name%1").arg(id),
                    QStringLiteral("Vorname%1").arg(id), QString(QChar('a' + id % 4)),
                    db::sixKey(id)});
        for (size_t i = 0; i < st.picks.size(); ++i) {
            const QString course = db::sixKey(st.cohort == 1 ? courses[st.planned[i]].id
                                                             : firstParallel(groupOfPick[s][i]));
            const QVariant none;
            beleg.run({db::sixKey(id), st.cohort == 0 ? QVariant(course) : none,
                       st.cohort == 1 ? QVariant(course) : none,
                       subjectKey(st.cohort, st.picks[i].subject),
                       QString(QChar(st.picks[i].art))});
        }
        out.students += st.cohort == 0;
    }
    c.exec(QStringLiteral("UPDATE belegung SET BG_VFP_ID = substr('      ' || BG_ID, -6)"));

    // Placements: some fixed where the plan has them, half of the others anywhere.
    db::Statement ck = table("ckkurs", {"CK_BL_ID", "CK_KS_ID", "CK_VFP_ID", "CK_FIX"});
    const auto place = [&](const CourseDef& cd, int option, const char* fix) {
        eachRail(options[cd.hours][option], [&](int i) {
            ck.run({db::sixKey(i + 1), db::sixKey(cd.id), QString::number(i + 1), fix});
        });
    };
    for (int co = 0; co < settings.cohorts; ++co) {
        std::vector<int> own;
        for (size_t k = 0; k < courses.size(); ++k)
            if (courses[k].id > 0 && std::max(0, groups[courses[k].group].cohort) == co)
                own.push_back(static_cast<int>(k));
        r.shuffle(own);
        for (size_t i = 0; i < own.size(); ++i) {
            const CourseDef& cd = courses[own[i]];
            if (static_cast<int>(i) < settings.fixed)
                place(cd, cd.option, "1");
            else if (co == 1 || groups[cd.group].cohort < 0)
                place(cd, cd.option, "0");
            else if (i % 2 == 0)
                place(cd, r.below(static_cast<int>(options[cd.hours].size())), "0");
        }
    }
    if (settings.rules)
        for (const QStringList& rule :
             makeRules(extra, {groups, courses, railsOf, students, names}, settings)) {
            try {
                blocking::addRule(c, kGeneratedYear, rule[0], rule.mid(1));
                ++out.rules;
            } catch (const std::runtime_error&) {
                // drawn twice
            }
        }
    tx.commit();
    return out;
}

} // namespace test
