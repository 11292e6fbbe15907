#include "app/MainWindow.h"

#include "app/StartUp.h"
#include "common/FileOpen.h"
#include "common/Session.h"
#include "editors/BlDat.h"
#include "editors/frmBeleg.h"
#include "editors/frmLehrer.h"
#include "exchange/Kurs42Export.h"
#include "exchange/Kurs42Import.h"
#include "export/Export.h"
#include "export/frmGPU.h"
#include "import/ErzKuB.h"
#include "placement/SetzenK.h"
#include "planning/frmPlanung.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RunState.h"
#include "printing/RailPrintout.h"
#include "printing/frmBlKuListen.h"
#include "printing/frmKursgroessen.h"
#include "ui/Host.h"

#include <QDir>

namespace app {

using namespace platform;
using namespace common;
using ui::kTitle;

MDIKundB::MDIKundB(RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("MDIKundB"), kTitle), s_(s), host_(host) {
    const QString d = QStringLiteral("menuDatei");
    const QString b = QStringLiteral("menuBearbeiten");
    const QString p = QStringLiteral("menuDrucken");
    const QString pl = QStringLiteral("menuPlanung");
    const QString h = QStringLiteral("menueHilfe");
    const auto item = [this](const char* name, const QString& caption, const QString& menu,
                             void (MDIKundB::*handler)()) {
        return ui::Command{QString::fromLatin1(name), caption, menu, true,
                           [this, handler]() { (this->*handler)(); }};
    };
    const auto separator = [](const char* name, const QString& menu) {
        return ui::Command{QString::fromLatin1(name), QStringLiteral("-"), menu, true, {}};
    };
    setCommands({
        {d, QStringLiteral("&Datei"), {}, true, {}},
        item("menuDateiSetzenK", QStringLiteral("&Setzen der Kurse"), d,
             &MDIKundB::menuDateiSetzenK_Click),
        item("menuDateiBlDaten", QStringLiteral("&Blockdaten"), d,
             &MDIKundB::menuDateiBlDaten_Click),
        item("menuDateiTessik", QStringLiteral("&Tessik starten"), d,
             &MDIKundB::menuDateiTessik_Click),
        separator("menuDateiStr2", d),
        item("menuDateiImp", QStringLiteral("&Importieren"), d, &MDIKundB::menuDateiImp_Click),
        item("menuDateiExp", QStringLiteral("&Exportieren"), d, &MDIKundB::menuDateiExp_Click),
        item("menuDateiK42Imp", QStringLiteral("Importieren aus Kurs42 ..."), d,
             &MDIKundB::menuDateiK42Imp_Click),
        item("menuDateiK42Exp", QStringLiteral("Exportieren als Kurs42 ..."), d,
             &MDIKundB::menuDateiK42Exp_Click),
        item("menuDateiGPUExp", QStringLiteral("Exportieren – Stundenplan (GPU) ..."), d,
             &MDIKundB::menuDateiGPUExp_Click),
        item("menuDateiDW", QStringLiteral("&Datendatei wechseln"), d,
             &MDIKundB::menuDateiDW_Click),
        separator("menuDateiStr3", d),
        item("menuDateiBel", QStringLiteral("&Ändern Belegung"), d, &MDIKundB::menuDateiBel_Click),
        separator("menuDateiStr1", d),
        item("menuDateiBeenden", QStringLiteral("&Beenden"), d, &MDIKundB::menuDateiBeenden_Click),
        {b, QStringLiteral("&Bearbeiten"), {}, true, {}},
        item("menuBearbeitenLehrer", QStringLiteral("&Lehrer ..."), b,
             &MDIKundB::menuBearbeitenLehrer_Click),
        {pl, QStringLiteral("&Planung"), {}, true, {}},
        item("menuPlanungKuS", QStringLiteral("&Kurse und Schienen ..."), pl,
             &MDIKundB::menuPlanungKuS_Click),
        {p, QStringLiteral("Dr&ucken"), {}, true, {}},
        item("menuDruckS", QStringLiteral("&Schienen"), p, &MDIKundB::menuDruckS_Click),
        item("menuDruckenBlKuListen", QStringLiteral("Bl&ock-Kurs-Listen"), p,
             &MDIKundB::menuDruckenBlKuListen_Click),
        {h, QStringLiteral("&?"), {}, true, {}},
        item("menuHilfeHilfe", QStringLiteral("&Hilfe"), h, &MDIKundB::menuHilfeHilfe_Click),
        item("menueHilfeInfo", QStringLiteral("&Info..."), h, &MDIKundB::menueHilfeInfo_Click),
    });
    setShortcut(QStringLiteral("menuHilfeHilfe"), QStringLiteral("F1"));
    launcher_ = std::make_unique<frmAuswahl>(*this, host_);
}

MDIKundB::~MDIKundB() = default;

void MDIKundB::updateCaption() {
    setCaption(kTitle + QStringLiteral(" (Schuljahr: ") + s_.SchjBez + QStringLiteral(")"));
}

void MDIKundB::showLauncher() {
    host_.showModeless(*launcher_);
}

void MDIKundB::leadIntoImport(bool withM1) {
    if (withM1)
        showM1(host_);
    importCommand();
    if (!host_.quitRequested())
        showLauncher();
}

MDIKundB::Search MDIKundB::searchDatabase() {
    frmHinwFehlt w(s_, host_);
    w.Label1 = s_.pointerDir;
    host_.showModal(w);
    if (host_.quitRequested())
        return Search::Ended;
    if (w.Label1.isEmpty()) {
        host_.setStatus(QStringLiteral("Importieren der Daten aus der Kollegstufendatei."));
        leadIntoImport(false);
        return Search::Ended;
    }
    s_.pointerDir = w.Label1;
    return Search::Found;
}

void MDIKundB::Form_Load(const QString& commandLine) {
    s_.DatenPfad = QStringLiteral("D:\\bb\\");
    if (s_.ProgPfad.isEmpty()) // a caller may name it, as an installation test does
        s_.ProgPfad = progPfadFrom(platform::programDir());
    // An installed program's folder cannot take the pointer file: it is kept with the user's
    // configuration then.
    s_.pointerDir = commandLine.isEmpty() ? defaultPointerDir(s_.ProgPfad) : commandLine;
    if (!fileExists(s_.pointerDir + kPointerFileName) && searchDatabase() == Search::Ended)
        return;
    // A damaged database leads back here with the one chosen instead.
    for (;;) {
        const Located located = locateDatabase();
        if (located == Located::IntoImport)
            return;
        switch (TestBBOk(s_, host_)) {
        case BBCheck::Ok:
            LiesSchj(s_, host_);
            updateCaption();
            if (located != Located::FoundLauncherShown)
                showLauncher();
            return;
        case BBCheck::Damaged:
            // Its cause has been shown; rather than end, let the planner choose or import.
            if (searchDatabase() == Search::Ended)
                return;
            continue;
        case BBCheck::NoData:
        case BBCheck::NotABlockFile:
            return;
        }
    }
}

MDIKundB::Located MDIKundB::locateDatabase() {
    {
        OpenFile f = openFile(host_, s_.pointerDir + kPointerFileName, FileMode::Input);
        if (!f.hasNumber()) {
            leadIntoImport(true);
            return Located::IntoImport;
        }
        s_.useDatabase(f.file ? readFirstItem(*f.file) : QString());
    }
    if (!DatenPfadOK(s_) && !dataFileDialog(s_, host_, s_.pointerDir, QString())) {
        leadIntoImport(true);
        return Located::IntoImport;
    }
    // A directory in the database's place counts as a missing file.
    const qint64 length = fileLength(s_.databasePath());
    if (length <= 0) {
        if (!dataFileDialog(s_, host_, s_.pointerDir, QString())) {
            leadIntoImport(true);
            return Located::IntoImport;
        }
        if (length < 0) {
            showLauncher();
            return Located::FoundLauncherShown;
        }
    }
    return Located::Found;
}

void MDIKundB::menuDateiSetzenK_Click() {
    placement::SetzenK w(s_, host_);
    w.showCourseSizes = [this](const std::vector<common::SizeGroup>& groups, const QString& c) {
        printing::showKursgroessen(host_, groups, c);
    };
    w.Form_Load();
    // Closing asks whether to save; it runs once, also when the view has asked already. A save
    // that failed keeps the window open.
    do
        host_.showModal(w);
    while (!host_.quitRequested() && w.Form_Unload() == placement::SetzenK::Closing::KeepOpen);
}

void MDIKundB::menuDateiBlDaten_Click() {
    editors::showBlDat(s_, host_);
}

void MDIKundB::menuDateiBel_Click() {
    editors::showBeleg(s_, host_);
}

void MDIKundB::menuBearbeitenLehrer_Click() {
    editors::showLehrer(s_, host_);
}

void MDIKundB::menuDateiTessik_Click() {
    startSibling(QStringLiteral("tessik.exe"));
}

void MDIKundB::menuDateiImp_Click() {
    importCommand();
}

void MDIKundB::menuDateiExp_Click() {
    exporter::exportCommand(s_, host_);
}

void MDIKundB::menuDateiK42Imp_Click() {
    // The caption follows the school year of the new file.
    if (exchange::kurs42::importCommand(s_, host_))
        updateCaption();
}

void MDIKundB::menuDateiK42Exp_Click() {
    exchange::kurs42::exportCommand(s_, host_);
}

void MDIKundB::menuDateiGPUExp_Click() {
    exporter::untis::showGpuExport(s_, host_);
}

void MDIKundB::importCommand() {
    // The caption follows the school year of the new file.
    if (importer::importCommand(s_, host_) && !s_.SchjBez.isEmpty())
        updateCaption();
}

void MDIKundB::menuDateiDW_Click() {
    const QString oldPfad = s_.DatenPfad;
    const QString oldDatei = s_.DatenDatei;
    if (dataFileDialog(s_, host_, s_.pointerDirectory(), s_.DatenPfad) &&
        TestBBOk(s_, host_) == BBCheck::Ok) {
        LiesSchj(s_, host_);
        updateCaption();
        return;
    }
    s_.DatenPfad = oldPfad;
    s_.DatenDatei = oldDatei;
}

void MDIKundB::menuDateiBeenden_Click() {
    host_.quit();
}

void MDIKundB::menuPlanungKuS_Click() {
    planning::showPlanung(s_, host_);
}

void MDIKundB::menuDruckS_Click() {
    printing::DruckSchienen(s_, host_);
}

void MDIKundB::menuDruckenBlKuListen_Click() {
    printing::showBlKuListen(s_, host_);
}

void MDIKundB::menuHilfeHilfe_Click() {
    host_.showHelp(ui::HelpRef::contents());
}

void MDIKundB::menueHilfeInfo_Click() {
    ui::tell(host_, QStringLiteral("Version: 2009-08\r\nStand: 21.05.2009"), ui::Icon::Information,
             QStringLiteral("Kurs- und Blockbildung-XR-Version"));
}

void MDIKundB::startSibling(const QString& exeName) {
    QString dir = platform::programDir();
    const QString program = dir + QDir::separator() + platform::siblingProgram(exeName);
    // The sibling takes over the database, so this program ends; unless it could not start.
    if (!host_.startProgram(program, {s_.databasePath()})) {
        ui::tell(host_,
                 QStringLiteral("Das Programm %1 konnte nicht gestartet werden.")
                     .arg(QDir::toNativeSeparators(program)),
                 ui::Icon::Exclamation);
        return;
    }
    host_.quit();
}

frmAuswahl::frmAuswahl(MDIKundB& main, ui::Host& host)
    : ui::Window(QStringLiteral("frmAuswahl"), QStringLiteral("Auswahl")), main_(main),
      host_(host) {
    setCommands({
        {QStringLiteral("Import"),
         QStringLiteral("Import aus Palexor"),
         {},
         true,
         [this]() { Import_Click(); }},
        {QStringLiteral("Tessikor"),
         QStringLiteral("Start von Tessikor"),
         {},
         true,
         [this]() { Tessikor_Click(); }},
        {QStringLiteral("Export"),
         QStringLiteral("Übertragen nach Palexor"),
         {},
         true,
         [this]() { Export_Click(); }},
        {QStringLiteral("Ende"), QStringLiteral("Beenden"), {}, true, [this]() { Ende_Click(); }},
    });
}

void frmAuswahl::Import_Click() {
    main_.importCommand();
}

void frmAuswahl::Tessikor_Click() {
    main_.startSibling(QStringLiteral("Tessikor.exe"));
}

void frmAuswahl::Export_Click() {
    main_.menuDateiExp_Click();
}

void frmAuswahl::Ende_Click() {
    host_.quit();
}

} // namespace app
