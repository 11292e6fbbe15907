#include "gui/CommandButtons.h"

#include "ui/Command.h"
#include "ui/Window.h"

#include <QPushButton>

namespace gui {

QPushButton* commandButton(ui::Window& w, const ui::Command& c, ui::Host& host, QWidget* parent) {
    auto* button = new QPushButton(c.caption, parent);
    button->setObjectName(c.name);
    QObject::connect(button, &QPushButton::clicked, parent, [&w, &host, name = c.name]() {
        ui::runCommand(host, [&]() { w.click(name); });
    });
    return button;
}

std::vector<QPushButton*> commandButtons(ui::Window& w, ui::Host& host, QWidget* parent) {
    std::vector<QPushButton*> buttons;
    for (const ui::Command& c : w.commands())
        buttons.push_back(commandButton(w, c, host, parent));
    return buttons;
}

void showEnabled(const ui::Window& w, QWidget* view) {
    for (const ui::Command& c : w.commands())
        if (auto* button = view->findChild<QPushButton*>(c.name))
            button->setEnabled(c.enabled);
}

} // namespace gui
