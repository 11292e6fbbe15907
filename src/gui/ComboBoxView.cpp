#include "gui/ComboBoxView.h"

#include "ui/ComboBox.h"

namespace gui {

ComboBoxView::ComboBoxView(ui::ComboBox& model, QWidget* parent)
    : QComboBox(parent), model_(model) {
    setModel(&model_);
    // The box chooses a line of its own when its model fills or resets; the model's wins.
    connect(&model_, &ui::ListBox::selectionChanged, this, &ComboBoxView::pull);
    connect(&model_, &QAbstractItemModel::modelReset, this, &ComboBoxView::pull);
    connect(&model_, &QAbstractItemModel::rowsInserted, this, &ComboBoxView::pull);
    connect(&model_, &QAbstractItemModel::rowsRemoved, this, &ComboBoxView::pull);
    connect(this, &QComboBox::activated, this, [this](int i) {
        model_.setCurrent(i);
        emit clicked();
    });
    pull();
}

void ComboBoxView::pull() {
    if (currentIndex() != model_.currentIndex())
        setCurrentIndex(model_.currentIndex());
}

} // namespace gui
