// The placement workspace's view on the demo school, its logic answering through a scripted host
// and shown through the Qt host; and the window of "Automatisch setzen ...".
#include "gui/SetzenKView.h"
#include "common/Help.h"
#include "common/MessageWindow.h"
#include "db/BlockDatabase.h"
#include "gui/ImportViews.h"
#include "placement/SetzenK.h"
#include "placement/frmAutoSetzen.h"
#include "platform/RunState.h"
#include "support/DemoSchool.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include "ViewSupport.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTableWidget>
#include <QTreeView>

using test::child;
using test::clickAt;
using test::headings;
using test::row;

namespace {

struct Workspace : ::testing::Test {
    test::TempDir tmp;
    gui::QtHost host;
    test::ScriptedHost quiet;
    platform::RunState s;
    std::unique_ptr<placement::SetzenK> w;
    QWidget* view = nullptr;

    void SetUp() override {
        QSettings().remove("SetzenK");
        gui::registerViews(host);
        s.DatenPfad = tmp.dir();
        s.DatenDatei = "BB.MDB";
        ASSERT_TRUE(test::importDemoSchool(s, quiet));
        w = std::make_unique<placement::SetzenK>(s, quiet);
        w->Form_Load();
        w->Bewerten();
        host.showModeless(*w);
        view = host.viewOf(*w);
        ASSERT_TRUE(view);
    }
    void TearDown() override { delete view; }
    QTreeView* list(const char* name) { return child<QTreeView>(view, name); }
    QString label(const char* name) { return child<QLabel>(view, name)->text(); }
    // Selects two courses of LNKurse with common students, found through the logic.
    std::pair<int, int> collidingCourses() {
        for (int i = 0; i < w->LNKurse.count(); ++i)
            for (int j = i + 1; j < w->LNKurse.count(); ++j) {
                w->LNKurse.setLines(w->LNKurse.lines());
                w->LNKurse.setSelected(i, true);
                w->LNKurse.setSelected(j, true);
                w->LNKurse_Click();
                if (w->LKollisionen.count() > 0)
                    return {i, j};
            }
        return {-1, -1};
    }
};

} // namespace

TEST_F(Workspace, ListsShowTheirFieldsInColumnsAndSelectionsMapBackToTheLines) {
    EXPECT_EQ(view->windowTitle(), "Setzen der Kurse");
    auto* lnKurse = list("LNKurse");
    ASSERT_EQ(headings(lnKurse), (QStringList{"Kurs", "Stunden", QString::fromUtf8("Schüler")}));
    ASSERT_EQ(lnKurse->model()->rowCount(), w->LNKurse.count());
    // Characters 1-5 the name, 7 the hours; the students are counted.
    const QString& l = w->LNKurse.line(0);
    db::Connection c(s.databasePath());
    EXPECT_EQ(row(lnKurse, 0), (QStringList{l.left(5).trimmed(), l.mid(6, 1),
                                            QString::number(db::AnzBelKurs(c, l.right(6)))}));
    const auto [first, second] = collidingCourses();
    ASSERT_GE(second, 0);
    w->LNKurse.setLines(w->LNKurse.lines());
    w->LNKurse_Click();
    clickAt(lnKurse, first, 0);
    clickAt(lnKurse, second, 1);
    EXPECT_EQ(w->LNKurse.selectedRows(), (std::vector<int>{first, second}))
        << "a click on any column selects the line";

    auto* lSchueler = list("LSchueler");
    ASSERT_EQ(headings(lSchueler), (QStringList{"Name", "Klasse", "Kurs"}));
    ASSERT_EQ(lSchueler->model()->rowCount(), w->LSchueler.count());
    for (int i = 0; i < w->LSchueler.count(); ++i) {
        const QString& l = w->LSchueler.line(i);
        EXPECT_EQ(row(lSchueler, i), (QStringList{l.left(11).trimmed(), l.mid(11, 2).trimmed(),
                                                  l.mid(13, 5).trimmed()}));
        EXPECT_EQ(lSchueler->selectionModel()->isRowSelected(i, {}), w->LSchueler.selected(i))
            << "the marking of colliding students shows";
    }

    // The whole names, though the lines hold nine characters of them.
    auto* lKollisionen = list("LKollisionen");
    ASSERT_EQ(headings(lKollisionen), (QStringList{"Name", "Kurse"}));
    const QString courses =
        w->LNKurse.line(first).left(5) + " " + w->LNKurse.line(second).left(5).trimmed();
    int longNames = 0;
    for (int i = 0; i < w->LKollisionen.count(); ++i) {
        const QString name = test::rowsOf(s.databasePath(),
                                          "SELECT trim(KO_FAMNAME) || ' ' || trim(KO_RUFNAME) "
                                          "FROM kolleg WHERE KO_VFP_ID = ?",
                                          {w->LKollisionen.line(i).right(6)})
                                 .value(0);
        longNames += name.size() > 9;
        EXPECT_EQ(row(lKollisionen, i), (QStringList{name, courses}));
    }
    EXPECT_GT(longNames, 0);

    // The colliding student's courses, one column each, readable.
    clickAt(lKollisionen, 0, 1);
    EXPECT_EQ(w->LKollisionen.selectedRows(), std::vector<int>{0});
    auto* txtMld = child<QTableWidget>(view, "txtMld");
    ASSERT_EQ(txtMld->columnCount(), w->txtMld.size() / 5);
    for (int c = 0; c < txtMld->columnCount(); ++c)
        EXPECT_EQ(txtMld->item(0, c)->text(), w->txtMld.mid(5 * c, 5).trimmed());
    QApplication::processEvents();
    EXPECT_TRUE(txtMld->viewport()->rect().contains(txtMld->visualItemRect(txtMld->item(0, 0))))
        << "the row of courses can be read";

    // A click in the grid lists the course's students by course and name.
    clickAt(child<QTableView>(view, "grdSchienen"), 0, 0);
    auto* lSchImBlock = list("LSchImBlock");
    ASSERT_EQ(headings(lSchImBlock), (QStringList{"Kurs", "Name"}));
    ASSERT_GT(w->LSchImBlock.count(), 0);
    EXPECT_EQ(row(lSchImBlock, 0), (QStringList{w->LSchImBlock.line(0).left(5).trimmed(),
                                                w->LSchImBlock.line(0).mid(6).trimmed()}));

    // The counts follow the lists, emptied too.
    EXPECT_EQ(label("lblSchImBlock"), QString::number(w->LSchImBlock.count()));
    clickAt(lnKurse, first);
    clickAt(lnKurse, second);
    EXPECT_EQ(label("lblSchueler") + QString::number(lSchueler->model()->rowCount()), "00");
    w->grdSchienen.click(0, 0);
    EXPECT_EQ(label("lblSchImBlock"), "0");
}

TEST_F(Workspace, TheArrowKeysMoveTheCurrentCellAndTheSelectionAndTabLeavesTheGrid) {
    auto* grid = child<gui::RailGridView>(view, "grdSchienen");
    ui::Grid& g = w->grdSchienen;
    ASSERT_GE(g.Cols(), 5);
    // The current cell, the selection's corners and the rails whose header is marked.
    const auto sel = [&g, grid] {
        QString out = QString("%1,%2 %3,%4-%5,%6 ")
                          .arg(g.Row())
                          .arg(g.Col())
                          .arg(g.SelStartRow())
                          .arg(g.SelStartCol())
                          .arg(g.SelEndRow())
                          .arg(g.SelEndCol());
        for (int c = 0; c < g.Cols(); ++c)
            if (grid->model()->headerData(c, Qt::Horizontal, Qt::FontRole).value<QFont>().bold())
                out += QString("b%1").arg(c);
        return out;
    };
    // After loading: course row 1 of the first rail, its header marked.
    EXPECT_EQ(sel(), "1,0 1,0-1,0 b0");
    const auto shift = Qt::ShiftModifier;
    const std::tuple<std::vector<std::pair<int, Qt::KeyboardModifiers>>, QString> moves[] = {
        {{{Qt::Key_Down, {}}}, "2,0 2,0-2,0 b0"},
        {{{Qt::Key_Right, {}}}, "2,1 2,1-2,1 b1"},
        // Shift moves the far corner, the current cell stays; above it the corner turns.
        {{{Qt::Key_Right, shift}, {Qt::Key_Down, shift}}, "2,1 2,1-3,2 b1"},
        {{{Qt::Key_Up, shift}, {Qt::Key_Up, shift}}, "2,1 1,1-2,2 b1"},
        {{{Qt::Key_Up, {}}, {Qt::Key_Up, {}}}, "1,1 1,1-1,1 b1"}, // stops at course row 1
        {{{Qt::Key_Left, {}}, {Qt::Key_Left, {}}}, "1,0 1,0-1,0 b0"},
    };
    for (const auto& [keys, expected] : moves) {
        for (const auto& [k, m] : keys)
            test::key(grid, k, m);
        EXPECT_EQ(sel(), expected);
    }
    ASSERT_GT(w->LSchImBlock.count(), 0) << "the move runs the click";
    EXPECT_EQ(w->LSchImBlock.line(0).left(5), g.TextMatrix(1, 0).left(5));
    // A press on a rail header marks the whole rail; a double-click on it is one on the rail.
    emit grid->horizontalHeader()->sectionPressed(2);
    EXPECT_EQ(sel(), QString("0,2 1,2-%1,2 b2").arg(g.Rows() - 1));
    EXPECT_GT(w->LSchImBlock.count(), 0) << "the rail's students are listed";
    quiet.onMessage(
        QString::fromUtf8("Schiene enthält bereits Kurse!\r\nÄnderungen nicht möglich!"));
    emit grid->horizontalHeader()->sectionDoubleClicked(2);
    EXPECT_EQ(quiet.pending(), 0u) << "\"Stunde ändern\" ran for the rail";
    // Shift with a press on a rail header extends the marking to that rail, as dragging does.
    auto* header = grid->horizontalHeader();
    test::clickAt(header->viewport(),
                  QPoint(header->sectionViewportPosition(4) + header->sectionSize(4) / 2, 3),
                  shift);
    EXPECT_EQ(sel(), QString("0,2 1,2-%1,4 b2").arg(g.Rows() - 1));

    view->show();
    QApplication::setActiveWindow(view);
    grid->setFocus();
    ASSERT_TRUE(grid->hasFocus());
    test::key(grid, Qt::Key_Tab);
    EXPECT_FALSE(grid->hasFocus()) << "Tab leaves the grid for the next control";
}

// At 1600 pixels every rail of the demo school shows beside the lists; the plan's collisions and
// a colliding student's courses rail by rail stand under the grid.
TEST_F(Workspace, ShowsEveryRailAndThePlansCollisions) {
    view->setWindowState(Qt::WindowNoState);
    view->resize(1600, 1000);
    view->show();
    QApplication::processEvents();
    auto* grid = child<QTableView>(view, "grdSchienen");
    ASSERT_GE(w->grdSchienen.Cols(), 14);
    EXPECT_LE(grid->horizontalHeader()->length(), grid->viewport()->width());

    auto* plan = list("LPlanKollisionen");
    ASSERT_EQ(headings(plan), (QStringList{"Name", "Klasse", "Schiene", "Kurse"}));
    ASSERT_EQ(plan->model()->rowCount(), w->LPlanKollisionen.count());
    ASSERT_GT(w->LPlanKollisionen.count(), 0) << "the demo school has collisions";
    clickAt(plan, 0);
    auto* rails = list("LSchuelerSchienen");
    ASSERT_EQ(headings(rails), (QStringList{"Schiene", "Kurse"}));
    ASSERT_EQ(rails->model()->rowCount(), w->LSchuelerSchienen.count());
    QStringList meeting;
    for (int r = 0; r < rails->model()->rowCount(); ++r)
        if (row(rails, r)[0].endsWith(" !"))
            meeting << row(rails, r)[0].chopped(2) + ": " + row(rails, r)[1];
    EXPECT_TRUE(meeting.contains(row(plan, 0)[2] + ": " + row(plan, 0)[3]))
        << meeting.join('|').toStdString();
}

TEST_F(Workspace, OpensMaximisedThenAsLeftOnTheScreenAndClosesOnlyWhenSaved) {
    EXPECT_TRUE(view->windowState() & Qt::WindowMaximized);
    // Escape does not close it, and a failed save keeps it open.
    view->show();
    test::key(view, Qt::Key_Escape);
    EXPECT_TRUE(view->isVisible()) << "Escape closed the workspace";
    EXPECT_TRUE(quiet.messages.empty());
    w->saveLockTimeoutMs = 50;
    {
        db::Connection other(s.databasePath());
        db::Transaction lock(other);
        quiet.onMessage(ui::Answer::Yes).onMessage(ui::Answer::Ok);
        view->close();
        EXPECT_TRUE(view->isVisible()) << "the locked file kept the workspace open";
    }
    // Closing remembers the window; one placed off the screen comes back.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    view->setWindowState(Qt::WindowNoState);
    view->setGeometry(screen.right() + 400, screen.bottom() + 300, 1000, 700);
    quiet.onMessage(ui::Answer::Yes);
    view->close();
    EXPECT_FALSE(view->isVisible());
    placement::SetzenK again(s, quiet);
    again.Form_Load();
    host.showModeless(again);
    std::unique_ptr<QWidget> second(host.viewOf(again));
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(second->size(), QSize(1000, 700));
    EXPECT_TRUE(screen.contains(second->geometry())) << "on the screen";
}

TEST_F(Workspace, MenuItemsHaveTheirKeysTheBewertungFollowsTheCohortAndTheFixedMarkShows) {
    QStringList keys;
    for (const char* name : {"menuBearbAus", "menuBearbEinf", "menuBearbRueck", "menuHilfeHilfe"})
        keys << child<QAction>(view, name)->shortcut().toString();
    EXPECT_EQ(keys, (QStringList{"Ctrl+X", "Ctrl+V", "Ctrl+Z", "F1"}));
    child<QAction>(view, "menuHilfeHilfe")->trigger();
    ASSERT_EQ(quiet.help.size(), 1u);
    EXPECT_EQ(common::helpPage(quiet.help.front()), "setzen.html");
    auto* cohort = child<QComboBox>(view, "CmbJahrgang");
    ASSERT_EQ(cohort->count(), 2);
    EXPECT_EQ(cohort->currentText(), "Jahrgangsstufe 12 (2009)");
    auto* lines = child<QLabel>(view, "lblBewertung");
    EXPECT_EQ(lines->text(), w->lblBewertung.join('\n'));
    cohort->setCurrentIndex(1);
    emit cohort->activated(1);
    EXPECT_EQ(w->Jahrgang(), 2008);
    EXPECT_EQ(lines->text(), w->lblBewertung.join('\n'));

    // "fixieren / lösen" from the menu marks the selected entry with "*" after its name.
    w->grdSchienen.click(1, 0);
    const QString entry = w->grdSchienen.TextMatrix(1, 0);
    child<QAction>(view, "menuBearbFix")->trigger();
    EXPECT_EQ(child<QTableView>(view, "grdSchienen")->model()->index(0, 0).data().toString(),
              (entry.left(5).trimmed() + "*").leftJustified(6) + entry.mid(6));
    EXPECT_FALSE(child<QAction>(view, "menuBearbRueck")->isEnabled());
}

TEST_F(Workspace, TheAutoSetzenWindowShowsItsProgressAndResult) {
    blocking::Model m;
    {
        db::Connection c(s.databasePath());
        m = blocking::Model::load(c, {s.SchjID, s.SchjBez}, 2009);
    }
    w->fitToGrid(m);
    placement::frmAutoSetzen a(std::move(m), quiet);
    host.showModeless(a);
    std::unique_ptr<QWidget> auto_(host.viewOf(a));
    ASSERT_TRUE(auto_);
    EXPECT_TRUE(child<QRadioButton>(auto_.get(), "optRest")->isChecked());
    EXPECT_EQ(child<QLabel>(auto_.get(), "lblVorher")->text(), a.lblVorher.join('\n'));
    auto* uebernehmen = child<QPushButton>(auto_.get(), "cmdUebernehmen");
    EXPECT_FALSE(uebernehmen->isEnabled());

    EXPECT_TRUE(child<QListWidget>(auto_.get(), "lstWechsel")->isHidden());
    // Two seconds of "Alles neu": the timer shows the progress, then the result.
    child<QRadioButton>(auto_.get(), "optAlles")->click();
    EXPECT_TRUE(a.optAlles);
    auto* time = child<QLineEdit>(auto_.get(), "txtZeit");
    emit time->textEdited("2");
    child<QPushButton>(auto_.get(), "cmdStart")->click();
    EXPECT_TRUE(a.running());
    EXPECT_FALSE(time->isEnabled());
    auto* bar = child<QProgressBar>(auto_.get(), "prgSuche");
    auto* caption = child<QLabel>(auto_.get(), "lblNachherCaption");
    QElapsedTimer clock;
    clock.start();
    bool midway = false;
    while (a.running() && clock.elapsed() < 20000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!midway && bar->value() >= 40) {
            EXPECT_EQ(caption->text(), "Bisher bestes Ergebnis");
            midway = true;
        }
    }
    EXPECT_TRUE(midway) << "the progress bar moved while the search ran";
    ASSERT_FALSE(a.running());
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(caption->text(), "Nachher");
    EXPECT_EQ(child<QLabel>(auto_.get(), "lblNachher")->text(), a.lblNachher.join('\n'));
    EXPECT_TRUE(uebernehmen->isEnabled());
    // The reasons follow the window, also when only a later line changed.
    auto* reasons = child<QListWidget>(auto_.get(), "lblGruende");
    a.lblGruende = QStringList{"eins", "zwei"};
    emit a.changed();
    a.lblGruende[1] = "drei";
    emit a.changed();
    ASSERT_EQ(reasons->count(), 2);
    EXPECT_EQ(reasons->item(1)->text(), "drei");
    uebernehmen->click();
    EXPECT_TRUE(a.accepted());
}
