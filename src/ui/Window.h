#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

namespace ui {

// One button or menu item of a window. The window's logic lists its commands once; the view
// builds its buttons and menus from that list and forwards clicks by name.
struct Command {
    QString name;    // the control's name in the system ("cmdSchA", "menuDateiExp")
    QString caption; // with the "&" of its access key; "-" is a menu separator
    QString parent;  // a menu item's menu; empty for buttons and top-level menus
    bool enabled = true;
    std::function<void()> handler; // none for menus and separators
};

// What a window's Form_Unload decided: it closes, or it stays open (a save that failed, a
// field that cannot be written).
enum class Closing { Close, KeepOpen };

// Base of every window's logic object. The object holds the window's controls as models and
// its handlers; a view in gui/ binds widgets to them. name() is the window's name in the system
// (the Qt host finds the view by it, the scripted host's expectations name it).
class Window : public QObject {
    Q_OBJECT
public:
    explicit Window(QString name, QString caption)
        : name_(std::move(name)), caption_(std::move(caption)) {}

    const QString& name() const { return name_; }
    const QString& caption() const { return caption_; }
    void setCaption(const QString& c) {
        if (c != caption_) {
            caption_ = c;
            emit changed();
        }
    }

    // The window's buttons and menu items, in the order the view shows them.
    const std::vector<Command>& commands() const { return commands_; }
    const Command* command(const QString& name) const;
    // Runs the handler of an enabled command; a disabled one, or one without a handler, does
    // nothing. Returns whether a handler ran.
    bool click(const QString& name);
    void setEnabled(const QString& name, bool on);
    // A new caption for a command (a menu item naming what it would do).
    void setCommandCaption(const QString& name, const QString& caption);
    // The key that runs a menu item, in portable form ("Ctrl+X", "F1"); empty for none.
    QString shortcut(const QString& name) const { return shortcuts_.value(name); }

signals:
    // Something the view shows has changed (captions, labels, enabled states).
    void changed();

protected:
    void setCommands(std::vector<Command> commands) { commands_ = std::move(commands); }
    void setShortcut(const QString& name, const QString& keys) { shortcuts_.insert(name, keys); }

private:
    QString name_;
    QString caption_;
    std::vector<Command> commands_;
    QHash<QString, QString> shortcuts_;
};

} // namespace ui
