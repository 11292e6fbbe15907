#include "gui/SetzenKView.h"

#include "gui/ColumnListView.h"
#include "gui/ComboBoxView.h"
#include "gui/CommandButtons.h"
#include "gui/FiguresPanel.h"
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
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <tuple>

namespace gui {

namespace {

using placement::AbkNV;
using placement::BlockLine;
using placement::CourseEntry;
using placement::PlanCollisionLine;
using placement::RailCoursesLine;
using placement::RailHeader;
using placement::StudentLine;

} // namespace

namespace {

QLabel* label(const QString& text, QWidget* parent, const QString& name = {}) {
    auto* l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

// A column of lists beside the grid: as wide as its lists ask, narrower only in a window too
// small for it.
class SideColumn : public QWidget {
public:
    SideColumn(QLayout* layout, QWidget* parent) : QWidget(parent) {
        setLayout(layout);
        layout->setContentsMargins(0, 0, 0, 0);
        setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    }
    void setWidth(int width) {
        width_ = width;
        setMaximumWidth(width);
        updateGeometry();
    }
    QSize sizeHint() const override { return {width_, QWidget::sizeHint().height()}; }

private:
    int width_ = 0;
};

// Characters of a whole student name in the lists that show it.
constexpr int kWholeNameWidth = 16;
// Characters of a whole course designation (KS_BEZ).
constexpr int kWholeCourseWidth = 6;

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
    auto* main = new QHBoxLayout(this);
    main->setMenuBar(buildMenus());
    QPushButton* toList = nullptr;
    // The lists beside the grid are as wide as their columns; the grid takes the rest, so that
    // as many rails as possible show side by side.
    auto* courses = new SideColumn(buildCourses(), this);
    // Wide enough for the short lines of the evaluation too.
    courses->setWidth(std::max(lnKurse_->layoutWidth(),
                               lblBewertung_->fontMetrics().horizontalAdvance(
                                   QStringLiteral("Kurse außerhalb ihrer Grenzen: 000")) +
                                   4 * style()->pixelMetric(QStyle::PM_LayoutLeftMargin)));
    main->addWidget(courses);
    QVBoxLayout* centre = buildGrid(toList);
    auto* between = new QVBoxLayout;
    between->addStretch(1);
    if (toList) {
        toList->setFixedWidth(toList->fontMetrics().horizontalAdvance(QStringLiteral("<<<")) + 16);
        between->addWidget(toList);
    }
    between->addStretch(1);
    main->addLayout(between);
    main->addLayout(centre, 1);
    auto* students = new SideColumn(buildStudentLists(), this);
    int studentsWidth = 0;
    for (const auto* list : students->findChildren<ColumnListView*>())
        studentsWidth = std::max(studentsWidth, list->layoutWidth());
    students->setWidth(studentsWidth);
    main->addWidget(students);

    // Tab goes from the courses to the grid, the commands and the student lists.
    setTabOrder(lnKurse_, grid_);

    connect(&w_, &ui::Window::changed, this, &SetzenKView::refresh);
    restoreGeometryOrMaximise();
    refresh();
    // The evaluation reads the whole cohort: the window shows first.
    if (w_.bewertungPending)
        QTimer::singleShot(0, this, [this] {
            if (w_.bewertungPending)
                w_.Bewerten(); // shows its failure in the panel
        });
}

QMenuBar* SetzenKView::buildMenus() {
    // The window's commands with a parent are menu items; the parents are the menus.
    auto* menuBar = new QMenuBar(this);
    commandMenus(w_, host_, menuBar);
    return menuBar;
}

QVBoxLayout* SetzenKView::buildCourses() {
    // The courses not yet placed, under the headings "Kurs", "Stunden", "Schüler".
    auto* left = new QVBoxLayout;
    left->addWidget(label(w_.Label1, this, QStringLiteral("Label1")));
    lnKurse_ = new ColumnListView(
        w_.LNKurse,
        {{w_.Label2, w_.Label3, w_.Label4, w_.LabelLehrer},
         [this](int row, const QString&) {
             const placement::Waiting& w = w_.plan.waiting.at(static_cast<size_t>(row));
             return QStringList{w_.wholeName(w.course), QString::number(w.hours),
                                QString::number(w_.schuelerJeKurs.value(w.course)),
                                w_.teacherOf(w.course)};
         },
         {1, 2},
         // the whole designation, one digit of hours, three of students, a short name
         {kWholeCourseWidth, 1, 3, 4}},
        this);
    lnKurse_->setObjectName(QStringLiteral("LNKurse"));
    // Its column is as wide as its columns: the counts stand at the right edge, never beyond.
    lnKurse_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(lnKurse_, &ColumnListView::clicked, this,
            [this]() { run([&]() { w_.LNKurse_Click(); }); });
    lnKurse_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lnKurse_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex i = lnKurse_->indexAt(at);
        if (!i.isValid())
            return;
        QMenu menu(this);
        menu.addAction(QStringLiteral("&Lehrer zuweisen ..."), this, [this, i] {
            w_.LNKurse.setCurrent(i.row());
            run([&]() { w_.LNKurse_LehrerZuweisen(); });
        });
        menu.exec(lnKurse_->viewport()->mapToGlobal(at));
    });
    left->addWidget(lnKurse_, 1);
    left->addWidget(buildBewertung());
    return left;
}

QGroupBox* SetzenKView::buildBewertung() {
    // The evaluation of the chosen cohort, under the courses still to place.
    auto* frame = new QGroupBox(w_.fraBewertung, this);
    frame->setObjectName(QStringLiteral("fraBewertung"));
    auto* layout = new QVBoxLayout(frame);
    bewertung_ = layout;
    auto* cohort = new ComboBoxView(w_.CmbJahrgang, frame);
    cohort->setObjectName(QStringLiteral("CmbJahrgang"));
    connect(cohort, &ComboBoxView::clicked, this,
            [this]() { run([&]() { w_.CmbJahrgang_Click(); }); });
    layout->addWidget(cohort);
    lblBewertung_ = new FiguresPanel(frame);
    lblBewertung_->setObjectName(QStringLiteral("lblBewertung"));
    connect(lblBewertung_, &FiguresPanel::lineActivated, this,
            [this](int line) { run([&]() { w_.lblBewertung_Click(line); }); });
    layout->addWidget(lblBewertung_);
    return frame;
}

QVBoxLayout* SetzenKView::buildGrid(QPushButton*& toList) {
    // The rail grid and the commands; "<" stands apart, between the courses and the grid.
    const auto runner = [this](const std::function<void()>& handler) { run(handler); };
    auto* centre = new QVBoxLayout;
    auto* heading = new QHBoxLayout;
    heading->addWidget(label(w_.Label8, this));
    heading->addWidget(label(w_.Label9, this));
    heading->addStretch(1);
    centre->addLayout(heading);
    centre->addWidget(label(w_.Label7, this, QStringLiteral("Label7")));
    grid_ = new RailGridView(w_.grdSchienen, runner, this, &w_);
    grid_->setObjectName(QStringLiteral("grdSchienen"));
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex i = grid_->indexAt(at);
        if (!i.isValid() || !w_.placedAt(i.row() + 1, i.column()))
            return;
        QMenu menu(this);
        menu.addAction(QStringLiteral("&Lehrer zuweisen ..."), this, [this, i] {
            run([&]() {
                w_.grdSchienen.click(i.row() + 1, i.column());
                w_.grdSchienen_LehrerZuweisen();
            });
        });
        menu.exec(grid_->viewport()->mapToGlobal(at));
    });
    centre->addWidget(grid_, 3);
    auto* buttons = new QGridLayout;
    int n = 0;
    for (const ui::Command& b : w_.commands()) {
        if (!b.parent.isEmpty() || !b.handler)
            continue;
        QPushButton* button = commandButton(w_, b, host_, this);
        button->setAutoDefault(false);
        if (b.name == QLatin1String("cmdS2K")) {
            toList = button;
            continue;
        }
        // It sets the cohort the evaluation shows: beside it.
        if (b.name == QLatin1String("cmdAutoS") && bewertung_) {
            bewertung_->addWidget(button);
            continue;
        }
        buttons->addWidget(button, n / 4, n % 4);
        ++n;
    }
    centre->addLayout(buttons);
    centre->addLayout(buildPlanCollisions(), 2);
    return centre;
}

QHBoxLayout* SetzenKView::buildPlanCollisions() {
    // Under the grid: who collides in the plan, and the courses of the one clicked, rail by rail.
    auto* row = new QHBoxLayout;
    auto* collisions = new QVBoxLayout;
    collisions->addWidget(label(w_.Label13, this));
    auto* list = new ColumnListView(
        w_.LPlanKollisionen,
        {{QStringLiteral("Name"), QStringLiteral("Klasse"), QStringLiteral("Schiene"),
          QStringLiteral("Kurse")},
         [](int, const QString& l) {
             return QStringList{PlanCollisionLine::name(l), PlanCollisionLine::parallelClass(l),
                                PlanCollisionLine::rail(l),
                                PlanCollisionLine::courseNames(l).join(QLatin1Char(' '))};
         },
         {},
         {}},
        this);
    list->setObjectName(QStringLiteral("LPlanKollisionen"));
    connect(list, &ColumnListView::clicked, this,
            [this]() { run([&]() { w_.LPlanKollisionen_Click(); }); });
    collisions->addWidget(list, 1);
    row->addLayout(collisions, 3);
    auto* rails = new QVBoxLayout;
    rails->addWidget(label(w_.Label14, this));
    auto* railsList = new ColumnListView(
        w_.LSchuelerSchienen,
        {{QStringLiteral("Schiene"), QStringLiteral("Kurse")},
         [](int, const QString& l) {
             // Courses that meet are marked as the student's collision.
             return QStringList{RailCoursesLine::rail(l).trimmed() +
                                    (RailCoursesLine::meet(l) ? QStringLiteral(" !") : QString()),
                                RailCoursesLine::courseNames(l).join(QLatin1Char(' '))};
         },
         {},
         {8}},
        this);
    railsList->setObjectName(QStringLiteral("LSchuelerSchienen"));
    rails->addWidget(railsList, 1);
    row->addLayout(rails, 2);
    return row;
}

QVBoxLayout* SetzenKView::buildStudentLists() {
    // The student lists, the collisions and the choices of a colliding student.
    auto* right = new QVBoxLayout;
    auto* lSchueler = new ColumnListView(
        w_.LSchueler,
        {{QStringLiteral("Name"), QStringLiteral("Klasse"), QStringLiteral("Kurs")},
         [this](int row, const QString&) {
             const auto& r = w_.schueler.at(static_cast<size_t>(row));
             return QStringList{AbkNV(r.name, StudentLine::kNameWidth),
                                r.parallelClass.left(StudentLine::kClassWidth),
                                w_.wholeName(r.courseKey)};
         },
         {},
         {StudentLine::kNameWidth, StudentLine::kClassWidth, kWholeCourseWidth}},
        this);
    lSchueler->setObjectName(QStringLiteral("LSchueler"));
    right->addWidget(lSchueler, 2);
    lblSchueler_ = label(w_.lblSchueler, this, QStringLiteral("lblSchueler"));
    right->addLayout(countRow(w_.Label11, lblSchueler_));
    right->addWidget(label(w_.Label5, this));
    auto* lSchImBlock = new ColumnListView(
        w_.LSchImBlock,
        {{QStringLiteral("Kurs"), QStringLiteral("Name")},
         [this](int row, const QString&) {
             const auto& r = w_.imBlock.at(static_cast<size_t>(row));
             return QStringList{w_.wholeName(r.courseKey), AbkNV(r.name, BlockLine::kNameWidth)};
         },
         {},
         {kWholeCourseWidth, BlockLine::kNameWidth}},
        this);
    lSchImBlock->setObjectName(QStringLiteral("LSchImBlock"));
    right->addWidget(lSchImBlock, 2);
    lblSchImBlock_ = label(w_.lblSchImBlock, this, QStringLiteral("lblSchImBlock"));
    right->addLayout(countRow(w_.Label12, lblSchImBlock_));
    right->addWidget(label(w_.Label6, this));
    right->addWidget(buildCollisions(), 2);
    lblKollisionen_ = label(w_.lblKollisionen, this, QStringLiteral("lblKollisionen"));
    auto* kollRow = countRow(w_.label16, lblKollisionen_);
    lblKoll_ = label(w_.lblKoll, this, QStringLiteral("lblKoll"));
    kollRow->addWidget(lblKoll_);
    right->addLayout(kollRow);
    right->addWidget(label(w_.Label10, this));
    right->addWidget(buildChoicesTable());
    right->addWidget(buildOptions());
    return right;
}

ColumnListView* SetzenKView::buildCollisions() {
    auto* lKollisionen =
        new ColumnListView(w_.LKollisionen,
                           {{QStringLiteral("Name"), QStringLiteral("Kurse")},
                            [this](int row, const QString&) {
                                const auto& k = w_.kollisionen.at(static_cast<size_t>(row));
                                QStringList names;
                                for (const auto& choice : k.choices)
                                    names << w_.wholeName(choice.courseKey);
                                // The whole name: the line holds nine characters.
                                return QStringList{k.name, names.join(QLatin1Char(' '))};
                            },
                            {},
                            {kWholeNameWidth, 2 * kWholeCourseWidth + 1}}, // two courses at least
                           this);
    lKollisionen->setObjectName(QStringLiteral("LKollisionen"));
    connect(lKollisionen, &ColumnListView::clicked, this,
            [this]() { run([&]() { w_.LKollisionen_Click(); }); });
    return lKollisionen;
}

QTableWidget* SetzenKView::buildChoicesTable() {
    // The colliding student's courses, one column each.
    txtMld_ = new QTableWidget(this);
    txtMld_->setObjectName(QStringLiteral("txtMld"));
    txtMld_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    txtMld_->setSelectionMode(QAbstractItemView::NoSelection);
    txtMld_->setFont(courierNew(10));
    txtMld_->horizontalHeader()->setFont(QFont());
    txtMld_->verticalHeader()->hide();
    const QFontMetrics mld(courierNew(10));
    txtMld_->horizontalHeader()->setDefaultSectionSize(
        mld.horizontalAdvance(QStringLiteral("MMMMMM")) + 8);
    txtMld_->verticalHeader()->setDefaultSectionSize(mld.lineSpacing() + 6);
    txtMld_->setWordWrap(false);
    // Headings, one row and the scroll bar, measured with a column in place: without one the
    // heading row has no height yet.
    txtMld_->setColumnCount(1);
    txtMld_->setHorizontalHeaderLabels({QStringLiteral("1")});
    txtMld_->setFixedHeight(txtMld_->horizontalHeader()->sizeHint().height() +
                            txtMld_->verticalHeader()->defaultSectionSize() +
                            txtMld_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                            2 * txtMld_->frameWidth() + 2);
    txtMld_->setColumnCount(0);
    return txtMld_;
}

QGroupBox* SetzenKView::buildOptions() {
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
    return frame;
}

namespace {

const QString kGeometryKey = QStringLiteral("SetzenK/geometry");

} // namespace

void SetzenKView::restoreGeometryOrMaximise() {
    const QByteArray saved = QSettings().value(kGeometryKey).toByteArray();
    if (!saved.isEmpty() && restoreGeometry(saved) && !(windowState() & Qt::WindowMaximized)) {
        keepOnScreen(this);
        return;
    }
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
}

void SetzenKView::run(const std::function<void()>& handler) {
    ui::runCommand(host_, handler);
}

void SetzenKView::refresh() {
    setWindowTitle(w_.caption());
    lnKurse_->fieldsChanged();
    grid_->updateMarks();
    if (shownMld_ != w_.txtMld || txtMld_->columnCount() == 0) {
        shownMld_ = w_.txtMld;
        const QStringList& courses = w_.txtMldKurse;
        txtMld_->clear();
        txtMld_->setRowCount(courses.isEmpty() ? 0 : 1);
        txtMld_->setColumnCount(static_cast<int>(courses.size()));
        QStringList headings;
        for (int i = 0; i < courses.size(); ++i) {
            headings << QString::number(i + 1);
            txtMld_->setItem(0, i, new QTableWidgetItem(courses[i].trimmed()));
        }
        txtMld_->setHorizontalHeaderLabels(headings);
    }
    lblSchueler_->setText(w_.lblSchueler);
    lblSchImBlock_->setText(w_.lblSchImBlock);
    lblKollisionen_->setText(w_.lblKollisionen);
    lblKoll_->setText(w_.lblKoll);
    lblBewertung_->setLines(w_.lblBewertung);
    optMKolEinfach_->setChecked(w_.optMKolEinfach);
    optMKolAlle_->setChecked(w_.optMKolAlle);
    showEnabled(w_, this);
}

void SetzenKView::closeEvent(QCloseEvent* e) {
    auto closing = placement::SetzenK::Closing::KeepOpen;
    run([&] { closing = w_.Form_Unload(); });
    if (closing == placement::SetzenK::Closing::KeepOpen) {
        e->ignore();
        return;
    }
    e->accept();
    QSettings().setValue(kGeometryKey, saveGeometry());
    QDialog::reject(); // ends the modal loop
}

} // namespace gui
