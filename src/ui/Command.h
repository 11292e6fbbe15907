#pragma once

#include <functional>

namespace ui {

class Host;

// The command boundary: runs a handler and shows any failure in a critical message box titled
// "Kurs- und Blockbildung", in German, naming what failed. The program keeps running.
// Returns false when the handler failed.
bool runCommand(Host& host, const std::function<void()>& handler);

} // namespace ui
