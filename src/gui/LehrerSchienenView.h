#pragma once

#include <QDialog>

class QLabel;
class QTableWidget;

namespace placement {
class frmLehrerSchienen;
}

namespace gui {

class QtHost;

// The window "Lehrer je Schiene": a table of the teachers (rows) by the rails (columns), the
// teachers' courses in the cells, a clash on a red ground; the short names and the rails' headings
// stay in view while the table scrolls. The buttons at the foot.
class LehrerSchienenView : public QDialog {
    Q_OBJECT
public:
    LehrerSchienenView(placement::frmLehrerSchienen& w, QtHost& host, QWidget* parent);

private:
    void refresh();
    placement::frmLehrerSchienen& w_;
    QtHost& host_;
    QTableWidget* table_;
    QLabel* lblKollisionen_;
};

} // namespace gui
