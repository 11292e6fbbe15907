#include "gui/CommandButtons.h"

#include "ui/Command.h"
#include "ui/Window.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHash>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
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

QHBoxLayout* commandRow(ui::Window& w, ui::Host& host, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : commandButtons(w, host, parent)) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    return row;
}

void commandMenus(ui::Window& w, ui::Host& host, QMenuBar* bar) {
    QHash<QString, QMenu*> menus;
    for (const ui::Command& item : w.commands()) {
        if (item.parent.isEmpty()) {
            if (!item.handler)
                menus.insert(item.name, bar->addMenu(item.caption));
            continue;
        }
        QMenu* menu = menus.value(item.parent);
        if (!menu)
            continue;
        if (item.caption == QLatin1String("-")) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(item.caption);
        a->setObjectName(item.name);
        if (const QString keys = w.shortcut(item.name); !keys.isEmpty())
            a->setShortcut(QKeySequence(keys, QKeySequence::PortableText));
        QObject::connect(a, &QAction::triggered, bar, [&w, &host, name = item.name]() {
            ui::runCommand(host, [&]() { w.click(name); });
        });
    }
}

void showEnabled(const ui::Window& w, QWidget* view) {
    for (const ui::Command& c : w.commands()) {
        if (auto* button = view->findChild<QPushButton*>(c.name))
            button->setEnabled(c.enabled);
        if (auto* action = view->findChild<QAction*>(c.name)) {
            action->setEnabled(c.enabled);
            action->setText(c.caption);
        }
    }
}

} // namespace gui
