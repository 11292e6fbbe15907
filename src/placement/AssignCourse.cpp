// "Kurs zuweisen": moves the students selected in LSchueler into a parallel course that the
// planner picks in the chooser frmK, one chooser per course of the selection.

#include "db/Database.h"
#include "db/Statement.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
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

void SetzenK::cmdKzw_Click() {
    countsStale_ = true;
    const std::vector<int> selected = LSchueler.selectedRows();
    if (selected.empty()) {
        host_.message({QStringLiteral("Kein Kollegiat in der Liste Schüler ausgewählt!"),
                       QStringLiteral("Kurs- und Blockbilduung"), ui::Icon::Exclamation,
                       ui::Buttons::Ok, 0, ui::HelpRef::byContext(1000)});
        return;
    }
    QStringList names;
    for (int i : selected) {
        const QString name = StudentLine::courseName(LSchueler.line(i));
        if (!names.contains(name))
            names << name;
    }

    // The planner answers every chooser first; the moves are written afterwards in one
    // transaction, so that a failure leaves none of them half done while a stop keeps the
    // answers given before it. (What a chooser offers does not depend on earlier moves.)
    std::vector<Decision> decisions;
    bool completed = true;
    for (const QString& name : names) {
        const Alternatives alt = AlternativKurs(name);
        if (!alt.any()) {
            completed = false;
            break;
        }
        frmK chooser(*this, host_);
        chooser.lblK = name;
        chooser.lblKi = alt.ownKey;
        // Only parallel courses still waiting in LNKurse, i.e. not yet placed on a rail.
        QStringList offered;
        for (const QString& p : alt.courses) {
            const QString key = ParallelCourse::key(p);
            for (const QString& line : LNKurse.lines())
                if (CourseEntry::key(line).compare(key, Qt::CaseInsensitive) == 0) {
                    offered << p;
                    break;
                }
        }
        if (offered.isEmpty()) {
            completed = false;
            break;
        }
        chooser.lstK.setLines(offered);
        chooser.lstK.setCurrent(0);
        lblNKurs.clear();
        host_.showModal(chooser);
        chooser.Form_Unload();
        if (lblNKurs.isEmpty()) {
            completed = false;
            break;
        }
        decisions.push_back({name, lblNKurs});
    }

    if (!decisions.empty()) {
        std::vector<int> written;
        {
            db::Connection c(s_.databasePath());
            db::Transaction tx(c);
            db::Statement to12(
                c, QStringLiteral("UPDATE belegung SET BG_KS_ID_12 = ? WHERE BG_ID = ?"));
            db::Statement to13(
                c, QStringLiteral("UPDATE belegung SET BG_KS_ID_13 = ? WHERE BG_ID = ?"));
            for (const Decision& d : decisions) {
                db::checkValue(QStringLiteral("belegung"), QStringLiteral("BG_KS_ID_12"),
                               d.targetKey);
                db::checkValue(QStringLiteral("belegung"), QStringLiteral("BG_KS_ID_13"),
                               d.targetKey);
                for (int i : LSchueler.selectedRows()) {
                    const QString& line = LSchueler.line(i);
                    if (StudentLine::courseName(line) != d.courseName)
                        continue;
                    // Deselected whether or not its row is written.
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
        }
        for (int i : written)
            LSchueler.setSelected(i, false);
    }
    if (completed)
        LNKurse_Click();
    else
        emit changed();
    // Students moved between courses that may stand on rails: the rails' counts follow.
    GKursStUp();
}

} // namespace placement
