#include "Workspace.h"

namespace test {

placement::SetzenK& Workspace::load() {
    window_ = std::make_unique<placement::SetzenK>(state, host);
    window_->Form_Load();
    return *window_;
}

void Workspace::selectCourses(const QStringList& names) {
    ui::ListBox& l = window_->LNKurse;
    for (int i = 0; i < l.count(); ++i)
        l.setSelected(i, names.contains(l.line(i).left(5).trimmed()));
    window_->LNKurse_Click();
}

} // namespace test
