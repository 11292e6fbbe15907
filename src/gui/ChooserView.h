#pragma once

#include <QDialog>

class QLabel;

namespace placement {
class frmK;
}

namespace gui {

class QtHost;

// The course chooser "Kursauswahl" of "Kurs zuweisen": the course and its key, the list of
// parallel courses, "&Ok" and "&Abbruch". Closing it otherwise counts as "&Abbruch".
class ChooserView : public QDialog {
    Q_OBJECT
public:
    ChooserView(placement::frmK& w, QtHost& host, QWidget* parent);

protected:
    void reject() override;

private:
    void refresh();
    placement::frmK& w_;
    QtHost& host_;
    QLabel* lblK_;
    QLabel* lblKi_;
};

} // namespace gui
