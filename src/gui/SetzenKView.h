#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QRadioButton;

namespace placement {
class SetzenK;
}

namespace gui {

class QtHost;
class RailGridView;

// "Setzen der Kurse": the rail grid between the list of courses not yet placed and the student
// lists, all in a fixed-pitch font so that the fixed layouts line up. Clicks go to the window's
// handlers; the widgets show its models and labels.
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
    void refresh();
    // Runs a handler at the command boundary.
    void run(const std::function<void()>& handler);

    placement::SetzenK& w_;
    QtHost& host_;
    RailGridView* grid_ = nullptr;
    QLabel* lblSchueler_ = nullptr;
    QLabel* lblSchImBlock_ = nullptr;
    QLabel* lblKollisionen_ = nullptr;
    QLabel* lblKoll_ = nullptr;
    QPlainTextEdit* txtMld_ = nullptr;
    QRadioButton* optMKolEinfach_ = nullptr;
    QRadioButton* optMKolAlle_ = nullptr;
};

} // namespace gui
