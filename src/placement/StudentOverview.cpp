// "Schüler mit Kursen": the students of LSchueler with their courses in frmFMld.

#include "placement/StudentOverview.h"

#include "common/MessageWindow.h"
#include "db/Database.h"
#include "db/Students.h"
#include "placement/Layouts.h"
#include "placement/Workspace.h"
#include "ui/Host.h"

#include <QHash>

namespace placement {

StudentOverview::StudentOverview(db::Connection& c, Workspace& ws, ui::Host& host)
    : c_(c), ws_(ws), host_(host) {}

void StudentOverview::run() {
    if (ws_.LSchueler.count() == 0)
        return;
    QStringList students;
    QHash<QString, QString> courses;
    for (const Workspace::StudentRow& row : ws_.schueler) {
        const QString& key = row.studentKey;
        if (!courses.contains(key))
            students << key;
        courses[key] += ws_.shortName(row.courseKey);
    }
    common::frmFMld window(host_);
    window.setCaption(QStringLiteral("Belegungen"));
    window.lineLayout = common::frmFMld::LineLayout::Belegungen;
    {
        db::Connection& c = c_;
        for (const QString& key : students) {
            const auto name = db::students::nameOf(c, key);
            if (!name)
                continue;
            window.appendLine(
                BelegungLine::format(studentName(name->first, name->second), courses.value(key)));
        }
    }
    host_.showModal(window);
}

} // namespace placement
