// "Schüler mit Kursen": the students of LSchueler with their courses in frmFMld.

#include "placement/StudentOverview.h"

#include "common/MessageWindow.h"
#include "db/Database.h"
#include "placement/Layouts.h"
#include "placement/Workspace.h"
#include "ui/Host.h"

#include <QHash>
#include <QSqlQuery>

namespace placement {

StudentOverview::StudentOverview(db::Connection& c, Workspace& ws, ui::Host& host)
    : c_(c), ws_(ws), host_(host) {}

void StudentOverview::run() {
    if (ws_.LSchueler.count() == 0)
        return;
    QStringList students;
    QHash<QString, QString> courses;
    for (const QString& l : ws_.LSchueler.lines()) {
        const QString key = StudentLine::studentKey(l);
        if (!courses.contains(key))
            students << key;
        courses[key] += StudentLine::courseName(l);
    }
    common::frmFMld window(host_);
    window.setCaption(QStringLiteral("Belegungen"));
    window.lineLayout = common::frmFMld::LineLayout::Belegungen;
    {
        db::Connection& c = c_;
        for (const QString& key : students) {
            QSqlQuery q = c.exec(QStringLiteral("SELECT KO_FAMNAME, KO_RUFNAME FROM kolleg WHERE "
                                                "KO_VFP_ID = ? ORDER BY KO_ID LIMIT 1"),
                                 {key});
            if (!q.next())
                continue;
            window.appendLine(BelegungLine::format(
                studentName(q.value(0).toString(), q.value(1).toString()), courses.value(key)));
        }
    }
    host_.showModal(window);
}

} // namespace placement
