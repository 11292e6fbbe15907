#pragma once

#include <QDialog>
#include <QWidget>

namespace printing {
class frmKursgroessen;
}

namespace gui {

class QtHost;

// The chart of the window "Kursgrößen", drawn with QPainter: a bar per course, the parallel
// courses side by side, each group under its label; the limits as short black marks on the
// bar, the group's target size as a dashed blue line; red a course outside its limits.
class CourseSizesChart : public QWidget {
    Q_OBJECT
public:
    CourseSizesChart(const printing::frmKursgroessen& w, QWidget* parent);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const printing::frmKursgroessen& w_;
};

// The window "Kursgrößen": the chart, scrolling sideways where the cohort has many courses,
// the courses outside their limits under it, "Drucken" and "Schließen".
class KursgroessenView : public QDialog {
    Q_OBJECT
public:
    KursgroessenView(printing::frmKursgroessen& w, QtHost& host, QWidget* parent);

private:
    printing::frmKursgroessen& w_;
};

} // namespace gui
