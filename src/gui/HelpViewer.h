#pragma once

#include "ui/Host.h"

#include <QWidget>

class QListWidget;
class QTextBrowser;

namespace gui {

// The help window: German HTML pages compiled into the program, opened at the page a reference
// names. One window serves the whole run. It belongs to no other window: opened from a message
// box it stays when the box closes, and while a modal window is open it stays usable and in
// front of it (it is made that window's transient child, which modality does not block).
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // Opens the window (made at the first call) at the page of the reference.
    static HelpViewer* show(const ui::HelpRef& ref);
    // The window, when it has been opened.
    static HelpViewer* instance();

    QListWidget* contents() const { return index_; }
    QTextBrowser* browser() const { return browser_; }

protected:
    bool event(QEvent* e) override;

private:
    HelpViewer();
    void open(const QString& page);
    // Makes the topmost modal window, if any, the transient parent.
    void stayAboveModal();
    // Moves the window beside the box where it would cover it (and its buttons), made smaller
    // where the screen leaves less room.
    void keepClearOf(const QWidget* box);
    // Marks the page shown in the contents list.
    void followPage(const QUrl& url);

    QListWidget* index_;
    QTextBrowser* browser_;
    QMetaObject::Connection parentGone_;
};

} // namespace gui
