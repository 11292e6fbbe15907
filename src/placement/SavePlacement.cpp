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
#include "db/Statement.h"
#include "placement/Layouts.h"
#include "placement/Workspace.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QSet>
#include <vector>

namespace placement {

namespace {

const QString kOverwriteOther = QStringLiteral(
    "Die Schienendaten wurden inzwischen von einem anderen Programm gespeichert. Trotzdem "
    "überschreiben?");

} // namespace

QByteArray ckkursChecksum(db::Connection& c) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!c.hasTable(QStringLiteral("ckkurs")))
        return hash.result();
    QSqlQuery q = c.exec(QStringLiteral(
        "SELECT CK_ID, CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"));
    while (q.next()) {
        for (int i = 0; i < 5; ++i) {
            // NULL and "" differ, as they do in the table.
            hash.addData(q.value(i).isNull() ? QByteArrayLiteral("\x01")
                                             : q.value(i).toString().toUtf8() + '\x02');
        }
        hash.addData(QByteArrayLiteral("\n"));
    }
    return hash.result();
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
    struct Row {
        QVariant id, railKey, courseKey, railId, fix;
    };
    const ui::Grid& g = ws_.grdSchienen;
    // A course twice on one rail would break the table's unique index: say which.
    for (int col = 0; col < g.Cols(); ++col) {
        QStringList keys;
        for (int row = 1; row < g.Rows() && !g.TextMatrix(row, col).isEmpty(); ++row) {
            const QString& cell = g.TextMatrix(row, col);
            if (keys.contains(CourseEntry::key(cell), Qt::CaseInsensitive))
                throw std::runtime_error(
                    (QStringLiteral("Der Kurs ") + CourseEntry::name(cell).trimmed() +
                     QStringLiteral(" steht zweimal auf der Schiene ") +
                     RailHeader::name(g.TextMatrix(0, col)).trimmed() + QStringLiteral("."))
                        .toStdString());
            keys << CourseEntry::key(cell);
        }
    }

    // Rows of rails the grid does not show (other school years', or one left out at loading)
    // stay as they are.
    QSet<qint64> shown;
    for (int col = 0; col < g.Cols(); ++col)
        shown.insert(val(RailHeader::key(g.TextMatrix(0, col))));
    std::vector<Row> kept;
    if (c.hasTable(QStringLiteral("ckkurs"))) {
        QSqlQuery q = c.exec(QStringLiteral(
            "SELECT c.CK_ID, c.CK_BL_ID, c.CK_KS_ID, c.CK_VFP_ID, c.CK_FIX, b.BL_ID, b.BL_SCHJ "
            "FROM ckkurs c JOIN block b ON b.BL_VFP_ID = c.CK_BL_ID ORDER BY c.CK_ID"));
        while (q.next())
            if (q.value(6).toString() != s_.SchjID || !shown.contains(q.value(5).toLongLong()))
                kept.push_back({q.value(0), q.value(1), q.value(2), q.value(3), q.value(4)});
    }
    db::recreateCkkurs(c);

    const QStringList fields = {QStringLiteral("CK_ID"), QStringLiteral("CK_BL_ID"),
                                QStringLiteral("CK_KS_ID"), QStringLiteral("CK_VFP_ID"),
                                QStringLiteral("CK_FIX")};
    {
        db::Statement keep = db::Statement::insert(c, QStringLiteral("ckkurs"), fields);
        for (const Row& r : kept)
            keep.run({r.id, r.railKey, r.courseKey, r.railId, r.fix});
    }

    // The rail of a column by the BL_ID its header carries: two rails whose names differ only
    // in trailing blanks stay two rails.
    db::Statement rail(c, QStringLiteral("SELECT BL_VFP_ID, BL_ID, BL_STD FROM block "
                                         "WHERE BL_ID = ? AND BL_SCHJ = ?"));
    db::Statement hours(c, QStringLiteral("UPDATE block SET BL_STD = ? WHERE BL_ID = ?"),
                        QStringLiteral("block"), {QStringLiteral("BL_STD")});
    db::Statement write = db::Statement::insert(c, QStringLiteral("ckkurs"), fields.mid(1));
    for (int col = 0; col < g.Cols(); ++col) {
        const QString header = g.TextMatrix(0, col);
        QSqlQuery& found = rail.run({val(RailHeader::key(header)), s_.SchjID});
        // "" (not NULL) when the rail is not found.
        QString railKey = QStringLiteral("");
        QString railId = railKey;
        if (found.next()) {
            railKey = found.value(0).toString();
            railId = QString::number(found.value(1).toLongLong());
            // Cutting and inserting moves hours between rails; what the grid shows is stored.
            if (val(found.value(2).toString()) != RailHeader::hours(header)) {
                hours.run({RailHeader::hours(header), found.value(1)});
            }
        }
        for (int row = 1; row < g.Rows(); ++row) {
            const QString& cell = g.TextMatrix(row, col);
            if (cell.isEmpty())
                break;
            write.run({railKey, CourseEntry::key(cell), railId,
                       ws_.isFixed(row, col) ? QStringLiteral("1") : QStringLiteral("0")});
        }
    }
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
