#pragma once

#include <QDialog>
#include <QPersistentModelIndex>
#include <QTableView>
#include <functional>

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QVBoxLayout;

namespace placement {
class SetzenK;
class Workspace;
} // namespace placement
namespace ui {
class Grid;
}

namespace gui {

class QtHost;
class ColumnListView;
class FiguresPanel;

// The table over the rail grid. Mouse gestures and the arrow keys go to the grid (click, drag or
// shift-click to extend, double-click; a press on a rail header marks the whole rail); the grid
// raises the window's events. The table keeps no selection of its own: it paints the grid's.
// With the workspace given, cells and headers show what it draws of them (whole designations,
// "*" after a fixed course, the rail's name apart from its hours) with its tooltips; a course
// whose teacher has another course on the rail is red, a course or rail that breaks a rule on a
// yellow ground.
class RailGridView : public QTableView {
public:
    RailGridView(ui::Grid& g, std::function<void(const std::function<void()>&)> run,
                 QWidget* parent, const placement::Workspace* ws = nullptr);
    // Repaints the selection and the current column after the grid changed them.
    void updateMarks();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent*) override { dragging_ = false; }
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void applySizes();

    ui::Grid& g_;
    const placement::Workspace* ws_;
    std::function<void(const std::function<void()>&)> run_;
    bool dragging_ = false;
    bool headerShift_ = false; // Shift was held with the last press on a header
    QPersistentModelIndex last_;
};

// "Setzen der Kurse": the rail grid between the list of courses not yet placed and the student
// lists. The lists show the fields of their fixed-layout lines in columns with headings, the keys
// left out; clicks go to the window's handlers. The window opens maximised, or as the planner
// left it last time, and always on the screen.
class SetzenKView : public QDialog {
    Q_OBJECT
public:
    SetzenKView(placement::SetzenK& w, QtHost& host, QWidget* parent);

    RailGridView* grid() const { return grid_; }

protected:
    // Closing asks whether to save; a save that failed keeps the window open.
    void closeEvent(QCloseEvent* e) override;
    // Escape does not close the workspace: its unsaved rails would be one keystroke from lost.
    void reject() override {}

private:
    QMenuBar* buildMenus();
    QVBoxLayout* buildCourses();
    QVBoxLayout* buildGrid(QPushButton*& toList);
    QVBoxLayout* buildStudentLists();
    QHBoxLayout* buildPlanCollisions();
    ColumnListView* buildCollisions();
    QTableWidget* buildChoicesTable();
    QGroupBox* buildOptions();
    QGroupBox* buildBewertung();
    void refresh();
    // Runs a handler at the command boundary.
    void run(const std::function<void()>& handler);
    void restoreGeometryOrMaximise();

    placement::SetzenK& w_;
    QtHost& host_;
    RailGridView* grid_ = nullptr;
    ColumnListView* lnKurse_ = nullptr;
    QLabel* lblSchueler_ = nullptr;
    QLabel* lblSchImBlock_ = nullptr;
    QLabel* lblKollisionen_ = nullptr;
    QLabel* lblKoll_ = nullptr;
    QTableWidget* txtMld_ = nullptr;
    QString shownMld_;
    QRadioButton* optMKolEinfach_ = nullptr;
    QRadioButton* optMKolAlle_ = nullptr;
    FiguresPanel* lblBewertung_ = nullptr;
    QVBoxLayout* bewertung_ = nullptr;
};

} // namespace gui
