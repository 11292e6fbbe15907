// Saving the placement when the workspace closes: the grid goes into ckkurs of this database or
// of a copy under another name.
//
// The table is rebuilt and written in one transaction, so it holds either the old or the new
// placement. The rows of rails of other school years survive the rebuild with their keys; all
// others (rails of this school year, rails that no longer exist, rows without a rail) are
// replaced by the grid's entries.

#include "common/Session.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Statement.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <vector>

namespace placement {

void SetzenK::Form_Unload() {
    if (formUnloaded)
        return;
    formUnloaded = true;
    const ui::Answer answer = host_.message(
        {QStringLiteral("Abspeichern Schienendaten in der Datei: ") + s_.databasePath() +
             QStringLiteral("?\r\nDrücken Sie Nein für eine andere Datei, sonst Abbrechen!"),
         QStringLiteral("Block- und Kursbildung"), ui::Icon::Question, ui::Buttons::YesNoCancel, 0,
         ui::HelpRef::byContext(7400)});
    if (answer == ui::Answer::Yes) {
        SchrCkkurs();
    } else if (answer == ui::Answer::No) {
        const QString oldDir = s_.DatenPfad;
        const QString oldFile = s_.DatenDatei;
        if (NeuBB())
            return;
        try {
            platform::copyFile(oldDir + oldFile, s_.databasePath());
        } catch (...) {
            // Without its copy the new file cannot become current: go back to the old one.
            s_.DatenPfad = oldDir;
            s_.DatenDatei = oldFile;
            try {
                platform::writePointerFile(s_.ProgPfad, oldDir + oldFile);
            } catch (const platform::FileError&) {
            }
            throw;
        }
        SchrCkkurs();
    }
}

void SetzenK::SchrCkkurs() {
    struct Row {
        QVariant id, railKey, courseKey, railId, fix;
    };
    db::Connection c(s_.databasePath());
    db::Transaction tx(c);

    std::vector<Row> kept;
    if (c.hasTable(QStringLiteral("ckkurs"))) {
        QSqlQuery q = c.exec(
            QStringLiteral("SELECT CK_ID, CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX FROM ckkurs "
                           "WHERE CK_BL_ID IN (SELECT BL_VFP_ID FROM block WHERE BL_SCHJ <> ?) "
                           "ORDER BY CK_ID"),
            {s_.SchjID});
        while (q.next())
            kept.push_back({q.value(0), q.value(1), q.value(2), q.value(3), q.value(4)});
    }
    db::recreateCkkurs(c);

    const QStringList fields = {QStringLiteral("CK_ID"), QStringLiteral("CK_BL_ID"),
                                QStringLiteral("CK_KS_ID"), QStringLiteral("CK_VFP_ID"),
                                QStringLiteral("CK_FIX")};
    {
        db::Inserter keep(c, QStringLiteral("ckkurs"), fields);
        for (const Row& r : kept)
            keep.insert({r.id, r.railKey, r.courseKey, r.railId, r.fix});
    }

    // The rail of a column by the school year and its name; names are compared without trailing
    // blanks, as the header pads them to 6 characters.
    db::Statement rail(c, QStringLiteral("SELECT BL_VFP_ID, BL_ID FROM block WHERE BL_SCHJ = ? AND "
                                         "rtrim(ifnull(BL_BEZ, '')) = rtrim(?) COLLATE NOCASE "
                                         "ORDER BY BL_ID LIMIT 1"));
    db::Inserter write(c, QStringLiteral("ckkurs"), fields.mid(1));
    const ui::Grid& g = grdSchienen;
    for (int col = 0; col < g.Cols(); ++col) {
        QSqlQuery& found = rail.run({s_.SchjID, RailHeader::name(g.TextMatrix(0, col))});
        // "" (not NULL) when the rail is not found.
        QString railKey = QStringLiteral("");
        QString railId = railKey;
        if (found.next()) {
            railKey = found.value(0).toString();
            railId = QString::number(found.value(1).toLongLong());
        }
        for (int row = 1; row < g.Rows(); ++row) {
            const QString& cell = g.TextMatrix(row, col);
            if (cell.isEmpty())
                break;
            write.insert({railKey, CourseEntry::key(cell), railId, QStringLiteral("0")});
        }
    }
    tx.commit();
}

bool SetzenK::NeuBB() {
    platform::SplitPath parts;
    for (;;) {
        const std::optional<QString> answer =
            host_.saveFileName({QString(), common::kFilterMdb, 1, QString(), s_.DatenDatei});
        if (!answer)
            return true;
        // Capitals only where the file system ignores case, so the name still opens elsewhere.
        QString chosen = platform::comparable(*answer);
        if (chosen == platform::comparable(s_.databasePath())) {
            ui::tell(host_, QStringLiteral("gleicher Dateiname!"), ui::Icon::None, QString());
            continue;
        }
        parts = platform::splitPath(chosen);
        if (parts.dir.isEmpty() || parts.file.isEmpty()) {
            ui::tell(host_, QStringLiteral("ungültiger Datenpfadname!"), ui::Icon::None, QString());
            continue;
        }
        break;
    }
    return common::switchDatabase(s_, host_, s_.ProgPfad, parts.dir, parts.file);
}

} // namespace placement
