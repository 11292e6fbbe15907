#pragma once

#include <QDialog>
#include <QLineEdit>
#include <vector>

namespace editors {
class BlDat;
}

namespace gui {

class QtHost;
class FieldEdit;
class ListBoxView;

// "Tabelle: block": the rail list, the three fields with the school-year box, and the buttons
// of the window's commands. Every key typed into a field goes to the window's key filter; the
// field does what the filter decides. Closing is refused while the shown rail cannot be written.
class BlDatView : public QDialog {
    Q_OBJECT
public:
    BlDatView(editors::BlDat& w, QtHost& host, QWidget* parent);

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void refresh();
    editors::BlDat& w_;
    QtHost& host_;
    ListBoxView* list_;
    std::vector<FieldEdit*> fields_;
};

// A text box of BlDat: keys that edit (characters, Enter, Backspace, Delete, and pasted text
// character by character) pass through the window's key filter; moving the cursor and copying
// stay the box's own. Every change of its text, however made, goes to the window's check.
class FieldEdit : public QLineEdit {
    Q_OBJECT
public:
    FieldEdit(editors::BlDat& w, QtHost& host, int index, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    // Forwards one key; true when the box took it.
    bool forward(QChar key);
    editors::BlDat& w_;
    QtHost& host_;
    int index_;
};

} // namespace gui
