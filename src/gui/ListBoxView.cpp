#include "gui/ListBoxView.h"

#include "gui/ShellViews.h"
#include "ui/ListBox.h"

namespace gui {

ListBoxSelection::ListBoxSelection(ui::ListBox& model, QAbstractItemView* view)
    : QObject(view), model_(model), view_(view) {
    connect(&model_, &ui::ListBox::selectionChanged, this, &ListBoxSelection::pull);
    connect(&model_, &QAbstractItemModel::modelReset, this, &ListBoxSelection::pull);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ListBoxSelection::push);
    pull();
}

void ListBoxSelection::pull() {
    if (syncing_)
        return;
    syncing_ = true;
    QAbstractItemModel* m = view_->model();
    const int lastColumn = std::max(m->columnCount() - 1, 0);
    QItemSelection sel;
    for (int row : model_.selectedRows())
        sel.select(m->index(row, 0), m->index(row, lastColumn));
    view_->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    if (model_.currentIndex() >= 0)
        view_->selectionModel()->setCurrentIndex(m->index(model_.currentIndex(), 0),
                                                 QItemSelectionModel::NoUpdate);
    syncing_ = false;
}

void ListBoxSelection::push() {
    if (syncing_)
        return;
    syncing_ = true;
    for (int i = 0; i < model_.count(); ++i)
        model_.setSelected(i, view_->selectionModel()->isRowSelected(i, QModelIndex()));
    syncing_ = false;
    // The user changed the selection, by mouse or keyboard: the window's click handler runs.
    emit userChanged();
}

ListBoxView::ListBoxView(ui::ListBox& model, QWidget* parent) : QListView(parent) {
    setModel(&model);
    setFont(courierNew(10));
    setSelectionMode(model.multiSelect() ? QAbstractItemView::MultiSelection
                                         : QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    auto* sync = new ListBoxSelection(model, this);
    connect(sync, &ListBoxSelection::userChanged, this, &ListBoxView::clicked);
}

} // namespace gui
