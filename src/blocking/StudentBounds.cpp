// The collisions no plan avoids: students whose courses find no rails side by side, whatever
// the search places and whichever parallel course it gives them.
#include "blocking/Bounds.h"

#include "blocking/Domains.h"

#include <algorithm>
#include <map>

namespace blocking::bounds {

namespace {

// A course a slot may take, on one of its rail sets; course -1 where the course itself does not
// matter (no other slot of the student may take it).
struct Alt {
    int course = -1;
    RailSet rails;
};
// One choice of the student, or a course he keeps: the courses and rails it may take.
struct Slot {
    std::vector<Alt> alts;
    QString name; // its courses as the planner reads them
};

QString joined(const QStringList& names) {
    if (names.size() < 2)
        return names.join(QString());
    QStringList head = names;
    const QString last = head.takeLast();
    return head.join(QStringLiteral(", ")) + QStringLiteral(" und ") + last;
}

QString railNames(const Model& m, const RailSet& rails) {
    QStringList names;
    rails.forEach([&](int r) { names << m.rails[r].name.trimmed(); });
    return (names.size() == 1 ? QStringLiteral("der Schiene ") : QStringLiteral("den Schienen ")) +
           joined(names);
}

int hoursOf(const Model& m, const RailSet& rails) {
    int h = 0;
    rails.forEach([&](int r) { h += m.rails[r].hours; });
    return h;
}

// Whether one student's parts fit onto rails side by side, and if not, why.
class Fitting {
public:
    Fitting(const Model& m, std::vector<Slot> parts, bool shared)
        : m_(m), parts_(std::move(parts)), shared_(shared) {}

    // "" when the parts fit or no proof was found within the work allowed.
    QString why() {
        if (!shared_) {
            if (QString c = counting(); !c.isEmpty())
                return c;
            if (QString h = hall(); !h.isEmpty())
                return h;
        }
        assigned_.assign(parts_.size(), 0);
        nodes_ = 0;
        if (place(0) || nodes_ > kMaxNodes)
            return {};
        return QStringLiteral("Seine Kurse finden auf keine Weise Schienen ohne Überschneidung.");
    }

private:
    static constexpr long kMaxNodes = 20000;

    QString counting() const;
    QString hall() const;
    bool place(size_t done);
    bool fits(const Alt& a) const;

    const Model& m_;
    std::vector<Slot> parts_;
    bool shared_;
    std::vector<char> assigned_;
    RailSet used_;
    std::vector<std::pair<int, RailSet>> chosen_; // courses several parts may take
    long nodes_ = 0;
};

// Hours, rails and rails of one hours class: more asked than the school year has.
QString Fitting::counting() const {
    int hours = 0;
    int rails = 0;
    bool onHourlessRail = false;
    std::map<int, int> needs; // hours -> parts that take exactly one rail of them
    for (const Slot& s : parts_) {
        int least = -1;
        int fewest = -1;
        int single = -1;
        for (const Alt& a : s.alts) {
            const int h = hoursOf(m_, a.rails);
            least = least < 0 ? h : std::min(least, h);
            fewest = fewest < 0 ? a.rails.count() : std::min(fewest, a.rails.count());
            const int oneHours = a.rails.count() == 1 ? m_.rails[a.rails.first()].hours : 0;
            single = single < 0 ? oneHours : (single == oneHours ? single : 0);
            a.rails.forEach(
                [&](int r) { onHourlessRail = onHourlessRail || m_.rails[r].hours <= 0; });
        }
        hours += std::max(0, least);
        rails += std::max(0, fewest);
        if (single > 0)
            ++needs[single];
    }
    std::map<int, int> stock;
    int count = 0;
    for (const Rail& r : m_.rails)
        if (r.hours > 0) {
            ++stock[r.hours];
            ++count;
        }
    if (hours > m_.totalRailHours())
        return QStringLiteral("Die gewählten Kurse brauchen %1 Stunden, alle Schienen zusammen "
                              "haben %2.")
            .arg(hours)
            .arg(m_.totalRailHours());
    if (!onHourlessRail && rails > count)
        return QStringLiteral("Die gewählten Kurse brauchen %1 Schienen, es gibt %2.")
            .arg(rails)
            .arg(count);
    for (const auto& [h, n] : needs)
        if (n > stock[h])
            return QStringLiteral("Die gewählten Kurse brauchen %1 Schienen mit %2 Stunden, es "
                                  "gibt %3.")
                .arg(n)
                .arg(h)
                .arg(stock[h]);
    return {};
}

// The parts that take one rail each, matched to rails: a group of them with fewer rails than
// parts between them cannot all have one of their own.
QString Fitting::hall() const {
    std::vector<int> single;
    for (size_t i = 0; i < parts_.size(); ++i)
        if (std::all_of(parts_[i].alts.begin(), parts_[i].alts.end(),
                        [](const Alt& a) { return a.rails.count() == 1; }))
            single.push_back(static_cast<int>(i));
    std::vector<int> slotOfRail(kMaxRails, -1);
    std::vector<char> seen;
    std::vector<int> reached;
    // Kuhn's augmenting paths; reached collects the parts an attempt passed.
    const auto augment = [&](auto&& self, int s) -> bool {
        reached.push_back(s);
        for (const Alt& a : parts_[s].alts) {
            const int r = a.rails.first();
            if (seen[r])
                continue;
            seen[r] = 1;
            if (slotOfRail[r] < 0 || self(self, slotOfRail[r])) {
                slotOfRail[r] = s;
                return true;
            }
        }
        return false;
    };
    for (int s : single) {
        seen.assign(kMaxRails, 0);
        reached.clear();
        if (augment(augment, s))
            continue;
        std::sort(reached.begin(), reached.end());
        reached.erase(std::unique(reached.begin(), reached.end()), reached.end());
        RailSet rails;
        QStringList names;
        bool fixed = true;
        for (int x : reached) {
            names << parts_[x].name;
            for (const Alt& a : parts_[x].alts)
                rails |= a.rails;
            fixed = fixed && parts_[x].alts.size() == 1;
        }
        if (fixed && reached.size() == 2)
            return QStringLiteral("Die Kurse %1 liegen fest auf %2.")
                .arg(joined(names), railNames(m_, rails));
        return QStringLiteral("Die Kurse %1 können nur auf %2 liegen.")
            .arg(joined(names), railNames(m_, rails));
    }
    return {};
}

bool Fitting::fits(const Alt& a) const {
    if (a.course >= 0)
        for (const auto& [k, rails] : chosen_)
            if (k == a.course)
                return rails == a.rails;
    return !a.rails.intersects(used_);
}

// Depth first, always the slot with the fewest alternatives left.
bool Fitting::place(size_t done) {
    if (done == parts_.size())
        return true;
    if (++nodes_ > kMaxNodes)
        return false;
    int pick = -1;
    int fewest = 0;
    for (size_t i = 0; i < parts_.size(); ++i) {
        if (assigned_[i])
            continue;
        const int n = static_cast<int>(std::count_if(parts_[i].alts.begin(), parts_[i].alts.end(),
                                                     [&](const Alt& a) { return fits(a); }));
        if (pick < 0 || n < fewest) {
            pick = static_cast<int>(i);
            fewest = n;
        }
    }
    if (fewest == 0)
        return false;
    assigned_[pick] = 1;
    for (const Alt& a : parts_[pick].alts) {
        if (!fits(a))
            continue;
        const RailSet before = used_;
        const size_t chosen = chosen_.size();
        used_ |= a.rails;
        if (a.course >= 0)
            chosen_.emplace_back(a.course, a.rails);
        if (place(done + 1))
            return true;
        used_ = before;
        chosen_.resize(chosen);
        if (nodes_ > kMaxNodes)
            break;
    }
    assigned_[pick] = 0;
    return false;
}

// The parts of a student of the cohort: his choices with the courses they may take, and the
// courses he keeps.
class Parts {
public:
    Parts(const Model& m, const Domains& d) : m_(m), d_(d) {}

    Fitting of(int s) const {
        const Student& st = m_.students[s];
        std::vector<std::vector<int>> courses;
        for (int i = st.firstChoice; i < st.firstChoice + st.choiceCount; ++i)
            if (m_.choices[i].type >= 0)
                courses.push_back(d_.courses[i]);
        for (int k : d_.fixed[s])
            courses.push_back({k});
        // A course two parts may take must stand on the same rails for both.
        std::map<int, int> slotsOf;
        for (const std::vector<int>& cs : courses)
            for (int k : cs)
                ++slotsOf[k];
        bool shared = false;
        std::vector<Slot> parts;
        for (const std::vector<int>& cs : courses) {
            Slot slot;
            QStringList names;
            for (int k : cs) {
                names << m_.courses[k].name.trimmed();
                const bool several = slotsOf[k] > 1;
                shared = shared || several;
                for (const RailSet& r : d_.rails[k]) {
                    const Alt a{several ? k : -1, r};
                    if (several ||
                        std::none_of(slot.alts.begin(), slot.alts.end(),
                                     [&](const Alt& b) { return b.course < 0 && b.rails == r; }))
                        slot.alts.push_back(a);
                }
            }
            slot.name = names.join(QLatin1Char('/'));
            parts.push_back(std::move(slot));
        }
        return Fitting(m_, std::move(parts), shared);
    }

private:
    const Model& m_;
    const Domains& d_;
};

// The rails a student of another cohort keeps whatever the plan: his courses that do not move.
RailSet keptRails(const Domains& d, const Student& st, int except) {
    RailSet r;
    for (int k : st.fixedCourses)
        if (k != except && d.rails[k].size() == 1)
            r |= d.rails[k].front();
    return r;
}

// A student of another cohort collides where one of the cohort's courses he sits in meets
// another of his courses: per student, whether his own courses (of this cohort) find rails apart
// from everything else of his.
QString otherWhy(const Model& m, const Domains& d, const Student& st) {
    std::vector<int> own;
    RailSet others;
    for (int k : st.fixedCourses) {
        if (m.courses[k].own) {
            if (std::find(own.begin(), own.end(), k) == own.end())
                own.push_back(k);
        } else {
            others |= d.rails[k].front();
        }
    }
    std::vector<Slot> parts;
    for (int k : own) {
        Slot s;
        s.name = m.courses[k].name.trimmed();
        for (const RailSet& r : d.rails[k])
            if (!r.intersects(others))
                s.alts.push_back({-1, r});
        if (s.alts.empty())
            return QStringLiteral("Der Kurs %1 findet keine Schiene frei von seinen anderen "
                                  "Kursen.")
                .arg(s.name);
        parts.push_back(std::move(s));
    }
    if (parts.size() < 2)
        return {};
    return Fitting(m, std::move(parts), false).why();
}

// Students of other cohorts whose collisions a course of the cohort forces between them: on
// every rail set it may take, some of its students of the other cohort have a course that stays
// there. Returns how many at least, and who may be among them.
int forcedBetween(const Model& m, const Domains& d, int k, const std::vector<int>& students,
                  std::vector<int>& among) {
    int least = -1;
    among.clear();
    for (const RailSet& r : d.rails[k]) {
        int n = 0;
        for (int s : students)
            if (keptRails(d, m.students[s], k).intersects(r)) {
                ++n;
                if (std::find(among.begin(), among.end(), s) == among.end())
                    among.push_back(s);
            }
        least = least < 0 ? n : std::min(least, n);
    }
    return std::max(0, least);
}

// The fewest students of other cohorts who collide, over every placement of the cohort's
// courses they sit in, while the teachers proven to need no clash have none (a plan at the
// teachers' bound): the cohort's own students and the other courses are left aside.
class OtherColliding {
public:
    OtherColliding(const Model& m, const Domains& d, const std::vector<char>& teacherFree,
                   const std::map<int, std::vector<int>>& byCourse)
        : m_(m), d_(d) {
        for (const auto& [k, students] : byCourse) {
            index_[k] = static_cast<int>(courses_.size());
            courses_.push_back(k);
            studentsOf_.push_back(students);
            for (int s : students)
                if (!slot_.count(s)) {
                    slot_[s] = static_cast<int>(kept_.size());
                    kept_.push_back(keptOf(s));
                }
        }
        std::sort(courses_.begin(), courses_.end(),
                  [&](int a, int b) { return d.rails[a].size() < d.rails[b].size(); });
        for (int k : courses_)
            if (const int t = m.courses[k].teacher;
                t >= 0 && t < static_cast<int>(teacherFree.size()) && teacherFree[t])
                taught_[k] = teacherRails(t);
    }

    // -1 when the work allowed did not prove it.
    int least() {
        taken_.assign(kept_.size(), RailSet());
        colliding_.assign(kept_.size(), 0);
        chosen_.assign(m_.courses.size(), RailSet());
        best_ = -1;
        nodes_ = 0;
        search(0, 0);
        return nodes_ > kMaxNodes ? -1 : best_;
    }
    const std::vector<int>& courses() const { return courses_; }

private:
    static constexpr long kMaxNodes = 200000;

    // The rails the student keeps: his courses of other year groups.
    RailSet keptOf(int s) const {
        RailSet r;
        for (int k : m_.students[s].fixedCourses)
            if (!m_.courses[k].own && !d_.rails[k].empty())
                r |= d_.rails[k].front();
        return r;
    }
    // The rails a free teacher's courses that do not move take.
    RailSet teacherRails(int t) const {
        RailSet r;
        for (size_t k = 0; k < m_.courses.size(); ++k)
            if (m_.courses[k].teacher == t && !index_.count(static_cast<int>(k)) &&
                d_.rails[k].size() == 1)
                r |= d_.rails[k].front();
        return r;
    }

    bool teacherFits(int k, const RailSet& rails) const {
        const auto it = taught_.find(k);
        if (it == taught_.end())
            return true;
        if (rails.intersects(it->second))
            return false;
        for (size_t i = 0; i < courses_.size(); ++i) {
            const int c = courses_[i];
            if (c != k && !chosen_[c].empty() && m_.courses[c].teacher == m_.courses[k].teacher &&
                chosen_[c].intersects(rails))
                return false;
        }
        return true;
    }

    void search(size_t i, int colliding) {
        if (best_ >= 0 && colliding >= best_)
            return;
        if (i == courses_.size()) {
            best_ = colliding;
            return;
        }
        if (++nodes_ > kMaxNodes)
            return;
        const int k = courses_[i];
        const std::vector<int>& students = studentsOf_[index_.at(k)];
        for (const RailSet& r : d_.rails[k]) {
            if (!teacherFits(k, r))
                continue;
            int added = 0;
            std::vector<int> fresh;
            for (int s : students) {
                const int x = slot_.at(s);
                if (!colliding_[x] && (r.intersects(kept_[x]) || r.intersects(taken_[x]))) {
                    colliding_[x] = 1;
                    fresh.push_back(x);
                    ++added;
                }
            }
            std::vector<RailSet> before;
            for (int s : students) {
                before.push_back(taken_[slot_.at(s)]);
                taken_[slot_.at(s)] |= r;
            }
            chosen_[k] = r;
            search(i + 1, colliding + added);
            chosen_[k] = RailSet();
            for (size_t j = 0; j < students.size(); ++j)
                taken_[slot_.at(students[j])] = before[j];
            for (int x : fresh)
                colliding_[x] = 0;
            if (nodes_ > kMaxNodes)
                return;
        }
    }

    const Model& m_;
    const Domains& d_;
    std::vector<int> courses_;
    std::map<int, int> index_; // course -> its students' list
    std::vector<std::vector<int>> studentsOf_;
    std::map<int, int> slot_; // student -> index into kept_
    std::vector<RailSet> kept_, taken_;
    std::vector<char> colliding_;
    std::map<int, RailSet> taught_; // courses of free teachers -> rails their teacher keeps
    std::vector<RailSet> chosen_;
    int best_ = -1;
    long nodes_ = 0;
};

void otherStudents(const Model& m, const Domains& d, FigureBounds& b) {
    QStringList& reasons = b.reasons[QStringLiteral("otherCollisions")];
    std::vector<char> counted(m.students.size(), 0);
    std::map<int, std::vector<int>> byCourse; // own course -> its students of other cohorts
    std::map<int, std::vector<int>> all;      // the same with those proven to collide
    for (size_t s = m.ownStudents; s < m.students.size(); ++s) {
        const Student& st = m.students[s];
        for (int k : st.fixedCourses)
            if (m.courses[k].own) {
                std::vector<int>& v = all[k];
                if (v.empty() || v.back() != static_cast<int>(s))
                    v.push_back(static_cast<int>(s));
            }
        if (const QString why = otherWhy(m, d, st); !why.isEmpty()) {
            counted[s] = 1;
            b.forcedStudents.push_back(static_cast<int>(s));
            ++b.otherCollisions;
            reasons << st.named() + QStringLiteral(": ") + why;
            continue;
        }
        for (int k : st.fixedCourses)
            if (m.courses[k].own)
                byCourse[k].push_back(static_cast<int>(s));
    }
    std::vector<int> among;
    for (const auto& [k, students] : byCourse) {
        const int n = forcedBetween(m, d, k, students, among);
        if (n == 0 || std::any_of(among.begin(), among.end(), [&](int s) { return counted[s]; }))
            continue;
        for (int s : among)
            counted[s] = 1;
        b.otherCollisions += n;
        reasons << QStringLiteral("Kurs %1: Seine Schüler des anderen Jahrgangs haben auf jeder "
                                  "Schiene, die er nehmen kann, schon einen Kurs.")
                       .arg(m.courses[k].name);
    }
    // The courses together, with their teachers: more than each alone shows.
    OtherColliding together(m, d, b.teacherFree, all);
    if (const int n = together.least(); n > b.otherCollisions) {
        QStringList names;
        for (int k : together.courses())
            names << m.courses[k].name.trimmed();
        names.sort();
        reasons << QStringLiteral("Die Kurse %1 lassen sich, ohne ihre Lehrer doppelt zu belegen, "
                                  "nicht so legen, dass weniger als %2 ihrer Schüler des anderen "
                                  "Jahrgangs auf derselben Schiene einen weiteren Kurs haben.")
                       .arg(joined(names))
                       .arg(n);
        b.otherCollisions = n;
    }
}

} // namespace

void students(const Model& m, const Domains& d, FigureBounds& b) {
    const Parts parts(m, d);
    QStringList& reasons = b.reasons[QStringLiteral("collisions")];
    for (int s = 0; s < m.ownStudents; ++s)
        if (const QString why = parts.of(s).why(); !why.isEmpty()) {
            ++b.collisions;
            b.forcedStudents.push_back(s);
            reasons << m.students[s].named() + QStringLiteral(": ") + why;
        }
    otherStudents(m, d, b);
}

} // namespace blocking::bounds
