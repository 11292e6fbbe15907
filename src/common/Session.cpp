#include "common/Session.h"

#include "db/Database.h"
#include "db/Queries.h"
#include "db/Students.h"
#include "platform/Files.h"
#include "platform/RunState.h"
#include "ui/Host.h"

namespace common {

using namespace platform;
using ui::kTitle;

QStringList schoolYearLines(db::Connection& c) {
    QStringList lines;
    for (const auto& [bez, key] : db::schoolYears(c))
        lines << bez + QStringLiteral("     ") + key;
    return lines;
}

frmASj::frmASj(RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("frmASj"), QStringLiteral("Auswahl Schuljahr")), s_(s),
      host_(host) {}

void frmASj::Form_Load() {
    db::Connection c(s_.databasePath());
    lblDatei = s_.databasePath();
    const QStringList lines = schoolYearLines(c);
    if (lines.isEmpty())
        ui::tell(host_, kNoData, ui::Icon::Exclamation, kTitle);
    lstASj.setLines(lines);
    if (!lines.isEmpty())
        lstASj.setCurrent(0);
}

void LiesSchj(RunState& s, ui::Host& host) {
    frmASj w(s, host);
    w.Form_Load();
    if (w.lstASj.count() == 0)
        return;
    const QString first = w.lstASj.line(0);
    s.SchjID = first.right(6);
    s.SchjBez = first.left(9);
}

QStringList coursePhases(db::Connection& c, const QString& schjBez) {
    const int start = db::startYear(schjBez);
    QStringList phases;
    for (const int year : {start, start - 1})
        if (db::students::anyOfCohort(c, QString::number(year)))
            phases << QString::number(year);
    return phases;
}

void tellPointerNotWritable(ui::Host& host, const FileError& e) {
    ui::tell(host, e.code() == 75 ? kPointerReadOnly : e.message(), ui::Icon::Exclamation,
             QStringLiteral("Externes Zeugnisprogramm"));
}

bool switchDatabase(RunState& s, ui::Host& host, const QString& pointerDir, const QString& dir,
                    const QString& file) {
    try {
        writePointerFile(pointerDir, dir + file);
    } catch (const FileError& e) {
        tellPointerNotWritable(host, e);
        return false;
    }
    s.DatenPfad = dir;
    s.DatenDatei = file;
    return true;
}

} // namespace common
