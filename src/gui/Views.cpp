#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "shell/MainWindow.h"
#include "shell/StartUp.h"

namespace gui {

// Every window's view, by the window's name. A logic window without a view here is shown by
// nothing; the smoke tests check that each window the program opens has one.
void registerViews(QtHost& host) {
    host.registerView(QStringLiteral("frmAuswahl"),
                      [](ui::Window& w, QtHost& h, QWidget* parent) -> QWidget* {
                          return new LauncherView(static_cast<shell::frmAuswahl&>(w), h, parent);
                      });
    host.registerView(QStringLiteral("frmHinwFehlt"),
                      [](ui::Window& w, QtHost& h, QWidget* parent) -> QWidget* {
                          return new HinwFehltView(static_cast<shell::frmHinwFehlt&>(w), h, parent);
                      });
}

} // namespace gui
