#include "shell/StartUp.h"

#include "db/Database.h"
#include "shell/Files.h"
#include "shell/Paths.h"
#include "shell/Platform.h"
#include "shell/RunState.h"
#include "ui/Host.h"

namespace shell {

namespace {

const QString kNoData = QStringLiteral("Blockbildungsdateien enthalten noch keine Daten!");

} // namespace

bool DatenPfadOK(const RunState& s) {
    return directoryListable(s.DatenPfad);
}

bool TestBBOk(const RunState& s, ui::Host& host) {
    try {
        db::Connection c(s.databasePath());
        const int rows = c.scalar(QStringLiteral("SELECT count(*) FROM schjahr")).toInt();
        if (rows == 0) {
            ui::tell(host, kNoData + QStringLiteral("\r\n"), ui::Icon::None, kTitle);
            return true;
        }
        return false;
    } catch (const db::DbError& e) {
        if (e.kind() == db::DbError::Kind::NotADatabase ||
            e.kind() == db::DbError::Kind::MissingTable) {
            ui::tell(host, QStringLiteral("Keine Blockbildungsdatei!"), ui::Icon::None, kTitle);
            return true;
        }
        // Anything else cannot be worked with: say what failed, then end.
        ui::tell(host, e.message(), ui::Icon::Critical, kTitle);
        host.quit();
        return true;
    }
}

frmASj::frmASj(RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("frmASj"), QStringLiteral("Auswahl Schuljahr")), s_(s),
      host_(host) {}

void frmASj::Form_Load() {
    db::Connection c(s_.databasePath());
    lblDatei = s_.databasePath();
    QSqlQuery q = c.exec(QStringLiteral("SELECT SJ_SCHJ, SJ_VFP_ID FROM schjahr ORDER BY SJ_ID"));
    QStringList lines;
    while (q.next())
        lines << q.value(0).toString() + QStringLiteral("     ") + q.value(1).toString();
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

bool dataFileDialog(RunState& s, ui::Host& host, const QString& pointerDir,
                    const QString& initialDir) {
    SplitPath parts;
    for (;;) {
        const auto answer = host.openFileName({QString(), kFilterMdb, 1, initialDir, QString()});
        if (!answer)
            return true;
        // Capitals only where the file system ignores case, so the name still opens elsewhere.
        QString chosen = platform::comparable(*answer);
        parts = splitPath(chosen);
        if (parts.dir.isEmpty() || parts.file.isEmpty()) {
            ui::tell(host, QStringLiteral("ungültiger Datenpfadname!"), ui::Icon::None, QString());
            continue;
        }
        const qint64 length = fileLength(parts.dir + parts.file);
        if (length < 0)
            return true; // a file that does not exist ends the dialog silently
        if (length == 0) {
            ui::tell(host, QStringLiteral("Datendatei ist leer!"), ui::Icon::None, QString());
            continue;
        }
        break;
    }
    return switchDatabase(s, host, pointerDir, parts.dir, parts.file);
}

bool switchDatabase(RunState& s, ui::Host& host, const QString& pointerDir, const QString& dir,
                    const QString& file) {
    try {
        writePointerFile(pointerDir, dir + file);
    } catch (const FileError& e) {
        if (e.code() == 75)
            ui::tell(host, kPointerReadOnly, ui::Icon::Exclamation,
                     QStringLiteral("Externes Zeugnisprogramm"));
        return true;
    }
    s.DatenPfad = dir;
    s.DatenDatei = file;
    return false;
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
      host_(host) {}

void frmHinwFehlt::cmdSeek_Click() {
    if (dataFileDialog(s_, host_, Label1, QString()))
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

} // namespace shell
