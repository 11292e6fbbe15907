#include "gui/SetzenKView.h"
#include "db/Database.h"
#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include "support/DemoSchool.h"
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QTableView>

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

} // namespace

TEST(SetzenKView, OpensOnTheDemoSchoolWithRailsCoursesAndCollisions) {
    test::TempDir tmp;
    gui::QtHost host;
    gui::registerViews(host);
    test::ScriptedHost quiet;
    platform::RunState s;
    s.DatenPfad = tmp.dir();
    s.DatenDatei = "BB.MDB";
    test::importDemoSchool(s, quiet);
    placement::SetzenK w(s, quiet);
    w.Form_Load();

    host.showModeless(w);
    QWidget* view = host.viewOf(w);
    ASSERT_TRUE(view) << "SetzenK has a registered view";
    EXPECT_EQ(view->windowTitle(), "Setzen der Kurse");

    auto* grid = view->findChild<QTableView*>("grdSchienen");
    ASSERT_TRUE(grid);
    ASSERT_GT(grid->model()->columnCount(), 0);
    EXPECT_GT(grid->model()->rowCount(), 0) << "the demo school has placed courses";
    const QString header = grid->model()->headerData(0, Qt::Horizontal).toString();
    EXPECT_EQ(header, w.grdSchienen.TextMatrix(0, 0).left(7) + "\n" +
                          w.grdSchienen.TextMatrix(0, 0).mid(9, 3));
    EXPECT_TRUE(QFontInfo(grid->font()).fixedPitch());

    auto* lnKurse = view->findChild<QListView*>("LNKurse");
    auto* lKollisionen = view->findChild<QListView*>("LKollisionen");
    ASSERT_TRUE(lnKurse && lKollisionen);
    ASSERT_GT(lnKurse->model()->rowCount(), 1);
    EXPECT_TRUE(QFontInfo(lnKurse->font()).fixedPitch());

    // Two courses with common students, found through the logic, then clicked in the view.
    int first = -1, second = -1;
    for (int i = 0; i < w.LNKurse.count() && second < 0; ++i)
        for (int j = i + 1; j < w.LNKurse.count() && second < 0; ++j) {
            w.LNKurse.setLines(w.LNKurse.lines());
            w.LNKurse.setSelected(i, true);
            w.LNKurse.setSelected(j, true);
            w.LNKurse_Click();
            if (w.LKollisionen.count() > 0) {
                first = i;
                second = j;
            }
        }
    ASSERT_GE(second, 0);
    w.LNKurse.setLines(w.LNKurse.lines());
    clickAt(lnKurse, lnKurse->model()->index(first, 0));
    EXPECT_EQ(lKollisionen->model()->rowCount(), 0) << "one course alone collides with nothing";
    clickAt(lnKurse, lnKurse->model()->index(second, 0));
    EXPECT_GT(lKollisionen->model()->rowCount(), 0) << "the clicks reached LNKurse_Click";
    EXPECT_EQ(view->findChild<QLabel*>("lblKollisionen")->text(), w.lblKollisionen);

    clickAt(grid, grid->model()->index(0, 0));
    EXPECT_EQ(w.grdSchienen.SelStartRow(), 1);
    EXPECT_GT(w.LSchImBlock.count(), 0) << "a click on a placed course lists its students";

    QApplication::processEvents();
    QDir().mkpath(KUBB_BINARY_DIR "/screenshots");
    view->grab().save(KUBB_BINARY_DIR "/screenshots/SetzenK.png");

    // Escape does not close the workspace; the close box asks, and a failed save keeps it open.
    view->show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(view, &escape);
    EXPECT_TRUE(view->isVisible()) << "Escape closed the workspace";
    EXPECT_TRUE(quiet.messages.empty());
    w.saveLockTimeoutMs = 50;
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
    delete view;
}
