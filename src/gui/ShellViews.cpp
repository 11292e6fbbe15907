#include "gui/ShellViews.h"

#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "gui/CommandButtons.h"
#include "gui/QtHost.h"
#include "ui/Command.h"
#include "ui/Host.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>

namespace gui {

QFont courierNew(int pointSize) {
    // Liberation Mono has Courier New's metrics; the fixed layouts need any fixed-pitch font.
    for (const QString& family :
         {ui::kCourierNew, QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")}) {
        QFont f(family, pointSize);
        f.setStyleHint(QFont::Monospace);
        f.setFixedPitch(true);
        if (QFontInfo(f).fixedPitch())
            return f;
    }
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSize(pointSize);
    return f;
}

MainWindowView::MainWindowView(app::MDIKundB& w, QtHost& host) : w_(w), host_(host) {
    auto* workspace = new QFrame(this);
    workspace->setFrameShape(QFrame::StyledPanel);
    workspace->setBackgroundRole(QPalette::Dark);
    workspace->setAutoFillBackground(true);
    setCentralWidget(workspace);

    auto* picture1 = new QFrame(this);
    picture1->setFrameShape(QFrame::Panel);
    picture1->setFrameShadow(QFrame::Sunken);
    auto* label1 = new QLabel(picture1);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setFont(courierNew(10));
    auto* pl = new QHBoxLayout(picture1);
    pl->setContentsMargins(4, 1, 4, 1);
    pl->addWidget(label1, 1);
    statusBar()->addWidget(picture1, 1);
    statusBar()->setSizeGripEnabled(true);
    host_.setStatusLabel(label1);

    commandMenus(w_, host_, menuBar());
    connect(&w_, &ui::Window::changed, this, &MainWindowView::refresh);
    resize(900, 620);
    refresh();
}

void MainWindowView::refresh() {
    setWindowTitle(w_.caption());
    showEnabled(w_, this);
}

void MainWindowView::closeEvent(QCloseEvent* e) {
    host_.quit();
    e->accept();
}

LauncherView::LauncherView(app::frmAuswahl& w, QtHost& host, QWidget* parent)
    : QDialog(parent, Qt::Window), w_(w), host_(host) {
    setWindowTitle(w_.caption());
    auto* layout = new QVBoxLayout(this);
    QFont big = font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    for (QPushButton* button : commandButtons(w_, host_, this)) {
        button->setFont(big);
        button->setMinimumSize(260, 58);
        button->setAutoDefault(false);
        layout->addWidget(button);
    }
    connect(&w_, &ui::Window::changed, this, &LauncherView::refresh);
    refresh();
}

void LauncherView::refresh() {
    setWindowTitle(w_.caption());
    showEnabled(w_, this);
}

void LauncherView::showEvent(QShowEvent* e) {
    // Beside the main window, to its right.
    if (QWidget* main = host_.mainWidget()) {
        const QRect frame = main->frameGeometry();
        move(frame.right() + 8, frame.top());
    }
    QDialog::showEvent(e);
}

void LauncherView::closeEvent(QCloseEvent* e) {
    // The launcher stays beside the main window for the whole run.
    e->ignore();
}

HinwFehltView::HinwFehltView(app::frmHinwFehlt& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    setWindowTitle(w_.caption());
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(w_.lblHinweis, this);
    hint->setObjectName(QStringLiteral("lblHinweis"));
    hint->setWordWrap(true);
    QFont bold = hint->font();
    bold.setBold(true);
    hint->setFont(bold);
    layout->addWidget(hint);
    // A long path wraps at its separators rather than widen the window past the screen.
    auto* label1 = new QLabel(QString(w_.Label1)
                                  .replace(QLatin1Char('/'), QStringLiteral("/\u200b"))
                                  .replace(QLatin1Char('\\'), QStringLiteral("\\\u200b")),
                              this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    label1->setFrameShape(QFrame::Panel);
    label1->setFrameShadow(QFrame::Sunken);
    layout->addWidget(label1);
    auto* row = new QHBoxLayout;
    for (QPushButton* b : commandButtons(w_, host_, this)) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    layout->addLayout(row);
    adjustSize();
    // Centred on the screen, as the window places itself when it loads.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move((s.width() - width()) / 2, (s.height() - height()) / 2);
    }
}

void HinwFehltView::closeEvent(QCloseEvent* e) {
    ui::runCommand(host_, [&]() { w_.Form_Unload(); });
    QDialog::closeEvent(e);
}

void keepOnScreen(QWidget* w) {
    QScreen* screen = QGuiApplication::screenAt(w->geometry().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect r = w->geometry();
    r.setWidth(std::min(r.width(), area.width()));
    r.setHeight(std::min(r.height(), area.height()));
    r.moveLeft(std::clamp(r.left(), area.left(), area.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), area.top(), area.bottom() - r.height() + 1));
    w->setGeometry(r);
}

} // namespace gui
