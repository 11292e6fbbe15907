#include "app/MainWindow.h"
#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "platform/RunState.h"
#include "ui/Command.h"
#include "ui/Host.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

int main(int argc, char** argv) {
    gui::preferGermanDates();
    QApplication app(argc, argv);
    QApplication::setApplicationName(ui::kTitle);
    QApplication::setOrganizationName(QStringLiteral("Kollegstufe"));
    Q_INIT_RESOURCE(icons);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/blockbildung.png")));
    gui::loadGermanQtTranslation(app);

    // The whole command line names the pointer file's directory, unchanged.
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const QString commandLine = args.join(QLatin1Char(' '));

    platform::RunState state;
    gui::QtHost host;
    gui::registerViews(host);
    app::MDIKundB main(state, host);
    gui::MainWindowView view(main, host);
    host.setMainWidget(&view);
    view.move(30, 30);
    gui::fitToScreen(view);
    view.show();

    QTimer::singleShot(0, &view, [&]() {
        ui::runCommand(host, [&]() { main.Form_Load(commandLine); });
        if (host.quitRequested())
            QCoreApplication::exit(0);
    });
    const int rc = host.quitRequested() ? 0 : QApplication::exec();
    return rc;
}
