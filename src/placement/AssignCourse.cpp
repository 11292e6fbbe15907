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
    QString courseKey;
    QString targetKey;
};

} // namespace

namespace {

// The planner answers one chooser per course of the selection, offering the parallel courses
// still waiting in LNKurse; the decisions until the first cancel (or a course without such a
// parallel) count. completed tells whether every course got one.
std::vector<Decision> askParallels(db::Connection& c, Workspace& w, ui::Host& host,
                                   const QStringList& courses, bool& completed) {
    std::vector<Decision> decisions;
    completed = true;
    for (const QString& course : courses) {
        const Workspace::Alternatives alt = w.AlternativKurs(c, course);
        QStringList offered;
        QStringList keys;
        for (const Workspace::Alternatives::Course& p : alt.courses)
            if (w.plan.findWaiting(p.key) >= 0) {
                offered << ParallelCourse::format(p.name, p.key);
                keys << p.key;
            }
        if (offered.isEmpty()) {
            completed = false;
            break;
        }
        frmK chooser(w, host);
        chooser.lblK = w.wholeName(course).leftJustified(CourseEntry::kNameWidth);
        chooser.lblKi = alt.ownKey;
        chooser.lstK.setLines(offered);
        chooser.keys = keys;
        chooser.lstK.setCurrent(0);
        w.lblNKurs.clear();
        host.showModal(chooser);
        chooser.Form_Unload();
        if (w.lblNKurs.isEmpty()) {
            completed = false;
            break;
        }
        decisions.push_back({course, w.lblNKurs});
    }
    return decisions;
}

// Writes the decisions in one transaction: each selected line of a decided course into its
// target. Returns the lines concerned (deselected whether or not their row was written).
std::vector<int> writeDecisions(db::Connection& c, Workspace& w,
                                const std::vector<Decision>& decisions) {
    std::vector<int> written;
    db::Transaction tx(c);
    FileChanges unnoted;
    FileChanges& log = w.recording ? *w.recording : unnoted;
    for (const Decision& d : decisions) {
        for (int i : w.LSchueler.selectedRows()) {
            const Workspace::StudentRow& row = w.schueler.at(static_cast<size_t>(i));
            if (!sameKey(row.courseKey, d.courseKey))
                continue;
            written.push_back(i);
            // A row that is no longer there is skipped.
            log.setCourse(c, row.bgId, row.yearGroup, d.targetKey);
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
    QStringList courses;
    for (int i : selected) {
        const QString& course = ws_.schueler.at(static_cast<size_t>(i)).courseKey;
        if (!courses.contains(course, Qt::CaseInsensitive))
            courses << course;
    }
    // The planner answers every chooser first; the moves are written afterwards in one
    // transaction, so that a failure leaves none of them half done while a stop keeps the
    // answers given before it. (What a chooser offers does not depend on earlier moves.)
    bool completed = true;
    const std::vector<Decision> decisions = askParallels(c_, ws_, host_, courses, completed);
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
