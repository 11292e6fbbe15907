#include "gui/BlDatView.h"

#include "editors/BlDat.h"
#include "gui/ComboBoxView.h"
#include "gui/CommandButtons.h"
#include "gui/ListBoxView.h"
#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "ui/Command.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace gui {

using editors::BlDat;

FieldEdit::FieldEdit(BlDat& w, QtHost& host, int index, QWidget* parent)
    : QLineEdit(parent), w_(w), host_(host), index_(index) {
    setObjectName(BlDat::fieldName(index));
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    // Whatever changed the text (a middle-click paste, a shortcut, setText), the window checks
    // it; a refused text is replaced by the field's previous one.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QString& held = w_.cFieldData[static_cast<size_t>(index_)];
        if (text == held)
            return;
        ui::runCommand(host_, [&]() { w_.cFieldData_Change(index_, text); });
        if (this->text() != held) {
            const QSignalBlocker quiet(this);
            setText(held);
        }
    });
}

bool FieldEdit::forward(QChar key) {
    BlDat::TextCursor cursor{cursorPosition(), selectionStart(),
                             static_cast<int>(selectedText().size())};
    BlDat::KeyDecision decision = BlDat::KeyDecision::Refuse;
    ui::runCommand(host_, [&]() { decision = w_.cFieldData_KeyPress(index_, key, cursor); });
    switch (decision) {
    case BlDat::KeyDecision::Accept:
        insert(QString(key)); // reaches the window as a change of the text
        return true;
    case BlDat::KeyDecision::Edited:
        setText(w_.cFieldData[static_cast<size_t>(index_)]);
        setCursorPosition(cursor.position);
        return true;
    case BlDat::KeyDecision::NextField:
    case BlDat::KeyDecision::Refuse:
        break;
    }
    return false;
}

void FieldEdit::keyPressEvent(QKeyEvent* e) {
    e->accept();
    if (e->matches(QKeySequence::Paste)) {
        for (QChar ch : QApplication::clipboard()->text())
            if (ch.isPrint() && !forward(ch))
                break;
        return;
    }
    if (e->matches(QKeySequence::Cut)) {
        if (hasSelectedText()) {
            copy();
            forward(BlDat::kDelete);
        }
        return;
    }
    // Editing the box other than key by key would pass the filter by.
    if (e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo) ||
        e->matches(QKeySequence::DeleteStartOfWord) || e->matches(QKeySequence::DeleteEndOfWord) ||
        e->matches(QKeySequence::DeleteCompleteLine))
        return;
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        forward(BlDat::kEnter);
        return;
    case Qt::Key_Backspace:
        forward(BlDat::kBackspace);
        return;
    case Qt::Key_Delete:
        forward(BlDat::kDelete);
        return;
    default:
        break;
    }
    const QString t = e->text();
    if (t.size() == 1 && t.front().isPrint() &&
        !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        forward(t.front());
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void FieldEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    // A message box or another window taking the focus is not leaving the field.
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
        ui::runCommand(host_, [&]() { w_.cFieldData_LostFocus(index_); });
}

BlDatView::BlDatView(BlDat& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    setWindowTitle(w_.caption());
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    list_ = new ListBoxView(w_.lstBlock, this);
    list_->setObjectName(QStringLiteral("lstBlock"));
    list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QString(20, QLatin1Char('0'))));
    top->addWidget(list_, 1);

    auto* form = new QFormLayout;
    const QString captions[] = {w_.lblBez, w_.lblName, w_.lblStd};
    for (int i = BlDat::kBez; i <= BlDat::kStd; ++i) {
        auto* field = new FieldEdit(w_, host_, i, this);
        const int chars = i == BlDat::kName ? 30 : 8;
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QString(chars, 'W')) / 2 +
                               24);
        form->addRow(captions[i - BlDat::kBez], field);
        fields_.push_back(field);
    }
    auto* years = new ComboBoxView(w_.CombSJ, this);
    years->setObjectName(QStringLiteral("CombSJ"));
    years->setFont(courierNew(10));
    form->addRow(w_.lblSJ, years);
    top->addLayout(form, 2);
    layout->addLayout(top, 1);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : commandButtons(w_, host_, this)) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    connect(list_, &ListBoxView::clicked, this,
            [this]() { ui::runCommand(host_, [&]() { w_.lstBlock_Click(); }); });
    connect(&w_, &BlDat::focusRequested, this, [this](const QString& name) {
        if (auto* target = findChild<QWidget*>(name))
            target->setFocus(Qt::OtherFocusReason);
    });
    connect(&w_, &ui::Window::changed, this, &BlDatView::refresh);
    refresh();
    resize(640, 300);
}

void BlDatView::refresh() {
    setWindowTitle(w_.caption());
    list_->setEnabled(w_.lstBlockEnabled);
    for (size_t i = 0; i < fields_.size(); ++i) {
        const QString& text = w_.cFieldData[BlDat::kBez + i];
        if (fields_[i]->text() != text)
            fields_[i]->setText(text);
    }
    showEnabled(w_, this);
}

void BlDatView::closeEvent(QCloseEvent* e) {
    auto closing = ui::Closing::Close;
    ui::runCommand(host_, [&]() { closing = w_.Form_Unload(); });
    if (closing == ui::Closing::Close)
        e->accept();
    else
        e->ignore();
}

void BlDatView::reject() {
    auto closing = ui::Closing::Close;
    ui::runCommand(host_, [&]() { closing = w_.Form_Unload(); });
    if (closing == ui::Closing::Close)
        QDialog::reject();
}

} // namespace gui
