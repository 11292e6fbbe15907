#include "import/ErzKuB.h"

#include "common/FileOpen.h"
#include "common/Session.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Queries.h"
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

using ui::kTitle;

namespace {

const QString kTempDir = QStringLiteral("C:\\tempvx\\");

vfp::Container openContainer(const QString& path) {
    return vfp::Container::open(platform::nativePath(path));
}

} // namespace

int runTransfers(const platform::RunState& s, ui::Host& host, const Selection& sel,
                 const Transfers::Progress& progress) {
    const vfp::Container source = openContainer(s.VerwDbcPfad);
    db::Connection target(s.databasePath());
    db::Transaction tx(target);
    Transfers transfers(source, target, sel, host, progress);
    transfers.runAll();
    tx.commit();
    return transfers.droppedPlacements();
}

QString droppedPlacementsText(int dropped) {
    if (dropped == 0)
        return {};
    if (dropped == 1)
        return QStringLiteral("1 Zuordnung eines Kurses zu einer Schiene eines anderen "
                              "Schuljahres wurde nicht übernommen.");
    return QStringLiteral("%1 Zuordnungen von Kursen zu Schienen eines anderen Schuljahres "
                          "wurden nicht übernommen.")
        .arg(dropped);
}

ErzKuB::ErzKuB(platform::RunState& s, ui::Host& host)
    : ui::Window(
          QStringLiteral("ErzKuB"),
          QStringLiteral("Einstellungen für den Import aus MERIX an das Blockbildungsprogramm")),
      s_(s), host_(host) {
    setCommands({
        {QStringLiteral("cmdSeek"),
         QStringLiteral("Durchsuchen"),
         {},
         true,
         [this]() { cmdSeek_Click(); }},
        {QStringLiteral("Befehl1"),
         QStringLiteral("&Daten importieren"),
         {},
         true,
         [this]() { Befehl1_Click(); }},
        {QStringLiteral("Befehl2"),
         QStringLiteral("&Abbruch"),
         {},
         true,
         [this]() { Befehl2_Click(); }},
    });
}

ErzKuB::~ErzKuB() = default;

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
    const int year = today().year();
    int line = 0;
    for (int i = 0; i < lstSJ.count(); ++i)
        if (db::startYear(lstSJ.line(i)) == year) {
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
        ui::tell(host_, common::kNoCoursePhases, ui::Icon::None, kTitle);
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
    // Also after an import that failed midway: nothing of it became current.
    if (Label1 == QLatin1String("Abbruch") || imported)
        return;
    restoreRun();
    Label1 = QStringLiteral("Abbruch");
}

void ErzKuB::restoreRun() {
    s_.DatenPfad = savedPfad_;
    s_.DatenDatei = savedDatei_;
    s_.SchjBez = savedBez_;
    s_.SchjID = savedId_;
}

std::optional<ErzKuB::Target> ErzKuB::DialogBlockbildungsDatenbankName() {
    for (;;) {
        const auto name =
            host_.saveFileName({QString(), common::kFilterMdb, 1, s_.DatenPfad, QString()});
        if (!name)
            return std::nullopt;
        bool replace = false;
        bool refused = false;
        if (platform::fileExists(*name)) {
            // The old file is replaced only once the new one is complete.
            const ui::Answer a =
                host_.message({QStringLiteral("Im gewählten Verzeichnis ") + *name +
                                   QStringLiteral(" existieren bereits Blockdaten!\nSollen diese "
                                                  "tatsächlich überschrieben werden?"),
                               QString(), ui::Icon::None, ui::Buttons::YesNo, 1, std::nullopt});
            replace = a == ui::Answer::Yes;
            refused = !replace;
        }
        QString chosen = platform::comparable(*name);
        const platform::SplitPath parts = platform::splitPath(chosen);
        if (!parts.dir.isEmpty() && !parts.file.isEmpty() && !refused) {
            // The pointer file is written last; one that cannot be written stops the import
            // before it begins.
            try {
                platform::checkWritable(s_.pointerDirectory() + platform::kPointerFileName);
            } catch (const platform::FileError& e) {
                common::tellPointerNotWritable(host_, e);
                return std::nullopt;
            }
            return Target{parts.dir, parts.file, replace};
        }
        s_.DatenPfad = chosen;
    }
}

bool ErzKuB::KopDatenDat(const QString& source, const QString& targetDir) {
    setLabel(Label4, QStringLiteral("Kopiere Datei:"));
    try {
        Label3 = QStringLiteral("Quelle : ") + source;
        setLabel(Label4, QStringLiteral("Ziel   : ") + targetDir + target_.file);
        db::copyDatabase(source, targetDir + target_.file);
        return true;
    } catch (const std::exception&) {
        ui::tell(host_,
                 QStringLiteral("Datei ") + target_.file +
                     QStringLiteral(" konnte nicht kopiert werden!"),
                 ui::Icon::Information, kTitle);
        return false;
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
    const std::optional<Target> target = DialogBlockbildungsDatenbankName();
    if (!target)
        return;
    // Before anything is built: the lookup may ask for the container, and the user may cancel.
    if (s_.VerwDbcPfad.isEmpty())
        s_.VerwDbcPfad = common::readAdministrationIni(host_);
    if (s_.VerwDbcPfad.isEmpty())
        s_.VerwDbcPfad = ODVFP();
    if (s_.VerwDbcPfad.isEmpty())
        return;
    target_ = *target;
    // Capitals only where the file system ignores case, so that the folder still opens elsewhere.
    target_.dir = platform::comparable(target_.dir);
    QString buildDir = target_.dir;
    floppyDir_.clear();
    if (buildDir.startsWith(QLatin1String("A:")) || buildDir.startsWith(QLatin1String("B:"))) {
        floppyDir_ = buildDir;
        buildDir = kTempDir;
        QDir().mkpath(platform::nativePath(kTempDir)); // errors show at creation
    }
    auto pending = std::make_unique<platform::PendingFile>(buildDir + target_.file);
    db::createDatabase(pending->path());
    host_.setStatus(QStringLiteral("Datenbank ") + target_.dir + target_.file +
                    QStringLiteral(" wurde erstellt!"));

    progressVisible = true;
    Label1 = target_.dir + target_.file;
    setLabel(Label4, QStringLiteral("Erzeuge Tabelle:"));
    Selection sel{s_.SchjID, s_.SchjBez, previousKey, {}};
    for (int row : lstKollJahrg.selectedRows())
        sel.cohorts << lstKollJahrg.line(row);
    platform::RunState work = s_;
    work.useDatabase(pending->path());
    dropped_ =
        runTransfers(work, host_, sel, [this](const QString& table) { setLabel(Label3, table); });
    host_.setStatus(QString());
    built_ = std::move(pending);
    imported = true;
    host_.hide(*this);
}

bool ErzKuB::finishImport() {
    try {
        platform::RunState work = s_;
        work.useDatabase(built_->path());
        common::LiesSchj(work, host_);
        host_.processEvents();
        ui::tell(host_, QStringLiteral("Kurse werden vorbesetzt!"), ui::Icon::Information, kTitle);
        runPreAssignment(work, host_);

        // Complete: only now does it replace the target and become the run's database.
        QString dir = target_.dir;
        if (!floppyDir_.isEmpty()) {
            dir = floppyDir_;
            const bool copied = KopDatenDat(built_->path(), floppyDir_);
            built_.reset();
            QDir().rmdir(platform::nativePath(kTempDir));
            if (!copied) {
                restoreRun();
                return false;
            }
        } else {
            db::settleJournal(built_->target());
            built_->commit(target_.replace ? platform::PendingFile::Replace::Yes
                                           : platform::PendingFile::Replace::No);
        }
        if (!common::switchDatabase(s_, host_, s_.pointerDirectory(), dir, target_.file)) {
            restoreRun();
            return false;
        }
        s_.SchjBez = work.SchjBez;
        s_.SchjID = work.SchjID;
        if (dropped_ > 0)
            ui::tell(host_, droppedPlacementsText(dropped_), ui::Icon::Information, kTitle);
        return true;
    } catch (...) {
        restoreRun();
        throw;
    }
}

bool importCommand(platform::RunState& s, ui::Host& host) {
    ErzKuB w(s, host);
    w.Form_Load();
    host.showModal(w);
    if (host.quitRequested() || w.Label1 == QLatin1String("Abbruch"))
        return false;
    if (!w.imported) {
        // Closed some other way before the import ran to its end: nothing was imported.
        w.Form_Unload();
        return false;
    }
    return w.finishImport();
}

} // namespace importer
