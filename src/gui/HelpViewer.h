#pragma once

#include "ui/Host.h"

class QWidget;

namespace gui {

// The help window: German HTML pages compiled into the program, opened at the page a reference
// names. One viewer serves the whole run.
class HelpViewer {
public:
    static void show(const ui::HelpRef& ref, QWidget* parent);
};

} // namespace gui
