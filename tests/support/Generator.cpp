#include "Generator.h"

#include "blocking/Random.h"
#include "blocking/Rules.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Statement.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <vector>

namespace test {

namespace {

using blocking::Random;

struct SubjectDef {
    const char* name;
    int hours; // as a basic course
};

// The subject offer; Informatik runs four hours, on two rails.
const SubjectDef kSubjects[] = {{"D", 3},  {"E", 3},   {"F", 3},  {"L", 3},  {"M", 3},
                                {"Ph", 3}, {"Ch", 3},  {"B", 3},  {"Ku", 3}, {"Mu", 3},
                                {"G", 2},  {"Ek", 2},  {"Sk", 2}, {"WR", 2}, {"Rk", 2},
                                {"Ev", 2}, {"Eth", 2}, {"Sp", 2}, {"Ps", 2}, {"Inf", 4}};
constexpr int kSubjectCount = sizeof(kSubjects) / sizeof(kSubjects[0]);

int subject(const char* name) {
    for (int i = 0; i < kSubjectCount; ++i)
        if (qstrcmp(kSubjects[i].name, name) == 0)
            return i;
    throw std::logic_error(name);
}

struct Pick {
    int subject;
    char art; // L advanced; S compulsory; C chosen; X additional
};

int weighted(Random& r, const std::vector<std::pair<const char*, int>>& w, int except = -1) {
    int total = 0;
    for (const auto& [n, v] : w)
        if (subject(n) != except)
            total += v;
    int x = r.below(total);
    for (const auto& [n, v] : w) {
        if (subject(n) == except)
            continue;
        if (x < v)
            return subject(n);
        x -= v;
    }
    return subject(w.back().first);
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
    const int first =
        weighted(r, {{"M", 30}, {"D", 22}, {"E", 18}, {"B", 10}, {"Ph", 8}, {"Ch", 6}, {"F", 4}});
    // The second advanced course leans on the first: sciences with mathematics, languages
    // with languages.
    std::vector<std::pair<const char*, int>> second = {
        {"D", 12}, {"E", 14}, {"G", 10}, {"Ek", 8}, {"WR", 10}, {"Ku", 6}, {"Sp", 7},
        {"B", 10}, {"Ch", 5}, {"Mu", 4}, {"F", 3},  {"M", 10},  {"Ph", 5}};
    for (auto& [n, w] : second) {
        const bool science = subject(n) == subject("Ph") || subject(n) == subject("Ch");
        const bool language = subject(n) == subject("E") || subject(n) == subject("F");
        if (first == subject("M") && science)
            w *= 4;
        if ((first == subject("D") || first == subject("E")) && language)
            w *= 3;
    }
    add(first, 'L');
    add(weighted(r, second, first), 'L');
    for (const char* s : {"D", "M", "G", "Sp"})
        add(subject(s), 'S');
    add(weighted(r, {{"Rk", 55}, {"Ev", 30}, {"Eth", 15}}), 'S');
    if (!has(subject("E")) && !has(subject("F")) && !has(subject("L")))
        add(r.unit() < 0.85 ? subject("E") : subject(r.unit() < 0.5 ? "F" : "L"), 'S');
    std::vector<int> sciences = {subject("B"), subject("Ch"), subject("Ph")};
    r.shuffle(sciences);
    if (!has(sciences[0]) && !has(sciences[1]) && !has(sciences[2]))
        add(sciences[0], 'S');
    if (r.unit() < 0.4)
        add(sciences[1], 'C');
    add(subject(r.unit() < 0.5 ? "Ek" : "WR"), 'C');
    if (r.unit() < 0.3)
        add(subject("Sk"), 'X');
    add(subject(r.unit() < 0.6 ? "Ku" : "Mu"), 'C');
    if (r.unit() < 0.3)
        add(subject("Ps"), 'X');
    if (r.unit() < 0.15)
        add(subject("Inf"), 'X');
    return out;
}

struct CourseDef {
    int group = 0;
    int number = 0; // among the group's parallels, from 1
    int hours = 0;
    int option = -1; // rails in the hidden plan
    int students = 0;
    int id = 0; // KS_ID; 0 when it got no students
};

struct GroupDef {
    int subject = 0;
    bool advanced = false;
    int cohort = 0; // index; -1: both cohorts (a course of code 50)
    std::vector<int> courses;
};

struct StudentDef {
    int cohort = 0;
    std::vector<Pick> picks;
    std::vector<int> planned; // per pick: its course in the hidden plan
};

int hoursOf(const Pick& p, const SchoolSettings& settings) {
    if (p.art == 'L')
        return settings.splitAdvanced ? 5 : 6;
    return kSubjects[p.subject].hours;
}

// Rail sets of a number of hours: one rail of the hours, or two rails adding up.
std::vector<std::vector<std::uint64_t>> railOptions(const std::vector<int>& railHours) {
    std::vector<std::vector<std::uint64_t>> byHours(7);
    const int n = static_cast<int>(railHours.size());
    for (int h = 2; h <= 6; ++h) {
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
    for (int i = 0; i < n; ++i)
        order[i] = i;
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
// each takes two to four courses whose rails do not meet.
std::vector<int> assignTeachers(Random& r, const std::vector<CourseDef>& courses,
                                const std::vector<std::uint64_t>& railsOf, int& teachers) {
    std::vector<int> order;
    for (size_t k = 0; k < courses.size(); ++k)
        if (courses[k].students > 0)
            order.push_back(static_cast<int>(k));
    r.shuffle(order);
    struct Load {
        int wanted = 0;
        int courses = 0;
        std::uint64_t rails = 0;
    };
    std::vector<Load> loads;
    std::vector<int> out(courses.size(), -1);
    for (int k : order) {
        int t = -1;
        for (size_t i = 0; i < loads.size() && t < 0; ++i)
            if (loads[i].courses < loads[i].wanted && !(loads[i].rails & railsOf[k]))
                t = static_cast<int>(i);
        if (t < 0) {
            t = static_cast<int>(loads.size());
            loads.push_back({2 + r.below(3), 0, 0});
        }
        ++loads[t].courses;
        loads[t].rails |= railsOf[k];
        out[k] = t;
    }
    teachers = static_cast<int>(loads.size());
    return out;
}

// Some rules of each kind that the hidden plan keeps, on cohort 2009 (index 0), as the planner
// names them.
std::vector<QStringList> makeRules(Random& r, const std::vector<GroupDef>& groups,
                                   const std::vector<CourseDef>& courses,
                                   const std::vector<std::uint64_t>& railsOf,
                                   const std::vector<StudentDef>& students,
                                   const std::vector<QString>& names, int rails) {
    std::vector<QStringList> out;
    std::vector<int> own;
    for (size_t k = 0; k < courses.size(); ++k)
        if (courses[k].id > 0 && groups[courses[k].group].cohort <= 0)
            own.push_back(static_cast<int>(k));
    if (own.size() < 2)
        return out;
    const auto anyOwn = [&] { return own[r.below(static_cast<int>(own.size()))]; };
    for (int i = 0; i < 4; ++i) {
        const int k = anyOwn();
        const int rail = r.below(rails);
        if (!(railsOf[k] >> rail & 1))
            out.push_back({"course-not-on-rail", names[k], QStringLiteral("S%1").arg(rail + 1)});
    }
    // Subjects whose parallels (every kind) the plan has on different rails.
    int apart = 0;
    for (int sub = 0; sub < kSubjectCount && apart < 2; ++sub) {
        std::vector<int> ks;
        for (int k : own)
            if (groups[courses[k].group].subject == sub)
                ks.push_back(k);
        std::uint64_t seen = 0;
        bool disjoint = ks.size() >= 2;
        for (int k : ks) {
            disjoint = disjoint && !(seen & railsOf[k]);
            seen |= railsOf[k];
        }
        if (disjoint && r.below(2) == 0) {
            out.push_back({"parallels-apart", kSubjects[sub].name});
            ++apart;
        }
    }
    // Pairs of courses together or apart as the plan has them.
    int together = 0;
    int separate = 0;
    for (int tries = 0; tries < 400 && (together < 1 || separate < 2); ++tries) {
        const int a = anyOwn();
        const int b = anyOwn();
        if (a == b)
            continue;
        if (railsOf[a] == railsOf[b] && together < 1) {
            out.push_back({"courses-together", names[a], names[b]});
            ++together;
        } else if (!(railsOf[a] & railsOf[b]) && separate < 2) {
            out.push_back({"courses-apart", names[a], names[b]});
            ++separate;
        }
    }
    // Students kept in their courses, and pairs of students together or apart.
    std::vector<int> cohort;
    for (size_t s = 0; s < students.size(); ++s)
        if (students[s].cohort == 0)
            cohort.push_back(static_cast<int>(s));
    if (cohort.size() < 2)
        return out;
    const auto anyStudent = [&] { return cohort[r.below(static_cast<int>(cohort.size()))]; };
    const auto key = [](int s) { return db::sixKey(s + 1); };
    for (int i = 0; i < 3; ++i) {
        const int s = anyStudent();
        const StudentDef& st = students[s];
        if (!st.picks.empty())
            out.push_back({"student-in-course", key(s),
                           names[st.planned[r.below(static_cast<int>(st.picks.size()))]]});
    }
    // Per student his course of each subject and kind in the plan.
    const auto planned = [&](int s, const Pick& p) {
        const StudentDef& st = students[s];
        for (size_t i = 0; i < st.picks.size(); ++i)
            if (st.picks[i].subject == p.subject && (st.picks[i].art == 'L') == (p.art == 'L'))
                return st.planned[i];
        return -1;
    };
    together = 0;
    separate = 0;
    for (int tries = 0; tries < 2000 && (together < 2 || separate < 2); ++tries) {
        const int a = anyStudent();
        const int b = anyStudent();
        if (a == b)
            continue;
        bool same = true;
        bool shared = false;
        int common = 0;
        for (const Pick& p : students[a].picks)
            if (const int k = planned(b, p); k >= 0) {
                ++common;
                same = same && k == planned(a, p);
                shared = shared || k == planned(a, p);
            }
        if (same && common >= 2 && together < 2) {
            out.push_back({"students-together", key(a), key(b)});
            ++together;
        } else if (!shared && separate < 2) {
            out.push_back({"students-apart", key(a), key(b)});
            ++separate;
        }
    }
    return out;
}

} // namespace

SchoolSettings staffedSchool(int i) {
    SchoolSettings s = realisticSchool(i);
    s.teachers = true;
    s.rules = true;
    return s;
}

SchoolSettings realisticSchool(int i) {
    SchoolSettings s;
    s.seed = 1000 + static_cast<std::uint64_t>(i);
    s.students = 99 + (i * 23) % 55;
    s.rails = 12 + i % 4;
    s.splitAdvanced = i % 3 == 2;
    s.fixed = 3 + i % 4;
    s.courseSize = 20 + i % 5;
    s.cohorts = i % 2 == 1 ? 2 : 1;
    return s;
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
        railHours.push_back(i < lkRails ? 6 : i < lkRails + threeHour ? 3 : 2);
    const auto options = railOptions(railHours);

    // Students and their picks; the groups of parallel courses.
    std::vector<StudentDef> students;
    for (int c = 0; c < settings.cohorts; ++c)
        for (int i = 0; i < settings.students; ++i)
            students.push_back({c, makeChoices(r), {}});
    const bool combined = settings.cohorts == 2;
    std::vector<GroupDef> groups;
    const auto groupOf = [&](int cohort, const Pick& p) {
        const bool advanced = p.art == 'L';
        const int c = combined && p.subject == subject("Ps") ? -1 : cohort;
        for (size_t g = 0; g < groups.size(); ++g)
            if (groups[g].subject == p.subject && groups[g].advanced == advanced &&
                groups[g].cohort == c)
                return static_cast<int>(g);
        groups.push_back({p.subject, advanced, c, {}});
        return static_cast<int>(groups.size()) - 1;
    };
    std::vector<std::vector<int>> groupOfPick(students.size());
    std::vector<int> demand;
    for (size_t s = 0; s < students.size(); ++s)
        for (const Pick& p : students[s].picks) {
            const int g = groupOf(students[s].cohort, p);
            groupOfPick[s].push_back(g);
            if (static_cast<int>(demand.size()) <= g)
                demand.resize(g + 1, 0);
            ++demand[g];
        }

    // Courses of the hidden plan: parallels of a group on rails as little used as may be.
    std::vector<CourseDef> courses;
    std::vector<int> railLoad(settings.rails, 0);
    for (size_t g = 0; g < groups.size(); ++g) {
        const Pick probe{groups[g].subject, groups[g].advanced ? 'L' : 'S'};
        const int hours = hoursOf(probe, settings);
        const int k = std::max(1, (demand[g] + settings.courseSize - 1) / settings.courseSize);
        std::uint64_t taken = 0;
        for (int n = 1; n <= k; ++n) {
            CourseDef c;
            c.group = static_cast<int>(g);
            c.number = n;
            c.hours = hours;
            int best = -1;
            int bestLoad = 0;
            for (size_t o = 0; o < options[hours].size(); ++o) {
                const std::uint64_t rails = options[hours][o];
                int load = (rails & taken) ? 1000 : 0;
                for (int i = 0; i < settings.rails; ++i)
                    if (rails >> i & 1)
                        load += railLoad[i];
                load = load * 4 + r.below(4);
                if (best < 0 || load < bestLoad) {
                    best = static_cast<int>(o);
                    bestLoad = load;
                }
            }
            c.option = best;
            const std::uint64_t rails = options[hours][best];
            taken |= rails;
            for (int i = 0; i < settings.rails; ++i)
                if (rails >> i & 1)
                    ++railLoad[i];
            groups[g].courses.push_back(static_cast<int>(courses.size()));
            courses.push_back(c);
        }
    }

    // Students into the hidden plan; what does not fit is dropped, optional choices first.
    GeneratedSchool out;
    std::vector<int> order(students.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
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
            if (st.cohort == 0)
                ++out.dropped;
        }
    }

    db::createDatabase(path);
    db::Connection c(path);
    db::Transaction tx(c);
    c.insert(QStringLiteral("schjahr"),
             {{"SJ_SCHJ", kGeneratedYearBez}, {"SJ_VFP_ID", kGeneratedYear}});
    for (int i = 0; i < settings.rails; ++i)
        c.insert(QStringLiteral("block"), {{"BL_ID", i + 1},
                                           {"BL_SCHJ", kGeneratedYear},
                                           {"BL_BEZ", QStringLiteral("S%1").arg(i + 1)},
                                           {"BL_NAME", QStringLiteral("Schiene %1").arg(i + 1)},
                                           {"BL_SORT", i + 1},
                                           {"BL_STD", railHours[i]},
                                           {"BL_VFP_ID", db::sixKey(i + 1)},
                                           {"BL_FIX", "0"}});
    const char* phases[] = {"2009", "2008"};
    // Subjects per cohort: FA_ID = cohort * 100 + subject + 1.
    const auto subjectKey = [](int cohort, int s) { return db::sixKey(cohort * 100 + s + 1); };
    for (int co = 0; co < settings.cohorts; ++co)
        for (int s = 0; s < kSubjectCount; ++s)
            c.insert(QStringLiteral("fachang"), {{"FA_ID", co * 100 + s + 1},
                                                 {"FA_KURSPH", phases[co]},
                                                 {"FA_BEZ", kSubjects[s].name},
                                                 {"FA_PSCHL", kSubjects[s].name},
                                                 {"FA_STDGK", QString::number(kSubjects[s].hours)},
                                                 {"FA_VFP_ID", subjectKey(co, s)}});

    // Teachers and rules draw from a stream of their own: without them a school stays as it was.
    Random extra(settings.seed * 7919 + 17);
    std::vector<std::uint64_t> railsOf;
    for (const CourseDef& cd : courses)
        railsOf.push_back(options[cd.hours][cd.option]);
    std::vector<int> teacherOf(courses.size(), -1);
    if (settings.teachers) {
        teacherOf = assignTeachers(extra, courses, railsOf, out.teachers);
        for (int t = 0; t < out.teachers; ++t)
            c.insert(QStringLiteral("lehrer"), {{"LE_ID", t + 1},
                                                {"LE_KUERZ", QStringLiteral("L%1").arg(t + 1)},
                                                {"LE_BEZ", QStringLiteral("Lehrer %1").arg(t + 1)},
                                                {"LE_VFP_ID", db::sixKey(t + 1)}});
    }
    std::vector<QString> names(courses.size());

    int nextCourse = 1;
    for (CourseDef& cd : courses) {
        const GroupDef& g = groups[cd.group];
        if (cd.students == 0)
            continue;
        cd.id = nextCourse++;
        const QString digit = g.cohort < 0 ? "5" : g.cohort == 0 ? "1" : "2";
        const QString name = digit + (g.advanced ? "L" : "") + kSubjects[g.subject].name +
                             QString::number(cd.number);
        names[&cd - courses.data()] = name;
        const int teacher = teacherOf[&cd - courses.data()];
        const QString fa1 = subjectKey(g.cohort < 0 ? 0 : g.cohort, g.subject);
        const QVariant fa3 = g.cohort < 0    ? QVariant(subjectKey(1, g.subject))
                             : g.cohort == 1 ? QVariant(fa1)
                                             : QVariant();
        c.insert(QStringLiteral("kurs"),
                 {{"KS_ID", cd.id},
                  {"KS_SCHJ", kGeneratedYear},
                  {"KS_BEZ", name},
                  {"KS_SORT", cd.id},
                  {"KS_FA_ID1", fa1},
                  {"KS_FA_ID3", fa3},
                  {"KS_JGST", g.cohort < 0    ? "50"
                              : g.cohort == 0 ? "11"
                                              : "12"},
                  {"KS_LKGK", g.advanced ? "L" : "K"},
                  {"KS_STD", QString::number(cd.hours)},
                  {"KS_VFP_ID", db::sixKey(cd.id)},
                  {"KS_MIN", 0},
                  {"KS_MAX", 0},
                  {"KS_OPT", 0},
                  {"KS_LE_ID", teacher >= 0 ? QVariant(db::sixKey(teacher + 1)) : QVariant()}});
        if (g.cohort <= 0)
            ++out.courses;
    }
    // The first parallel that has students, as the pre-assignment would take it.
    const auto firstParallel = [&](int g) {
        for (int k : groups[g].courses)
            if (courses[k].id > 0)
                return courses[k].id;
        return 0;
    };

    db::Statement kolleg = db::Statement::insert(
        c, QStringLiteral("kolleg"),
        {"KO_ID", "KO_KURSPH", "KO_FAMNAME", "KO_RUFNAME", "KO_PARLLKL", "KO_VFP_ID"});
    db::Statement beleg =
        db::Statement::insert(c, QStringLiteral("belegung"),
                              {"BG_KO_ID", "BG_KS_ID_12", "BG_KS_ID_13", "BG_FA_ID", "BG_ART"});
    for (size_t s = 0; s < students.size(); ++s) {
        const StudentDef& st = students[s];
        const int id = static_cast<int>(s) + 1;
        kolleg.run({id, phases[st.cohort], QStringLiteral("Name%1").arg(id),
                    QStringLiteral("Vorname%1").arg(id), QString(QChar('a' + id % 4)),
                    db::sixKey(id)});
        for (size_t i = 0; i < st.picks.size(); ++i) {
            const bool planned = settings.solved || st.cohort == 1;
            const QString course =
                db::sixKey(planned ? courses[st.planned[i]].id : firstParallel(groupOfPick[s][i]));
            const QVariant none;
            beleg.run({db::sixKey(id), st.cohort == 0 ? QVariant(course) : none,
                       st.cohort == 1 ? QVariant(course) : none,
                       subjectKey(st.cohort, st.picks[i].subject),
                       QString(QChar(st.picks[i].art))});
        }
        if (st.cohort == 0) {
            ++out.students;
            out.choices += static_cast<int>(st.picks.size());
        }
    }
    c.exec(QStringLiteral("UPDATE belegung SET BG_VFP_ID = substr('      ' || BG_ID, -6)"));

    // Placements: some fixed where the plan has them, half of the others anywhere.
    db::Statement ck = db::Statement::insert(c, QStringLiteral("ckkurs"),
                                             {"CK_BL_ID", "CK_KS_ID", "CK_VFP_ID", "CK_FIX"});
    const auto place = [&](const CourseDef& cd, int option, const char* fix) {
        const std::uint64_t rails = options[cd.hours][option];
        for (int i = 0; i < settings.rails; ++i)
            if (rails >> i & 1)
                ck.run({db::sixKey(i + 1), db::sixKey(cd.id), QString::number(i + 1), fix});
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
            else if (settings.solved || co == 1 || groups[cd.group].cohort < 0)
                place(cd, cd.option, "0");
            else if (i % 2 == 0)
                place(cd, r.below(static_cast<int>(options[cd.hours].size())), "0");
        }
    }
    tx.commit();
    if (settings.rules)
        for (const QStringList& rule :
             makeRules(extra, groups, courses, railsOf, students, names, settings.rails)) {
            try {
                blocking::addRule(c, kGeneratedYear, rule[0], rule.mid(1));
                ++out.rules;
            } catch (const std::runtime_error&) {
                // drawn twice
            }
        }
    return out;
}

} // namespace test
