#include "app/StartUp.h"
#include "common/Session.h"

#include "db/Database.h"
#include "db/Queries.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

namespace app {

using namespace platform;
using namespace common;
using ui::kTitle;

bool DatenPfadOK(const RunState& s) {
    return directoryListable(s.DatenPfad);
}

BBCheck TestBBOk(const RunState& s, ui::Host& host) {
    try {
        db::Connection c(s.databasePath());
        const int rows = db::schoolYearCount(c);
        if (rows == 0) {
            ui::tell(host, kNoData + platform::kCrLf, ui::Icon::None, kTitle);
            return BBCheck::NoData;
        }
        return BBCheck::Ok;
    } catch (const db::DbError& e) {
        if (e.kind() == db::DbError::Kind::NotADatabase ||
            e.kind() == db::DbError::Kind::MissingTable) {
            ui::tell(host, QStringLiteral("Keine Blockbildungsdatei!"), ui::Icon::None, kTitle);
            return BBCheck::NotABlockFile;
        }
        // Damaged, unreadable: say what failed; the caller offers another file.
        ui::tell(host, e.message(), ui::Icon::Critical, kTitle);
        return BBCheck::Damaged;
    }
}

bool dataFileDialog(RunState& s, ui::Host& host, const QString& pointerDir,
                    const QString& initialDir) {
    SplitPath parts;
    for (;;) {
        const auto answer = host.openFileName({QString(), kFilterMdb, 1, initialDir, QString()});
        if (!answer)
            return false;
        // Capitals only where the file system ignores case, so the name still opens elsewhere.
        QString chosen = platform::comparable(*answer);
        parts = splitPath(chosen);
        if (parts.dir.isEmpty() || parts.file.isEmpty()) {
            ui::tell(host, QStringLiteral("ungültiger Datenpfadname!"), ui::Icon::None, QString());
            continue;
        }
        const qint64 length = fileLength(parts.dir + parts.file);
        if (length < 0)
            return false; // a file that does not exist ends the dialog silently
        if (length == 0) {
            ui::tell(host, QStringLiteral("Datendatei ist leer!"), ui::Icon::None, QString());
            continue;
        }
        break;
    }
    return switchDatabase(s, host, pointerDir, parts.dir, parts.file);
}

void showM1(ui::Host& host) {
    ui::tell(
        host,
        QStringLiteral(
            "Importieren der Daten aus Kollegstufendatei\n\rWählen dazu Sie im Menü: Importieren"),
        ui::Icon::None, kTitle);
}

frmHinwFehlt::frmHinwFehlt(RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("frmHinwFehlt"), QStringLiteral("TCLASSK fehlt!")), s_(s),
      host_(host) {
    setCommands({
        {QStringLiteral("cmdSeek"),
         QStringLiteral("Suchen nach ..."),
         {},
         true,
         [this]() { cmdSeek_Click(); }},
        {QStringLiteral("cmdImport"),
         QStringLiteral("Neu importieren aus Orvid"),
         {},
         true,
         [this]() { cmdImport_Click(); }},
        {QStringLiteral("cmdHilfe"),
         QStringLiteral("Hilfe"),
         {},
         true,
         [this]() { cmdHilfe_Click(); }},
        {QStringLiteral("cmdAbbruch"),
         QStringLiteral("Abbrechen"),
         {},
         true,
         [this]() { cmdAbbruch_Click(); }},
    });
}

void frmHinwFehlt::cmdSeek_Click() {
    if (!dataFileDialog(s_, host_, Label1, QString()))
        Label1.clear();
    host_.hide(*this);
}

void frmHinwFehlt::cmdImport_Click() {
    Label1.clear();
    host_.hide(*this);
}

void frmHinwFehlt::Form_Unload() {
    cmdImport_Click();
}

void frmHinwFehlt::cmdHilfe_Click() {
    host_.showHelp(ui::HelpRef::byKeyword(QStringLiteral("Starten")));
}

void frmHinwFehlt::cmdAbbruch_Click() {
    host_.quit();
    host_.hide(*this);
}

} // namespace app
