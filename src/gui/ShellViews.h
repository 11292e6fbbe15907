#pragma once

#include <QDialog>
#include <QMainWindow>

class QLabel;

namespace app {
class MDIKundB;
class frmAuswahl;
class frmHinwFehlt;
} // namespace app

namespace gui {

class QtHost;

// The main window's view: the menu bar built from the window's menu model, an empty workspace
// and the status line (Label1 on Picture1, Courier New).
class MainWindowView : public QMainWindow {
    Q_OBJECT
public:
    MainWindowView(app::MDIKundB& w, QtHost& host);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void refresh();
    app::MDIKundB& w_;
    QtHost& host_;
};

class LauncherView : public QDialog {
    Q_OBJECT
public:
    LauncherView(app::frmAuswahl& w, QtHost& host, QWidget* parent);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void refresh();
    app::frmAuswahl& w_;
    QtHost& host_;
};

class HinwFehltView : public QDialog {
    Q_OBJECT
public:
    HinwFehltView(app::frmHinwFehlt& w, QtHost& host, QWidget* parent);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    app::frmHinwFehlt& w_;
    QtHost& host_;
};

// Registers the views of every window with the host.
void registerViews(QtHost& host);

// The fixed-pitch font the lists and the status line use: Courier New where installed.
QFont courierNew(int pointSize = 10);

// Places a window so that it lies wholly on the available area of its screen, shrinking it
// where it is larger.
void keepOnScreen(QWidget* w);

} // namespace gui
