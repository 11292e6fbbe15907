// The collisions no plan avoids: students whose courses find no rails side by side, whatever
// the search places and whichever parallel course it gives them.
#include "blocking/Bounds.h"

#include "blocking/Domains.h"

#include <algorithm>
#include <map>
#include <optional>

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
        std::map<int, int> slot; // student -> index into kept_
        for (const auto& [k, students] : byCourse) {
            courses_.push_back(k);
            for (int s : students)
                if (!slot.count(s)) {
                    slot[s] = static_cast<int>(kept_.size());
                    kept_.push_back(keptOf(s));
                }
        }
        std::sort(courses_.begin(), courses_.end(),
                  [&](int a, int b) { return d.rails[a].size() < d.rails[b].size(); });
        moving_.assign(m.courses.size(), 0);
        for (int k : courses_)
            moving_[k] = 1;
        for (int k : courses_) {
            std::vector<int> members;
            for (int s : byCourse.at(k))
                members.push_back(slot.at(s));
            membersOf_.push_back(std::move(members));
            const int t = m.courses[k].teacher;
            const bool free = t >= 0 && t < static_cast<int>(teacherFree.size()) && teacherFree[t];
            taught_.push_back(free ? std::optional<RailSet>(teacherRails(t)) : std::nullopt);
        }
    }

    // -1 when the work allowed did not prove it.
    int least() {
        taken_.assign(kept_.size(), RailSet());
        colliding_.assign(kept_.size(), 0);
        chosen_.assign(courses_.size(), RailSet());
        best_ = -1;
        nodes_ = 0;
        work_ = 0;
        search(0, 0);
        return exhausted() ? -1 : best_;
    }
    const std::vector<int>& courses() const { return courses_; }

private:
    // The work allowed: nodes, and students looked at (a node of a large course costs more);
    // about a tenth of a second on 2 x 400 students.
    static constexpr long kMaxNodes = 200000;
    static constexpr long kMaxWork = 20000000;
    bool exhausted() const { return nodes_ > kMaxNodes || work_ > kMaxWork; }

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
            if (m_.courses[k].teacher == t && !moving_[k] && d_.rails[k].size() == 1)
                r |= d_.rails[k].front();
        return r;
    }

    bool teacherFits(size_t i, const RailSet& rails) const {
        if (!taught_[i])
            return true;
        if (rails.intersects(*taught_[i]))
            return false;
        const int teacher = m_.courses[courses_[i]].teacher;
        for (size_t j = 0; j < i; ++j)
            if (m_.courses[courses_[j]].teacher == teacher && chosen_[j].intersects(rails))
                return false;
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
        const std::vector<int>& members = membersOf_[i];
        // What this level changes, undone from the stacks' tops.
        const size_t freshFrom = fresh_.size();
        const size_t beforeFrom = before_.size();
        for (const RailSet& r : d_.rails[courses_[i]]) {
            if (!teacherFits(i, r))
                continue;
            work_ += static_cast<long>(members.size());
            int added = 0;
            for (int x : members) {
                if (!colliding_[x] && (r.intersects(kept_[x]) || r.intersects(taken_[x]))) {
                    colliding_[x] = 1;
                    fresh_.push_back(x);
                    ++added;
                }
                before_.push_back(taken_[x]);
                taken_[x] |= r;
            }
            chosen_[i] = r;
            search(i + 1, colliding + added);
            chosen_[i] = RailSet();
            // Backwards: a student twice in the list gets his first value back last.
            for (size_t j = members.size(); j-- > 0;)
                taken_[members[j]] = before_[beforeFrom + j];
            before_.resize(beforeFrom);
            for (size_t j = freshFrom; j < fresh_.size(); ++j)
                colliding_[fresh_[j]] = 0;
            fresh_.resize(freshFrom);
            if (exhausted())
                return;
        }
    }

    const Model& m_;
    const Domains& d_;
    std::vector<int> courses_;                   // the courses in the order of the search
    std::vector<std::vector<int>> membersOf_;    // per course: its students, as indexes into kept_
    std::vector<std::optional<RailSet>> taught_; // per course of a free teacher: his rails kept
    std::vector<char> moving_;                   // per course of the model: one of courses_
    std::vector<RailSet> kept_, taken_;
    std::vector<char> colliding_;
    std::vector<RailSet> chosen_; // per course: the rails it is given in this branch
    std::vector<int> fresh_;      // students who collide from this branch on
    std::vector<RailSet> before_; // their rails before this branch
    int best_ = -1;
    long nodes_ = 0;
    long work_ = 0;
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
