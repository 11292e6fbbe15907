#pragma once

#include <QObject>
#include <QString>

namespace ui {

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

signals:
    // Something the view shows has changed (captions, labels, enabled states).
    void changed();

private:
    QString name_;
    QString caption_;
};

} // namespace ui
