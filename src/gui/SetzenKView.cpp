#include "gui/SetzenKView.h"

#include "gui/ListBoxView.h"
#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
#include "ui/Command.h"
#include "ui/Grid.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace gui {

namespace {

using placement::RailHeader;

// The rail grid as the table shows it: row 0 (the rail headers) as the column headers, on two
// lines (name and hours over the student count), the course entries below; the grid's selection
// rectangle is painted as highlighted cells.
class RailGridModel : public QAbstractTableModel {
public:
    explicit RailGridModel(ui::Grid& g, QObject* parent) : QAbstractTableModel(parent), g_(g) {
        connect(&g_, &QAbstractItemModel::modelAboutToBeReset, this,
                &RailGridModel::beginResetModel);
        connect(&g_, &QAbstractItemModel::modelReset, this, &RailGridModel::endResetModel);
        connect(&g_, &QAbstractItemModel::headerDataChanged, this,
                [this](Qt::Orientation, int first, int last) {
                    emit headerDataChanged(Qt::Horizontal, first, last);
                });
        connect(&g_, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& from, const QModelIndex& to) {
                    const int row = from.row() + g_.FixedRows();
                    if (row == 0)
                        emit headerDataChanged(Qt::Horizontal, from.column(), to.column());
                    else
                        emit dataChanged(index(row - 1, from.column()),
                                         index(to.row() + g_.FixedRows() - 1, to.column()));
                });
        connect(&g_, &ui::Grid::selectionChanged, this, [this]() {
            if (rowCount() > 0 && columnCount() > 0)
                emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                                 {Qt::BackgroundRole, Qt::ForegroundRole});
        });
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : g_.Rows() - 1;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : g_.Cols();
    }

    QVariant data(const QModelIndex& i, int role) const override {
        if (!i.isValid() || i.row() + 1 >= g_.Rows() || i.column() >= g_.Cols())
            return {};
        const int row = i.row() + 1;
        const bool selected = row >= g_.SelStartRow() && row <= g_.SelEndRow() &&
                              i.column() >= g_.SelStartCol() && i.column() <= g_.SelEndCol();
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return g_.TextMatrix(row, i.column());
        case Qt::BackgroundRole:
            return selected ? QVariant(QPalette().brush(QPalette::Highlight)) : QVariant();
        case Qt::ForegroundRole:
            return selected ? QVariant(QPalette().brush(QPalette::HighlightedText)) : QVariant();
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || section < 0 || section >= g_.Cols())
            return {};
        const QString& h = g_.TextMatrix(0, section);
        if (role == Qt::DisplayRole)
            return RailHeader::nameAndHours(h) + QLatin1Char('\n') + RailHeader::countText(h);
        if (role == Qt::ToolTipRole)
            return h;
        return {};
    }

private:
    ui::Grid& g_;
};

} // namespace

// The table over the rail grid. Mouse gestures go to the grid (click, drag or shift-click to
// extend, double-click; a press on a column header is a click on row 0); the grid raises the
// window's events. The table keeps no selection of its own.
class RailGridView : public QTableView {
public:
    RailGridView(ui::Grid& g, std::function<void(const std::function<void()>&)> run,
                 QWidget* parent)
        : QTableView(parent), g_(g), run_(std::move(run)) {
        setModel(new RailGridModel(g_, this));
        setSelectionMode(QAbstractItemView::NoSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setFont(courierNew(10));
        horizontalHeader()->setFont(courierNew(10));
        horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        verticalHeader()->hide();
        verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).lineSpacing() + 6);
        // Entries wider than their rail are cut, as in a grid cell, not elided.
        setTextElideMode(Qt::ElideNone);
        setWordWrap(false);
        connect(horizontalHeader(), &QHeaderView::sectionPressed, this,
                [this](int c) { run_([&]() { g_.click(0, c); }); });
        connect(horizontalHeader(), &QHeaderView::sectionEntered, this,
                [this](int c) { run_([&]() { g_.extendSelection(0, c); }); });
        connect(&g_, &ui::Grid::sizesChanged, this, &RailGridView::applySizes);
        connect(model(), &QAbstractItemModel::modelReset, this, &RailGridView::applySizes);
        applySizes();
    }

protected:
    void mousePressEvent(QMouseEvent* e) override {
        setFocus();
        const QModelIndex i = indexAt(e->position().toPoint());
        if (e->button() != Qt::LeftButton || !i.isValid())
            return;
        dragging_ = true;
        last_ = i;
        if (e->modifiers() & Qt::ShiftModifier)
            run_([&]() { g_.extendSelection(i.row() + 1, i.column()); });
        else
            run_([&]() { g_.click(i.row() + 1, i.column()); });
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        const QModelIndex i = indexAt(e->position().toPoint());
        if (!dragging_ || !i.isValid() || i == last_)
            return;
        last_ = i;
        run_([&]() { g_.extendSelection(i.row() + 1, i.column()); });
    }
    void mouseReleaseEvent(QMouseEvent*) override { dragging_ = false; }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        const QModelIndex i = indexAt(e->position().toPoint());
        if (e->button() == Qt::LeftButton && i.isValid())
            run_([&]() { g_.doubleClick(i.row() + 1, i.column()); });
    }

private:
    // The grid keeps its sizes in twips, measured in characters of its fixed-pitch font.
    void applySizes() {
        const QFontMetrics fm(font());
        const int charWidth = fm.horizontalAdvance(QLatin1Char('0'));
        for (int c = 0; c < g_.Cols(); ++c)
            if (g_.ColWidth(c) > 0)
                setColumnWidth(c, g_.ColWidth(c) * charWidth / placement::kCharWidthTwips);
        if (g_.RowHeight(0) > 0)
            horizontalHeader()->setMinimumHeight(g_.RowHeight(0) * fm.lineSpacing() /
                                                 placement::kLineHeightTwips);
    }

    ui::Grid& g_;
    std::function<void(const std::function<void()>&)> run_;
    bool dragging_ = false;
    QPersistentModelIndex last_;
};

namespace {

QLabel* label(const QString& text, QWidget* parent, const QString& name = {}) {
    auto* l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

// "Anzahl:" and a count label, on one line.
QHBoxLayout* countRow(const QString& caption, QLabel* count) {
    count->setMinimumWidth(count->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(caption));
    row->addWidget(count);
    row->addStretch(1);
    return row;
}

} // namespace

SetzenKView::SetzenKView(placement::SetzenK& w, QtHost& host, QWidget* parent)
    : QDialog(parent, Qt::Window), w_(w), host_(host) {
    setWindowTitle(w_.caption());
    const auto runner = [this](const std::function<void()>& handler) { run(handler); };

    auto* menuBar = new QMenuBar(this);
    QHash<QString, QMenu*> menus;
    for (const auto& item : w_.menus()) {
        if (item.parent.isEmpty()) {
            menus.insert(item.name, menuBar->addMenu(item.caption));
            continue;
        }
        if (QMenu* m = menus.value(item.parent)) {
            QAction* a = m->addAction(item.caption);
            a->setObjectName(item.name);
            connect(a, &QAction::triggered, this,
                    [this, name = item.name]() { run([&]() { w_.click(name); }); });
        }
    }

    // Left: the courses not yet placed.
    auto* left = new QVBoxLayout;
    left->addWidget(label(w_.Label1, this, QStringLiteral("Label1")));
    auto* heads = new QHBoxLayout;
    heads->addWidget(label(w_.Label2, this));
    heads->addWidget(label(w_.Label3, this));
    heads->addWidget(label(w_.Label4, this));
    heads->addStretch(1);
    left->addLayout(heads);
    auto* lnKurse = new ListBoxView(w_.LNKurse, this);
    lnKurse->setObjectName(QStringLiteral("LNKurse"));
    connect(lnKurse, &ListBoxView::clicked, this, [this]() { run([&]() { w_.LNKurse_Click(); }); });
    left->addWidget(lnKurse, 1);

    // Centre: the rail grid and the commands.
    auto* centre = new QVBoxLayout;
    auto* heading = new QHBoxLayout;
    heading->addWidget(label(w_.Label8, this));
    heading->addWidget(label(w_.Label9, this));
    heading->addStretch(1);
    centre->addLayout(heading);
    centre->addWidget(label(w_.Label7, this, QStringLiteral("Label7")));
    grid_ = new RailGridView(w_.grdSchienen, runner, this);
    grid_->setObjectName(QStringLiteral("grdSchienen"));
    centre->addWidget(grid_, 1);
    auto* buttons = new QGridLayout;
    int n = 0;
    QPushButton* toList = nullptr;
    for (const auto& b : w_.buttons()) {
        auto* button = new QPushButton(b.caption, this);
        button->setObjectName(b.name);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this,
                [this, name = b.name]() { run([&]() { w_.click(name); }); });
        if (b.name == QLatin1String("cmdS2K")) {
            toList = button;
            continue;
        }
        buttons->addWidget(button, n / 4, n % 4);
        ++n;
    }
    centre->addLayout(buttons);

    auto* between = new QVBoxLayout;
    between->addStretch(1);
    if (toList) {
        toList->setFixedWidth(toList->fontMetrics().horizontalAdvance(QStringLiteral("<<<")) + 16);
        between->addWidget(toList);
    }
    between->addStretch(1);

    // Right: the student lists, the collisions and the choices of a colliding student.
    auto* right = new QVBoxLayout;
    auto* lSchueler = new ListBoxView(w_.LSchueler, this);
    lSchueler->setObjectName(QStringLiteral("LSchueler"));
    right->addWidget(lSchueler, 2);
    lblSchueler_ = label(w_.lblSchueler, this, QStringLiteral("lblSchueler"));
    right->addLayout(countRow(w_.Label11, lblSchueler_));
    right->addWidget(label(w_.Label5, this));
    auto* lSchImBlock = new ListBoxView(w_.LSchImBlock, this);
    lSchImBlock->setObjectName(QStringLiteral("LSchImBlock"));
    right->addWidget(lSchImBlock, 2);
    lblSchImBlock_ = label(w_.lblSchImBlock, this, QStringLiteral("lblSchImBlock"));
    right->addLayout(countRow(w_.Label12, lblSchImBlock_));
    right->addWidget(label(w_.Label6, this));
    auto* lKollisionen = new ListBoxView(w_.LKollisionen, this);
    lKollisionen->setObjectName(QStringLiteral("LKollisionen"));
    connect(lKollisionen, &ListBoxView::clicked, this,
            [this]() { run([&]() { w_.LKollisionen_Click(); }); });
    right->addWidget(lKollisionen, 2);
    lblKollisionen_ = label(w_.lblKollisionen, this, QStringLiteral("lblKollisionen"));
    auto* kollRow = countRow(w_.label16, lblKollisionen_);
    lblKoll_ = label(w_.lblKoll, this, QStringLiteral("lblKoll"));
    kollRow->addWidget(lblKoll_);
    right->addLayout(kollRow);
    right->addWidget(label(w_.Label10, this));
    txtMld_ = new QPlainTextEdit(this);
    txtMld_->setObjectName(QStringLiteral("txtMld"));
    txtMld_->setReadOnly(true);
    txtMld_->setFont(courierNew(10));
    txtMld_->setMaximumHeight(txtMld_->fontMetrics().lineSpacing() * 4);
    right->addWidget(txtMld_);
    auto* frame = new QGroupBox(w_.pctMKol, this);
    auto* options = new QHBoxLayout(frame);
    optMKolEinfach_ = new QRadioButton(w_.optMKolEinfachCaption, frame);
    optMKolEinfach_->setObjectName(QStringLiteral("optMKolEinfach"));
    optMKolAlle_ = new QRadioButton(w_.optMKolAlleCaption, frame);
    optMKolAlle_->setObjectName(QStringLiteral("optMKolAlle"));
    options->addWidget(optMKolEinfach_);
    options->addWidget(optMKolAlle_);
    connect(optMKolEinfach_, &QRadioButton::clicked, this,
            [this]() { run([&]() { w_.optMKolEinfach_Click(); }); });
    connect(optMKolAlle_, &QRadioButton::clicked, this,
            [this]() { run([&]() { w_.optMKolAlle_Click(); }); });
    right->addWidget(frame);

    auto* main = new QHBoxLayout(this);
    main->setMenuBar(menuBar);
    main->addLayout(left, 3);
    main->addLayout(between);
    main->addLayout(centre, 6);
    main->addLayout(right, 4);

    connect(&w_, &ui::Window::changed, this, &SetzenKView::refresh);
    resize(1280, 720);
    refresh();
}

void SetzenKView::run(const std::function<void()>& handler) {
    ui::runCommand(host_, handler);
}

void SetzenKView::refresh() {
    setWindowTitle(w_.caption());
    lblSchueler_->setText(w_.lblSchueler);
    lblSchImBlock_->setText(w_.lblSchImBlock);
    lblKollisionen_->setText(w_.lblKollisionen);
    lblKoll_->setText(w_.lblKoll);
    if (txtMld_->toPlainText() != w_.txtMld)
        txtMld_->setPlainText(w_.txtMld);
    optMKolEinfach_->setChecked(w_.optMKolEinfach);
    optMKolAlle_->setChecked(w_.optMKolAlle);
    for (const auto& b : w_.buttons())
        if (auto* button = findChild<QPushButton*>(b.name))
            button->setEnabled(b.enabled);
    for (const auto& m : w_.menus())
        if (auto* a = findChild<QAction*>(m.name))
            a->setEnabled(m.enabled);
}

void SetzenKView::closeEvent(QCloseEvent* e) {
    auto closing = placement::SetzenK::Closing::KeepOpen;
    run([&] { closing = w_.Form_Unload(); });
    if (closing == placement::SetzenK::Closing::KeepOpen) {
        e->ignore();
        return;
    }
    e->accept();
    QDialog::reject(); // ends the modal loop
}

} // namespace gui
