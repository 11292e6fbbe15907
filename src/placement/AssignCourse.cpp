// "Kurs zuweisen": moves the students selected in LSchueler into a parallel course that the
// planner picks in the chooser frmK, one chooser per course of the selection.

#include "placement/AssignCourse.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "db/Statement.h"
#include "placement/Layouts.h"
#include "placement/Workspace.h"
#include "placement/frmK.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <vector>

namespace placement {

namespace {

// A chooser's answer: the students of this course go to the chosen one.
struct Decision {
    QString courseName;
    QString targetKey;
};

} // namespace

namespace {

// The planner answers one chooser per course of the selection, offering the parallel courses
// still waiting in LNKurse; the decisions until the first cancel (or a course without such a
// parallel) count. completed tells whether every course got one.
std::vector<Decision> askParallels(db::Connection& c, Workspace& w, ui::Host& host,
                                   const QStringList& names, bool& completed) {
    std::vector<Decision> decisions;
    completed = true;
    for (const QString& name : names) {
        const Workspace::Alternatives alt = w.AlternativKurs(c, name);
        QStringList offered;
        for (const QString& p : alt.courses) {
            const QString key = ParallelCourse::key(p);
            for (const QString& line : w.LNKurse.lines())
                if (CourseEntry::key(line).compare(key, Qt::CaseInsensitive) == 0) {
                    offered << p;
                    break;
                }
        }
        if (offered.isEmpty()) {
            completed = false;
            break;
        }
        frmK chooser(w, host);
        chooser.lblK = name;
        chooser.lblKi = alt.ownKey;
        chooser.lstK.setLines(offered);
        chooser.lstK.setCurrent(0);
        w.lblNKurs.clear();
        host.showModal(chooser);
        chooser.Form_Unload();
        if (w.lblNKurs.isEmpty()) {
            completed = false;
            break;
        }
        decisions.push_back({name, w.lblNKurs});
    }
    return decisions;
}

// Writes the decisions in one transaction: each selected line of a decided course into its
// target. Returns the lines concerned (deselected whether or not their row was written).
std::vector<int> writeDecisions(db::Connection& c, Workspace& w,
                                const std::vector<Decision>& decisions) {
    std::vector<int> written;
    db::Transaction tx(c);
    db::Statement to12 = db::courseWriter(c, 12);
    db::Statement to13 = db::courseWriter(c, 13);
    for (const Decision& d : decisions) {
        for (int i : w.LSchueler.selectedRows()) {
            const QString& line = w.LSchueler.line(i);
            if (StudentLine::courseName(line) != d.courseName)
                continue;
            written.push_back(i);
            const QChar digit = StudentLine::yearDigit(line);
            db::Statement* update = digit == QLatin1Char('2')   ? &to12
                                    : digit == QLatin1Char('3') ? &to13
                                                                : nullptr;
            // A row that is no longer there is skipped.
            if (update)
                update->run({d.targetKey, StudentLine::bgId(line)});
        }
    }
    tx.commit();
    return written;
}

} // namespace

AssignCourse::AssignCourse(db::Connection& c, Workspace& ws, ui::Host& host)
    : c_(c), ws_(ws), host_(host) {}

void AssignCourse::run() {
    const std::vector<int> selected = ws_.LSchueler.selectedRows();
    if (selected.empty()) {
        // "Blockbilduung" is verbatim.
        host_.message({QStringLiteral("Kein Kollegiat in der Liste Schüler ausgewählt!"),
                       QStringLiteral("Kurs- und Blockbilduung"), ui::Icon::Exclamation,
                       ui::Buttons::Ok, 0, ui::HelpRef::byContext(1000)});
        return;
    }
    QStringList names;
    for (int i : selected) {
        const QString name = StudentLine::courseName(ws_.LSchueler.line(i));
        if (!names.contains(name))
            names << name;
    }
    // The planner answers every chooser first; the moves are written afterwards in one
    // transaction, so that a failure leaves none of them half done while a stop keeps the
    // answers given before it. (What a chooser offers does not depend on earlier moves.)
    bool completed = true;
    const std::vector<Decision> decisions = askParallels(c_, ws_, host_, names, completed);
    if (!decisions.empty())
        for (int i : writeDecisions(c_, ws_, decisions))
            ws_.LSchueler.setSelected(i, false);
    if (completed)
        ws_.LNKurse_Click(c_);
    else
        ws_.showChanges();
    // Students moved between courses that may stand on rails: the rails' counts follow.
    ws_.GKursStUp(c_);
    ws_.showChanges();
}

} // namespace placement
