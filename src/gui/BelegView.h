#pragma once

#include <QDialog>
#include <functional>
#include <vector>

class QLabel;

namespace editors {
class frmBeleg;
}

namespace gui {

class QtHost;

// "Belegungsdaten ": the navigator (cohort and students) beside the two advanced-course rows
// and the thirteen basic-course rows, each a subject box (Courier New), for basic courses a
// choice-type box, and the course labels of year groups 12 and 13.
class BelegView : public QDialog {
    Q_OBJECT
public:
    BelegView(editors::frmBeleg& w, QtHost& host, QWidget* parent);

private:
    // A handler as a slot, through the command boundary.
    std::function<void()> run(std::function<void()> handler);
    QWidget* navigator();
    QWidget* advancedCourses();
    QWidget* basicCourses();
    void refresh();
    editors::frmBeleg& w_;
    QtHost& host_;
    std::vector<QLabel*> lblKursLK_;
    std::vector<QLabel*> lblKursKG_;
};

} // namespace gui
