#pragma once

#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "platform/RunState.h"
#include "support/DemoSchool.h"
#include "support/Printers.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

// What the view tests share: the user's mouse and keys, what a list view shows, and the Qt host.
namespace test {

// A click on a cell of the view, as the user's mouse gives it.
inline void clickAt(QAbstractItemView* v, int row, int column = 0) {
    QWidget* viewport = v->viewport();
    const QPoint p = v->visualRect(v->model()->index(row, column)).center();
    const QPointF g = viewport->mapToGlobal(QPointF(p));
    QMouseEvent press(QEvent::MouseButtonPress, p, g, Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, p, g, Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(viewport, &press);
    QApplication::sendEvent(viewport, &release);
}

inline void key(QWidget* w, int k, Qt::KeyboardModifiers m = Qt::NoModifier,
                const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, k, m, text);
    QApplication::sendEvent(w, &press);
}

// The cells of one row as the view shows them; for row -1 the column headings.
inline QStringList row(QAbstractItemView* v, int r) {
    QStringList out;
    for (int c = 0; c < v->model()->columnCount(); ++c)
        out << (r < 0 ? v->model()->headerData(c, Qt::Horizontal) : v->model()->index(r, c).data())
                   .toString();
    return out;
}

inline QStringList headings(QAbstractItemView* v) {
    return row(v, -1);
}

// Selects a line as the user does.
inline void pick(QAbstractItemView* v, int r) {
    v->selectionModel()->select(v->model()->index(r, 0), QItemSelectionModel::ClearAndSelect);
}

// The child of that name, failing the test when there is none.
template <class T> T* child(QWidget* view, const char* name) {
    auto* c = view->findChild<T*>(name);
    EXPECT_TRUE(c) << name;
    return c;
}

// The Qt host with every view registered; show() opens a window's view. The windows' own prompts
// go to the scripted host.
struct Views : ::testing::Test {
    TempDir tmp;
    gui::QtHost host;
    platform::RunState s;
    ScriptedHost logic;
    void SetUp() override { gui::registerViews(host); }
    QWidget* show(ui::Window& w) {
        host.showModeless(w);
        QWidget* view = host.viewOf(w);
        EXPECT_TRUE(view) << w.name().toStdString() << " has a registered view";
        return view;
    }
    void demoSchool() {
        s.DatenPfad = tmp.dir();
        s.DatenDatei = "BB.MDB";
        ASSERT_TRUE(importDemoSchool(s, logic));
        logic.messages.clear();
    }
};

} // namespace test
