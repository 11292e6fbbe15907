// Every window and dialog of the program opened on a screen of 1366x768, the smallest it is made
// for, on the demo school: each lies within the screen's available area, can be resized, and
// shows every button whole. Lists with long lines scroll rather than widen their window.
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "common/MessageWindow.h"
#include "editors/BlDat.h"
#include "editors/frmBeleg.h"
#include "editors/frmLehrer.h"
#include "export/frmAKursPh.h"
#include "export/frmGPU.h"
#include "gui/HelpViewer.h"
#include "gui/PrintJob.h"
#include "import/ErzKuB.h"
#include "placement/Figures.h"
#include "placement/SetzenK.h"
#include "placement/frmAutoSetzen.h"
#include "placement/frmK.h"
#include "placement/frmLehrerSchienen.h"
#include "placement/frmRegeln.h"
#include "placement/frmVarianten.h"
#include "planning/frmPlanung.h"
#include "printing/frmBlKuListen.h"
#include "printing/frmKursgroessen.h"

#include "gui/ViewSupport.h"

#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>

namespace {

// What keeps the window from fitting the screen, one line each; none when it fits.
QStringList misfits(QWidget* w) {
    QStringList out;
    const QRect area = w->screen()->availableGeometry();
    const QString name =
        QString::fromLatin1(w->metaObject()->className()) + " " + w->windowTitle() + ": ";
    if (!area.contains(w->frameGeometry()))
        out << name + QStringLiteral("liegt nicht im Bildschirm (%1,%2 %3x%4)")
                          .arg(w->x())
                          .arg(w->y())
                          .arg(w->frameGeometry().width())
                          .arg(w->frameGeometry().height());
    // A message box is as large as its text (which the host keeps within the screen).
    if (!qobject_cast<QMessageBox*>(w) &&
        (w->minimumSize() == w->maximumSize() ||
         (w->layout() && w->layout()->sizeConstraint() == QLayout::SetFixedSize)))
        out << name + "feste Größe";
    for (QPushButton* b : w->findChildren<QPushButton*>()) {
        if (!b->isVisibleTo(w))
            continue;
        const QRect r(b->mapTo(w, QPoint(0, 0)), b->size());
        if (!w->rect().contains(r) || b->visibleRegion().boundingRect() != b->rect())
            out << name + "Knopf abgeschnitten: " + b->text();
    }
    return out;
}

struct ScreenFit : test::Views {
    QStringList found;

    void SetUp() override {
        QSettings().clear();
        Views::SetUp();
        demoSchool();
    }
    // Shows the window through the host as the program does and checks it.
    void check(ui::Window& w) {
        std::unique_ptr<QWidget> view(show(w));
        ASSERT_TRUE(view);
        QApplication::processEvents();
        found << misfits(view.get());
    }
    // Checks the modal dialog that opens while run runs, then closes it.
    void checkModal(const std::function<void()>& run) {
        bool seen = false;
        QTimer::singleShot(0, [&]() {
            QWidget* m = QApplication::activeModalWidget();
            ASSERT_TRUE(m);
            seen = true;
            found << misfits(m);
            if (auto* d = qobject_cast<QDialog*>(m))
                d->reject();
        });
        run();
        EXPECT_TRUE(seen);
    }
};

TEST_F(ScreenFit, EveryWindowAndDialogLiesWithinTheScreenAndShowsEveryButton) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1366, 768));
    const QString longLine = QString(300, QLatin1Char('W'));

    app::MDIKundB main(s, host);
    gui::MainWindowView shell(main, host);
    host.setMainWidget(&shell);
    shell.move(30, 30);
    gui::fitToScreen(shell);
    shell.show();
    found << misfits(&shell);
    check(main.launcher());
    app::frmHinwFehlt hinw(s, host);
    hinw.Label1 = QStringLiteral("/home/lehrer/Dokumente/Schule/Kollegstufe/").repeated(8);
    check(hinw);

    importer::ErzKuB import(s, logic);
    import.lstKollJahrg.setLines({"2009", "2008"});
    check(import);
    common::frmFMld messages(host);
    for (int i = 0; i < 300; ++i)
        messages.appendLine(longLine);
    check(messages);
    exporter::frmAKursPh phase(host);
    phase.List1.setLines({longLine});
    check(phase);
    exporter::untis::frmGPU gpu(s, logic);
    gpu.cmbJahrgang.setLines({"2009", "2008"});
    check(gpu);
    printing::frmBlKuListen lists(s, logic);
    lists.Form_Load();
    check(lists);
    editors::BlDat rails(s, logic);
    rails.Form_Load();
    check(rails);
    editors::frmBeleg choices(s, logic);
    choices.Form_Load();
    check(choices);
    editors::frmLehrer teachers(s, logic);
    teachers.Form_Load();
    check(teachers);
    placement::frmRegeln rules(s, logic);
    rules.Form_Load();
    check(rules);

    // The workspace's windows: the variants with a long comment, the course chooser, the
    // automatic setting.
    logic.onInput("Variante mit langem Namen").onInput(longLine);
    placement::frmVarianten variants(s, logic, 2009, [](db::Connection&) {});
    variants.Form_Load();
    variants.cmdSpeichern_Click();
    check(variants);
    placement::SetzenK workspace(s, logic);
    workspace.Form_Load();
    placement::frmK chooser(workspace, logic);
    chooser.lstK.setLines(QStringList(100, longLine));
    check(chooser);
    blocking::Model m;
    {
        db::Connection c(s.databasePath());
        m = blocking::Model::load(c, {s.SchjID, s.SchjBez}, 2009);
    }
    printing::frmKursgroessen sizes(logic, placement::courseSizeGroups(m), "2009");
    check(sizes);
    placement::frmAutoSetzen automatic(std::move(m), logic);
    check(automatic);
    placement::frmLehrerSchienen byRail(workspace, logic);
    byRail.Form_Load();
    check(byRail);
    planning::frmPlanung shape(s, logic);
    shape.Form_Load();
    check(shape);

    // The host's own dialogs: a long message, the input box, the file dialog, the print preview,
    // the help.
    checkModal([&]() {
        host.message({QStringList(300, "Zeile").join("\r\n"),
                      {},
                      ui::Icon::None,
                      ui::Buttons::Ok,
                      0,
                      std::nullopt});
    });
    checkModal([&]() { host.inputBox(longLine.left(80), "Titel", {}); });
    checkModal([&]() { host.openFileName({"Öffnen", "Alle|*.*", 1, tmp.dir(), {}}); });
    checkModal([&]() {
        auto job = host.startPrint();
        job->printLine(longLine);
        job->endDoc();
    });
    found << misfits(gui::HelpViewer::show(ui::HelpRef::contents()));
    EXPECT_EQ(found, QStringList()) << found.join('\n').toStdString();
    EXPECT_EQ(logic.pending(), 0u);
}

// The placement workspace, as far as it fits today: within the screen, every button whole, every
// rail in view or reached by scrolling sideways under the rail headers. Still the workspace's own
// to mend (its developer completes this test): all 14 rails of the demo school in view at once,
// the teachers and figures its panel will show.
TEST_F(ScreenFit, TheWorkspaceLiesWithinTheScreenAndShowsEveryButton) {
    placement::SetzenK workspace(s, logic);
    workspace.Form_Load();
    std::unique_ptr<QWidget> view(show(workspace));
    ASSERT_TRUE(view);
    QApplication::processEvents();
    EXPECT_EQ(misfits(view.get()), QStringList());
    auto* grid = test::child<QTableView>(view.get(), "grdSchienen");
    ASSERT_TRUE(grid);
    const int last = grid->model()->columnCount() - 1;
    EXPECT_TRUE(grid->columnViewportPosition(last) + grid->columnWidth(last) <=
                    grid->viewport()->width() ||
                grid->horizontalScrollBar()->maximum() > 0);
    EXPECT_TRUE(grid->horizontalHeader()->isVisible()) << "the rail headers stay in view";
}

} // namespace
