// Saving the placement when the workspace closes: the grid goes into ckkurs of this database or
// of a copy under another name.
//
// The table is rebuilt and written in one transaction, so it holds either the old or the new
// placement; a copy is written whole under a temporary name and renamed, and only then does the
// pointer file name it. The rows of rails of other school years survive the rebuild with their
// keys; all others (rails of this school year, rails that no longer exist, rows without a rail) are
// replaced by the grid's entries.

#include "placement/SavePlacement.h"
#include "common/Session.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Placements.h"
#include "placement/Layouts.h"
#include "placement/Workspace.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <QFileInfo>
#include <algorithm>
#include <vector>

namespace placement {

namespace {

const QString kOverwriteOther = QStringLiteral(
    "Die Schienendaten wurden inzwischen von einem anderen Programm gespeichert. Trotzdem "
    "überschreiben?");

} // namespace

QByteArray ckkursChecksum(db::Connection& c) {
    return db::placements::fingerprint(c);
}

SavePlacement::SavePlacement(Workspace& ws, ui::Host& host)
    : ws_(ws), host_(host), s_(ws.state()) {}

ui::Closing SavePlacement::close() {
    if (ws_.formUnloaded)
        return ui::Closing::Close;
    const ui::Answer answer = host_.message(
        {QStringLiteral("Abspeichern Schienendaten in der Datei: ") + s_.databasePath() +
             QStringLiteral("?\r\nDrücken Sie Nein für eine andere Datei, sonst Abbrechen!"),
         QStringLiteral("Block- und Kursbildung"), ui::Icon::Question, ui::Buttons::YesNoCancel, 0,
         ui::HelpRef::byContext(7400)});
    ui::Closing result = ui::Closing::Close;
    try {
        if (answer == ui::Answer::Yes)
            result = saveHere();
        else if (answer == ui::Answer::No)
            result = saveElsewhere();
    } catch (const std::exception& e) {
        // The placement lives only in the grid: keep it on screen.
        ws_.critical(QStringLiteral("Die Schienendaten wurden nicht gespeichert.\r\n") +
                     QString::fromUtf8(e.what()));
        result = ui::Closing::KeepOpen;
    }
    ws_.formUnloaded = result == ui::Closing::Close;
    return result;
}

ui::Closing SavePlacement::saveHere() {
    db::Connection c(s_.databasePath(), db::Connection::Mode::Existing, ws_.saveLockTimeoutMs);
    QByteArray confirmed;
    for (;;) {
        QByteArray now;
        {
            ui::Busy busy(host_);
            db::Transaction tx(c); // waits for another program's lock
            now = ckkursChecksum(c);
            if (now == ws_.ckkursAtLoading || now == confirmed) {
                SchrCkkurs(c);
                tx.commit();
                ws_.ckkursAtLoading = ckkursChecksum(c);
                return ui::Closing::Close;
            }
        }
        if (host_.message({kOverwriteOther, QString(), ui::Icon::Question, ui::Buttons::YesNo, 1,
                           std::nullopt}) != ui::Answer::Yes)
            return ui::Closing::KeepOpen;
        confirmed = now;
    }
}

ui::Closing SavePlacement::saveElsewhere() {
    const QString old = s_.databasePath();
    std::optional<QString> chosen = NeuBB();
    if (!chosen)
        return ui::Closing::Close;
    // The pointer file is rewritten last; one that cannot be written stops the save before
    // anything is copied.
    try {
        platform::checkWritable(s_.pointerDirectory() + platform::kPointerFileName);
    } catch (const platform::FileError& e) {
        common::tellPointerNotWritable(host_, e);
        return ui::Closing::KeepOpen;
    }
    {
        ui::Busy busy(host_);
        db::copyDatabase(old, *chosen);
        db::Connection c(*chosen, db::Connection::Mode::Existing, ws_.saveLockTimeoutMs);
        db::Transaction tx(c);
        SchrCkkurs(c);
        tx.commit();
    }
    const platform::SplitPath parts = platform::splitPath(*chosen);
    if (!common::switchDatabase(s_, host_, s_.pointerDirectory(), parts.dir, parts.file))
        return ui::Closing::KeepOpen;
    return ui::Closing::Close;
}

void SavePlacement::SchrCkkurs() {
    db::Connection c(s_.databasePath(), db::Connection::Mode::Existing, ws_.saveLockTimeoutMs);
    db::Transaction tx(c);
    SchrCkkurs(c);
    tx.commit();
    ws_.ckkursAtLoading = ckkursChecksum(c);
}

void SavePlacement::SchrCkkurs(db::Connection& c) {
    const std::vector<PlanRail>& rails = ws_.plan.rails;
    std::vector<db::placements::ShownRail> shown;
    for (const PlanRail& rail : rails) {
        db::placements::ShownRail r{rail.id, rail.hours, {}};
        for (const Placed& p : rail.courses) {
            // A course twice on one rail would break the table's unique index: say which.
            if (std::any_of(r.courses.begin(), r.courses.end(),
                            [&](const auto& other) { return sameKey(other.first, p.course); }))
                throw std::runtime_error((QStringLiteral("Der Kurs ") + ws_.wholeName(p.course) +
                                          QStringLiteral(" steht zweimal auf der Schiene ") +
                                          rail.name.left(6).trimmed() + QStringLiteral("."))
                                             .toStdString());
            r.courses.emplace_back(p.course, p.fixed);
        }
        shown.push_back(std::move(r));
    }
    db::placements::rewrite(c, s_.SchjID, shown);
}

std::optional<QString> SavePlacement::NeuBB() {
    const QString current = s_.databasePath();
    for (;;) {
        const std::optional<QString> answer =
            host_.saveFileName({QString(), common::kFilterMdb, 1, s_.DatenPfad, s_.DatenDatei});
        if (!answer)
            return std::nullopt;
        // Capitals only where the file system ignores case, so the name still opens elsewhere.
        QString chosen = platform::comparable(*answer);
        // The same file under another spelling (".", a link, letter case) is the same file too:
        // copying it onto itself would empty it.
        if (chosen == platform::comparable(current) || platform::sameFile(chosen, current)) {
            ui::tell(host_, QStringLiteral("gleicher Dateiname!"), ui::Icon::None, QString());
            continue;
        }
        const platform::SplitPath parts = platform::splitPath(chosen);
        if (parts.dir.isEmpty() || parts.file.isEmpty()) {
            ui::tell(host_, QStringLiteral("ungültiger Datenpfadname!"), ui::Icon::None, QString());
            continue;
        }
        const QString path = parts.dir + parts.file;
        if (QFileInfo(platform::nativePath(path)).isFile() &&
            host_.message({QStringLiteral("Die Datei ") + path +
                               QStringLiteral(" besteht bereits.\r\nSoll sie ersetzt werden?"),
                           QString(), ui::Icon::Question, ui::Buttons::YesNo, 1, std::nullopt}) !=
                ui::Answer::Yes)
            continue;
        return path;
    }
}

} // namespace placement
