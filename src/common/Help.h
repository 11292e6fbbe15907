#pragma once

#include "ui/Host.h"

#include <QString>

namespace common {

// The pages of the program's help and how references reach them: the contents, the keyword
// "Starten" and the context numbers the windows give their Help buttons.
struct HelpPage {
    QString file;  // file name below the help folder
    QString title; // shown in the viewer's index
};

const std::vector<HelpPage>& helpPages();
// The page a reference opens; the contents page for unknown keywords and numbers.
QString helpPage(const ui::HelpRef& ref);

} // namespace common
