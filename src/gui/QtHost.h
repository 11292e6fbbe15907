#pragma once

#include "ui/Host.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include <QLabel>

class QCoreApplication;
class QMessageBox;

namespace gui {

// The Qt implementation of the platform port: message boxes, input box, file dialogs, the
// windows' views, the status line, the hourglass, help, the printer and program start.
// Each logic window is shown through the view registered under its name.
class QtHost : public ui::Host {
public:
    using ViewFactory = std::function<QWidget*(ui::Window&, QtHost&, QWidget* parent)>;

    QtHost();
    ~QtHost() override;

    void registerView(const QString& windowName, ViewFactory factory);
    void setMainWidget(QWidget* w) { main_ = w; }
    QWidget* mainWidget() const { return main_; }
    void setStatusLabel(QLabel* label) { status_ = label; }
    // The widget currently showing a logic window, if any.
    QWidget* viewOf(const ui::Window& w) const;

    ui::Answer message(const ui::Message& m) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    std::optional<QString> openFileName(const ui::FileDialog& d) override;
    std::optional<QString> saveFileName(const ui::FileDialog& d) override;
    void showModal(ui::Window& w) override;
    void showModeless(ui::Window& w) override;
    void hide(ui::Window& w) override;
    void setStatus(const QString& text) override;
    void setBusy(bool busy) override;
    void beep() override;
    void showHelp(const ui::HelpRef& ref) override;
    std::unique_ptr<ui::PrintJob> startPrint() override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    void quit() override;
    bool quitRequested() const override { return quit_; }
    void processEvents() override;

private:
    QWidget* parentWidget() const;
    QWidget* makeView(ui::Window& w);
    std::optional<QString> fileDialog(const ui::FileDialog& d, bool save);

    QHash<QString, ViewFactory> factories_;
    QHash<const ui::Window*, QPointer<QWidget>> views_;
    std::vector<QMetaObject::Connection> windowGone_;
    QPointer<QWidget> main_;
    QPointer<QLabel> status_;
    QElapsedTimer statusPainted_;
    int busy_ = 0;
    bool quit_ = false;
};

// Loads the German translation of Qt's own dialogs (qtbase_de of the system's Qt translations);
// false when the catalogue is not installed.
bool loadGermanQtTranslation(QCoreApplication& app);

// Before the application exists: Qt's file dialog writes its dates in the system's language,
// and a German program should not show "7 Dec".
void preferGermanDates();
// Widens a message box so that its title shows whole; titleWidth() is the width it keeps free.
int titleWidth(const QString& title);
void fitTitle(QMessageBox& box);

// Keeps a window on its screen: no larger than the screen's available area (less room for the
// window manager's frame) and, unless Qt places it as a dialog over its parent, inside that area.
// A window whose layout needs more than the screen cannot shrink below it; the geometry test
// finds such a one.
void fitToScreen(QWidget& w);

// Turns the system's "Text|pattern|Text|pattern" filter into Qt's, matching either letter case.
QString qtFilter(const QString& filter, int filterIndex, QString* selected);

} // namespace gui
