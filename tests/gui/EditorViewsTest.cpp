#include "editors/BlDat.h"
#include "editors/frmBeleg.h"
#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "platform/RunState.h"
#include "support/DemoSchool.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <gtest/gtest.h>

// The two editors' views on the demo school: they show their models, and keys and clicks reach
// the windows' handlers.

namespace {

void press(QWidget* w, Qt::Key key, const QString& text = {}) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &e);
}

void screenshot(QWidget* view, const char* name) {
    QApplication::processEvents();
    QDir().mkpath(KUBB_BINARY_DIR "/screenshots");
    view->grab().save(QStringLiteral(KUBB_BINARY_DIR "/screenshots/%1.png").arg(name));
}

class EditorViews : public ::testing::Test {
protected:
    test::TempDir tmp;
    gui::QtHost host;
    test::ScriptedHost logic;
    platform::RunState s;

    void SetUp() override {
        gui::registerViews(host);
        s.DatenPfad = tmp.dir();
        s.DatenDatei = "BB.MDB";
        ASSERT_TRUE(test::importDemoSchool(s, logic));
        logic.messages.clear();
    }
};

} // namespace

TEST_F(EditorViews, RailEditorForwardsKeysToItsFilter) {
    editors::BlDat w(s, logic);
    w.Form_Load();
    host.showModeless(w);
    QWidget* view = host.viewOf(w);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->windowTitle(), "Tabelle: block");
    auto* list = view->findChild<QListView*>("lstBlock");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->model()->rowCount(), 14);
    auto* bez = view->findChild<QLineEdit*>("cFieldData(2)");
    auto* std = view->findChild<QLineEdit*>("cFieldData(4)");
    ASSERT_TRUE(bez && std);
    EXPECT_EQ(bez->text(), "LK1");
    EXPECT_TRUE(QFontInfo(view->findChild<QComboBox*>("CombSJ")->font()).fixedPitch());
    screenshot(view, "BlDat");

    // LK1 carries courses: the key is refused by the filter.
    logic.onMessage("Block enthält bereits Kurse!\r\nÄnderungen nicht mehr möglich!");
    press(std, Qt::Key_5, "5");
    EXPECT_EQ(std->text(), "6");
    // Nor a change made otherwise (a paste by the mouse, a shortcut, setText).
    logic.onMessage("Block enthält bereits Kurse!\r\nÄnderungen nicht mehr möglich!");
    bez->setText("X");
    EXPECT_EQ(bez->text(), "LK1");
    EXPECT_EQ(w.cFieldData[2], "LK1");

    view->findChild<QPushButton*>("NewButton")->click();
    EXPECT_FALSE(list->isEnabled());
    EXPECT_TRUE(view->findChild<QPushButton*>("UpdateButton")->isEnabled());
    press(bez, Qt::Key_S, "S");
    bez->insert(QStringLiteral("Ω")); // not in the export's code page: a beep
    EXPECT_EQ(bez->text(), "S");
    press(bez, Qt::Key_9, "9");
    logic.onMessage("Nur Zahlen zwischen 0 und 6");
    press(std, Qt::Key_7, "7");
    press(std, Qt::Key_3, "3");
    press(std, Qt::Key_Backspace);
    press(std, Qt::Key_2, "2");
    EXPECT_EQ(bez->text(), "S9");
    EXPECT_EQ(std->text(), "2");
    view->findChild<QPushButton*>("UpdateButton")->click();
    EXPECT_EQ(list->model()->rowCount(), 15);
    EXPECT_EQ(w.lstBlock.lines().last(), "S9         15");
    EXPECT_EQ(logic.pending(), 0u);
    delete view;
}

TEST_F(EditorViews, ChoiceEditorShowsTheRowsOfTheChosenStudent) {
    editors::frmBeleg w(s, logic);
    w.Form_Load();
    host.showModeless(w);
    QWidget* view = host.viewOf(w);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->windowTitle(), "Belegungsdaten ");
    EXPECT_EQ(view->findChildren<QComboBox*>().size(), 1 + 2 + 2 * 13);
    auto* students = view->findChild<QListView*>("LstNavigator");
    ASSERT_TRUE(students);
    EXPECT_EQ(students->model()->rowCount(), 120);
    auto* subject = view->findChild<QComboBox*>("CmbFachGK(0)");
    ASSERT_TRUE(subject);
    EXPECT_TRUE(QFontInfo(subject->font()).fixedPitch());

    students->selectionModel()->select(students->model()->index(0, 0),
                                       QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(w.student(), w.LstNavigator.line(0).right(6)) << "the click reached the handler";
    EXPECT_EQ(subject->currentText(), w.CmbFachGK[0].text());
    EXPECT_FALSE(w.lblKursKG[0].isEmpty());
    EXPECT_EQ(view->findChild<QLabel*>("lblKursKG(0)")->text(), w.lblKursKG[0]);
    EXPECT_EQ(view->findChild<QComboBox*>("CmbBlGK(0)")->currentText(), w.CmbBlGK[0].text());
    screenshot(view, "frmBeleg");
    delete view;
}
