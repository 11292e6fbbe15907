#pragma once

#include <vector>

class QHBoxLayout;
class QMenuBar;
class QPushButton;
class QWidget;

namespace ui {
class Host;
class Window;
struct Command;
} // namespace ui

namespace gui {

// A push button for one of the window's commands, named and captioned as the command; a click
// runs the command through the command boundary.
QPushButton* commandButton(ui::Window& w, const ui::Command& c, ui::Host& host, QWidget* parent);

// One such button for each command of the window, in its order.
std::vector<QPushButton*> commandButtons(ui::Window& w, ui::Host& host, QWidget* parent);

// Those buttons in a row on the right, none taking Enter for itself.
QHBoxLayout* commandRow(ui::Window& w, ui::Host& host, QWidget* parent);

// The window's menus: a command without parent and handler is a menu, a command with a parent
// its item ("-" a separator); an item runs its command through the command boundary.
void commandMenus(ui::Window& w, ui::Host& host, QMenuBar* bar);

// Every button and menu item of a command in the view shows whether the command is enabled.
void showEnabled(const ui::Window& w, QWidget* view);

} // namespace gui
