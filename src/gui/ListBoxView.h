#pragma once

#include <QListView>

namespace ui {
class ListBox;
}

namespace gui {

// A list view over a ListBox model in Courier New. The view's selection and the model's
// selected flags are kept the same both ways; a selection the user makes, by mouse or keyboard,
// is reported as clicked().
class ListBoxView : public QListView {
    Q_OBJECT
public:
    ListBoxView(ui::ListBox& model, QWidget* parent);

signals:
    void clicked();

private:
    void pullSelection();
    void pushSelection();
    ui::ListBox& model_;
    bool syncing_ = false;
};

} // namespace gui
