#include "import/ErzKuB.h"

#include "common/FileOpen.h"
#include "common/Session.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "import/PreAssign.h"
#include "import/vfp/Container.h"
#include "import/vfp/Error.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <QDir>
#include <QFile>

namespace importer {

namespace {

const QString kTitle = QStringLiteral("Kurs- und Blockbildung");
const QString kTempDir = QStringLiteral("C:\\tempvx\\");

vfp::Container openContainer(const QString& path) {
    return vfp::Container::open(platform::nativePath(path));
}

} // namespace

void runTransfers(const platform::RunState& s, ui::Host& host, const Selection& sel,
                  const Transfers::Progress& progress) {
    const vfp::Container source = openContainer(s.VerwDbcPfad);
    db::Connection target(s.databasePath());
    db::Transaction tx(target);
    Transfers(source, target, sel, host, progress).runAll();
    tx.commit();
}

ErzKuB::ErzKuB(platform::RunState& s, ui::Host& host)
    : ui::Window(
          QStringLiteral("ErzKuB"),
          QStringLiteral("Einstellungen für den Import aus MERIX an das Blockbildungsprogramm")),
      s_(s), host_(host) {}

void ErzKuB::setLabel(QString& label, const QString& text) {
    label = text;
    emit changed();
    host_.processEvents();
}

void ErzKuB::Form_Load() {
    savedPfad_ = s_.DatenPfad;
    savedDatei_ = s_.DatenDatei;
    savedBez_ = s_.SchjBez;
    savedId_ = s_.SchjID;
    s_.DatenPfad = QStringLiteral("C:\\");
    s_.DatenDatei = QStringLiteral("BB.MDB");
    s_.VerwDbcPfad = common::readAdministrationIni(host_);
    if (!s_.VerwDbcPfad.isEmpty())
        showContainer();
}

void ErzKuB::showContainer() {
    lblDMerix = s_.VerwDbcPfad;
    emit changed();
    fillSchoolYears();
    // The school year is chosen afresh, so another container with the same year still lists its
    // own cohorts.
    s_.SchjBez.clear();
    chooseCurrentYear();
}

void ErzKuB::fillSchoolYears() {
    lstSJ.clear();
    try {
        lstSJ.setLines(schoolYearLines(openContainer(s_.VerwDbcPfad)));
    } catch (const vfp::Error& e) {
        // A container that cannot be read leaves the lists empty; "Durchsuchen" finds another.
        ui::tell(host_, e.message(), ui::Icon::Critical, kTitle);
    }
}

void ErzKuB::chooseCurrentYear() {
    if (lstSJ.count() == 0)
        return;
    const QString year = QString::number(today().year());
    int line = 0;
    for (int i = 0; i < lstSJ.count(); ++i)
        if (lstSJ.line(i).left(4) == year) {
            line = i;
            break;
        }
    lstSJ.setCurrent(line);
    lstSJ_Click();
}

void ErzKuB::lstSJ_Click() {
    const int current = lstSJ.currentIndex();
    if (current < 0)
        return;
    const QString line = lstSJ.line(current);
    if (line.left(9) == s_.SchjBez)
        return;
    s_.SchjBez = line.left(9);
    s_.SchjID = line.right(6);
    lstKollJahrg.clear();
    QStringList phases;
    try {
        phases = cohortsOffered(openContainer(s_.VerwDbcPfad), s_.SchjBez);
    } catch (const vfp::Error& e) {
        ui::tell(host_, e.message(), ui::Icon::Critical, kTitle);
        return;
    }
    lstKollJahrg.setLines(phases);
    if (lstKollJahrg.count() > 0)
        lstKollJahrg.setCurrent(0);
    else
        ui::tell(host_, QStringLiteral("Zum ausgewählten Schuljahr gibt es keine Kursphasen!"),
                 ui::Icon::None, kTitle);
}

QString ErzKuB::ODVFP() {
    const auto name =
        host_.openFileName({QString(), QStringLiteral("FoxPro-Datenbanken (*.dbc)|*.dbc"), 1,
                            QString(), QStringLiteral("Qz.dbc")});
    return name.value_or(QString());
}

void ErzKuB::cmdSeek_Click() {
    s_.VerwDbcPfad = ODVFP();
    if (s_.VerwDbcPfad.isEmpty()) {
        Befehl2_Click();
        return;
    }
    showContainer();
}

void ErzKuB::Befehl2_Click() {
    Label1 = QStringLiteral("Abbruch");
    host_.hide(*this);
    host_.quit();
}

void ErzKuB::Form_Unload() {
    if (Label1 == QLatin1String("Abbruch") || progressVisible)
        return;
    s_.DatenPfad = savedPfad_;
    s_.DatenDatei = savedDatei_;
    s_.SchjBez = savedBez_;
    s_.SchjID = savedId_;
    Label1 = QStringLiteral("Abbruch");
}

bool ErzKuB::DialogBlockbildungsDatenbankName() {
    platform::SplitPath parts;
    for (;;) {
        const auto name =
            host_.saveFileName({QString(), common::kFilterMdb, 1, s_.DatenPfad, QString()});
        if (!name)
            return true;
        bool refused = false;
        if (platform::fileExists(*name)) {
            const ui::Answer a =
                host_.message({QStringLiteral("Im gewählten Verzeichnis ") + *name +
                                   QStringLiteral(" existieren bereits Blockdaten!\nSollen diese "
                                                  "tatsächlich überschrieben werden?"),
                               QString(), ui::Icon::None, ui::Buttons::YesNo, 1, std::nullopt});
            if (a == ui::Answer::Yes) {
                if (!QFile::remove(platform::nativePath(*name)))
                    throw platform::FileError(
                        75, *name, *name + QStringLiteral(": Pfad/Datei-Zugriffsfehler!"));
            } else {
                refused = true;
            }
        }
        QString chosen = platform::comparable(*name);
        parts = platform::splitPath(chosen);
        if (!parts.dir.isEmpty() && !parts.file.isEmpty() && !refused)
            break;
        s_.DatenPfad = chosen;
    }
    return common::switchDatabase(s_, host_, s_.pointerDirectory(), parts.dir, parts.file);
}

void ErzKuB::KopDatenDat(const QString& targetDir) {
    setLabel(Label4, QStringLiteral("Kopiere Datei:"));
    try {
        const QString source = s_.databasePath();
        if (platform::fileExists(source)) {
            if (platform::fileLength(source) >= 1) {
                Label3 = QStringLiteral("Quelle : ") + source;
                setLabel(Label4, QStringLiteral("Ziel   : ") + targetDir + s_.DatenDatei);
                platform::copyFile(source, targetDir + s_.DatenDatei);
            }
            QFile::remove(platform::nativePath(source));
        }
    } catch (const std::exception&) {
        ui::tell(host_,
                 QStringLiteral("Datei ") + s_.DatenDatei +
                     QStringLiteral(" konnte nicht kopiert werden!"),
                 ui::Icon::Information, kTitle);
    }
}

void ErzKuB::Befehl1_Click() {
    if (lstKollJahrg.selectedCount() == 0) {
        ui::tell(host_,
                 QStringLiteral("Keine Kollegiatenjahrgänge sind ausgewählt!\r\nWählen Sie eine "
                                "oder zwei Zeilen in der "
                                "Liste aus!"),
                 ui::Icon::None, kTitle);
        return;
    }
    previousKey = importer::previousKey(lstSJ.lines(), s_.SchjBez);
    if (DialogBlockbildungsDatenbankName())
        return;
    // Capitals only where the file system ignores case, so that the folder still opens elsewhere.
    s_.DatenPfad = platform::comparable(s_.DatenPfad);
    QString floppyDir;
    if (s_.DatenPfad.startsWith(QLatin1String("A:")) ||
        s_.DatenPfad.startsWith(QLatin1String("B:"))) {
        floppyDir = s_.DatenPfad;
        s_.DatenPfad = kTempDir;
        QDir().mkpath(platform::nativePath(kTempDir)); // errors show at creation
    }
    db::createDatabase(s_.databasePath());
    host_.setStatus(QStringLiteral("Datenbank ") + s_.databasePath() +
                    QStringLiteral(" wurde erstellt!"));
    if (s_.VerwDbcPfad.isEmpty())
        s_.VerwDbcPfad = common::readAdministrationIni(host_);
    if (s_.VerwDbcPfad.isEmpty())
        s_.VerwDbcPfad = ODVFP();
    if (s_.VerwDbcPfad.isEmpty())
        return;

    progressVisible = true;
    Label1 = s_.databasePath();
    setLabel(Label4, QStringLiteral("Erzeuge Tabelle:"));
    Selection sel{s_.SchjID, s_.SchjBez, previousKey, {}};
    for (int row : lstKollJahrg.selectedRows())
        sel.cohorts << lstKollJahrg.line(row);
    runTransfers(s_, host_, sel, [this](const QString& table) { setLabel(Label3, table); });
    host_.setStatus(QString());
    if (!floppyDir.isEmpty()) {
        KopDatenDat(floppyDir);
        s_.DatenPfad = floppyDir;
        QDir().rmdir(platform::nativePath(kTempDir));
    }
    imported = true;
    host_.hide(*this);
}

bool importCommand(platform::RunState& s, ui::Host& host) {
    ErzKuB w(s, host);
    w.Form_Load();
    host.showModal(w);
    if (host.quitRequested() || w.Label1 == QLatin1String("Abbruch"))
        return false;
    if (!w.imported) {
        // Closed some other way before the import ran: nothing was imported.
        w.Form_Unload();
        return false;
    }
    common::LiesSchj(s, host);
    host.processEvents();
    ui::tell(host, QStringLiteral("Kurse werden vorbesetzt!"), ui::Icon::Information, kTitle);
    runPreAssignment(s, host);
    return true;
}

} // namespace importer
