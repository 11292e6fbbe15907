// The evaluation panel "Bewertung" of the placement workspace: the automatic blocking's measure
// of a placement, counted for one cohort after every command.
//
// A full load of the cohort takes a while on a large school; the evaluation itself takes a few
// milliseconds. So the model is kept between commands and read again only as far as a command
// made it stale; the placement comes from the grid every time.

#include "blocking/Evaluation.h"
#include "blocking/Write.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"

#include <algorithm>
#include <numeric>

namespace placement {

void SetzenK::fillJahrgaenge(db::Connection& c) {
    jahrgaenge_.clear();
    CmbJahrgang.clear();
    const int year = db::startYear(s_.SchjBez);
    if (year <= 0)
        return;
    const auto students = [&](int cohort) {
        return c
            .scalar(QStringLiteral("SELECT count(*) FROM kolleg WHERE trim(KO_KURSPH) = ?"),
                    {QString::number(cohort)})
            .toInt();
    };
    for (int group : {12, 13}) {
        const int cohort = year - (group - 12);
        jahrgaenge_.push_back(cohort);
        CmbJahrgang.addLine(QStringLiteral("Jahrgangsstufe %1 (%2)").arg(group).arg(cohort));
    }
    CmbJahrgang.setCurrent(students(year) == 0 && students(year - 1) > 0 ? 1 : 0);
}

int SetzenK::Jahrgang() const {
    const int i = CmbJahrgang.currentIndex();
    return i >= 0 && i < static_cast<int>(jahrgaenge_.size()) ? jahrgaenge_[i] : 0;
}

void SetzenK::CmbJahrgang_Click() {
    Bewerten();
}

void SetzenK::afterCommand(Effect e) noexcept {
    if (e == Effect::Placement || e == Effect::Students || e == Effect::Courses)
        dropUndo();
    studentsStale_ = studentsStale_ || e == Effect::Students || e == Effect::Auto;
    coursesStale_ = coursesStale_ || e == Effect::Courses;
    // Counted once the command is through: "Schiene auffüllen" still moves students after it
    // listed them.
    if (e == Effect::Students || e == Effect::Courses) {
        try {
            db::Connection c(s_.databasePath());
            zaehleSchueler(c);
        } catch (const std::exception&) {
            countsStale_ = true; // the next click on LNKurse counts again
        }
    }
    Bewerten();
}

void SetzenK::Bewerten() {
    bewertungPending = false;
    try {
        const int cohort = Jahrgang();
        if (cohort == 0) {
            bewertungModel_.reset();
            bewertung = {};
            lblBewertung.clear();
            listPlanCollisions();
            emit changed();
            return;
        }
        if (!bewertungModel_ || coursesStale_ || bewertungModel_->cohort != cohort) {
            db::Connection c(s_.databasePath());
            db::ReadTransaction read(c);
            bewertungState_.clear();
            bewertungModel_ = std::make_unique<blocking::Model>(
                blocking::Model::load(c, {s_.SchjID, s_.SchjBez}, cohort));
            bewertungState_ = blocking::readState(c);
            readClasses(c);
            read.end();
        } else if (studentsStale_) {
            db::Connection c(s_.databasePath());
            bewertungState_.clear();
            bewertungModel_->refresh(c);
            readClasses(c);
        }
        coursesStale_ = false;
        studentsStale_ = false;
        fitToGrid(*bewertungModel_);
        bewertung = blocking::evaluate(*bewertungModel_);
        lblBewertung = blocking::describe(bewertung);
        listPlanCollisions();
    } catch (const std::exception& e) {
        // The panel only informs: the command that ran before stays done.
        bewertungModel_.reset();
        listPlanCollisions();
        bewertung = {};
        lblBewertung =
            QStringList{QStringLiteral("Keine Bewertung möglich:"), QString::fromUtf8(e.what())};
    }
    emit changed();
}

std::vector<int> SetzenK::railOfColumn(const blocking::Model& m) const {
    const ui::Grid& g = grdSchienen;
    QHash<qint64, int> railById;
    for (size_t r = 0; r < m.rails.size(); ++r)
        railById.insert(m.rails[r].id, static_cast<int>(r));
    std::vector<int> railOf(g.Cols(), -1);
    for (int col = 0; col < g.Cols(); ++col)
        railOf[col] = railById.value(val(RailHeader::key(g.TextMatrix(0, col))), -1);
    return railOf;
}

void SetzenK::fitToGrid(blocking::Model& m) const {
    const ui::Grid& g = grdSchienen;
    // A rail the grid does not show (one of ten hours and more) takes nothing.
    const std::vector<int> railOf = railOfColumn(m);
    for (blocking::Rail& r : m.rails)
        r.hours = 0;
    for (int col = 0; col < g.Cols(); ++col)
        if (railOf[col] >= 0)
            m.rails[railOf[col]].hours = RailHeader::hours(g.TextMatrix(0, col));
    for (blocking::Course& k : m.courses)
        if (k.hours >= 10)
            k.hours = 0;
    blocking::PlainPlacement plain;
    for (int col = 0; col < g.Cols(); ++col) {
        if (railOf[col] < 0)
            continue;
        // Down to the first empty cell, as saving writes them.
        for (int row = 1; row < g.Rows() && !g.TextMatrix(row, col).isEmpty(); ++row)
            plain[CourseEntry::key(g.TextMatrix(row, col))].push_back(
                {m.rails[railOf[col]].key, isFixed(row, col)});
    }
    m.setPlacement(plain);
}

namespace {

// A student's courses, each once: those of his choices and the others of his year field.
std::vector<int> coursesOf(const blocking::Model& m, int student) {
    const blocking::Student& s = m.students[student];
    std::vector<int> all;
    const auto add = [&](int k) {
        if (k >= 0 && std::find(all.begin(), all.end(), k) == all.end())
            all.push_back(k);
    };
    for (int i = 0; i < s.choiceCount; ++i)
        add(m.assignment[s.firstChoice + i]);
    for (int k : s.fixedCourses)
        add(k);
    return all;
}

} // namespace

void SetzenK::readClasses(db::Connection& c) {
    klassen_.clear();
    QSqlQuery q = c.exec(QStringLiteral("SELECT KO_VFP_ID, KO_PARLLKL FROM kolleg"));
    while (q.next())
        klassen_.insert(q.value(0).toString(), q.value(1).toString().trimmed());
}

void SetzenK::listPlanCollisions() {
    QStringList lines;
    if (bewertungModel_) {
        const blocking::Model& m = *bewertungModel_;
        const std::vector<int> railOf = railOfColumn(m);
        // By name, then class: two students of one name stand together, told apart by class.
        std::vector<int> order(m.ownStudents);
        std::iota(order.begin(), order.end(), 0);
        const auto nameAndClass = [&](int s) {
            return m.students[s].name + QLatin1Char('\t') + klassen_.value(m.students[s].key);
        };
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return nameAndClass(a).compare(nameAndClass(b), Qt::CaseInsensitive) < 0;
        });
        for (int s : order) {
            if (!blocking::collides(m, m.placement, m.assignment, s))
                continue;
            const std::vector<int> courses = coursesOf(m, s);
            for (int r : railOf) {
                if (r < 0)
                    continue;
                QStringList names;
                for (int k : courses)
                    if (m.placement.rails[k].has(r))
                        names << m.courses[k].name;
                if (names.size() >= 2)
                    lines << PlanCollisionLine::format(m.students[s].name,
                                                       klassen_.value(m.students[s].key),
                                                       m.rails[r].name, names, m.students[s].key);
            }
        }
    }
    LPlanKollisionen.setLines(lines);
    for (int i = 0; i < lines.size(); ++i)
        if (PlanCollisionLine::studentKey(lines[i]) == planStudent_) {
            LPlanKollisionen.setSelected(i, true);
            showRailsOf(planStudent_);
            return;
        }
    planStudent_.clear();
    LSchuelerSchienen.clear();
}

void SetzenK::LPlanKollisionen_Click() {
    const std::vector<int> selected = LPlanKollisionen.selectedRows();
    planStudent_ = selected.empty()
                       ? QString()
                       : PlanCollisionLine::studentKey(LPlanKollisionen.line(selected.front()));
    showRailsOf(planStudent_);
    emit changed();
}

void SetzenK::showRailsOf(const QString& studentKey) {
    LSchuelerSchienen.clear();
    if (!bewertungModel_ || studentKey.isEmpty())
        return;
    const blocking::Model& m = *bewertungModel_;
    int student = -1;
    for (int s = 0; s < m.ownStudents && student < 0; ++s)
        if (m.students[s].key == studentKey)
            student = s;
    if (student < 0)
        return;
    const std::vector<int> courses = coursesOf(m, student);
    std::vector<bool> onRail(courses.size(), false);
    QStringList lines;
    for (int r : railOfColumn(m)) {
        if (r < 0)
            continue;
        QStringList names;
        for (size_t i = 0; i < courses.size(); ++i)
            if (m.placement.rails[courses[i]].has(r)) {
                names << m.courses[courses[i]].name;
                onRail[i] = true;
            }
        lines << RailCoursesLine::format(m.rails[r].name, names.size() >= 2, names);
    }
    QStringList rest;
    for (size_t i = 0; i < courses.size(); ++i)
        if (!onRail[i])
            rest << m.courses[courses[i]].name;
    if (!rest.isEmpty())
        lines << RailCoursesLine::format(RailCoursesLine::noRail(), false, rest);
    LSchuelerSchienen.setLines(lines);
}

} // namespace placement
