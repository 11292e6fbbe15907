// The workspace's state and the procedures its commands share: the grid's rows and fixed marks,
// the student lists, the rails' counts and the look-ups of students and parallel courses.

#include "placement/Workspace.h"

#include "db/BlockDatabase.h"
#include "db/Choices.h"
#include "db/Courses.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "db/Students.h"
#include "placement/Layouts.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

#include <QHash>
#include <algorithm>
#include <utility>

namespace placement {

using platform::blank;

namespace {

// One entry per choice row of a selected course, in the order of the rows; merging gathers a
// student's later entries into his first one.
struct StudentEntry {
    QString koVfpId;
    std::vector<int> rows; // his rows in LSchueler
};

// The rows of LSchueler for the selected courses, each course's year-12 choices before its
// year-13 ones, with one entry per row.
std::vector<Workspace::StudentRow> studentRows(db::Connection& c, const QStringList& courses,
                                               std::vector<StudentEntry>& entries) {
    std::vector<Workspace::StudentRow> rows;
    for (const QString& course : courses) {
        for (int yearGroup : {12, 13}) {
            for (const db::choices::StudentChoice& ch :
                 db::choices::studentsInCourse(c, course, yearGroup)) {
                rows.push_back({ch.studentKey, studentName(ch.famName, ch.rufName),
                                ch.parallelClass, course, ch.bgId, yearGroup});
                entries.push_back({ch.koVfpId, {static_cast<int>(rows.size()) - 1}});
            }
        }
    }
    return rows;
}

// The entries that stand for their students: with two or more courses selected, a student's
// later entries are merged into his first.
std::vector<size_t> mergeByStudent(const std::vector<Workspace::StudentRow>& rows,
                                   std::vector<StudentEntry>& entries, bool merge) {
    std::vector<size_t> kept;
    QHash<QString, size_t> first;
    for (size_t i = 0; i < entries.size(); ++i) {
        const QString& student = rows[entries[i].rows.front()].studentKey;
        const auto it = merge ? first.constFind(student) : first.constEnd();
        if (it == first.constEnd()) {
            first.insert(student, i);
            kept.push_back(i);
            continue;
        }
        entries[*it].rows.push_back(entries[i].rows.front());
    }
    return kept;
}

} // namespace

Workspace::Workspace(platform::RunState& s, ui::Host& host) : s_(s), host_(host) {}

Workspace::~Workspace() = default;

void Workspace::critical(const QString& text) {
    if (heldMessages_)
        *heldMessages_ << text;
    else
        ui::tell(host_, text, ui::Icon::Critical);
}

void Workspace::GKursStUp(db::Connection& c) {
    ui::Busy busy(host_, QStringLiteral("Kursstärken werden berechnet!"));
    for (PlanRail& rail : plan.rails) {
        int sum = 0;
        for (const Placed& p : rail.courses)
            sum += db::AnzBelKurs(c, p.course);
        rail.students = sum;
    }
    showRails();
}

void Workspace::zaehleSchueler(db::Connection& c) {
    schuelerJeKurs.clear();
    countsStale = false;
    schuelerJeKurs = db::choices::countsByCourse(c);
}

int Workspace::AnzKvS(int k) {
    ui::Grid& g = grdSchienen;
    if (k < 1 || k > g.Cols() || k > static_cast<int>(plan.rails.size()) || g.Rows() <= 1)
        return 0;
    g.setCol(k - 1);
    return static_cast<int>(plan.rails[static_cast<size_t>(k - 1)].courses.size());
}

int Workspace::MaxKvS() {
    int most = 0;
    for (int k = 1; k <= grdSchienen.Cols(); ++k)
        most = std::max(most, AnzKvS(k));
    return most;
}

// The row count is one more than the longest rail, at least `atLeast`, with the header row fixed
// while there are entry rows. The current column stays, so the next command still works on the
// rail the planner chose.
void Workspace::showRails(int atLeast) {
    ui::Grid& g = grdSchienen;
    const int cols = static_cast<int>(plan.rails.size());
    if (g.Cols() != cols)
        g.setCols(cols);
    const int rows = std::max(plan.longestRail() + 1, atLeast);
    g.setRows(rows);
    if (rows > 1 && g.FixedRows() == 0)
        g.setFixedRows(1);
    for (int col = 0; col < cols; ++col) {
        const PlanRail& rail = plan.rails[static_cast<size_t>(col)];
        g.setTextMatrix(0, col, plan.railHeader(col));
        for (int row = 1; row < rows; ++row)
            g.setTextMatrix(row, col,
                            row <= static_cast<int>(rail.courses.size()) ? plan.cell(col, row - 1)
                                                                         : QString());
    }
}

void Workspace::removeWaiting(int line) {
    if (line < 0 || line >= static_cast<int>(plan.waiting.size()))
        return;
    plan.waiting.erase(plan.waiting.begin() + line);
    LNKurse.removeLine(line);
}

void Workspace::insertWaiting(int line, const Waiting& w) {
    line = std::clamp(line, 0, static_cast<int>(plan.waiting.size()));
    plan.waiting.insert(plan.waiting.begin() + line, w);
    LNKurse.insertLine(line, plan.waitingText(line));
}

void Workspace::setWaiting(std::vector<Waiting> waiting) {
    plan.waiting = std::move(waiting);
    QStringList lines;
    for (int i = 0; i < static_cast<int>(plan.waiting.size()); ++i)
        lines << plan.waitingText(i);
    LNKurse.setLines(lines);
}

QStringList Workspace::selectedCourses() const {
    QStringList keys;
    for (int i : LNKurse.selectedRows())
        if (i < static_cast<int>(plan.waiting.size()))
            keys << plan.waiting[static_cast<size_t>(i)].course;
    return keys;
}

QString Workspace::shortName(const QString& courseKey) const {
    return plan.course(courseKey).name.leftJustified(CourseEntry::kNameWidth, QLatin1Char(' '),
                                                     true);
}

void Workspace::setSchueler(std::vector<StudentRow> rows) {
    schueler = std::move(rows);
    QStringList lines;
    for (const StudentRow& r : schueler)
        lines << StudentLine::format(
            r.name, r.parallelClass, shortName(r.courseKey),
            StudentLine::choice(r.bgId, r.yearGroup == 12 ? QLatin1Char('2') : QLatin1Char('3'),
                                r.studentKey));
    LSchueler.setLines(lines);
}

void Workspace::setKollisionen(std::vector<Collision> rows) {
    kollisionen = std::move(rows);
    QStringList lines;
    for (const Collision& k : kollisionen) {
        QString names;
        QString bgIds;
        for (const Collision::Choice& ch : k.choices) {
            names += shortName(ch.courseKey);
            bgIds += db::sixKey(ch.bgId);
        }
        lines << CollisionLine::format(k.name, names, bgIds, k.studentKey);
    }
    LKollisionen.setLines(lines);
}

void Workspace::setImBlock(std::vector<BlockRow> rows) {
    imBlock = std::move(rows);
    QStringList lines;
    for (const BlockRow& r : imBlock)
        lines << BlockLine::format(shortName(r.courseKey), r.name);
    LSchImBlock.setLines(lines);
}

bool Workspace::refuseHeldColumn(int from, int to) {
    if (!plan.held || plan.held->column < std::min(from, to) ||
        plan.held->column > std::max(from, to))
        return false;
    // Inserting puts the cut rail back into this column and would drop what came meanwhile.
    critical(QStringLiteral("Diese Schiene ist ausgeschnitten!\r\nFügen Sie sie zuerst mit "
                            "Bearbeiten - einfügen wieder ein."));
    return true;
}

const Placed* Workspace::placedAt(int row, int col) const {
    if (row < 1 || col < 0 || col >= static_cast<int>(plan.rails.size()))
        return nullptr;
    const std::vector<Placed>& courses = plan.rails[static_cast<size_t>(col)].courses;
    return row <= static_cast<int>(courses.size()) ? &courses[static_cast<size_t>(row - 1)]
                                                   : nullptr;
}

bool Workspace::isFixed(int row, int col) const {
    const Placed* p = placedAt(row, col);
    return p && p->fixed;
}

int Workspace::Jahrgang() const {
    const int i = CmbJahrgang.currentIndex();
    return i >= 0 && i < static_cast<int>(jahrgaenge.size()) ? jahrgaenge[i] : 0;
}

std::vector<int> Workspace::railOfColumn(const blocking::Model& m) const {
    QHash<qint64, int> railById;
    for (size_t r = 0; r < m.rails.size(); ++r)
        railById.insert(m.rails[r].id, static_cast<int>(r));
    std::vector<int> railOf;
    for (const PlanRail& rail : plan.rails)
        railOf.push_back(railById.value(rail.id, -1));
    return railOf;
}

void Workspace::fitToPlan(blocking::Model& m) const {
    // A rail the grid does not show (one of ten hours and more) takes nothing.
    const std::vector<int> railOf = railOfColumn(m);
    for (blocking::Rail& r : m.rails)
        r.hours = 0;
    for (size_t col = 0; col < railOf.size(); ++col)
        if (railOf[col] >= 0)
            m.rails[railOf[col]].hours = plan.rails[col].hours;
    for (blocking::Course& k : m.courses)
        if (k.hours >= 10)
            k.hours = 0;
    blocking::PlainPlacement plain;
    for (size_t col = 0; col < railOf.size(); ++col) {
        if (railOf[col] < 0)
            continue;
        for (const Placed& p : plan.rails[col].courses)
            plain[p.course].push_back({m.rails[railOf[col]].key, p.fixed});
    }
    m.setPlacement(plain);
}

void Workspace::showPlan(const Plan& p) {
    plan = p;
    showRails();
    setWaiting(plan.waiting);
    setSchueler({});
    setKollisionen({});
    setImBlock({});
    enableCommand(QStringLiteral("menuBearbEinf"), plan.held.has_value());
    enableCommand(QStringLiteral("menuBearbAus"), !plan.held.has_value());
    showChanges();
}

void Workspace::studentsChanged(db::Connection& c) {
    setSchueler({});
    setImBlock({});
    setKollisionen({});
    txtMld.clear();
    txtMldKurse.clear();
    lblKoll.clear();
    zaehleSchueler(c);
    GKursStUp(c);
}

void Workspace::LNKurse_Click(db::Connection& c) {
    if (countsStale)
        zaehleSchueler(c);
    const QStringList courses = selectedCourses();
    setSchueler({});
    if (courses.empty()) {
        showChanges();
        return;
    }
    std::vector<StudentEntry> entries;
    setSchueler(studentRows(c, courses, entries));
    if (entries.empty()) {
        lblKoll.clear();
        showChanges();
        return;
    }

    std::vector<Collision> collisions;
    for (size_t i : mergeByStudent(schueler, entries, courses.size() >= 2)) {
        const StudentEntry& e = entries[i];
        const auto choices = e.rows.size();
        if (choices < 2)
            continue;
        Collision k{e.koVfpId, schueler[e.rows.front()].name, {}};
        for (int r : e.rows) {
            k.choices.push_back({schueler[r].courseKey, schueler[r].bgId});
            if ((optMKolEinfach && choices == 2) || optMKolAlle)
                LSchueler.setSelected(r, true);
        }
        collisions.push_back(std::move(k));
    }
    setKollisionen(std::move(collisions));
    lblKoll.clear();
    txtMld.clear();
    txtMldKurse.clear();
    showChanges();
}

void Workspace::UpListen(db::Connection& c) {
    ui::Grid& g = grdSchienen;
    setImBlock({});
    if (g.SelEndRow() == 0) {
        showChanges();
        return;
    }
    if (g.SelStartRow() == 0)
        g.setSelStartRow(1);
    QStringList keys;
    const int col = g.Col();
    for (int row = g.SelStartRow(); row <= g.SelEndRow(); ++row) {
        const Placed* p = placedAt(row, col);
        if (!p)
            break;
        keys << p->course;
    }

    std::vector<BlockRow> rows;
    for (const QString& key : keys)
        for (int yearGroup : {12, 13})
            for (const db::choices::StudentChoice& ch :
                 db::choices::studentsInCourse(c, key, yearGroup))
                rows.push_back({key, ch.famName + QLatin1Char(' ') + ch.rufName.trimmed()});
    setImBlock(std::move(rows));
    showChanges();
}

void Workspace::SortLNKurse(db::Connection& c) {
    QHash<QString, int> firstLine;
    for (int i = 0; i < static_cast<int>(plan.waiting.size()); ++i)
        if (!firstLine.contains(plan.waiting[static_cast<size_t>(i)].course))
            firstLine.insert(plan.waiting[static_cast<size_t>(i)].course, i);
    std::vector<Waiting> sorted;
    for (const QString& key : db::courses::keysBySort(c, s_.SchjID)) {
        const auto it = firstLine.constFind(key);
        if (it == firstLine.constEnd())
            continue;
        sorted.push_back(plan.waiting[static_cast<size_t>(*it)]);
        firstLine.erase(it);
    }
    setWaiting(std::move(sorted));
    showChanges();
}

bool Workspace::Kollegiat::attends(const QString& courseKey) const {
    return courseKeys.contains(courseKey, Qt::CaseInsensitive);
}

Workspace::Kollegiat Workspace::LKKollegiat(db::Connection& c, const QString& studentKey) {
    Kollegiat k;
    const std::optional<QString> cohort = db::students::cohortOf(c, studentKey);
    k.phase = cohort && db::yearGroup(*cohort, s_.SchjBez) == 12 ? 1 : 2;
    // The course of the student's phase with its name; the other field only tells whether the
    // row holds a course at all.
    for (const db::choices::PhaseRow& row :
         db::choices::rowsInPhase(c, studentKey, k.phase == 1 ? 12 : 13)) {
        if (blank(row.course) && blank(row.other))
            continue;
        if (!blank(row.course))
            k.courseKeys << row.course.toString();
        k.courseNames += row.name.leftJustified(5, QLatin1Char(' '), true);
        k.names << row.name.trimmed();
    }
    return k;
}

Workspace::Alternatives Workspace::AlternativKurs(db::Connection& c, const QString& courseKey) {
    Alternatives a;
    const std::optional<db::courses::Parallels> p =
        db::courses::parallelsOf(c, courseKey, s_.SchjID);
    if (!p) {
        // "Blockbilduung" is verbatim.
        host_.message({QStringLiteral("Kurs in Kursdatei nicht gefunden!"),
                       QStringLiteral("Kurs- und Blockbilduung"), ui::Icon::Exclamation,
                       ui::Buttons::Ok, 0, std::nullopt});
        return a;
    }
    a.ownKey = p->ownKey;
    for (const auto& [bez, key] : p->courses)
        a.courses.push_back({bez, key});
    return a;
}

} // namespace placement
