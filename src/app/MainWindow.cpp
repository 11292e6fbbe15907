#include "app/MainWindow.h"

#include "app/StartUp.h"
#include "common/FileOpen.h"
#include "common/Session.h"
#include "editors/BlDat.h"
#include "editors/frmBeleg.h"
#include "export/Export.h"
#include "import/ErzKuB.h"
#include "placement/SetzenK.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RunState.h"
#include "printing/RailPrintout.h"
#include "printing/frmBlKuListen.h"
#include "ui/Host.h"

#include <QDir>

namespace app {

using namespace platform;
using namespace common;
using ui::kTitle;

MDIKundB::MDIKundB(RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("MDIKundB"), kTitle), s_(s), host_(host) {
    const QString d = QStringLiteral("menuDatei");
    const QString p = QStringLiteral("menuDrucken");
    const QString h = QStringLiteral("menueHilfe");
    menus_ = {
        {d, QStringLiteral("&Datei"), {}, true},
        {QStringLiteral("menuDateiSetzenK"), QStringLiteral("&Setzen der Kurse"), d, true},
        {QStringLiteral("menuDateiBlDaten"), QStringLiteral("&Blockdaten"), d, true},
        {QStringLiteral("menuDateiTessik"), QStringLiteral("&Tessik starten"), d, true},
        {QStringLiteral("menuDateiStr2"), QStringLiteral("-"), d, true},
        {QStringLiteral("menuDateiImp"), QStringLiteral("&Importieren"), d, true},
        {QStringLiteral("menuDateiExp"), QStringLiteral("&Exportieren"), d, true},
        {QStringLiteral("menuDateiDW"), QStringLiteral("&Datendatei wechseln"), d, true},
        {QStringLiteral("menuDateiStr3"), QStringLiteral("-"), d, true},
        {QStringLiteral("menuDateiBel"), QStringLiteral("&Ändern Belegung"), d, true},
        {QStringLiteral("menuDateiStr1"), QStringLiteral("-"), d, true},
        {QStringLiteral("menuDateiBeenden"), QStringLiteral("&Beenden"), d, true},
        {p, QStringLiteral("Dr&ucken"), {}, true},
        {QStringLiteral("menuDruckS"), QStringLiteral("&Schienen"), p, true},
        {QStringLiteral("menuDruckenBlKuListen"), QStringLiteral("Bl&ock-Kurs-Listen"), p, true},
        {h, QStringLiteral("&?"), {}, true},
        {QStringLiteral("menuHilfeHilfe"), QStringLiteral("&Hilfe"), h, true},
        {QStringLiteral("menueHilfeInfo"), QStringLiteral("&Info..."), h, true},
    };
    launcher_ = std::make_unique<frmAuswahl>(*this, host_);
}

MDIKundB::~MDIKundB() = default;

const MenuItem* MDIKundB::menu(const QString& name) const {
    for (const auto& m : menus_)
        if (m.name == name)
            return &m;
    return nullptr;
}

void MDIKundB::enable(const QString& name, bool on) {
    for (auto& m : menus_)
        if (m.name == name)
            m.enabled = on;
    emit changed();
}

void MDIKundB::menuClick(const QString& name) {
    const MenuItem* m = menu(name);
    if (!m || !m->enabled)
        return;
    static const std::vector<std::pair<QString, void (MDIKundB::*)()>> handlers = {
        {QStringLiteral("menuDateiSetzenK"), &MDIKundB::menuDateiSetzenK_Click},
        {QStringLiteral("menuDateiBlDaten"), &MDIKundB::menuDateiBlDaten_Click},
        {QStringLiteral("menuDateiBel"), &MDIKundB::menuDateiBel_Click},
        {QStringLiteral("menuDateiTessik"), &MDIKundB::menuDateiTessik_Click},
        {QStringLiteral("menuDateiImp"), &MDIKundB::menuDateiImp_Click},
        {QStringLiteral("menuDateiExp"), &MDIKundB::menuDateiExp_Click},
        {QStringLiteral("menuDateiDW"), &MDIKundB::menuDateiDW_Click},
        {QStringLiteral("menuDateiBeenden"), &MDIKundB::menuDateiBeenden_Click},
        {QStringLiteral("menuDruckS"), &MDIKundB::menuDruckS_Click},
        {QStringLiteral("menuDruckenBlKuListen"), &MDIKundB::menuDruckenBlKuListen_Click},
        {QStringLiteral("menuHilfeHilfe"), &MDIKundB::menuHilfeHilfe_Click},
        {QStringLiteral("menueHilfeInfo"), &MDIKundB::menueHilfeInfo_Click},
    };
    for (const auto& [n, handler] : handlers)
        if (n == name)
            (this->*handler)();
}

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
    s_.ProgPfad = progPfadFrom(platform::programDir());
    // An installed program's folder cannot take the pointer file: it is kept with the user's
    // configuration then.
    s_.pointerDir = commandLine.isEmpty() ? defaultPointerDir(s_.ProgPfad) : commandLine;
    if (!fileExists(s_.pointerDir + kPointerFileName) && searchDatabase() == Search::Ended)
        return;
    // A damaged database leads back here with the one chosen instead.
    for (;;) {
        bool launcherShown = false;
        if (!locateDatabase(launcherShown))
            return;
        switch (TestBBOk(s_, host_)) {
        case BBCheck::Ok:
            LiesSchj(s_, host_);
            updateCaption();
            if (!launcherShown)
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

bool MDIKundB::locateDatabase(bool& launcherShown) {
    {
        OpenFile f = openFile(host_, s_.pointerDir + kPointerFileName, FileMode::Input);
        if (!f.hasNumber()) {
            leadIntoImport(true);
            return false;
        }
        QString path = f.file ? readFirstItem(*f.file) : QString();
        const SplitPath parts = splitPath(path);
        s_.DatenPfad = parts.dir;
        s_.DatenDatei = parts.file;
    }
    if (!DatenPfadOK(s_) && !dataFileDialog(s_, host_, s_.pointerDir, QString())) {
        leadIntoImport(true);
        return false;
    }
    // A directory in the database's place counts as a missing file.
    const qint64 length = fileLength(s_.databasePath());
    if (length <= 0) {
        if (!dataFileDialog(s_, host_, s_.pointerDir, QString())) {
            leadIntoImport(true);
            return false;
        }
        if (length < 0) {
            showLauncher();
            launcherShown = true;
        }
    }
    return true;
}

void MDIKundB::menuDateiSetzenK_Click() {
    placement::SetzenK w(s_, host_);
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

void MDIKundB::menuDateiTessik_Click() {
    startSibling(QStringLiteral("tessik.exe"));
}

void MDIKundB::menuDateiImp_Click() {
    importCommand();
}

void MDIKundB::menuDateiExp_Click() {
    exporter::exportCommand(s_, host_);
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
      host_(host), buttons_{
                       {QStringLiteral("Import"), QStringLiteral("Import aus Palexor"), true},
                       {QStringLiteral("Tessikor"), QStringLiteral("Start von Tessikor"), true},
                       {QStringLiteral("Export"), QStringLiteral("Übertragen nach Palexor"), true},
                       {QStringLiteral("Ende"), QStringLiteral("Beenden"), true}} {}

void frmAuswahl::setEnabled(const QString& name, bool on) {
    for (auto& b : buttons_)
        if (b.name == name)
            b.enabled = on;
    emit changed();
}

void frmAuswahl::click(const QString& name) {
    for (const auto& b : buttons_) {
        if (b.name != name || !b.enabled)
            continue;
        if (name == QLatin1String("Import"))
            Import_Click();
        else if (name == QLatin1String("Tessikor"))
            Tessikor_Click();
        else if (name == QLatin1String("Export"))
            Export_Click();
        else if (name == QLatin1String("Ende"))
            Ende_Click();
    }
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
