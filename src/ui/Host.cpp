#include "ui/Host.h"

namespace ui {

Answer tell(Host& host, const QString& text, Icon icon, const QString& title) {
    return host.message({text, title, icon, Buttons::Ok, 0, std::nullopt});
}

} // namespace ui
