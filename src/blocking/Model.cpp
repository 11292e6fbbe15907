#include "blocking/Model.h"

#include "blocking/Bounds.h"
#include "db/Database.h"

#include <QSqlQuery>
#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace blocking {

namespace {

// Keys are compared ignoring case, as the database does.
QString fold(const QString& key) {
    return key.toUpper();
}

bool blank(const QString& s) {
    return s.trimmed().isEmpty();
}

// The numeric value of a text as the system reads numbers: leading blanks skipped, the leading
// digits count.
int number(const QString& text) {
    int v = 0;
    bool started = false;
    for (QChar ch : text) {
        if (ch == QLatin1Char(' ') && !started)
            continue;
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9') || v > 100000000)
            break;
        started = true;
        v = v * 10 + (ch.unicode() - '0');
    }
    return v;
}

// The choice types a year group knows: L counts in both, A only in 12, B only in 13, S, C, X in
// both (as the pre-assignment has it).
bool countsIn(int yearGroup, const QString& art) {
    static const QString in12 = QStringLiteral("LASCX");
    static const QString in13 = QStringLiteral("LBSCX");
    return art.size() == 1 && (yearGroup == 12 ? in12 : in13).contains(art, Qt::CaseInsensitive);
}

bool basicKind(const QString& kind) {
    return kind.compare(QLatin1String("G"), Qt::CaseInsensitive) == 0 ||
           kind.compare(QLatin1String("K"), Qt::CaseInsensitive) == 0;
}

bool advancedKind(const QString& kind) {
    return kind.compare(QLatin1String("L"), Qt::CaseInsensitive) == 0;
}

struct UnionFind {
    std::vector<int> parent;
    explicit UnionFind(int n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
    int find(int x) {
        while (parent[x] != x)
            x = parent[x] = parent[parent[x]];
        return x;
    }
    void join(int a, int b) { parent[find(a)] = find(b); }
};

struct CourseRow {
    QStringList subjects; // folded, non-blank, KS_FA_ID1..4
    QString kind;
};

} // namespace

int courseHours(const QString& std, const QString& kind, const QString& yearCode,
                const QString& subject1, const QString& subject3,
                const QHash<QString, int>& subjectHours) {
    if (!blank(std))
        return number(std);
    if (advancedKind(kind))
        return 5;
    if (kind.compare(QLatin1String("G"), Qt::CaseInsensitive) != 0)
        return 0;
    const auto hoursOf = [&](const QString& s) { return subjectHours.value(fold(s)); };
    if (yearCode == QLatin1String("12"))
        return blank(subject1) ? 0 : hoursOf(subject1);
    if (yearCode == QLatin1String("13"))
        return blank(subject3) ? 0 : hoursOf(subject3);
    if (yearCode == QLatin1String("50")) {
        int h = blank(subject1) ? 0 : hoursOf(subject1);
        if (h == 0 && !blank(subject3))
            h = hoursOf(subject3);
        return h;
    }
    return 0;
}

Model Model::load(db::Connection& c, const SchoolYear& year, int cohort) {
    Model m;
    m.cohort = cohort;
    const QString startYear = year.bez.left(4);
    const int y = startYear.toInt();
    if (cohort == y)
        m.yearGroup = 12;
    else if (cohort == y - 1)
        m.yearGroup = 13;
    else
        throw std::runtime_error(
            QStringLiteral("Der Jahrgang %1 ist im Schuljahr %2 weder in der Jahrgangsstufe 12 "
                           "noch in der Jahrgangsstufe 13.")
                .arg(cohort)
                .arg(year.bez.trimmed())
                .toStdString());
    m.courseField =
        m.yearGroup == 12 ? QStringLiteral("BG_KS_ID_12") : QStringLiteral("BG_KS_ID_13");

    // Rails of the school year, in the workspace's order.
    QSqlQuery q = c.exec(QStringLiteral("SELECT BL_ID, BL_BEZ, BL_STD, BL_VFP_ID FROM block "
                                        "WHERE BL_SCHJ = ? ORDER BY BL_ID"),
                         {year.id});
    while (q.next()) {
        if (static_cast<int>(m.rails.size()) == kMaxRails)
            throw std::runtime_error(
                QStringLiteral("Das Schuljahr hat mehr als %1 Schienen; so viele kann das "
                               "automatische Setzen nicht unterscheiden.")
                    .arg(kMaxRails)
                    .toStdString());
        Rail r{q.value(3).toString(), q.value(0).toLongLong(), q.value(1).toString(),
               q.value(2).toInt()};
        m.railByKey_.insert(fold(r.key), static_cast<int>(m.rails.size()));
        m.rails.push_back(r);
    }

    // Subjects: basic-course hours, and which belong to the cohort's offer.
    QHash<QString, int> subjectHours;
    QSet<QString> cohortSubjects;
    q = c.exec(QStringLiteral("SELECT FA_VFP_ID, FA_STDGK, FA_KURSPH FROM fachang"));
    while (q.next()) {
        const QString key = fold(q.value(0).toString());
        if (!subjectHours.contains(key))
            subjectHours.insert(key, number(q.value(1).toString()));
        if (q.value(2).toString().trimmed() == QString::number(cohort))
            cohortSubjects.insert(key);
    }

    // Every course of the school year; the cohort's are marked below.
    std::vector<CourseRow> rows;
    q = c.exec(QStringLiteral("SELECT KS_VFP_ID, KS_BEZ, KS_FA_ID1, KS_FA_ID2, KS_FA_ID3, "
                              "KS_FA_ID4, KS_JGST, KS_LKGK, KS_STD, KS_MIN, KS_MAX FROM kurs "
                              "WHERE KS_SCHJ = ? ORDER BY KS_SORT, KS_ID"),
               {year.id});
    while (q.next()) {
        const QString key = q.value(0).toString();
        if (blank(key) || m.courseByKey_.contains(fold(key)))
            continue;
        Course k;
        k.key = key;
        k.name = q.value(1).toString().trimmed();
        const QString kind = q.value(7).toString().trimmed();
        k.advanced = advancedKind(kind);
        k.hours = courseHours(q.value(8).toString(), kind, q.value(6).toString().trimmed(),
                              q.value(2).toString(), q.value(4).toString(), subjectHours);
        k.min = std::max(0, q.value(9).toInt());
        k.max = std::max(0, q.value(10).toInt());
        CourseRow row;
        row.kind = kind;
        for (int i = 2; i <= 5; ++i) {
            const QString s = q.value(i).toString();
            if (!blank(s) && !row.subjects.contains(fold(s)))
                row.subjects << fold(s);
        }
        m.courseByKey_.insert(fold(key), static_cast<int>(m.courses.size()));
        m.courses.push_back(k);
        rows.push_back(row);
    }

    // Placements on the school year's rails.
    m.placement.rails.assign(m.courses.size(), RailSet());
    m.placement.fixed.assign(m.courses.size(), RailSet());
    if (c.hasTable(QStringLiteral("ckkurs"))) {
        q = c.exec(QStringLiteral("SELECT CK_BL_ID, CK_KS_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"));
        while (q.next()) {
            const int r = m.railIndex(q.value(0).toString());
            const int k = m.courseIndex(q.value(1).toString());
            if (r < 0 || k < 0)
                continue;
            m.placement.rails[k].add(r);
            if (q.value(2).toString().trimmed() == QLatin1String("1"))
                m.placement.fixed[k].add(r);
        }
    }

    // Students: the cohort's, and everybody's year field.
    struct Person {
        QString name;
        bool own = false;
        int field = 12; // the year field of his courses
        int index = -1; // in m.students
    };
    QHash<QString, Person> people;
    q = c.exec(QStringLiteral("SELECT KO_VFP_ID, KO_FAMNAME, KO_RUFNAME, KO_KURSPH FROM kolleg "
                              "ORDER BY KO_ID"));
    while (q.next()) {
        const QString key = fold(q.value(0).toString());
        if (people.contains(key))
            continue;
        Person p;
        const QString first = q.value(2).toString().trimmed();
        p.name = q.value(1).toString().trimmed() +
                 (first.isEmpty() ? QString() : QStringLiteral(", ") + first);
        p.own = q.value(3).toString().trimmed() == QString::number(cohort);
        p.field = q.value(3).toString().trimmed() == startYear ? 12 : 13;
        people.insert(key, p);
        if (p.own) {
            Student s;
            s.key = q.value(0).toString();
            s.name = p.name;
            s.own = true;
            people[key].index = static_cast<int>(m.students.size());
            m.students.push_back(s);
        }
    }
    m.ownStudents = static_cast<int>(m.students.size());

    // Choice rows.
    struct Row {
        int person = -1; // own student, or -1
        QString personKey;
        int course12 = -1, course13 = -1;
        QString subject, art;
        qint64 bgId = 0;
    };
    std::vector<Row> all;
    q = c.exec(QStringLiteral("SELECT BG_ID, BG_KO_ID, BG_KS_ID_12, BG_KS_ID_13, BG_FA_ID, BG_ART "
                              "FROM belegung ORDER BY BG_ID"));
    std::vector<int> rowCount(m.courses.size(), 0);
    while (q.next()) {
        Row r;
        r.bgId = q.value(0).toLongLong();
        r.personKey = fold(q.value(1).toString());
        r.course12 = m.courseIndex(q.value(2).toString());
        r.course13 = m.courseIndex(q.value(3).toString());
        r.subject = fold(q.value(4).toString());
        r.art = q.value(5).toString().trimmed();
        if (r.course12 >= 0)
            ++rowCount[r.course12];
        if (r.course13 >= 0 && r.course13 != r.course12)
            ++rowCount[r.course13];
        all.push_back(std::move(r));
    }

    // The cohort's counted choices, grouped by student, and their types.
    QHash<QString, int> typeByKey;
    std::vector<std::vector<std::pair<qint64, std::pair<int, int>>>> perStudent(
        m.students.size()); // (BG_ID, (type, course))
    for (const Row& r : all) {
        const auto it = people.constFind(r.personKey);
        if (it == people.constEnd() || !it->own)
            continue;
        const int course = m.yearGroup == 12 ? r.course12 : r.course13;
        Student& s = m.students[it->index];
        if (!countsIn(m.yearGroup, r.art)) {
            if (course >= 0)
                s.fixedCourses.push_back(course);
            continue;
        }
        int type = -1;
        if (!blank(r.subject)) {
            const bool advanced = advancedKind(r.art);
            const QString tk = r.subject + (advanced ? QStringLiteral("|L") : QStringLiteral("|G"));
            type = typeByKey.value(tk, -1);
            if (type < 0) {
                ChoiceType t;
                t.subject = r.subject;
                t.advanced = advanced;
                for (size_t k = 0; k < m.courses.size(); ++k) {
                    const CourseRow& cr = rows[k];
                    if (cr.subjects.contains(r.subject) &&
                        (advanced ? advancedKind(cr.kind) : basicKind(cr.kind)))
                        t.candidates.push_back(static_cast<int>(k));
                }
                type = static_cast<int>(m.types.size());
                typeByKey.insert(tk, type);
                m.types.push_back(std::move(t));
            }
            if (m.types[type].candidates.empty())
                type = -1;
        }
        perStudent[it->index].push_back({r.bgId, {type, course}});
    }
    for (size_t s = 0; s < m.students.size(); ++s) {
        m.students[s].firstChoice = static_cast<int>(m.choices.size());
        for (const auto& [bgId, tc] : perStudent[s]) {
            m.choices.push_back({bgId, static_cast<int>(s), tc.first});
            m.assignment.push_back(tc.second);
            if (tc.first >= 0)
                ++m.types[tc.first].count;
            else
                ++m.unservable;
        }
        m.students[s].choiceCount = static_cast<int>(m.choices.size()) - m.students[s].firstChoice;
    }

    // The cohort's courses: those its choices can take, and those of its subject offer.
    for (const ChoiceType& t : m.types)
        for (int k : t.candidates)
            m.courses[k].own = true;
    for (size_t k = 0; k < m.courses.size(); ++k) {
        const CourseRow& cr = rows[k];
        if (!(basicKind(cr.kind) || advancedKind(cr.kind)))
            continue;
        for (const QString& s : cr.subjects)
            if (cohortSubjects.contains(s))
                m.courses[k].own = true;
    }
    for (const Course& k : m.courses) {
        if (!k.own)
            continue;
        ++m.ownCourses;
        if (k.hours <= 0)
            m.withoutHours << k.name;
    }

    // Students of other cohorts in one of the cohort's courses.
    std::vector<std::vector<int>> foreign;
    QHash<QString, int> foreignIndex;
    for (const Row& r : all) {
        const auto it = people.constFind(r.personKey);
        if (it == people.constEnd() || it->own)
            continue;
        const int course = it->field == 12 ? r.course12 : r.course13;
        if (course < 0)
            continue;
        int f = foreignIndex.value(r.personKey, -1);
        if (f < 0) {
            f = static_cast<int>(foreign.size());
            foreignIndex.insert(r.personKey, f);
            foreign.emplace_back();
        }
        foreign[f].push_back(course);
    }
    for (auto it = foreignIndex.constBegin(); it != foreignIndex.constEnd(); ++it) {
        const std::vector<int>& fc = foreign[it.value()];
        if (std::none_of(fc.begin(), fc.end(), [&](int k) { return m.courses[k].own; }))
            continue;
        Student s;
        s.key = it.key();
        s.name = people.value(it.key()).name;
        s.fixedCourses = fc;
        m.students.push_back(std::move(s));
    }
    // Hash order is not stable between runs: keep the foreign students in key order.
    std::sort(m.students.begin() + m.ownStudents, m.students.end(),
              [](const Student& a, const Student& b) { return a.key < b.key; });

    // Fixed loads: every row naming the course, less the choices the blocking may move.
    for (size_t k = 0; k < m.courses.size(); ++k)
        m.courses[k].fixedLoad = rowCount[k];
    for (size_t i = 0; i < m.choices.size(); ++i)
        if (m.choices[i].type >= 0 && m.assignment[i] >= 0)
            --m.courses[m.assignment[i]].fixedLoad;

    // Parallel groups: own courses joined by the choice types they serve.
    UnionFind uf(static_cast<int>(m.courses.size()));
    for (const ChoiceType& t : m.types)
        for (size_t i = 1; i < t.candidates.size(); ++i)
            uf.join(t.candidates[0], t.candidates[i]);
    QHash<int, int> groupOf;
    for (size_t k = 0; k < m.courses.size(); ++k) {
        if (!m.courses[k].own)
            continue;
        const int root = uf.find(static_cast<int>(k));
        int g = groupOf.value(root, -1);
        if (g < 0) {
            g = static_cast<int>(m.groups.size());
            groupOf.insert(root, g);
            m.groups.emplace_back();
        }
        m.courses[k].group = g;
        m.groups[g].courses.push_back(static_cast<int>(k));
    }
    for (const ChoiceType& t : m.types)
        if (!t.candidates.empty())
            m.groups[m.courses[t.candidates[0]].group].total += t.count;
    for (Group& g : m.groups) {
        QStringList names;
        for (int k : g.courses) {
            g.total += m.courses[k].fixedLoad;
            names << m.courses[k].name;
        }
        g.label = names.join(QLatin1Char(' '));
        computeBounds(m, g);
    }
    return m;
}

int Model::courseIndex(const QString& key) const {
    return key.isEmpty() ? -1 : courseByKey_.value(fold(key), -1);
}

int Model::railIndex(const QString& key) const {
    return key.isEmpty() ? -1 : railByKey_.value(fold(key), -1);
}

bool Model::serves(int course, int choice) const {
    const int t = choices[choice].type;
    if (t < 0 || course < 0)
        return false;
    const auto& cand = types[t].candidates;
    return std::binary_search(cand.begin(), cand.end(), course);
}

int Model::placedHours(const Placement& p, int course) const {
    int h = 0;
    p.rails[course].forEach([&](int r) { h += rails[r].hours; });
    return h;
}

int Model::totalRailHours() const {
    int h = 0;
    for (const Rail& r : rails)
        h += r.hours;
    return h;
}

void Model::setPlacement(const PlainPlacement& plain) {
    placement.rails.assign(courses.size(), RailSet());
    placement.fixed.assign(courses.size(), RailSet());
    for (auto it = plain.constBegin(); it != plain.constEnd(); ++it) {
        const int k = courseIndex(it.key());
        if (k < 0)
            continue;
        for (const PlacedRail& pr : it.value()) {
            const int r = railIndex(pr.railKey);
            if (r < 0)
                continue;
            placement.rails[k].add(r);
            if (pr.fixed)
                placement.fixed[k].add(r);
        }
    }
}

PlainPlacement Model::plain(const Placement& p) const {
    PlainPlacement out;
    for (size_t k = 0; k < courses.size(); ++k) {
        if (p.rails[k].empty())
            continue;
        QList<PlacedRail>& list = out[courses[k].key];
        p.rails[k].forEach([&](int r) { list.push_back({rails[r].key, p.fixed[k].has(r)}); });
    }
    return out;
}

} // namespace blocking
