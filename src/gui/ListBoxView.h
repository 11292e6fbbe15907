#pragma once

#include <QListView>

namespace ui {
class ListBox;
}

namespace gui {

// Keeps the selection of a view whose row i shows line i of a ListBox and the model's selected
// flags the same both ways. A selection the user makes, by mouse or keyboard, is reported as
// userChanged(); the logic's own marking is not.
class ListBoxSelection : public QObject {
    Q_OBJECT
public:
    ListBoxSelection(ui::ListBox& model, QAbstractItemView* view);

signals:
    void userChanged();

private:
    void pull();
    void push();
    ui::ListBox& model_;
    QAbstractItemView* view_;
    bool syncing_ = false;
};

// A list view over a ListBox model in Courier New, its selection kept as the model's; a
// selection the user makes is reported as clicked().
class ListBoxView : public QListView {
    Q_OBJECT
public:
    ListBoxView(ui::ListBox& model, QWidget* parent);

signals:
    void clicked();
};

} // namespace gui
