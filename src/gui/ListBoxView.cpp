#include "gui/ListBoxView.h"

#include "gui/ShellViews.h"
#include "ui/ListBox.h"

namespace gui {

ListBoxView::ListBoxView(ui::ListBox& model, QWidget* parent) : QListView(parent), model_(model) {
    setModel(&model_);
    setFont(courierNew(10));
    setSelectionMode(model_.multiSelect() ? QAbstractItemView::MultiSelection
                                          : QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(&model_, &ui::ListBox::selectionChanged, this, &ListBoxView::pullSelection);
    connect(&model_, &QAbstractItemModel::modelReset, this, &ListBoxView::pullSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ListBoxView::pushSelection);
    pullSelection();
}

void ListBoxView::pullSelection() {
    if (syncing_)
        return;
    syncing_ = true;
    QItemSelection sel;
    for (int row : model_.selectedRows())
        sel.select(model_.index(row), model_.index(row));
    selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    if (model_.currentIndex() >= 0)
        selectionModel()->setCurrentIndex(model_.index(model_.currentIndex()),
                                          QItemSelectionModel::NoUpdate);
    syncing_ = false;
}

void ListBoxView::pushSelection() {
    if (syncing_)
        return;
    syncing_ = true;
    for (int i = 0; i < model_.count(); ++i)
        model_.setSelected(i, selectionModel()->isRowSelected(i, QModelIndex()));
    syncing_ = false;
    // The user changed the selection, by mouse or keyboard: the window's click handler runs.
    emit clicked();
}

} // namespace gui
