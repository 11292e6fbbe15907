#include "ui/Command.h"

#include "ui/Host.h"

#include <exception>

namespace ui {

bool runCommand(Host& host, const std::function<void()>& handler) {
    QString text;
    try {
        handler();
        return true;
    } catch (const std::bad_alloc&) {
        text = QStringLiteral("Nicht genug Arbeitsspeicher.");
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("Unbekannter Fehler.");
    }
    // The hourglass is already gone: the ui::Busy guards of the failed handler have unwound.
    tell(host, text, Icon::Critical);
    return false;
}

} // namespace ui
