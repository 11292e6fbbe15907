#include "blocking/Model.h"

#include "db/Choices.h"
#include "db/Courses.h"
#include "db/Database.h"
#include "db/Placements.h"
#include "db/Queries.h"
#include "db/Rails.h"
#include "db/Students.h"
#include "db/Teachers.h"
#include "platform/Text.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace blocking {

namespace {

using platform::blank;

// Keys are compared ignoring case, as the database does.
QString fold(const QString& key) {
    return key.toUpper();
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

// No school gives a course or a rail more weekly hours. More in a file is a fault of the file,
// reported on loading: summed up, such hours would overflow.
constexpr int kMaxHours = 99;

// The hours as stored (a text or a number) when they lie beyond any school's, else "".
QString beyondAnySchool(const QVariant& stored, double hours) {
    return hours >= 0 && hours <= kMaxHours ? QString() : stored.toString().trimmed();
}

[[noreturn]] void tooManyHours(const QString& what, const QString& hours) {
    throw std::runtime_error(QStringLiteral("%1 hat %2 Wochenstunden; so viele hat keine Schule.")
                                 .arg(what, hours)
                                 .toStdString());
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

// The subjects: basic-course hours, and which belong to each planned cohort's offer.
struct SubjectOffer {
    QHash<QString, int> hours;
    QHash<QString, QString> names; // the abbreviation, FA_BEZ
    std::vector<QSet<QString>> cohortSubjects;
};

SubjectOffer loadSubjects(db::Connection& c, const std::vector<Model::Part>& parts) {
    SubjectOffer offer;
    offer.cohortSubjects.resize(parts.size());
    for (const db::courses::OfferedSubject& s : db::courses::subjects(c)) {
        const QString key = fold(s.key);
        const int hours = number(s.hours.toString());
        if (const QString stored = beyondAnySchool(s.hours, hours); !stored.isEmpty())
            tooManyHours(QStringLiteral("Das Fach %1 der Kursphase %2")
                             .arg(s.name.trimmed(), s.phase.trimmed()),
                         stored);
        if (!offer.hours.contains(key)) {
            offer.hours.insert(key, hours);
            offer.names.insert(key, s.name.trimmed());
        }
        for (size_t p = 0; p < parts.size(); ++p)
            if (s.phase.trimmed() == QString::number(parts[p].cohort))
                offer.cohortSubjects[p].insert(key);
    }
    return offer;
}

} // namespace

struct Model::CourseRow {
    QStringList subjects; // folded, non-blank, KS_FA_ID1..4
    QString kind;
};

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

namespace {

// The teachers' abbreviations by key; none in a file without the table.
QHash<QString, QString> loadTeacherNames(db::Connection& c) {
    QHash<QString, QString> names;
    for (const auto& [key, abbreviation] : db::teachers::abbreviations(c))
        names.insert(fold(key), abbreviation);
    return names;
}

} // namespace

Model Model::load(db::Connection& c, const SchoolYear& year, int cohort) {
    return load(c, year, std::vector<int>{cohort});
}

Model Model::load(db::Connection& c, const SchoolYear& year, const std::vector<int>& cohorts) {
    Model m;
    m.setCohorts(year, cohorts);
    m.loadRails(c, year);
    const SubjectOffer offer = loadSubjects(c, m.parts);
    const std::vector<CourseRow> rows = m.loadCourses(c, year, offer.hours);
    m.loadPlacement(c);
    const QHash<QString, int> personByKey = m.loadPersons(c, year.bez);
    std::vector<int> course12, course13;
    m.loadChoices(c, personByKey, rows, course12, course13);
    m.nameUnservable(offer.names);
    m.markOwnCourses(rows, offer.cohortSubjects);
    m.formGroups();
    m.loadRules(c, year);
    m.distribute(course12, course13);
    return m;
}

// Rails of the school year, in the workspace's order.
void Model::loadRails(db::Connection& c, const SchoolYear& year) {
    for (const db::rails::BlockingRail& row : db::rails::forBlocking(c, year.id)) {
        if (static_cast<int>(rails.size()) == kMaxRails)
            throw std::runtime_error(
                QStringLiteral("Das Schuljahr hat mehr als %1 Schienen; so viele kann das "
                               "automatische Setzen nicht unterscheiden.")
                    .arg(kMaxRails)
                    .toStdString());
        if (const QString stored = beyondAnySchool(row.hours, row.hours.toDouble());
            !stored.isEmpty())
            tooManyHours(QStringLiteral("Die Schiene ") + row.name.trimmed(), stored);
        Rail r{row.key, row.id, row.name, row.hours.toInt()};
        railByKey_.insert(fold(r.key), static_cast<int>(rails.size()));
        rails.push_back(r);
    }
}

// Every course of the school year; the cohort's are marked later.
std::vector<Model::CourseRow> Model::loadCourses(db::Connection& c, const SchoolYear& year,
                                                 const QHash<QString, int>& subjectHours) {
    std::vector<CourseRow> rows;
    const std::vector<db::courses::BlockingCourse> stored = db::courses::forBlocking(c, year.id);
    const QHash<QString, QString> teacherNames = loadTeacherNames(c);
    QHash<QString, int> teacherByKey;
    for (const db::courses::BlockingCourse& s : stored) {
        const QString& key = s.key;
        if (blank(key) || courseByKey_.contains(fold(key)))
            continue;
        Course k;
        k.key = key;
        k.name = s.name.trimmed();
        const QString kind = s.kind.trimmed();
        k.hours = courseHours(s.hours.toString(), kind, s.yearCode.trimmed(), s.subjects[0],
                              s.subjects[2], subjectHours);
        if (const QString beyond = beyondAnySchool(s.hours, k.hours); !beyond.isEmpty())
            tooManyHours(QStringLiteral("Der Kurs ") + k.name, beyond);
        k.min = std::max(0, s.min.toInt());
        k.max = std::max(0, s.max.toInt());
        k.teacher = teacherIndex(s.teacherKey, teacherNames, teacherByKey);
        CourseRow row;
        row.kind = kind;
        for (const QString& subject : s.subjects)
            if (!blank(subject) && !row.subjects.contains(fold(subject)))
                row.subjects << fold(subject);
        k.subjects = row.subjects;
        courseByKey_.insert(fold(key), static_cast<int>(courses.size()));
        courses.push_back(k);
        rows.push_back(row);
    }
    return rows;
}

int Model::teacherIndex(const QString& key, const QHash<QString, QString>& names,
                        QHash<QString, int>& byKey) {
    if (blank(key))
        return -1;
    const QString folded = fold(key.trimmed());
    if (const auto it = byKey.constFind(folded); it != byKey.cend())
        return *it;
    const QString name = names.value(folded);
    teachers << (blank(name) ? key.trimmed() : name.trimmed());
    byKey.insert(folded, static_cast<int>(teachers.size()) - 1);
    return static_cast<int>(teachers.size()) - 1;
}

// Placements on the school year's rails.
void Model::loadPlacement(db::Connection& c) {
    placement.rails.assign(courses.size(), RailSet());
    placement.fixed.assign(courses.size(), RailSet());
    for (const db::placements::Placed& p : db::placements::all(c)) {
        const int r = railIndex(p.railKey);
        const int k = courseIndex(p.courseKey);
        if (r < 0 || k < 0)
            continue;
        placement.rails[k].add(r);
        if (p.fixed)
            placement.fixed[k].add(r);
    }
}

// Students: the cohort's, and everybody's year field. Returns the persons by folded key.
QHash<QString, int> Model::loadPersons(db::Connection& c, const QString& schjBez) {
    QHash<QString, int> personByKey;
    for (const db::students::Enrolled& row : db::students::enrolled(c)) {
        const QString key = fold(row.key);
        if (personByKey.contains(key))
            continue;
        Person p;
        p.key = row.key;
        const QString first = row.firstName.trimmed();
        p.name =
            row.familyName.trimmed() + (first.isEmpty() ? QString() : QStringLiteral(", ") + first);
        for (size_t part = 0; part < parts.size(); ++part)
            if (row.phase.trimmed() == QString::number(parts[part].cohort))
                p.part = static_cast<int>(part);
        p.own = p.part >= 0;
        p.twelve = db::yearGroup(row.phase.trimmed(), schjBez) == 12;
        p.className = row.parallelClass.trimmed();
        personByKey.insert(key, static_cast<int>(persons_.size()));
        if (p.own) {
            p.student = static_cast<int>(students.size());
            students.push_back({p.key, p.name, true, 0, 0, {}, p.className, p.part});
        }
        persons_.push_back(p);
    }
    ownStudents = static_cast<int>(students.size());
    requireStudentsOfEachPart();
    return personByKey;
}

// The type of a choice of subject and kind, made when first met; -1 when no course serves it.
int Model::choiceType(const QString& subject, bool advanced, const std::vector<CourseRow>& rows,
                      QHash<QString, int>& typeByKey) {
    const QString tk = subject + (advanced ? QStringLiteral("|L") : QStringLiteral("|G"));
    int t = typeByKey.value(tk, -1);
    if (t < 0) {
        ChoiceType ct;
        ct.subject = subject;
        ct.advanced = advanced;
        for (size_t k = 0; k < courses.size(); ++k)
            if (rows[k].subjects.contains(subject) &&
                (advanced ? advancedKind(rows[k].kind) : basicKind(rows[k].kind)))
                ct.candidates.push_back(static_cast<int>(k));
        t = static_cast<int>(types.size());
        typeByKey.insert(tk, t);
        types.push_back(std::move(ct));
    }
    return types[t].candidates.empty() ? -1 : t;
}

// Choice rows; the cohort's that count in its year group are its choices, each of a type.
// course12 and course13 receive every row's year fields as course indexes.
void Model::loadChoices(db::Connection& c, const QHash<QString, int>& personByKey,
                        const std::vector<CourseRow>& rows, std::vector<int>& course12,
                        std::vector<int>& course13) {
    QHash<QString, int> typeByKey;
    std::vector<std::vector<int>> perStudent(students.size()); // rows, in BG_ID order
    std::vector<int> type;                                     // per row of a choice
    QStringList asked;                                         // per row of a choice
    for (const db::choices::Row& r : db::choices::rows(c)) {
        const int row = static_cast<int>(rows_.size());
        const int person = personByKey.value(fold(r.studentKey), -1);
        rows_.push_back({r.bgId, person, -1});
        course12.push_back(courseIndex(r.course12));
        course13.push_back(courseIndex(r.course13));
        type.push_back(-1);
        asked << QString();
        if (person < 0 || !persons_[person].own)
            continue;
        const QString art = r.art.trimmed();
        const int part = persons_[person].part;
        if (!countsIn(parts[static_cast<size_t>(part)].yearGroup, art))
            continue;
        perStudent[persons_[person].student].push_back(row);
        const QString subject = fold(r.subject);
        asked.back() = r.subject.trimmed() +
                       (advancedKind(art) ? QStringLiteral(" LK") : QStringLiteral(" GK"));
        if (!blank(subject))
            type.back() = choiceType(subject, advancedKind(art), rows, typeByKey);
        if (type.back() >= 0)
            types[type.back()].ofParts |= 1U << part;
        if (type.back() < 0)
            unserved_.push_back({row, subject, advancedKind(art)});
    }
    numberChoices(perStudent, type, asked);
}

// The choices student by student, each row's in BG_ID order.
void Model::numberChoices(const std::vector<std::vector<int>>& perStudent,
                          const std::vector<int>& type, const QStringList& asked) {
    for (size_t s = 0; s < students.size(); ++s) {
        students[s].firstChoice = static_cast<int>(choices.size());
        for (int row : perStudent[s]) {
            rows_[row].choice = static_cast<int>(choices.size());
            choices.push_back({rows_[row].bgId, static_cast<int>(s), type[row], asked[row]});
            if (type[row] >= 0)
                ++types[type[row]].count;
            else
                ++unservable;
        }
        students[s].choiceCount = static_cast<int>(choices.size()) - students[s].firstChoice;
    }
}

void Model::nameUnservable(const QHash<QString, QString>& subjectNames) {
    for (const Unserved& u : unserved_) {
        const Student& s = students[choices[rows_[u.row].choice].student];
        const QString subject = subjectNames.value(u.subject, u.subject.trimmed());
        unservableChoices << s.named() + QStringLiteral(": ") +
                                 (blank(u.subject)
                                      ? QStringLiteral("Die Wahl nennt kein Fach.")
                                      : QStringLiteral("Kein Kurs bietet %1%2.")
                                            .arg(subject, u.advanced
                                                              ? QStringLiteral(" als Leistungskurs")
                                                              : QString()));
    }
}

// The cohort's courses: those its choices can take, and those of its subject offer.
void Model::markOwnCourses(const std::vector<CourseRow>& rows,
                           const std::vector<QSet<QString>>& cohortSubjects) {
    for (const ChoiceType& t : types)
        for (int k : t.candidates)
            courses[k].ofParts |= t.ofParts;
    for (size_t k = 0; k < courses.size(); ++k) {
        const CourseRow& cr = rows[k];
        if (!(basicKind(cr.kind) || advancedKind(cr.kind)))
            continue;
        for (size_t p = 0; p < cohortSubjects.size(); ++p)
            for (const QString& s : cr.subjects)
                if (cohortSubjects[p].contains(s))
                    courses[k].ofParts |= 1U << p;
    }
    for (Course& k : courses)
        k.own = k.ofParts != 0;
    for (const Course& k : courses) {
        if (!k.own)
            continue;
        ++ownCourses;
        if (k.hours <= 0)
            withoutHours << k.name;
    }
}

// Parallel groups: own courses joined by the choice types they serve.
void Model::formGroups() {
    UnionFind uf(static_cast<int>(courses.size()));
    for (const ChoiceType& t : types)
        for (size_t i = 1; i < t.candidates.size(); ++i)
            uf.join(t.candidates[0], t.candidates[i]);
    QHash<int, int> groupOf;
    for (size_t k = 0; k < courses.size(); ++k) {
        if (!courses[k].own)
            continue;
        const int root = uf.find(static_cast<int>(k));
        int g = groupOf.value(root, -1);
        if (g < 0) {
            g = static_cast<int>(groups.size());
            groupOf.insert(root, g);
            groups.emplace_back();
        }
        courses[k].group = g;
        groups[g].courses.push_back(static_cast<int>(k));
    }
    for (Group& g : groups) {
        QStringList names;
        for (int k : g.courses)
            names << courses[k].name;
        g.label = names.join(QLatin1Char(' '));
    }
}

void Model::refresh(db::Connection& c) {
    std::vector<int> course12(rows_.size(), -1);
    std::vector<int> course13(rows_.size(), -1);
    size_t row = 0;
    for (const db::choices::Row& r : db::choices::courses(c)) {
        const qint64 id = r.bgId;
        while (row < rows_.size() && rows_[row].bgId < id)
            ++row;
        if (row == rows_.size())
            break;
        if (rows_[row].bgId != id)
            continue; // a row that came later: it waits for the next load
        course12[row] = courseIndex(r.course12);
        course13[row] = courseIndex(r.course13);
    }
    distribute(course12, course13);
}

void Model::distribute(const std::vector<int>& course12, const std::vector<int>& course13) {
    assignment.assign(choices.size(), -1);
    students.resize(ownStudents);
    for (Student& s : students)
        s.fixedCourses.clear();
    std::vector<int> rowCount(courses.size(), 0);
    std::vector<std::vector<int>> other(persons_.size());
    for (size_t r = 0; r < rows_.size(); ++r) {
        const int k12 = course12[r];
        const int k13 = course13[r];
        if (k12 >= 0)
            ++rowCount[k12];
        if (k13 >= 0 && k13 != k12)
            ++rowCount[k13];
        const int person = rows_[r].person;
        if (person < 0)
            continue;
        const Person& p = persons_[person];
        const int course = p.twelve ? k12 : k13;
        if (rows_[r].choice >= 0)
            assignment[rows_[r].choice] =
                parts[static_cast<size_t>(p.part)].yearGroup == 12 ? k12 : k13;
        else if (course >= 0 && p.own)
            students[p.student].fixedCourses.push_back(course);
        else if (course >= 0)
            other[person].push_back(course);
    }
    // Students of other cohorts in one of the cohort's courses, in the order of kolleg.
    for (size_t person = 0; person < persons_.size(); ++person) {
        const std::vector<int>& fc = other[person];
        if (std::any_of(fc.begin(), fc.end(), [&](int k) { return courses[k].own; }))
            students.push_back({persons_[person].key, persons_[person].name, false, 0, 0, fc,
                                persons_[person].className});
    }
    // Fixed loads: every row naming the course, less the choices the blocking may move.
    for (size_t k = 0; k < courses.size(); ++k)
        courses[k].fixedLoad = rowCount[k];
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i].type >= 0 && assignment[i] >= 0)
            --courses[assignment[i]].fixedLoad;
    for (Group& g : groups) {
        g.total = 0;
        for (int k : g.courses)
            g.total += courses[k].fixedLoad;
    }
    for (const ChoiceType& t : types)
        if (!t.candidates.empty())
            groups[courses[t.candidates[0]].group].total += t.count;
}

int Model::courseIndex(const QString& key) const {
    if (key.isEmpty())
        return -1;
    // Keys are mostly stored as written: look them up so before folding their case.
    const auto it = courseByKey_.constFind(key);
    return it != courseByKey_.constEnd() ? it.value() : courseByKey_.value(fold(key), -1);
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
