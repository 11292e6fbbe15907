#include "gui/SetzenKView.h"
#include "common/Help.h"
#include "common/MessageWindow.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "gui/ImportViews.h"
#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "support/DemoSchool.h"
#include "support/Printers.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QTableWidget>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

void clickAt(QAbstractItemView* v, const QModelIndex& i) {
    const QPointF p = v->visualRect(i).center();
    const QPointF g = v->viewport()->mapToGlobal(p);
    QMouseEvent press(QEvent::MouseButtonPress, p, g, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, p, g, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(v->viewport(), &press);
    QApplication::sendEvent(v->viewport(), &release);
}

void key(QWidget* w, int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, k, m);
    QApplication::sendEvent(w, &press);
}

QStringList headings(QAbstractItemView* v) {
    QStringList out;
    for (int c = 0; c < v->model()->columnCount(); ++c)
        out << v->model()->headerData(c, Qt::Horizontal).toString();
    return out;
}

QStringList row(QAbstractItemView* v, int r) {
    QStringList out;
    for (int c = 0; c < v->model()->columnCount(); ++c)
        out << v->model()->index(r, c).data().toString();
    return out;
}

// The placement workspace on the demo school, its logic answering through a scripted host and
// shown through the Qt host.
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
        test::importDemoSchool(s, quiet);
        w = std::make_unique<placement::SetzenK>(s, quiet);
        w->Form_Load();
        w->Bewerten();
        host.showModeless(*w);
        view = host.viewOf(*w);
        ASSERT_TRUE(view);
    }
    void TearDown() override { delete view; }

    template <class T = QTreeView> T* find(const char* name) {
        auto* v = view->findChild<T*>(name);
        EXPECT_TRUE(v) << name;
        return v;
    }
    QString label(const char* name) { return find<QLabel>(name)->text(); }

    // Two courses of LNKurse with common students, found through the logic.
    std::pair<int, int> collidingCourses() {
        for (int i = 0; i < w->LNKurse.count(); ++i)
            for (int j = i + 1; j < w->LNKurse.count(); ++j) {
                w->LNKurse.setLines(w->LNKurse.lines());
                w->LNKurse.setSelected(i, true);
                w->LNKurse.setSelected(j, true);
                w->LNKurse_Click();
                if (w->LKollisionen.count() > 0) {
                    w->LNKurse.setLines(w->LNKurse.lines());
                    w->LNKurse_Click();
                    return {i, j};
                }
            }
        return {-1, -1};
    }
};

} // namespace

TEST_F(Workspace, ListsShowTheirFieldsInColumnsAndSelectionsMapBackToTheLines) {
    EXPECT_EQ(view->windowTitle(), "Setzen der Kurse");
    auto* lnKurse = find("LNKurse");
    ASSERT_EQ(headings(lnKurse), (QStringList{"Kurs", "Stunden", QString::fromUtf8("Schüler")}));
    ASSERT_EQ(lnKurse->model()->rowCount(), w->LNKurse.count());
    {
        db::Connection c(s.databasePath());
        for (int i = 0; i < w->LNKurse.count(); ++i) {
            // Characters 1-5 the name, 7 the hours; the school year and key are left out and
            // the students are counted.
            const QString& l = w->LNKurse.line(i);
            EXPECT_EQ(row(lnKurse, i),
                      (QStringList{l.left(5).trimmed(), l.mid(6, 1),
                                   QString::number(db::AnzBelKurs(c, l.right(6)))}))
                << l.toStdString();
        }
    }

    const auto [first, second] = collidingCourses();
    ASSERT_GE(second, 0);
    clickAt(lnKurse, lnKurse->model()->index(first, 0));
    clickAt(lnKurse, lnKurse->model()->index(second, 1));
    EXPECT_EQ(w->LNKurse.selectedRows(), (std::vector<int>{first, second}))
        << "a click on any column selects the line";

    auto* lSchueler = find("LSchueler");
    ASSERT_EQ(headings(lSchueler), (QStringList{"Name", "Klasse", "Kurs"}));
    ASSERT_EQ(lSchueler->model()->rowCount(), w->LSchueler.count());
    for (int i = 0; i < w->LSchueler.count(); ++i) {
        const QString& l = w->LSchueler.line(i);
        EXPECT_EQ(row(lSchueler, i), (QStringList{l.left(11).trimmed(), l.mid(11, 2).trimmed(),
                                                  l.mid(13, 5).trimmed()}));
        EXPECT_EQ(lSchueler->selectionModel()->isRowSelected(i, {}), w->LSchueler.selected(i))
            << "the marking of colliding students shows";
    }
    EXPECT_EQ(label("lblSchueler"), QString::number(w->LSchueler.count()));

    auto* lKollisionen = find("LKollisionen");
    ASSERT_EQ(headings(lKollisionen), (QStringList{"Name", "Kurse"}));
    ASSERT_GT(w->LKollisionen.count(), 0);
    const QString firstCourse = w->LNKurse.line(first).left(5);
    const QString secondCourse = w->LNKurse.line(second).left(5);
    // The whole names, though the lines hold nine characters of them.
    int longNames = 0;
    {
        db::Connection c(s.databasePath());
        for (int i = 0; i < w->LKollisionen.count(); ++i) {
            QSqlQuery q = c.exec("SELECT KO_FAMNAME, KO_RUFNAME FROM kolleg WHERE KO_VFP_ID = ?",
                                 {w->LKollisionen.line(i).right(6)});
            ASSERT_TRUE(q.next());
            const QString name =
                q.value(0).toString().trimmed() + " " + q.value(1).toString().trimmed();
            longNames += name.size() > 9;
            EXPECT_EQ(row(lKollisionen, i),
                      (QStringList{name, (firstCourse + " " + secondCourse).trimmed()}));
        }
    }
    EXPECT_GT(longNames, 0);
    EXPECT_EQ(label("lblKollisionen"), QString::number(w->LKollisionen.count()));

    // The colliding student's courses, one column each.
    clickAt(lKollisionen, lKollisionen->model()->index(0, 1));
    EXPECT_EQ(w->LKollisionen.selectedRows(), std::vector<int>{0});
    auto* txtMld = find<QTableWidget>("txtMld");
    ASSERT_FALSE(w->txtMld.isEmpty());
    ASSERT_EQ(txtMld->columnCount(), w->txtMld.size() / 5);
    QStringList shown;
    for (int c = 0; c < txtMld->columnCount(); ++c)
        shown << txtMld->item(0, c)->text();
    EXPECT_TRUE(shown.contains(firstCourse.trimmed()) && shown.contains(secondCourse.trimmed()));
    QApplication::processEvents();
    EXPECT_TRUE(txtMld->viewport()->rect().contains(txtMld->visualItemRect(txtMld->item(0, 0))))
        << "the row of courses can be read";

    // A click in the grid lists the course's students by course and name.
    auto* grid = find<QTableView>("grdSchienen");
    clickAt(grid, grid->model()->index(0, 0));
    auto* lSchImBlock = find("LSchImBlock");
    ASSERT_EQ(headings(lSchImBlock), (QStringList{"Kurs", "Name"}));
    ASSERT_GT(w->LSchImBlock.count(), 0);
    EXPECT_EQ(row(lSchImBlock, 0), (QStringList{w->LSchImBlock.line(0).left(5).trimmed(),
                                                w->LSchImBlock.line(0).mid(6).trimmed()}));
    EXPECT_EQ(label("lblSchImBlock"), QString::number(w->LSchImBlock.count()));

    // Emptied lists: their counts follow.
    clickAt(lnKurse, lnKurse->model()->index(first, 0));
    clickAt(lnKurse, lnKurse->model()->index(second, 0));
    EXPECT_EQ(lSchueler->model()->rowCount(), 0);
    EXPECT_EQ(label("lblSchueler"), "0");
    w->grdSchienen.click(0, 0);
    EXPECT_EQ(label("lblSchImBlock"), "0");

    QApplication::processEvents();
    QDir().mkpath(KUBB_BINARY_DIR "/screenshots");
    view->resize(1280, 760);
    view->grab().save(KUBB_BINARY_DIR "/screenshots/SetzenK.png");
}

TEST_F(Workspace, TheArrowKeysMoveTheCurrentCellAndTheSelectionAndTabLeavesTheGrid) {
    auto* grid = find<gui::RailGridView>("grdSchienen");
    ui::Grid& g = w->grdSchienen;
    ASSERT_GE(g.Cols(), 3);
    ASSERT_GE(g.Rows(), 4);
    const auto sel = [&g] {
        return QString("%1,%2 %3,%4-%5,%6")
            .arg(g.Row())
            .arg(g.Col())
            .arg(g.SelStartRow())
            .arg(g.SelStartCol())
            .arg(g.SelEndRow())
            .arg(g.SelEndCol());
    };
    const auto bold = [grid](int c) {
        return grid->model()->headerData(c, Qt::Horizontal, Qt::FontRole).value<QFont>().bold();
    };
    // After loading: course row 1 of the first rail, its header marked.
    EXPECT_EQ(sel(), "1,0 1,0-1,0") << "the current cell is the selected one";
    EXPECT_TRUE(bold(0));
    EXPECT_FALSE(bold(1));

    key(grid, Qt::Key_Down);
    EXPECT_EQ(sel(), "2,0 2,0-2,0");
    key(grid, Qt::Key_Right);
    EXPECT_EQ(sel(), "2,1 2,1-2,1");
    EXPECT_TRUE(bold(1));
    EXPECT_FALSE(bold(0));
    const QString course = g.TextMatrix(2, 1).left(5);
    ASSERT_GT(w->LSchImBlock.count(), 0) << "the move runs the click";
    EXPECT_EQ(w->LSchImBlock.line(0).left(5), course);

    key(grid, Qt::Key_Right, Qt::ShiftModifier);
    key(grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(sel(), "2,1 2,1-3,2") << "Shift moves the far corner, the current cell stays";
    key(grid, Qt::Key_Up, Qt::ShiftModifier);
    key(grid, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(sel(), "2,1 1,1-2,2") << "above the current cell the corner turns";
    key(grid, Qt::Key_Up);
    key(grid, Qt::Key_Up);
    EXPECT_EQ(sel(), "1,1 1,1-1,1") << "the arrows stop at the first course row";
    key(grid, Qt::Key_Left);
    key(grid, Qt::Key_Left);
    EXPECT_EQ(sel(), "1,0 1,0-1,0");

    // A press on a rail header marks the whole rail; a double-click on it is one on the rail.
    emit grid->horizontalHeader()->sectionPressed(2);
    EXPECT_EQ(sel(), QString("0,2 1,2-%1,2").arg(g.Rows() - 1));
    EXPECT_TRUE(bold(2));
    EXPECT_GT(w->LSchImBlock.count(), 0) << "the rail's students are listed";
    quiet.onMessage(
        QString::fromUtf8("Schiene enthält bereits Kurse!\r\nÄnderungen nicht möglich!"));
    emit grid->horizontalHeader()->sectionDoubleClicked(2);
    EXPECT_EQ(quiet.pending(), 0u) << "\"Stunde ändern\" ran for the rail";

    // Tab leaves the grid for the next control.
    view->show();
    QApplication::setActiveWindow(view);
    grid->setFocus();
    ASSERT_TRUE(grid->hasFocus());
    key(grid, Qt::Key_Tab);
    EXPECT_FALSE(grid->hasFocus());

    // Shift with a press on a rail header extends the marking to that rail, as dragging does.
    auto* header = grid->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(4) + header->sectionSize(4) / 2, 3);
    QMouseEvent press(QEvent::MouseButtonPress, at, header->viewport()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, header->viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
    QApplication::sendEvent(header->viewport(), &press);
    QApplication::sendEvent(header->viewport(), &release);
    EXPECT_EQ(sel(), QString("0,2 1,2-%1,4").arg(g.Rows() - 1));
}

// The keys of the menu items; F1 opens the help at the workspace's page.
TEST_F(Workspace, MenuItemsHaveTheirKeysAndF1OpensTheHelp) {
    const std::pair<const char*, QKeySequence> keys[] = {
        {"menuBearbAus", QKeySequence(Qt::CTRL | Qt::Key_X)},
        {"menuBearbEinf", QKeySequence(Qt::CTRL | Qt::Key_V)},
        {"menuBearbRueck", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {"menuHilfeHilfe", QKeySequence(Qt::Key_F1)},
    };
    for (const auto& [name, sequence] : keys) {
        auto* action = view->findChild<QAction*>(name);
        ASSERT_TRUE(action) << name;
        EXPECT_EQ(action->shortcut(), sequence) << name;
    }
    view->findChild<QAction*>("menuHilfeHilfe")->trigger();
    ASSERT_EQ(quiet.help.size(), 1u);
    EXPECT_EQ(common::helpPage(quiet.help.front()), "setzen.html");
}

// At 1600 pixels every rail of the demo school shows beside the lists; the plan's collisions and
// a colliding student's courses rail by rail stand under the grid.
TEST_F(Workspace, ShowsEveryRailAndThePlansCollisions) {
    view->setWindowState(Qt::WindowNoState);
    view->resize(1600, 1000);
    view->show();
    QApplication::processEvents();
    auto* grid = find<QTableView>("grdSchienen");
    ASSERT_GE(w->grdSchienen.Cols(), 14);
    EXPECT_LE(grid->horizontalHeader()->length(), grid->viewport()->width());

    auto* plan = find("LPlanKollisionen");
    ASSERT_EQ(headings(plan), (QStringList{"Name", "Klasse", "Schiene", "Kurse"}));
    ASSERT_EQ(plan->model()->rowCount(), w->LPlanKollisionen.count());
    ASSERT_GT(w->LPlanKollisionen.count(), 0) << "the demo school has collisions";
    clickAt(plan, plan->model()->index(0, 0));
    auto* rails = find("LSchuelerSchienen");
    ASSERT_EQ(headings(rails), (QStringList{"Schiene", "Kurse"}));
    ASSERT_EQ(rails->model()->rowCount(), w->LSchuelerSchienen.count());
    QStringList meeting;
    for (int r = 0; r < rails->model()->rowCount(); ++r)
        if (row(rails, r)[0].endsWith(" !"))
            meeting << row(rails, r)[0].chopped(2) + ": " + row(rails, r)[1];
    EXPECT_TRUE(meeting.contains(row(plan, 0)[2] + ": " + row(plan, 0)[3]))
        << meeting.join('|').toStdString();
}

TEST_F(Workspace, OpensMaximisedThenAsTheUserLeftItAndAlwaysOnTheScreen) {
    EXPECT_TRUE(view->windowState() & Qt::WindowMaximized);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();

    // Closing, without saving, remembers the window; one placed off the screen comes back onto
    // it.
    view->setWindowState(Qt::WindowNoState);
    view->setGeometry(screen.right() + 400, screen.bottom() + 300, 1000, 700);
    quiet.onMessage(ui::Answer::Cancel);
    view->close();
    EXPECT_TRUE(QSettings().contains("SetzenK/geometry"));

    placement::SetzenK again(s, quiet);
    again.Form_Load();
    host.showModeless(again);
    QWidget* second = host.viewOf(again);
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(second->size(), QSize(1000, 700));
    EXPECT_TRUE(screen.contains(second->geometry())) << "on the screen";
    delete second;
}

TEST(BelegungenView, ShowsEachStudentsNameAndCoursesInColumns) {
    test::ScriptedHost quiet;
    gui::QtHost host;
    common::frmFMld window(quiet);
    window.setCaption("Belegungen");
    window.lineLayout = common::frmFMld::LineLayout::Belegungen;
    window.appendLine("Arnold Jör.1LM1 1D2  1Ph1 ");
    window.appendLine("Horn       2LE1 ");
    gui::FMldView view(window, host, nullptr);
    auto* table = view.findChild<QTableWidget*>("Belegungen");
    ASSERT_TRUE(table);
    EXPECT_EQ(headings(table), (QStringList{"Name", "Kurs 1", "Kurs 2", "Kurs 3"}));
    EXPECT_EQ(row(table, 0),
              (QStringList{QString::fromUtf8("Arnold Jör."), "1LM1", "1D2", "1Ph1"}));
    EXPECT_EQ(row(table, 1), (QStringList{"Horn", "2LE1", "", ""}));
    EXPECT_EQ(window.txtFMld,
              QString::fromUtf8("Arnold Jör.1LM1 1D2  1Ph1 \r\nHorn       2LE1 \r\n"))
        << "the text printed stays the fixed layout";
}

TEST_F(Workspace, EscapeDoesNotCloseItAndAFailedSaveKeepsItOpen) {
    view->show();
    key(view, Qt::Key_Escape);
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
    quiet.onMessage(ui::Answer::Yes);
    view->close();
    EXPECT_FALSE(view->isVisible());
}
