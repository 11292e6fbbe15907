#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "common/MessageWindow.h"
#include "editors/BlDat.h"
#include "editors/frmBeleg.h"
#include "editors/frmLehrer.h"
#include "export/frmAKursPh.h"
#include "export/frmGPU.h"
#include "gui/AKursPhView.h"
#include "gui/AutoSetzenView.h"
#include "gui/BelegView.h"
#include "gui/BlDatView.h"
#include "gui/BlKuListenView.h"
#include "gui/ChooserView.h"
#include "gui/GpuView.h"
#include "gui/ImportViews.h"
#include "gui/KursgroessenView.h"
#include "gui/LehrerSchienenView.h"
#include "gui/LehrerView.h"
#include "gui/PlanungView.h"
#include "gui/QtHost.h"
#include "gui/RegelnView.h"
#include "gui/SetzenKView.h"
#include "gui/ShellViews.h"
#include "gui/VariantenView.h"
#include "import/ErzKuB.h"
#include "placement/SetzenK.h"
#include "placement/frmAutoSetzen.h"
#include "placement/frmK.h"
#include "placement/frmLehrerSchienen.h"
#include "placement/frmRegeln.h"
#include "placement/frmVarianten.h"
#include "planning/frmPlanung.h"
#include "printing/frmBlKuListen.h"
#include "printing/frmKursgroessen.h"

namespace gui {

namespace {

template <class Window, class View> void add(QtHost& host, const char* name) {
    host.registerView(QString::fromLatin1(name),
                      [](ui::Window& w, QtHost& h, QWidget* parent) -> QWidget* {
                          return new View(static_cast<Window&>(w), h, parent);
                      });
}

} // namespace

// Every window's view, by the window's name. A logic window without a view here is shown by
// nothing; the smoke tests open each window the program shows through its view.
void registerViews(QtHost& host) {
    add<app::frmAuswahl, LauncherView>(host, "frmAuswahl");
    add<app::frmHinwFehlt, HinwFehltView>(host, "frmHinwFehlt");
    add<importer::ErzKuB, ErzKuBView>(host, "ErzKuB");
    add<common::frmFMld, FMldView>(host, "frmFMld");
    add<placement::SetzenK, SetzenKView>(host, "SetzenK");
    add<placement::frmK, ChooserView>(host, "frmK");
    add<placement::frmAutoSetzen, AutoSetzenView>(host, "frmAutoSetzen");
    add<placement::frmRegeln, RegelnView>(host, "frmRegeln");
    add<placement::frmLehrerSchienen, LehrerSchienenView>(host, "frmLehrerSchienen");
    add<placement::frmVarianten, VariantenView>(host, "frmVarianten");
    add<printing::frmBlKuListen, BlKuListenView>(host, "frmBlKuListen");
    add<printing::frmKursgroessen, KursgroessenView>(host, "frmKursgroessen");
    add<planning::frmPlanung, PlanungView>(host, "frmPlanung");
    add<exporter::frmAKursPh, AKursPhView>(host, "frmAKursPh");
    add<exporter::untis::frmGPU, GpuView>(host, "frmGPU");
    add<editors::BlDat, BlDatView>(host, "BlDat");
    add<editors::frmBeleg, BelegView>(host, "frmBeleg");
    add<editors::frmLehrer, LehrerView>(host, "frmLehrer");
}

} // namespace gui
