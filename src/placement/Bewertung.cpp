// The evaluation panel "Bewertung" of the placement workspace: the automatic blocking's measure
// of a placement, counted for one cohort after every command.
//
// A full load of the cohort takes a while on a large school; the evaluation itself takes a few
// milliseconds. So the model is kept between commands and read again only as far as a command
// made it stale; the placement comes from the grid every time.

#include "placement/Bewertung.h"
#include "blocking/Evaluation.h"
#include "blocking/Write.h"
#include "common/CommandScope.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "db/Students.h"
#include "placement/GridMarks.h"
#include "placement/Layouts.h"
#include "placement/Workspace.h"
#include "platform/RunState.h"

#include <algorithm>
#include <numeric>

namespace placement {

void Bewertung::fillJahrgaenge(db::Connection& c, Workspace& ws) {
    const platform::RunState& s = ws.state();
    ws.jahrgaenge.clear();
    ws.CmbJahrgang.clear();
    const int year = db::startYear(s.SchjBez);
    if (year <= 0)
        return;
    const auto students = [&](int cohort) {
        return db::students::countOfCohort(c, QString::number(cohort));
    };
    for (int group : {12, 13}) {
        const int cohort = year - (group - 12);
        ws.jahrgaenge.push_back(cohort);
        ws.CmbJahrgang.addLine(QStringLiteral("Jahrgangsstufe %1 (%2)").arg(group).arg(cohort));
    }
    ws.CmbJahrgang.setCurrent(students(year) == 0 && students(year - 1) > 0 ? 1 : 0);
}

Bewertung::Bewertung(common::CommandScope& scope, Workspace& ws) : scope_(scope), ws_(ws) {}

bool Bewertung::stale(const Workspace& ws, int cohort) {
    return !ws.bewertungModel || ws.coursesStale || ws.studentsStale ||
           ws.bewertungModel->cohort != cohort;
}

blocking::Model& Bewertung::model(db::Connection& c, Workspace& ws, int cohort) {
    if (!ws.bewertungModel || ws.coursesStale || ws.bewertungModel->cohort != cohort) {
        db::ReadTransaction read(c);
        ws.bewertungState.clear();
        ws.bewertungModel = std::make_unique<blocking::Model>(
            blocking::Model::load(c, {ws.state().SchjID, ws.state().SchjBez}, cohort));
        ws.bewertungState = blocking::readState(c);
        readClasses(c, ws);
        read.end();
    } else if (ws.studentsStale) {
        ws.bewertungState.clear();
        ws.bewertungModel->refresh(c);
        readClasses(c, ws);
    }
    ws.coursesStale = false;
    ws.studentsStale = false;
    return *ws.bewertungModel;
}

void Bewertung::run() {
    ws_.bewertungPending = false;
    try {
        const int cohort = ws_.Jahrgang();
        if (cohort == 0) {
            ws_.bewertungModel.reset();
            ws_.bewertung = {};
            ws_.lblBewertung.clear();
            listPlanCollisions(ws_);
            ws_.showChanges();
            return;
        }
        if (stale(ws_, cohort))
            model(scope_.connection(), ws_, cohort);
        ws_.fitToPlan(*ws_.bewertungModel);
        ws_.bewertung = blocking::evaluate(*ws_.bewertungModel);
        ws_.lblBewertung = blocking::describe(ws_.bewertung);
        listPlanCollisions(ws_);
    } catch (const std::exception& e) {
        // The panel only informs: the command that ran before stays done.
        ws_.bewertungModel.reset();
        listPlanCollisions(ws_);
        ws_.bewertung = {};
        ws_.lblBewertung =
            QStringList{QStringLiteral("Keine Bewertung möglich:"), QString::fromUtf8(e.what())};
    }
    ws_.showChanges();
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

void Bewertung::readClasses(db::Connection& c, Workspace& ws) {
    ws.klassen = db::students::classes(c);
}

// The grid's cells of courses that share a rail with another course of their teacher.
static void markTeacherClashes(Workspace& ws, const blocking::Model& m,
                               const std::vector<int>& railOf) {
    for (const blocking::TeacherClash& t : blocking::teacherClashes(m, m.placement))
        for (int col = 0; col < static_cast<int>(railOf.size()); ++col) {
            if (railOf[col] != t.rail)
                continue;
            const std::vector<Placed>& placed = ws.plan.rails[static_cast<size_t>(col)].courses;
            for (int row = 1; row <= static_cast<int>(placed.size()); ++row) {
                const int k = m.courseIndex(placed[static_cast<size_t>(row - 1)].course);
                if (std::find(t.courses.begin(), t.courses.end(), k) != t.courses.end())
                    ws.lehrerKollisionen.insert({row, col});
            }
        }
}

void Bewertung::listPlanCollisions(Workspace& ws) {
    QStringList lines;
    ws.lehrerKollisionen.clear();
    ws.regelnJeZelle.clear();
    ws.regelnJeSchiene.clear();
    if (ws.bewertungModel) {
        const blocking::Model& m = *ws.bewertungModel;
        const std::vector<int> railOf = ws.railOfColumn(m);
        markTeacherClashes(ws, m, railOf);
        markBrokenRules(ws, m, railOf);
        // By name, then class: two students of one name stand together, told apart by class.
        std::vector<int> order(m.ownStudents);
        std::iota(order.begin(), order.end(), 0);
        const auto nameAndClass = [&](int s) {
            return m.students[s].name + QLatin1Char('\t') + ws.klassen.value(m.students[s].key);
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
                                                       ws.klassen.value(m.students[s].key),
                                                       m.rails[r].name, names, m.students[s].key);
            }
        }
    }
    ws.LPlanKollisionen.setLines(lines);
    for (int i = 0; i < lines.size(); ++i)
        if (PlanCollisionLine::studentKey(lines[i]) == ws.planStudent) {
            ws.LPlanKollisionen.setSelected(i, true);
            showRailsOf(ws, ws.planStudent);
            return;
        }
    ws.planStudent.clear();
    ws.LSchuelerSchienen.clear();
}

void Bewertung::showRailsOf(Workspace& ws, const QString& studentKey) {
    ws.LSchuelerSchienen.clear();
    if (!ws.bewertungModel || studentKey.isEmpty())
        return;
    const blocking::Model& m = *ws.bewertungModel;
    int student = -1;
    for (int s = 0; s < m.ownStudents && student < 0; ++s)
        if (m.students[s].key == studentKey)
            student = s;
    if (student < 0)
        return;
    const std::vector<int> courses = coursesOf(m, student);
    std::vector<bool> onRail(courses.size(), false);
    QStringList lines;
    for (int r : ws.railOfColumn(m)) {
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
    ws.LSchuelerSchienen.setLines(lines);
}

} // namespace placement
