#include "ui/Window.h"

namespace ui {

const Command* Window::command(const QString& name) const {
    for (const Command& c : commands_)
        if (c.name == name)
            return &c;
    return nullptr;
}

bool Window::click(const QString& name) {
    const Command* c = command(name);
    if (!c || !c->enabled || !c->handler)
        return false;
    // A copy: the handler may change the list (enable or disable commands).
    const std::function<void()> handler = c->handler;
    handler();
    return true;
}

void Window::setCommandCaption(const QString& name, const QString& caption) {
    for (Command& c : commands_)
        if (c.name == name && c.caption != caption) {
            c.caption = caption;
            emit changed();
        }
}

void Window::setEnabled(const QString& name, bool on) {
    for (Command& c : commands_)
        if (c.name == name && c.enabled != on) {
            c.enabled = on;
            emit changed();
        }
}

} // namespace ui
