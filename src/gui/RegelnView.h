#pragma once

#include <QDialog>

class QLabel;
class QWidget;

namespace placement {
class frmRegeln;
}

namespace gui {

class QtHost;

// The window "Regeln": the school year's rules above, the kind and what it names below, the
// buttons at the foot. The second list hides for a kind of one argument.
class RegelnView : public QDialog {
    Q_OBJECT
public:
    RegelnView(placement::frmRegeln& w, QtHost& host, QWidget* parent);

protected:
    void reject() override;

private:
    void refresh();
    placement::frmRegeln& w_;
    QtHost& host_;
    QLabel* lblErste_;
    QLabel* lblZweite_;
    QWidget* zweite_;
};

} // namespace gui
